#pragma once

// Text encodings for loading and saving text: UTF-8 and UTF-16 in both byte
// orders, each with its byte-order mark ("preamble"). Decoding never fails:
// invalid sequences, unpaired surrogates and a dangling odd byte become
// U+FFFD. The standard encodings are process-wide singletons that nobody
// frees.

#include "platform/rtl/Object.h"
#include "platform/rtl/String.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace rtl {

using TBytes = std::vector<std::uint8_t>;

class TEncoding : public TObject {
    RTL_CLASS(TEncoding, TObject)
public:
    [[nodiscard]] virtual TBytes GetPreamble() const = 0;
    [[nodiscard]] virtual TBytes GetBytes(StringView s) const = 0;
    [[nodiscard]] virtual String GetString(std::span<const std::uint8_t> bytes) const = 0;
    [[nodiscard]] virtual int CodePage() const noexcept = 0;
    [[nodiscard]] virtual String EncodingName() const = 0;

    // UTF-8 with preamble (code page 65001).
    static TEncoding* UTF8();
    // UTF-16 little-endian with preamble (1200).
    static TEncoding* Unicode();
    // UTF-16 big-endian with preamble (1201).
    static TEncoding* BigEndianUnicode();
    // The system code page: UTF-8 on this platform, without preamble.
    static TEncoding* Default();

    [[nodiscard]] static bool IsStandardEncoding(const TEncoding* encoding) noexcept;

    // Looks for a UTF-8 or UTF-16 byte-order mark at the start of buffer. When
    // one is found, `encoding` becomes that standard encoding and the mark's
    // length is returned; otherwise `encoding` becomes the given encoding, or
    // `defaultEncoding` when none was given, and 0 is returned.
    static std::size_t GetBufferEncoding(std::span<const std::uint8_t> buffer, TEncoding*& encoding,
                                         TEncoding* defaultEncoding = nullptr);

    // Standard encodings are shared; freeing them does nothing.
    void Free() override;
};

class TUTF8Encoding : public TEncoding {
    RTL_CLASS(TUTF8Encoding, TEncoding)
public:
    explicit TUTF8Encoding(bool emitPreamble = true) : FEmitPreamble(emitPreamble) {}

    [[nodiscard]] TBytes GetPreamble() const override;
    [[nodiscard]] TBytes GetBytes(StringView s) const override;
    [[nodiscard]] String GetString(std::span<const std::uint8_t> bytes) const override;
    [[nodiscard]] int CodePage() const noexcept override { return 65001; }
    [[nodiscard]] String EncodingName() const override;

private:
    bool FEmitPreamble;
};

class TUnicodeEncoding : public TEncoding {
    RTL_CLASS(TUnicodeEncoding, TEncoding)
public:
    explicit TUnicodeEncoding(bool bigEndian = false, bool emitPreamble = true)
        : FBigEndian(bigEndian), FEmitPreamble(emitPreamble) {}

    [[nodiscard]] TBytes GetPreamble() const override;
    [[nodiscard]] TBytes GetBytes(StringView s) const override;
    [[nodiscard]] String GetString(std::span<const std::uint8_t> bytes) const override;
    [[nodiscard]] int CodePage() const noexcept override { return FBigEndian ? 1201 : 1200; }
    [[nodiscard]] String EncodingName() const override;
    [[nodiscard]] bool BigEndian() const noexcept { return FBigEndian; }

private:
    bool FBigEndian;
    bool FEmitPreamble;
};

} // namespace rtl
