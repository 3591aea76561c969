#pragma once

// The class library's Format: "%" [index ":"] ["-"] [width] ["." precision]
// type, with the types d (decimal), u (unsigned), x (hexadecimal, upper-case
// digits as the class library writes them), s (string or character), f
// (fixed, 2 decimals by default, '.' separator), p (pointer) and "%%". A "*"
// takes the width, precision or index from the next argument. Precision is
// the minimum number of digits for d, u and x, and the maximum length for s.
// A bad specifier or an argument of the wrong kind raises EConvertError
// "Format '%s' invalid or incompatible with argument"; a missing argument
// "No argument for format '%s'".

#include "platform/rtl/String.h"

#include <cstdint>
#include <initializer_list>
#include <span>

namespace rtl {

// One argument of Format ("array of const"). Strings are borrowed for the
// duration of the call.
class TVarRec {
public:
    enum TKind { vtInteger, vtInt64, vtUInt64, vtBoolean, vtChar, vtString, vtExtended, vtPointer };

    TVarRec(int value) noexcept : FKind(vtInteger), FInt(value) {}
    TVarRec(unsigned value) noexcept : FKind(vtInt64), FInt(value) {}
    TVarRec(long value) noexcept : FKind(vtInt64), FInt(value) {}
    TVarRec(long long value) noexcept : FKind(vtInt64), FInt(value) {}
    TVarRec(unsigned long value) noexcept : FKind(vtUInt64), FInt(static_cast<std::int64_t>(value)) {}
    TVarRec(unsigned long long value) noexcept : FKind(vtUInt64), FInt(static_cast<std::int64_t>(value)) {}
    TVarRec(bool value) noexcept : FKind(vtBoolean), FInt(value) {}
    TVarRec(char16_t value) noexcept : FKind(vtChar), FChar(value) {}
    TVarRec(double value) noexcept : FKind(vtExtended), FFloat(value) {}
    TVarRec(const char16_t* value) noexcept : FKind(vtString), FString(value ? value : u"") {}
    TVarRec(StringView value) noexcept : FKind(vtString), FString(value) {}
    TVarRec(const String& value) noexcept : FKind(vtString), FString(value) {}
    TVarRec(const void* value) noexcept : FKind(vtPointer), FPointer(value) {}
    // Narrow strings would print as pointers: refuse them.
    TVarRec(const char* value) = delete;

    [[nodiscard]] TKind Kind() const noexcept { return FKind; }
    [[nodiscard]] std::int64_t AsInt64() const noexcept { return FInt; }
    [[nodiscard]] std::uint64_t AsUInt64() const noexcept { return static_cast<std::uint64_t>(FInt); }
    [[nodiscard]] char16_t AsChar() const noexcept { return FChar; }
    [[nodiscard]] double AsFloat() const noexcept { return FFloat; }
    [[nodiscard]] StringView AsString() const noexcept { return FString; }
    [[nodiscard]] const void* AsPointer() const noexcept { return FPointer; }

private:
    TKind FKind;
    std::int64_t FInt = 0;
    char16_t FChar = 0;
    double FFloat = 0;
    const void* FPointer = nullptr;
    StringView FString;
};

[[nodiscard]] String Format(StringView format, std::span<const TVarRec> args);
[[nodiscard]] String Format(StringView format, std::initializer_list<TVarRec> args);

template <typename... Args>
[[nodiscard]] String Format(StringView format, const Args&... args) {
    if constexpr (sizeof...(Args) == 0) {
        return Format(format, std::span<const TVarRec>());
    } else {
        const TVarRec records[] = {TVarRec(args)...};
        return Format(format, std::span<const TVarRec>(records));
    }
}

} // namespace rtl
