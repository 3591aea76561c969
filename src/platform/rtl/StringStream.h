#pragma once

// A memory stream that holds text in an encoding (default: the system code
// page, UTF-8) and hands it back as a String.

#include "platform/rtl/BytesStream.h"
#include "platform/rtl/Encoding.h"

#include <cstdint>

namespace rtl {

class TStringStream : public TBytesStream {
    RTL_CLASS(TStringStream, TBytesStream)
public:
    TStringStream();
    // The encoding is borrowed (standard encodings are shared singletons); no
    // preamble is written.
    explicit TStringStream(const String& text, TEncoding* encoding = nullptr);
    explicit TStringStream(TBytes bytes);

    // The whole content decoded.
    [[nodiscard]] String DataString() const;
    [[nodiscard]] TEncoding* Encoding() const noexcept { return FEncoding; }

    // `count` bytes from the position, decoded; clamped to what is left.
    [[nodiscard]] String ReadString(std::int64_t count);
    // Encodes and writes at the position.
    void WriteString(const String& text);

private:
    TEncoding* FEncoding;
};

} // namespace rtl
