#include "skin/imaging/PngList.h"

#include "skin/imaging/PngChunkIDAT.h"
#include "skin/imaging/PngChunkIEND.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngChunkPLTE.h"
#include "skin/imaging/PngChunkgAMA.h"
#include "skin/imaging/PngChunkpHYs.h"
#include "skin/imaging/PngChunktRNS.h"
#include "skin/imaging/PngImage.h"

namespace skin {

RTL_IMPLEMENT_CLASS(TPNGPointerList)
RTL_IMPLEMENT_CLASS(TPNGList)

namespace {

constexpr std::u16string_view TextCriticalChunk =
    u"The program tried to add a existent critical chunk to the current image which is not allowed.";
constexpr std::u16string_view TextInvalidImage =
    u"It's not allowed to add a new chunk because the current image is invalid.";

bool Is(TChunkClass cls, rtl::TClass what) {
    return cls && cls->InheritsFrom(what);
}

} // namespace

TChunk* TPNGList::FindChunk(TChunkClass ChunkClass) const {
    for (int i = 0; i < Count(); ++i) {
        TChunk* chunk = GetItem(i);
        if (chunk->InheritsFrom(ChunkClass))
            return chunk;
    }
    return nullptr;
}

void TPNGList::RemoveChunk(TChunk* Chunk) {
    if (Remove(Chunk) >= 0)
        Chunk->Free();
}

void TPNGList::FreeAll() {
    while (Count() > 0) {
        TChunk* chunk = GetItem(0);
        Delete(0);
        chunk->Free();
    }
}

TChunk* TPNGList::Add(TChunkClass ChunkClass) {
    if (!Owner()->BeingCreated) {
        if (Is(ChunkClass, TChunkIHDR::StaticClass()) || Is(ChunkClass, TChunkIDAT::StaticClass()) ||
            Is(ChunkClass, TChunkPLTE::StaticClass()) || Is(ChunkClass, TChunkIEND::StaticClass()))
            TPngImage::RaiseError<EPngError>(TextCriticalChunk);
        if ((Is(ChunkClass, TChunkgAMA::StaticClass()) || Is(ChunkClass, TChunktRNS::StaticClass()) ||
             Is(ChunkClass, TChunkpHYs::StaticClass())) &&
            FindChunk(ChunkClass))
            TPngImage::RaiseError<EPngError>(TextCriticalChunk);
        if (!FindChunk(TChunkIHDR::StaticClass()) || !FindChunk(TChunkIEND::StaticClass()))
            TPngImage::RaiseError<EPngError>(TextInvalidImage);
    }
    TChunk* chunk = CreateChunk(ChunkClass, Owner());
    const auto after = [this](TChunkClass cls) {
        TChunk* found = FindChunk(cls);
        return found ? IndexOf(found) + 1 : -1;
    };
    const auto before = [this](TChunkClass cls) {
        TChunk* found = FindChunk(cls);
        return found ? IndexOf(found) : -1;
    };
    int at = -1;
    if (Is(ChunkClass, TChunkIHDR::StaticClass())) {
        at = 0;
    } else if (Is(ChunkClass, TChunkIEND::StaticClass())) {
        at = Count();
    } else if (Is(ChunkClass, TChunkgAMA::StaticClass()) || Is(ChunkClass, TChunkpHYs::StaticClass()) ||
               Is(ChunkClass, TChunkPLTE::StaticClass())) {
        at = after(TChunkIHDR::StaticClass());
    } else if (Is(ChunkClass, TChunktRNS::StaticClass())) {
        at = after(TChunkPLTE::StaticClass());
        if (at < 0)
            at = before(TChunkIDAT::StaticClass());
        if (at < 0)
            at = after(TChunkIHDR::StaticClass());
    } else {
        at = before(TChunkIEND::StaticClass());
    }
    if (at < 0 || at > Count())
        at = Count();
    Insert(at, chunk);
    return chunk;
}

} // namespace skin
