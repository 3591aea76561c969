#include "skin/imaging/PngEncoder.h"

#include "skin/imaging/PngAdam7.h"
#include "skin/imaging/PngCrc.h"
#include "skin/imaging/PngGamma.h"
#include "skin/imaging/PngRows.h"

#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <zlib.h>

namespace skin {

void TPngVectorSink::Write(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    FBytes.insert(FBytes.end(), p, p + size);
}

namespace {

void StoreBigEndian32(std::uint8_t* p, std::uint32_t v) noexcept {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

} // namespace

void PngWriteChunk(TPngByteSink& sink, const char type[4], const void* data, std::uint32_t size) {
    std::uint8_t head[8];
    StoreBigEndian32(head, size);
    std::memcpy(head + 4, type, 4);
    std::uint8_t tail[4];
    StoreBigEndian32(tail, PngCrc32(PngCrc32(0, head + 4, 4), data, size));
    sink.Write(head, 8);
    if (size > 0)
        sink.Write(data, size);
    sink.Write(tail, 4);
}

namespace {

constexpr std::uint32_t DefaultMaxIdatSize = 65535;
constexpr std::size_t DeflateBlockBytes = 64 * 1024;

// Collects deflate output and cuts it into IDAT chunks of the maximum size.
class TIdatWriter {
public:
    TIdatWriter(TPngByteSink& sink, std::uint32_t maxIdatSize) : FSink(sink), FMax(maxIdatSize) {}

    void Append(const std::uint8_t* data, std::size_t size) {
        FPending.insert(FPending.end(), data, data + size);
        std::size_t start = 0;
        while (FPending.size() - start >= FMax) {
            PngWriteChunk(FSink, "IDAT", FPending.data() + start, FMax);
            start += FMax;
        }
        FPending.erase(FPending.begin(), FPending.begin() + static_cast<std::ptrdiff_t>(start));
    }

    void Finish() {
        if (!FPending.empty())
            PngWriteChunk(FSink, "IDAT", FPending.data(), static_cast<std::uint32_t>(FPending.size()));
        FPending.clear();
    }

private:
    TPngByteSink& FSink;
    std::uint32_t FMax;
    std::vector<std::uint8_t> FPending;
};

class TImageEncoder {
public:
    TImageEncoder(const TPngPixelStore& store, const TPngImageHeader& header, TFilters filters,
                  TIdatWriter& writer)
        : FStore(store), FHeader(header), FFilters(filters), FWriter(writer) {
        FSaved = header;
        FSaved.BitDepth = PngSavedBitDepth(header);
        const TPngStoreLayout layout = PngStoreLayout(header, store.BitCount == 32 ? psd32Bit : psdDefault);
        FAlpha = layout.AlphaBytes > 0 ? store.ImageAlpha : nullptr;
        FExtra = layout.ExtraBytes > 0 ? store.ExtraImageData : nullptr;
    }
    TImageEncoder(const TImageEncoder&) = delete;
    TImageEncoder& operator=(const TImageEncoder&) = delete;
    ~TImageEncoder() {
        if (FStarted)
            deflateEnd(&FStream);
    }

    [[nodiscard]] TPngEncodeResult Run(int level) {
        if (deflateInit(&FStream, level) != Z_OK)
            return perOutOfMemory;
        FStarted = true;
        const bool identity = PngIsIdentityTable(FStore.InverseGamma);
        FPack = PngSelectPackRow(FHeader, FStore.BitCount, identity);
        FInverse = FStore.InverseGamma;
        Allocate();
        if (FHeader.InterlaceMethod == 0) {
            if (!EncodePass(FHeader.Width, FHeader.Height, {0, 0, 1, 1}))
                return perZlibError;
        } else {
            for (int pass = 0; pass < PngAdam7PassCount; ++pass) {
                const TPngAdam7Pass size = PngAdam7PassSize(pass, FHeader.Width, FHeader.Height);
                if (size.Width > 0 && size.Height > 0 &&
                    !EncodePass(size.Width, size.Height, PngAdam7Origins[pass]))
                    return perZlibError;
            }
        }
        if (!Deflate(nullptr, 0, Z_FINISH))
            return perZlibError;
        FWriter.Finish();
        return perOk;
    }

private:
    void Allocate() {
        const std::size_t rowBytes = PngRowBytes(FSaved, FHeader.Width);
        FRaw.reset(new std::uint8_t[rowBytes]());
        FPrior.reset(new std::uint8_t[rowBytes]());
        // Slot 0 of each filtered row holds its filter-type byte.
        for (int f = 1; f < PngFilterCount; ++f)
            if (FFilters.Contains(static_cast<TFilter>(f)))
                FFiltered[f].reset(new std::uint8_t[rowBytes + 1]());
        FFiltered[0].reset(new std::uint8_t[rowBytes + 1]());
        FDeflated.reset(new std::uint8_t[DeflateBlockBytes]);
        if (FHeader.InterlaceMethod != 0) {
            FPassImage.reset(new std::uint8_t[FStore.BytesPerRow]());
            if (FAlpha)
                FPassAlpha.reset(new std::uint8_t[FHeader.Width]());
            if (FExtra)
                FPassExtra.reset(new std::uint8_t[FStore.BytesPerRow]());
        }
    }

