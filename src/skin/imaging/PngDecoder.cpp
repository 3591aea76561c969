#include "skin/imaging/PngDecoder.h"

#include "platform/rtl/String.h"
#include "skin/imaging/PngAdam7.h"
#include "skin/imaging/PngExceptions.h"
#include "skin/imaging/PngFilters.h"
#include "skin/imaging/PngGamma.h"
#include "skin/imaging/PngRows.h"

#include <array>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <zlib.h>

namespace skin {

namespace {

// Rows are inflated in blocks of about this many bytes: large enough that
// zlib runs its fast loop, small enough to stay in cache for the unfiltering
// and conversion that follow.
constexpr std::size_t InflateBlockBytes = 128 * 1024;

enum TFillResult { pfrFilled, pfrEnded, pfrCrcError, pfrZlibError, pfrNotIdat };

// Inflates the chunks of a reader into caller-given blocks.
class TInflater {
public:
    explicit TInflater(TPngIdatReader& reader) noexcept : FReader(reader) {}
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;
    ~TInflater() {
        if (FStarted)
            inflateEnd(&FStream);
    }

    [[nodiscard]] bool Start() noexcept {
        FStream = z_stream{};
        FStarted = inflateInit(&FStream) == Z_OK;
        // Decoding stops once every row has arrived, mostly before the
        // stream's Adler-32 trailer, and each chunk's CRC already guards the
        // data: computing the check value would cost a tenth of the decode.
        if (FStarted)
            inflateValidate(&FStream, 0);
        return FStarted;
    }

    // Fills size bytes at dst; produced tells how many arrived when it could not.
    [[nodiscard]] TFillResult Fill(std::uint8_t* dst, std::size_t size, std::size_t& produced) noexcept {
        FStream.next_out = dst;
        FStream.avail_out = static_cast<uInt>(size);
        TFillResult result = pfrFilled;
        while (FStream.avail_out > 0) {
            if (FFinished) {
                result = pfrEnded;
                break;
            }
            if (FStream.avail_in == 0 && !FeedNext(result))
                break;
            const int ret = inflate(&FStream, Z_NO_FLUSH);
            if (ret == Z_STREAM_END) {
                FFinished = true;
            } else if (ret != Z_OK && !(ret == Z_BUF_ERROR && FStream.avail_in == 0)) {
                FZlibCode = ret == Z_NEED_DICT ? Z_DATA_ERROR : ret;
                result = pfrZlibError;
                break;
            }
        }
        produced = size - FStream.avail_out;
        return result;
    }

    [[nodiscard]] int ZlibCode() const noexcept { return FZlibCode; }

private:
    bool FeedNext(TFillResult& result) noexcept {
        const std::uint8_t* piece = nullptr;
        std::size_t pieceSize = 0;
        switch (FReader.Next(piece, pieceSize)) {
        case pisData:
            // Chunk lengths stay below 2^31, so a piece always fits zlib's counter.
            FStream.next_in = const_cast<Bytef*>(piece);
            FStream.avail_in = static_cast<uInt>(pieceSize < UINT_MAX ? pieceSize : UINT_MAX);
            return true;
        case pisEnd:
            result = pfrEnded;
            return false;
        case pisCrcError:
            result = pfrCrcError;
            return false;
        case pisNotIdat:
            result = pfrNotIdat;
            return false;
        }
        return false;
    }

    TPngIdatReader& FReader;
    z_stream FStream{};
    bool FStarted = false;
    bool FFinished = false;
    int FZlibCode = Z_OK;
};

// Everything one decode needs besides the store.
class TImageDecoder {
public:
    TImageDecoder(TPngIdatReader& reader, const TPngImageHeader& header, const TPngPixelStore& store,
                  const TPngStoreLayout& layout)
        : FInflater(reader), FHeader(header), FStore(store),
          FAlpha(layout.AlphaBytes > 0 ? store.ImageAlpha : nullptr),
          FExtra(layout.ExtraBytes > 0 ? store.ExtraImageData : nullptr) {}

