#include "platform/rtl/StringStream.h"

#include <algorithm>

namespace rtl {

RTL_IMPLEMENT_CLASS(TStringStream)

TStringStream::TStringStream() : FEncoding(TEncoding::Default()) {}

TStringStream::TStringStream(const String& text, TEncoding* encoding)
    : TBytesStream((encoding ? encoding : TEncoding::Default())->GetBytes(text)),
      FEncoding(encoding ? encoding : TEncoding::Default()) {}

TStringStream::TStringStream(TBytes bytes)
    : TBytesStream(std::move(bytes)), FEncoding(TEncoding::Default()) {}

String TStringStream::DataString() const {
    return FEncoding->GetString(std::span(FBuffer.data(), static_cast<std::size_t>(CurrentSize())));
}

String TStringStream::ReadString(std::int64_t count) {
    const std::int64_t position = CurrentPosition();
    if (position < 0 || count <= 0 || position >= CurrentSize())
        return {};
    const std::int64_t n = std::min(count, CurrentSize() - position);
    String text = FEncoding->GetString(std::span(FBuffer.data() + position, static_cast<std::size_t>(n)));
    SetCurrentPosition(position + n);
    return text;
}

void TStringStream::WriteString(const String& text) {
    TBytes bytes = FEncoding->GetBytes(text);
    WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

} // namespace rtl