    TPngConstStoreRow SourceRow(std::size_t y, std::uint32_t width, TPngAdam7Origin origin) noexcept {
        const std::uint8_t* image = FStore.ImageData + y * FStore.BytesPerRow;
        const std::uint8_t* alpha = FAlpha ? FAlpha + y * FHeader.Width : nullptr;
        const std::uint8_t* extra = FExtra ? FExtra + y * FStore.BytesPerRow : nullptr;
        if (origin.StepX == 1)
            return {image, alpha, extra};
        PngGatherPixels(FPassImage.get(), image, width, origin.X, origin.StepX, FStore.BitCount);
        if (alpha)
            PngGatherPixels(FPassAlpha.get(), alpha, width, origin.X, origin.StepX, 8);
        if (extra)
            PngGatherPixels(FPassExtra.get(), extra, width, origin.X, origin.StepX, FStore.BitCount);
        return {FPassImage.get(), FPassAlpha.get(), FPassExtra.get()};
    }

    [[nodiscard]] bool EncodePass(std::uint32_t width, std::uint32_t height, TPngAdam7Origin origin) {
        const std::size_t rowBytes = PngRowBytes(FSaved, width);
        const unsigned offset = PngFilterOffset(FSaved);
        std::memset(FPrior.get(), 0, rowBytes);
        for (std::uint32_t row = 0; row < height; ++row) {
            const std::size_t y = origin.Y + row * std::size_t{origin.StepY};
            FPack(FRaw.get(), SourceRow(y, width, origin), width, FInverse);
            const std::uint8_t* candidates[PngFilterCount] = {FRaw.get()};
            for (int f = 1; f < PngFilterCount; ++f) {
                if (!FFiltered[f])
                    continue;
                PngFilterRow(static_cast<TFilter>(f), FFiltered[f].get() + 1, FRaw.get(), FPrior.get(),
                             rowBytes, offset);
                candidates[f] = FFiltered[f].get() + 1;
            }
            const TFilter chosen = PngChooseFilter(FFilters, candidates, rowBytes);
            std::uint8_t* line = FFiltered[chosen].get();
            if (chosen == pfNone)
                std::memcpy(line + 1, FRaw.get(), rowBytes);
            line[0] = chosen;
            if (!Deflate(line, rowBytes + 1, Z_NO_FLUSH))
                return false;
            FRaw.swap(FPrior);
        }
        return true;
    }

    [[nodiscard]] bool Deflate(const std::uint8_t* data, std::size_t size, int flush) {
        FStream.next_in = const_cast<Bytef*>(data);
        FStream.avail_in = static_cast<uInt>(size);
        for (;;) {
            FStream.next_out = FDeflated.get();
            FStream.avail_out = static_cast<uInt>(DeflateBlockBytes);
            const int ret = deflate(&FStream, flush);
            if (ret == Z_STREAM_ERROR)
                return false;
            FWriter.Append(FDeflated.get(), DeflateBlockBytes - FStream.avail_out);
            if (flush == Z_FINISH ? ret == Z_STREAM_END : FStream.avail_out > 0)
                return true;
        }
    }

    const TPngPixelStore& FStore;
    const TPngImageHeader& FHeader;
    TPngImageHeader FSaved;
    TFilters FFilters;
    TIdatWriter& FWriter;
    const std::uint8_t* FAlpha = nullptr;
    const std::uint8_t* FExtra = nullptr;
    TPngPackRowProc FPack = nullptr;
    const std::uint8_t* FInverse = nullptr;
    z_stream FStream{};
    bool FStarted = false;
    std::unique_ptr<std::uint8_t[]> FRaw;
    std::unique_ptr<std::uint8_t[]> FPrior;
    std::array<std::unique_ptr<std::uint8_t[]>, PngFilterCount> FFiltered;
    std::unique_ptr<std::uint8_t[]> FDeflated;
    std::unique_ptr<std::uint8_t[]> FPassImage;
    std::unique_ptr<std::uint8_t[]> FPassAlpha;
    std::unique_ptr<std::uint8_t[]> FPassExtra;
};

} // namespace

TPngEncodeResult PngEncodeImageData(const TPngPixelStore& store, const TPngImageHeader& header,
                                    TFilters filters, int level, std::uint32_t maxIdatSize,
                                    TPngByteSink& sink) {
    if (!PngStoreFits(header, store))
        return perNoBuffer;
    if (level < 0 || level > 9)
        level = Z_DEFAULT_COMPRESSION;
    TIdatWriter writer(sink, maxIdatSize == 0 ? DefaultMaxIdatSize : maxIdatSize);
    try {
        TImageEncoder encoder(store, header, filters, writer);
        return encoder.Run(level);
    } catch (const std::bad_alloc&) {
        return perOutOfMemory;
    }
}

} // namespace skin
