#include "RdimgCommands.h"

#include "PamImage.h"
#include "RdimgError.h"
#include "RdimgFiles.h"
#include "platform/rtl/BytesStream.h"
#include "platform/rtl/MemoryStream.h"
#include "skin/imaging/PngChunkIDAT.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngChunktEXt.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngImageRgba.h"
#include "skin/imaging/PngList.h"

#include <memory>
#include <ostream>

namespace rdimg {

namespace {

using skin::TPngImage;

struct TPngFree {
    void operator()(TPngImage* image) const { image->Free(); }
};
using TPngPtr = std::unique_ptr<TPngImage, TPngFree>;

// The codec's message on one line.
std::string MessageOf(const rtl::Exception& e) {
    std::string text = rtl::StringToUtf8(e.Message());
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, " ");
    return text;
}

// Runs work on the image of file path, turning the codec's exceptions into
// rdimg's errors: a fault of the image itself (reported as problem, with
// code) or an image too large for memory.
template <typename F>
auto WithCodec(const std::string& path, const std::string& problem, TExitCode code, F&& work)
    -> decltype(work()) {
    try {
        return work();
    } catch (const rtl::EOutOfMemory& e) {
        throw TRdimgError(ecInternal,
                          "'" + path + "': the image is too large to hold in memory: " + MessageOf(e));
    } catch (const rtl::Exception& e) {
        throw TRdimgError(code, "'" + path + "' " + problem + ": " + MessageOf(e));
    }
}

constexpr const char* NotPng = "is not a valid PNG image";

// Loads the file; the pixels stay undecoded until first needed.
TPngPtr LoadPngFile(rtl::TBytesStream& stream, const std::string& path) {
    TPngPtr image(new TPngImage);
    WithCodec(path, NotPng, ecBadInput, [&] { image->LoadFromStream(&stream); });
    if (!image->HeaderOrNull())
        throw TRdimgError(ecBadInput, "'" + path + "' " + NotPng + ": it has no header (IHDR chunk)");
    return image;
}

const char* ColourTypeName(std::uint8_t colorType) {
    switch (colorType) {
    case skin::COLOR_GRAYSCALE:
        return "greyscale";
    case skin::COLOR_RGB:
        return "RGB";
    case skin::COLOR_PALETTE:
        return "palette";
    case skin::COLOR_GRAYSCALEALPHA:
        return "greyscale with alpha";
    case skin::COLOR_RGBALPHA:
        return "RGB with alpha";
    default:
        return "unknown";
    }
}

// The chunks as they stand in the file, which the image class does not all
// keep (cHRM, a second run of IDAT chunks, anything after a damaged chunk).
void PrintFileChunks(const rtl::TBytes& bytes, std::size_t size, std::ostream& out) {
    out << "chunks:\n";
    for (std::size_t pos = 8; pos + 8 <= size;) {
        const std::uint32_t length = skin::PngLoadBE32(&bytes[pos]);
        std::string type(reinterpret_cast<const char*>(&bytes[pos + 4]), 4);
        for (char& c : type)
            if (!(c >= 'A' && c <= 'Z') && !(c >= 'a' && c <= 'z'))
                c = '?';
        out << "  " << type << ' ' << length;
        if (std::uint64_t{length} + 12 > size - pos) {
            out << " (cut short)\n";
            return;
        }
        out << '\n';
        pos += std::size_t{length} + 12;
    }
}

void PrintRdPng(TPngImage* image, std::ostream& out) {
    const skin::TPNGList* chunks = image->Chunks();
    for (int i = 0; i < chunks->Count(); ++i) {
        const auto* text = dynamic_cast<const skin::TChunktEXt*>(chunks->GetItem(i));
        if (text && text->IsRdPng()) {
            out << "RDPNG: AlphaBlendValue=" << int(image->AlphaBlendValue())
                << " GrayMode=" << int(image->GrayMode()) << " SmoothFilter=" << int(image->SmoothFilter())
                << '\n';
            return;
        }
    }
    out << "RDPNG: none\n";
}

void FillPngImage(TPngImage* image, const TPamImage& pam) {
    if (pam.TupleType == pttRgbAlpha) {
        skin::ConvertPngImageFromRgba8(image, pam.Width, pam.Height, pam.Samples.data());
        return;
    }
    static constexpr std::uint8_t colorTypes[] = {skin::COLOR_GRAYSCALE, skin::COLOR_GRAYSCALEALPHA,
                                                  skin::COLOR_RGB};
    image->MakeBlank(colorTypes[pam.TupleType], 8, pam.Width, pam.Height, false, false);
    const std::size_t depth = static_cast<std::size_t>(pam.Depth());
    for (int y = 0; y < pam.Height; ++y) {
        auto* row = static_cast<std::uint8_t*>(image->Scanline(y));
        std::uint8_t* alpha = image->AlphaScanline(y);
        const std::uint8_t* in = pam.Samples.data() + std::size_t(y) * std::size_t(pam.Width) * depth;
        for (std::size_t x = 0; x < std::size_t(pam.Width); ++x, in += depth) {
            if (pam.TupleType == pttRgb) {
                // The store is BGR.
                row[3 * x] = in[2];
                row[3 * x + 1] = in[1];
                row[3 * x + 2] = in[0];
            } else {
                row[x] = in[0];
                if (alpha)
                    alpha[x] = in[1];
            }
        }
    }
}

std::span<const std::uint8_t> BytesOf(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

void SavePngFile(TPngImage* image, const std::string& path) {
    rtl::TMemoryStream stream;
    WithCodec(path, "cannot be written", ecInternal, [&] { image->SaveToStream(&stream); });
    const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(stream.Memory()),
                                              static_cast<std::size_t>(stream.Size()));
    WriteWholeFile(path, {bytes});
}

} // namespace

