// Loading and saving a PNG image: the signature, then chunk after chunk in
// file order; lenient about damage, strict about what cannot be decoded.

#include "platform/rtl/ResourceStream.h"
#include "skin/imaging/PngChunk.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngList.h"

#include <cstring>
#include <memory>

namespace skin {

namespace {

constexpr std::uint8_t PngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

bool IsCritical(const TChunkName& name) {
    return name.Bytes[0] >= 'A' && name.Bytes[0] <= 'Z';
}

} // namespace

void TPngImage::LoadFromStream(rtl::TStream* Stream) {
    std::uint8_t signature[8];
    if (Stream->Read(signature, 8) != 8 || std::memcmp(signature, PngSignature, 8) != 0)
        RaiseError<EPNGInvalidFileHeader>(
            u"The file being read is not a valid \"Portable Network Graphics\" image because it contains an "
            u"invalid header. This file may be corrupted, try obtaining it again");
    ClearChunks();
    AlphaMode.store(pamDefined, std::memory_order_release);
    bool first = true;
    bool idatSeen = false;
    for (;;) {
        std::uint8_t length[4];
        TChunkName name;
        // A stream that ends here keeps what was read; nothing is reported.
        if (Stream->Read(length, 4) != 4 || Stream->Read(name.Bytes, 4) != 4)
            return;
        const std::uint32_t size = PngLoadBE32(length);
        if (first && !name.Is("IHDR"))
            RaiseError<EPNGIHDRNotFirst>(
                u"This \"Portable Network Graphics\" image is not supported or it might "
                u"be invalid.\r\n(IHDR chunk is not the first)");
        first = false;
        // Image data after the first run of IDAT chunks is not the image's.
        if (name.Is("cHRM") || (name.Is("IDAT") && idatSeen)) {
            Stream->Seek(std::int64_t{size} + 4, rtl::soCurrent);
            continue;
        }
        const TChunkClass chunkClass = FindChunkClass(name);
        if (chunkClass == TChunk::StaticClass() && IsCritical(name))
            RaiseError<EPNGUnknownCriticalChunk>(u"This \"Portable Network Graphics\" image contains an "
                                                 u"unknown critical part which could not be "
                                                 u"decoded.:" +
                                                 rtl::AsciiToString(std::string_view(name.Bytes, 4)));
        TChunk* chunk = CreateChunk(chunkClass, this);
        chunk->SetChunkName(name);
        fChunkList->Append(chunk);
        idatSeen = idatSeen || name.Is("IDAT");
        if (!chunk->LoadFromStream(Stream, name, size) || name.Is("IEND"))
            break;
    }
    NotifyChanged(nmClear, nullptr);
}

void TPngImage::SaveToStream(rtl::TStream* Stream) {
    Stream->WriteBuffer(PngSignature, 8);
    for (int i = 0; i < fChunkList->Count(); ++i)
        fChunkList->GetItem(i)->SaveToStream(Stream);
}

void TPngImage::LoadFromResourceName(rtl::HINST Instance, const rtl::String& Name) {
    std::unique_ptr<rtl::TResourceStream> stream;
    try {
        stream = std::make_unique<rtl::TResourceStream>(Instance, Name, rtl::RT_RCDATA);
    } catch (const rtl::EResNotFound&) {
        RaiseError<EPNGCouldNotLoadResource>(u"The png image could not be loaded from the resource ID.");
    }
    LoadFromStream(stream.get());
}

void TPngImage::LoadFromResourceID(rtl::HINST Instance, int ResID) {
    std::unique_ptr<rtl::TResourceStream> stream;
    try {
        stream = std::make_unique<rtl::TResourceStream>(Instance, rtl::TResourceId(ResID), rtl::RT_RCDATA);
    } catch (const rtl::EResNotFound&) {
        RaiseError<EPNGCouldNotLoadResource>(u"The png image could not be loaded from the resource ID.");
    }
    LoadFromStream(stream.get());
}

} // namespace skin