    [[nodiscard]] TPngDecodeResult Run() {
        if (!FInflater.Start())
            return pdrOutOfMemory;
        const bool identity = PngIsIdentityTable(FStore.GammaTable);
        FStoreRow = PngSelectStoreRow(FHeader, FStore.BitCount, identity);
        FGamma = FStore.GammaTable;
        if (!FGamma)
            FGamma = IdentityTable();
        FOffset = PngFilterOffset(FHeader);
        const std::size_t fullRow = PngRowBytes(FHeader, FHeader.Width) + 1;
        FBlockSize = fullRow > InflateBlockBytes ? fullRow : InflateBlockBytes;
        FBlock.reset(new std::uint8_t[FBlockSize]);
        FPrior.reset(new std::uint8_t[fullRow]);
        if (FHeader.InterlaceMethod == 0)
            return DecodePass(FHeader.Width, FHeader.Height, {0, 0, 1, 1});
        AllocatePassRow();
        for (int pass = 0; pass < PngAdam7PassCount; ++pass) {
            const TPngAdam7Pass size = PngAdam7PassSize(pass, FHeader.Width, FHeader.Height);
            if (size.Width == 0 || size.Height == 0)
                continue;
            const TPngDecodeResult r = DecodePass(size.Width, size.Height, PngAdam7Origins[pass]);
            if (r != pdrOk)
                return r;
        }
        return pdrOk;
    }

    [[nodiscard]] int ZlibCode() const noexcept { return FInflater.ZlibCode(); }

private:
    static const std::uint8_t* IdentityTable() noexcept {
        static const auto table = [] {
            std::array<std::uint8_t, 256> t{};
            for (int i = 0; i < 256; ++i)
                t[i] = static_cast<std::uint8_t>(i);
            return t;
        }();
        return table.data();
    }

    void AllocatePassRow() {
        FPassImage.reset(new std::uint8_t[FStore.BytesPerRow]());
        if (FAlpha)
            FPassAlpha.reset(new std::uint8_t[FHeader.Width]());
        if (FExtra)
            FPassExtra.reset(new std::uint8_t[FStore.BytesPerRow]());
    }

    [[nodiscard]] TPngDecodeResult DecodePass(std::uint32_t width, std::uint32_t height,
                                              TPngAdam7Origin origin) {
        const std::size_t rowBytes = PngRowBytes(FHeader, width);
        const std::size_t rowLen = rowBytes + 1;
        const std::size_t rowsPerBlock = FBlockSize / rowLen;
        std::memset(FPrior.get(), 0, rowBytes);
        std::uint32_t row = 0;
        while (row < height) {
            const std::size_t want = rowsPerBlock < height - row ? rowsPerBlock : height - row;
            std::size_t produced = 0;
            const TFillResult fill = FInflater.Fill(FBlock.get(), want * rowLen, produced);
            const std::size_t rows = produced / rowLen;
            const std::uint8_t* prior = FPrior.get();
            for (std::size_t i = 0; i < rows; ++i, ++row) {
                std::uint8_t* line = FBlock.get() + i * rowLen;
                PngUnfilterRow(line[0], line + 1, prior, rowBytes, FOffset);
                StoreRow(line + 1, width, origin.Y + row * std::size_t{origin.StepY}, origin);
                prior = line + 1;
            }
            if (fill != pfrFilled)
                return FillFailure(fill);
            std::memcpy(FPrior.get(), prior, rowBytes);
        }
        return pdrOk;
    }