void RunInfo(const TRdimgOptions& options, std::ostream& out) {
    const std::string& path = options.Files[0];
    rtl::TBytesStream stream(ReadWholeFile(path));
    TPngPtr image = LoadPngFile(stream, path);
    const skin::TChunkIHDR* header = image->Header();
    out << "file: " << path << '\n'
        << "size: " << header->Width() << " x " << header->Height() << '\n'
        << "colour type: " << int(header->ColorType()) << " (" << ColourTypeName(header->ColorType()) << ")\n"
        << "bit depth: " << int(header->BitDepth()) << '\n'
        << "interlace: " << int(header->InterlaceMethod())
        << (header->InterlaceMethod() ? " (Adam7)" : " (none)") << '\n';
    PrintFileChunks(stream.Bytes(), static_cast<std::size_t>(stream.Size()), out);
    PrintRdPng(image.get(), out);
}

void RunDecode(const TRdimgOptions& options) {
    const std::string& path = options.Files[0];
    rtl::TBytesStream stream(ReadWholeFile(path));
    TPngPtr image = LoadPngFile(stream, path);
    // Without image data the class gives a blank image; a tool must say so.
    if (!image->Chunks()->Find<skin::TChunkIDAT>())
        throw TRdimgError(ecBadInput, "'" + path + "' " + NotPng + ": it has no image data (IDAT chunk)");
    const std::vector<std::uint8_t> rgba =
        WithCodec(path, NotPng, ecBadInput, [&] { return skin::ConvertRgba8FromPngImage(image.get()); });
    const std::string pamHeader = PamHeader(image->Width(), image->Height(), pttRgbAlpha);
    WriteWholeFile(options.Files[1], {BytesOf(pamHeader), rgba});
}

void RunEncode(const TRdimgOptions& options) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(options.Files[0]);
    const TPamImage pam = ReadPam(bytes, options.Files[0]);
    TPngPtr image(new TPngImage);
    WithCodec(options.Files[0], "cannot be encoded", ecInternal, [&] { FillPngImage(image.get(), pam); });
    image->SetCompressionLevel(options.Level);
    image->SetFilters(options.Filters);
    image->SetInterlaceMethod(options.Interlace ? skin::imAdam7 : skin::imNone);
    SavePngFile(image.get(), options.Files[1]);
}

void RunCopy(const TRdimgOptions& options) {
    rtl::TBytesStream stream(ReadWholeFile(options.Files[0]));
    TPngPtr image = LoadPngFile(stream, options.Files[0]);
    SavePngFile(image.get(), options.Files[1]);
}

} // namespace rdimg
