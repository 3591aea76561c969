#include "skin/imaging/PngChunk.h"

#include "skin/imaging/PngChunkIDAT.h"
#include "skin/imaging/PngChunkIEND.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngChunkPLTE.h"
#include "skin/imaging/PngChunkgAMA.h"
#include "skin/imaging/PngChunkpHYs.h"
#include "skin/imaging/PngChunktEXt.h"
#include "skin/imaging/PngChunktIME.h"
#include "skin/imaging/PngChunktRNS.h"
#include "skin/imaging/PngChunkzTXt.h"
#include "skin/imaging/PngCrc.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngList.h"
#include "skin/imaging/PngStrictMode.h"
#include "skin/imaging/PointerHash.h"

#include <algorithm>
#include <cstring>

namespace skin {

RTL_IMPLEMENT_CLASS(TChunk)
RTL_IMPLEMENT_CLASS(TChunkIEND)

namespace {

using TChunkFactory = TChunk* (*)(TPngImage*);

template <typename T>
TChunk* MakeChunk(TPngImage* owner) {
    return new T(owner);
}

struct TChunkClassEntry {
    TChunkClass Class;
    TChunkFactory Create;
    TChunkName Name;
};

// The ten chunk classes, entered at unit start under their type read as a
// big-endian number.
class TChunkRegistry {
public:
    TChunkRegistry() {
        Register<TChunkIEND>();
        Register<TChunkIHDR>();
        Register<TChunkIDAT>();
        Register<TChunkPLTE>();
        Register<TChunkgAMA>();
        Register<TChunktRNS>();
        Register<TChunkpHYs>();
        Register<TChunktIME>();
        Register<TChunktEXt>();
        Register<TChunkzTXt>();
    }

    [[nodiscard]] const TChunkClassEntry* Find(const TChunkName& name) const {
        return static_cast<const TChunkClassEntry*>(
            FHash.GetValue(reinterpret_cast<const void*>(std::uintptr_t{name.Code()})));
    }

    [[nodiscard]] const TChunkClassEntry* FindClass(TChunkClass cls) const {
        for (const TChunkClassEntry& entry : FEntries)
            if (entry.Class == cls)
                return &entry;
        return nullptr;
    }

private:
    template <typename T>
    void Register() {
        const TChunkName name = TChunk::GetName(T::StaticClass());
        FEntries[FCount] = {T::StaticClass(), &MakeChunk<T>, name};
        FHash.Add(reinterpret_cast<const void*>(std::uintptr_t{name.Code()}), &FEntries[FCount]);
        ++FCount;
    }

    TPointerHash FHash{256};
    TChunkClassEntry FEntries[10]{};
    int FCount = 0;
};

const TChunkRegistry& Registry() {
    static const TChunkRegistry registry;
    return registry;
}

} // namespace

TChunk::TChunk(TPngImage* Owner) : fOwner(Owner) {}

TChunk::~TChunk() = default;

TChunkName TChunk::GetName(rtl::TClass ChunkClass) {
    TChunkName name;
    const std::string_view className = ChunkClass->Name;
    if (className.size() >= 7)
        for (std::size_t i = 0; i < 4 && 6 + i < className.size(); ++i)
            name.Bytes[i] = className[6 + i];
    return name;
}

void TChunk::Assign(TChunk* Source) {
    if (!Source || Source == this)
        return;
    fName = Source->fName;
    ResizeData(Source->fDataSize);
    std::memcpy(fData.data(), Source->fData.data(), fDataSize);
}

void TChunk::ResizeData(std::uint32_t NewSize) {
    fData.assign(std::size_t{NewSize} + 1, 0);
    fDataSize = NewSize;
}

bool TChunk::LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) {
    // A length beyond the stream cannot be read: the chunk is cut short and
    // fails its CRC, so the allocation is bounded by what the stream holds.
    const std::int64_t available = std::max<std::int64_t>(0, Stream->Size() - Stream->Position());
    const auto readable = static_cast<std::uint32_t>(std::min<std::int64_t>(Size, available));
    ResizeData(readable);
    if (Stream->Read(fData.data(), readable) != readable || readable != Size)
        return false;
    std::uint8_t crc[4];
    if (Stream->Read(crc, 4) != 4)
        return false;
    const std::uint32_t expected = PngCrc32(PngCrc32(0, ChunkName.Bytes, 4), fData.data(), fDataSize);
    if (PngLoadBE32(crc) == expected)
        return true;
    if (PngStrictChecks())
        TPngImage::RaiseError<EPngInvalidCRC>(PngTextInvalidCrc);
    return false;
}

bool TChunk::SaveData(rtl::TStream* Stream) {
    std::uint8_t head[8];
    PngStoreBE32(head, fDataSize);
    std::memcpy(head + 4, fName.Bytes, 4);
    std::uint8_t tail[4];
    PngStoreBE32(tail, PngCrc32(PngCrc32(0, fName.Bytes, 4), fData.data(), fDataSize));
    Stream->WriteBuffer(head, 8);
    Stream->WriteBuffer(fData.data(), fDataSize);
    Stream->WriteBuffer(tail, 4);
    return true;
}

bool TChunk::SaveToStream(rtl::TStream* Stream) {
    return SaveData(Stream);
}

int TChunk::Index() const {
    if (!fOwner || !fOwner->Chunks())
        return -1;
    return fOwner->Chunks()->IndexOf(const_cast<TChunk*>(this));
}

TChunkIHDR* TChunk::Header() const {
    return fOwner ? fOwner->HeaderOrNull() : nullptr;
}

rtl::String TChunk::Name() const {
    return rtl::AsciiToString(std::string_view(fName.Bytes, 4));
}

TChunkClass FindChunkClass(const TChunkName& Name) {
    const TChunkClassEntry* entry = Registry().Find(Name);
    return entry ? entry->Class : TChunk::StaticClass();
}

TChunk* CreateChunk(TChunkClass ChunkClass, TPngImage* Owner) {
    const TChunkClassEntry* entry = Registry().FindClass(ChunkClass);
    TChunk* chunk = entry ? entry->Create(Owner) : new TChunk(Owner);
    // A plain chunk's class name is too short to give a type: four zero bytes.
    chunk->SetChunkName(entry ? entry->Name : TChunkName{});
    return chunk;
}

} // namespace skin