    void StoreRow(const std::uint8_t* src, std::uint32_t width, std::size_t y,
                  TPngAdam7Origin origin) noexcept {
        std::uint8_t* image = FStore.ImageData + y * FStore.BytesPerRow;
        std::uint8_t* alpha = FAlpha ? FAlpha + y * FHeader.Width : nullptr;
        std::uint8_t* extra = FExtra ? FExtra + y * FStore.BytesPerRow : nullptr;
        if (origin.StepX == 1) {
            FStoreRow({image, alpha, extra}, src, width, FGamma);
            return;
        }
        FStoreRow({FPassImage.get(), FPassAlpha.get(), FPassExtra.get()}, src, width, FGamma);
        PngScatterPixels(image, FPassImage.get(), width, origin.X, origin.StepX, FStore.BitCount);
        if (alpha)
            PngScatterPixels(alpha, FPassAlpha.get(), width, origin.X, origin.StepX, 8);
        if (extra)
            PngScatterPixels(extra, FPassExtra.get(), width, origin.X, origin.StepX, FStore.BitCount);
    }

    static TPngDecodeResult FillFailure(TFillResult fill) noexcept {
        switch (fill) {
        case pfrEnded:
            return pdrDataEnded;
        case pfrCrcError:
            return pdrCrcError;
        case pfrNotIdat:
            return pdrMissingIdat;
        default:
            return pdrZlibError;
        }
    }

    TInflater FInflater;
    const TPngImageHeader& FHeader;
    const TPngPixelStore& FStore;
    std::uint8_t* FAlpha;
    std::uint8_t* FExtra;
    TPngStoreRowProc FStoreRow = nullptr;
    const std::uint8_t* FGamma = nullptr;
    unsigned FOffset = 1;
    std::size_t FBlockSize = 0;
    std::unique_ptr<std::uint8_t[]> FBlock;
    std::unique_ptr<std::uint8_t[]> FPrior;
    std::unique_ptr<std::uint8_t[]> FPassImage;
    std::unique_ptr<std::uint8_t[]> FPassAlpha;
    std::unique_ptr<std::uint8_t[]> FPassExtra;
};

rtl::String ZlibErrorText(int code) {
    rtl::String text(PngTextZlibError);
    text += u"\r\n Description: ";
    text += rtl::AsciiToString(zError(code));
    return text;
}

} // namespace

void PngZeroStore(const TPngImageHeader& header, const TPngPixelStore& store) noexcept {
    const std::size_t rows = header.Height;
    if (store.ImageData)
        std::memset(store.ImageData, 0, store.BytesPerRow * rows);
    if (store.ImageAlpha)
        std::memset(store.ImageAlpha, 0, std::size_t{header.Width} * rows);
    if (store.ExtraImageData)
        std::memset(store.ExtraImageData, 0, store.BytesPerRow * rows);
}

TPngDecodeResult PngDecodeImageData(TPngIdatReader& reader, const TPngImageHeader& header,
                                    const TPngPixelStore& store, TPngCheckMode mode) {
    if (!PngIsValidHeader(header))
        return pdrInvalidHeader;
    if (!PngStoreFits(header, store))
        return pdrNoBuffer;
    const TPngStoreLayout layout = PngStoreLayout(header, store.BitCount == 32 ? psd32Bit : psdDefault);
    if ((header.ColorType == COLOR_GRAYSCALE || header.ColorType == COLOR_GRAYSCALEALPHA) && store.Palette)
        PngFillGreyRamp(store.Palette, layout.PaletteCount, store.GammaTable);

    TPngDecodeResult result = pdrOutOfMemory;
    int zlibCode = Z_OK;
    try {
        TImageDecoder decoder(reader, header, store, layout);
        result = decoder.Run();
        zlibCode = decoder.ZlibCode();
    } catch (const std::bad_alloc&) {
        result = pdrOutOfMemory;
    }
    if (PngDecodeSucceeded(result))
        return result;

    PngZeroStore(header, store);
    if (result == pdrMissingIdat)
        PngRaiseError<EPNGMissingMultipleIDAT>(PngTextMissingMultipleIdat);
    if (mode == pcmStrict && result == pdrCrcError)
        PngRaiseError<EPngInvalidCRC>(PngTextInvalidCrc);
    if (mode == pcmStrict && result == pdrZlibError)
        PngRaiseError<EPNGZLIBError>(ZlibErrorText(zlibCode));
    return result;
}

} // namespace skin
