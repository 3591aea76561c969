#include "skin/imaging/PngChunkIDAT.h"

#include "platform/rtl/StringUtils.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngDecoder.h"
#include "skin/imaging/PngEncoder.h"
#include "skin/imaging/PngIdatReader.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngImageData.h"
#include "skin/imaging/PngImageDataList.h"
#include "skin/imaging/PngStrictMode.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace skin {

RTL_IMPLEMENT_CLASS(TChunkIDAT)

namespace {

constexpr char IdatType[4] = {'I', 'D', 'A', 'T'};

class TStreamSink final : public TPngByteSink {
public:
    explicit TStreamSink(rtl::TStream* stream) : FStream(stream) {}
    void Write(const void* data, std::size_t size) override {
        FStream->WriteBuffer(data, static_cast<std::int64_t>(size));
    }

private:
    rtl::TStream* FStream;
};

// Copies up to count bytes, read straight into the end of to; returns how
// many there were.
std::int64_t CopyUpTo(rtl::TMemoryStream* to, rtl::TStream* from, std::int64_t count) {
    const std::int64_t available = std::max<std::int64_t>(0, from->Size() - from->Position());
    const std::int64_t n = std::min(count, available);
    if (n <= 0)
        return 0;
    const std::int64_t at = to->Size();
    to->SetSize(at + n);
    const std::int64_t got = from->Read(static_cast<std::uint8_t*>(to->Memory()) + at, n);
    to->SetSize(at + got);
    to->SetPosition(at + got);
    return got;
}

// An image that could never be filled from this little data, or that would
// be too large to keep, is refused before anything is allocated for it.
void CheckStoreSize(TChunkIHDR* header, std::int64_t compressedBytes) {
    const TPngImageHeader h = header->ImageHeader();
    const TPngStoreLayout layout = PngStoreLayout(h, psdDefault);
    const std::uint64_t bytes = PngStoreBytes(layout);
    if (bytes > PngMaxStoreBytes || !PngIsPlausibleDataSize(h, static_cast<std::uint64_t>(compressedBytes)))
        throw rtl::EOutOfMemory(u"Out of memory, Size=" + rtl::IntToStr(static_cast<std::int64_t>(bytes)) +
                                u", W=" + rtl::IntToStr(h.Width) + u", H=" + rtl::IntToStr(h.Height));
}

} // namespace

TChunkIDAT::TChunkIDAT(TPngImage* Owner) : TChunk(Owner) {
    HeaderLink = Owner ? Owner->HeaderOrNull() : nullptr;
    if (HeaderLink)
        HeaderLink->ChunkIDAT = this;
}

TChunkIDAT::~TChunkIDAT() {
    if (HeaderLink && HeaderLink->ChunkIDAT == this)
        HeaderLink->ChunkIDAT = nullptr;
}

void TChunkIDAT::Assign(TChunk* Source) {
    auto* source = rtl::ObjectCast<TChunkIDAT>(Source);
    if (!source)
        TPngImage::RaiseError<EPngError>(u"The chunks must be compatible to be assigned.");
    TChunk::Assign(Source);
    FirstIDATSize = source->FirstIDATSize;
}

bool TChunkIDAT::LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) {
    HeaderLink = fOwner->HeaderOrNull();
    if (ChunkName.Code() == 0)
        return DecodeStream(dynamic_cast<rtl::TMemoryStream*>(Stream), Size);
    if (!HeaderLink)
        return false;
    HeaderLink->ChunkIDAT = this;
    FirstIDATSize = Size;
    // The first chunk's data and CRC, then every IDAT chunk that directly
    // follows, headers included: decoded later, written back as they are.
    auto kept = std::make_unique<rtl::TMemoryStream>();
    // Most images have one IDAT chunk: its data and CRC fit without growing.
    kept->SetCapacity(std::min<std::int64_t>(std::int64_t{Size} + 4,
                                             std::max<std::int64_t>(0, Stream->Size() - Stream->Position())));
    bool whole = CopyUpTo(kept.get(), Stream, std::int64_t{Size} + 4) == std::int64_t{Size} + 4;
    while (whole) {
        const std::int64_t at = Stream->Position();
        std::uint8_t head[8];
        if (Stream->Read(head, 8) != 8 || std::memcmp(head + 4, IdatType, 4) != 0) {
            Stream->SetPosition(at);
            break;
        }
        kept->WriteBuffer(head, 8);
        const std::int64_t rest = std::int64_t{PngLoadBE32(head)} + 4;
        whole = CopyUpTo(kept.get(), Stream, rest) == rest;
    }
    CheckStoreSize(HeaderLink, kept->Size());
    TPngImageDataList& list = TPngImageDataList::Instance();
    list.Release(HeaderLink->ShareImageData);
    const std::uint64_t layout = TPngImageDataList::StreamLayout(HeaderLink);
    HeaderLink->ShareImageData = list.Add(kept.release(), layout);
    return true;
}

bool TChunkIDAT::DecodeStream(rtl::TMemoryStream* Stream, std::uint32_t FirstSize) {
    TChunkIHDR* header = HeaderLink ? HeaderLink : fOwner->HeaderOrNull();
    if (!header || !header->ImageData || !Stream)
        return false;
    TPngIdatReader reader(static_cast<const std::uint8_t*>(Stream->Memory()),
                          static_cast<std::size_t>(Stream->Size()), FirstSize);
    const TPngDecodeResult result = PngDecodeImageData(reader, header->ImageHeader(), header->PixelStore(),
                                                       PngStrictChecks() ? pcmStrict : pcmLenient);
    return PngDecodeSucceeded(result);
}

bool TChunkIDAT::SaveKeptData(rtl::TStream* Stream) {
    TChunkIHDR* header = fOwner->HeaderOrNull();
    TPngImageData* item = header ? header->ShareImageData : nullptr;
    if (!item || header->ImageData)
        return false;
    // The kept bytes fit only the header they came with: a 2-bit image is
    // written with 4-bit samples, and a changed interlacing needs other rows.
    if (header->BitDepth() == 2 || fOwner->InterlaceMethod() != header->InterlaceMethod())
        return false;
    // Holding the stream keeps a decoding thread from freeing it meanwhile.
    rtl::TMemoryStream* kept = item->WaitExpand();
    if (!kept)
        return false;
    try {
        std::uint8_t head[8];
        PngStoreBE32(head, FirstIDATSize);
        std::memcpy(head + 4, IdatType, 4);
        Stream->WriteBuffer(head, 8);
        Stream->WriteBuffer(kept->Memory(), kept->Size());
    } catch (...) {
        item->EndExpand(kept);
        throw;
    }
    item->EndExpand(kept);
    return true;
}

bool TChunkIDAT::SaveEncoded(rtl::TStream* Stream) {
    TChunkIHDR* header = fOwner->HeaderOrNull();
    if (!header)
        return false;
    header->CheckExpand();
    if (!header->ImageData)
        return false;
    TPngImageHeader h = header->ImageHeader();
    h.InterlaceMethod = static_cast<std::uint8_t>(fOwner->InterlaceMethod());
    TStreamSink sink(Stream);
    return PngEncodeImageData(header->PixelStore(), h, fOwner->Filters(), fOwner->CompressionLevel(),
                              static_cast<std::uint32_t>(fOwner->MaxIdatSize()), sink) == perOk;
}

bool TChunkIDAT::SaveToStream(rtl::TStream* Stream) {
    return SaveKeptData(Stream) || SaveEncoded(Stream);
}

} // namespace skin
