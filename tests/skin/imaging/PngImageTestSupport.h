#pragma once

// Helpers of the PNG image tests: images held with their reference count,
// PNG streams built chunk by chunk, and a look at the chunks of saved bytes.

#include "PngTestSupport.h"
#include "platform/rtl/MemoryStream.h"
#include "platform/rtl/StringUtils.h"
#include "skin/imaging/PngChunk.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngList.h"
#include "skin/imaging/PngStrictMode.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace skin::pngtest {

using TBytes = std::vector<std::uint8_t>;

// Frees (drops one reference) instead of deleting.
struct TPngFree {
    void operator()(TPngImage* image) const { image->Free(); }
};
using TPngPtr = std::unique_ptr<TPngImage, TPngFree>;

inline TPngPtr NewPng() {
    return TPngPtr(new TPngImage);
}

inline void LoadInto(TPngImage* image, const TBytes& bytes) {
    rtl::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    stream.SetPosition(0);
    image->LoadFromStream(&stream);
}

inline TPngPtr LoadPng(const TBytes& bytes) {
    TPngPtr image = NewPng();
    LoadInto(image.get(), bytes);
    return image;
}

inline TBytes SavePng(TPngImage* image) {
    rtl::TMemoryStream stream;
    image->SaveToStream(&stream);
    const auto* p = static_cast<const std::uint8_t*>(stream.Memory());
    return TBytes(p, p + stream.Size());
}

// A PNG stream, chunk by chunk.
class TPngBuilder {
public:
    TPngBuilder() : FBytes{137, 80, 78, 71, 13, 10, 26, 10} {}

    TPngBuilder& Chunk(const char* type, const TBytes& data) {
        detail::PutBigEndian32(FBytes, static_cast<std::uint32_t>(data.size()));
        const std::size_t typeAt = FBytes.size();
        FBytes.insert(FBytes.end(), type, type + 4);
        FBytes.insert(FBytes.end(), data.begin(), data.end());
        detail::PutBigEndian32(FBytes, PngCrc32(0, &FBytes[typeAt], 4 + data.size()));
        return *this;
    }
    TPngBuilder& Ihdr(std::uint32_t w, std::uint32_t h, std::uint8_t depth, std::uint8_t colorType,
                      std::uint8_t interlace = 0) {
        TBytes d;
        detail::PutBigEndian32(d, w);
        detail::PutBigEndian32(d, h);
        d.insert(d.end(), {depth, colorType, 0, 0, interlace});
        return Chunk("IHDR", d);
    }
    // Raw filtered rows (each starting with its filter byte), deflated.
    TPngBuilder& Idat(const TBytes& rows) { return Chunk("IDAT", Deflate(rows)); }
    TPngBuilder& Iend() { return Chunk("IEND", {}); }
    // Damages the CRC of the last chunk.
    TPngBuilder& BreakLastCrc() {
        FBytes.back() ^= 0xFF;
        return *this;
    }
    [[nodiscard]] const TBytes& Bytes() const { return FBytes; }

private:
    TBytes FBytes;
};

struct TFileChunk {
    std::string Type;
    TBytes Data;
};

// The chunks of a PNG stream in order (a cut chunk ends the list).
inline std::vector<TFileChunk> ChunksOf(const TBytes& file) {
    std::vector<TFileChunk> chunks;
    for (std::size_t pos = 8; pos + 12 <= file.size();) {
        const std::uint32_t length = detail::BigEndian32(&file[pos]);
        if (pos + 12 + length > file.size())
            break;
        chunks.push_back({std::string(file.begin() + static_cast<std::ptrdiff_t>(pos + 4),
                                      file.begin() + static_cast<std::ptrdiff_t>(pos + 8)),
                          TBytes(file.begin() + static_cast<std::ptrdiff_t>(pos + 8),
                                 file.begin() + static_cast<std::ptrdiff_t>(pos + 8 + length))});
        pos += 12 + std::size_t{length};
    }
    return chunks;
}

inline std::string ChunkTypes(const TBytes& file) {
    std::string types;
    for (const TFileChunk& c : ChunksOf(file))
        types += (types.empty() ? "" : " ") + c.Type;
    return types;
}

inline const TFileChunk* FindFileChunk(const std::vector<TFileChunk>& chunks, const char* type) {
    for (const TFileChunk& c : chunks)
        if (c.Type == type)
            return &c;
    return nullptr;
}

// The raw bytes of every IDAT chunk (headers and CRCs included), in order.
inline TBytes IdatRun(const TBytes& file) {
    TBytes run;
    for (std::size_t pos = 8; pos + 12 <= file.size();) {
        const std::uint32_t length = detail::BigEndian32(&file[pos]);
        if (std::memcmp(&file[pos + 4], "IDAT", 4) == 0)
            run.insert(run.end(), file.begin() + static_cast<std::ptrdiff_t>(pos),
                       file.begin() + static_cast<std::ptrdiff_t>(std::min(file.size(), pos + 12 + length)));
        pos += 12 + std::size_t{length};
    }
    return run;
}

// The chunk types of an image's list, in order: "IHDR IDAT IEND".
inline std::string ChunkNames(const TPngImage* image) {
    std::string names;
    for (int i = 0; i < image->Chunks()->Count(); ++i)
        names += (names.empty() ? "" : " ") + rtl::StringToUtf8(image->Chunks()->GetItem(i)->Name());
    return names;
}

// The data of a text chunk: keyword, a zero byte, then the rest as given.
inline TBytes TextData(const std::string& keyword, const std::string& rest) {
    TBytes data(keyword.begin(), keyword.end());
    data.push_back(0);
    data.insert(data.end(), rest.begin(), rest.end());
    return data;
}

inline TBytes AsBytes(const std::string& text) {
    return TBytes(text.begin(), text.end());
}

// An 8-bit grey image of one row per entry of rows, each row filtered with None.
inline TBytes Grey8Png(const std::vector<TBytes>& rows) {
    TBytes raw;
    for (const TBytes& row : rows) {
        raw.push_back(0);
        raw.insert(raw.end(), row.begin(), row.end());
    }
    return TPngBuilder()
        .Ihdr(static_cast<std::uint32_t>(rows.front().size()), static_cast<std::uint32_t>(rows.size()), 8, 0)
        .Idat(raw)
        .Iend()
        .Bytes();
}

// A 2 x 1 RGB image: the smallest image the chunk tests build on.
inline TBytes SmallRgbPng() {
    return TPngBuilder().Ihdr(2, 1, 8, 2).Idat({0, 10, 20, 30, 40, 50, 60}).Iend().Bytes();
}

// Runs action and expects exception E whose message is "2.671 " + text.
template <typename E, typename F>
void ExpectPngError(F&& action, std::u16string_view text) {
    try {
        action();
        ADD_FAILURE() << "nothing raised, expected " << typeid(E).name();
    } catch (const E& e) {
        EXPECT_EQ(e.ClassType(), E::StaticClass()) << "a descendant was raised";
        EXPECT_EQ(rtl::StringToUtf8(e.Message()), "2.671 " + rtl::StringToUtf8(rtl::String(text)));
    } catch (const rtl::Exception& e) {
        ADD_FAILURE() << "raised " << e.ClassType()->Name << ": " << e.what();
    }
}

// The strict checks for the scope of one test.
class TStrictChecks {
public:
    TStrictChecks() { SetPngStrictChecks(true); }
    ~TStrictChecks() { SetPngStrictChecks(false); }
    TStrictChecks(const TStrictChecks&) = delete;
    TStrictChecks& operator=(const TStrictChecks&) = delete;
};

} // namespace skin::pngtest
