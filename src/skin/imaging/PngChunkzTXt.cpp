#include "skin/imaging/PngChunkzTXt.h"

#include "skin/imaging/PngImage.h"

#include <cstring>
#include <string>
#include <vector>
#include <zlib.h>

namespace skin {

RTL_IMPLEMENT_CLASS(TChunkzTXt)

namespace {

// Inflates into a buffer grown 256 bytes at a time; false on a zlib error or
// beyond the limit.
bool InflateText(const std::uint8_t* data, std::size_t size, std::string& text) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return false;
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = static_cast<uInt>(size);
    int ret = Z_OK;
    while (ret == Z_OK) {
        if (text.size() >= TChunkzTXt::MaxTextBytes) {
            ret = Z_MEM_ERROR;
            break;
        }
        const std::size_t used = text.size();
        text.resize(used + 256);
        zs.next_out = reinterpret_cast<Bytef*>(text.data() + used);
        zs.avail_out = 256;
        ret = inflate(&zs, Z_NO_FLUSH);
        text.resize(used + (256 - zs.avail_out));
        if (ret == Z_BUF_ERROR && zs.avail_in == 0)
            break; // the data ended without the stream's end: keep what came out
    }
    inflateEnd(&zs);
    return ret == Z_STREAM_END || ret == Z_BUF_ERROR;
}

std::vector<std::uint8_t> DeflateText(const std::string& text, int level) {
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::vector<std::uint8_t> out(size);
    if (compress2(out.data(), &size, reinterpret_cast<const Bytef*>(text.data()),
                  static_cast<uLong>(text.size()), level) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

} // namespace

bool TChunkzTXt::LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) {
    if (!TChunk::LoadFromStream(Stream, ChunkName, Size))
        return false;
    ParseData();
    fText.clear();
    const auto* zero = static_cast<const std::uint8_t*>(std::memchr(fData.data(), 0, fDataSize));
    if (fDataSize > 3 && zero) {
        const auto keywordLength = static_cast<std::size_t>(zero - fData.data());
        if (keywordLength + 1 < fDataSize && fData[keywordLength + 1] == 0) {
            std::string text;
            if (InflateText(fData.data() + keywordLength + 2, fDataSize - keywordLength - 2, text))
                fText = rtl::Utf8ToString(text);
        }
    }
    if (IsRdPng())
        ApplyRdPng();
    return true;
}

bool TChunkzTXt::SaveToStream(rtl::TStream* Stream) {
    UpdateRdPng();
    const std::string keyword = rtl::StringToUtf8(fKeyword);
    const std::vector<std::uint8_t> packed =
        DeflateText(fText.empty() ? std::string(" ") : rtl::StringToUtf8(fText), fOwner->CompressionLevel());
    ResizeData(static_cast<std::uint32_t>(keyword.size() + 2 + packed.size()));
    std::memcpy(fData.data(), keyword.data(), keyword.size());
    fData[keyword.size()] = 0;
    fData[keyword.size() + 1] = 0;
    std::memcpy(fData.data() + keyword.size() + 2, packed.data(), packed.size());
    return SaveData(Stream);
}

} // namespace skin
