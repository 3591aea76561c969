#include "platform/rtl/Format.h"

#include "platform/rtl/Exception.h"
#include "platform/rtl/StringUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

namespace rtl {

namespace {

class TFormatter {
public:
    TFormatter(StringView format, std::span<const TVarRec> args) : FFormat(format), FArgs(args) {}

    String Run() {
        while (FPos < FFormat.size()) {
            char16_t c = FFormat[FPos++];
            if (c != u'%') {
                FOut.push_back(c);
                continue;
            }
            if (FPos < FFormat.size() && FFormat[FPos] == u'%') {
                FOut.push_back(u'%');
                ++FPos;
                continue;
            }
            Specifier();
        }
        return std::move(FOut);
    }

private:
    [[noreturn]] void Invalid() const {
        throw EConvertError(u"Format '" + String(FFormat) + u"' invalid or incompatible with argument");
    }

    const TVarRec& NextArg() {
        if (FArgIndex >= FArgs.size())
            throw EConvertError(u"No argument for format '" + String(FFormat) + u"'");
        return FArgs[FArgIndex++];
    }

    // Digits, or "*" for the next argument (an integer); nothing when neither.
    std::optional<std::int64_t> Number() {
        if (FPos < FFormat.size() && FFormat[FPos] == u'*') {
            ++FPos;
            const TVarRec& arg = NextArg();
            if (arg.Kind() != TVarRec::vtInteger && arg.Kind() != TVarRec::vtInt64)
                Invalid();
            return std::clamp<std::int64_t>(arg.AsInt64(), -kMaxWidth, kMaxWidth);
        }
        if (FPos >= FFormat.size() || FFormat[FPos] < u'0' || FFormat[FPos] > u'9')
            return std::nullopt;
        std::int64_t value = 0;
        while (FPos < FFormat.size() && FFormat[FPos] >= u'0' && FFormat[FPos] <= u'9') {
            value = value * 10 + (FFormat[FPos++] - u'0');
            // Absurd widths are refused instead of allocating for them.
            if (value > kMaxWidth)
                Invalid();
        }
        return value;
    }

    void Specifier() {
        FLeft = false;
        FWidth = 0;
        FPrecision = -1;
        std::optional<std::int64_t> first = Number();
        if (FPos < FFormat.size() && FFormat[FPos] == u':') {
            ++FPos;
            if (!first || *first < 0)
                Invalid();
            FArgIndex = static_cast<std::size_t>(*first);
            first = std::nullopt;
        }
        if (!first && FPos < FFormat.size() && FFormat[FPos] == u'-') {
            FLeft = true;
            ++FPos;
        }
        if (!first)
            first = Number();
        if (first) {
            // A negative "*" width justifies to the left, as in C.
            FLeft = FLeft || *first < 0;
            FWidth = *first < 0 ? -*first : *first;
        }
        if (FPos < FFormat.size() && FFormat[FPos] == u'.') {
            ++FPos;
            std::optional<std::int64_t> precision = Number();
            FPrecision = precision && *precision >= 0 ? *precision : -1;
        }
        Convert();
    }

    void Convert() {
        if (FPos >= FFormat.size())
            Invalid();
        char16_t type = FFormat[FPos++];
        if (type >= u'A' && type <= u'Z')
            type += 32;
        const TVarRec& arg = NextArg();
        String text;
        switch (type) {
        case u'd':
            text = Decimal(arg);
            break;
        case u'u':
            text = Digits(UnsignedBits(arg), 10);
            break;
        case u'x':
            text = Digits(UnsignedBits(arg), 16);
            break;
        case u's':
            text = Text(arg);
            break;
        case u'f':
            text = Fixed(arg);
            break;
        case u'p':
            if (arg.Kind() != TVarRec::vtPointer)
                Invalid();
            text = IntToHex(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(arg.AsPointer())),
                            static_cast<int>(sizeof(void*) * 2));
            break;
        default:
            Invalid();
        }
        Pad(text);
    }

    bool IsInteger(const TVarRec& arg) const {
        return arg.Kind() == TVarRec::vtInteger || arg.Kind() == TVarRec::vtInt64 ||
               arg.Kind() == TVarRec::vtUInt64;
    }

    // The argument's bits at its own width: a 32-bit -1 is FFFFFFFF.
    std::uint64_t UnsignedBits(const TVarRec& arg) const {
        if (!IsInteger(arg))
            Invalid();
        if (arg.Kind() == TVarRec::vtInteger)
            return static_cast<std::uint32_t>(arg.AsInt64());
        return arg.AsUInt64();
    }

    String Digits(std::uint64_t value, int base) const {
        String digits = base == 16 ? IntToHex(value, 1) : AsciiToString(std::to_string(value));
        if (FPrecision > static_cast<std::int64_t>(digits.size()))
            digits.insert(0, static_cast<std::size_t>(FPrecision) - digits.size(), u'0');
        return digits;
    }

    String Decimal(const TVarRec& arg) const {
        if (!IsInteger(arg))
            Invalid();
        if (arg.Kind() == TVarRec::vtUInt64)
            return Digits(arg.AsUInt64(), 10);
        std::int64_t value = arg.AsInt64();
        std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : value;
        String digits = Digits(magnitude, 10);
        return value < 0 ? u"-" + digits : digits;
    }

    String Text(const TVarRec& arg) const {
        String text;
        if (arg.Kind() == TVarRec::vtString)
            text = arg.AsString();
        else if (arg.Kind() == TVarRec::vtChar)
            text = String(1, arg.AsChar());
        else
            Invalid();
        if (FPrecision >= 0 && static_cast<std::size_t>(FPrecision) < text.size())
            text.resize(static_cast<std::size_t>(FPrecision));
        return text;
    }

    String Fixed(const TVarRec& arg) const {
        if (arg.Kind() != TVarRec::vtExtended)
            Invalid();
        double value = arg.AsFloat();
        if (!std::isfinite(value))
            return FloatToStr(value);
        int decimals = FPrecision < 0 ? 2 : static_cast<int>(std::min<std::int64_t>(FPrecision, 18));
        char buf[400];
        std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
        return AsciiToString(buf);
    }

    void Pad(const String& text) {
        const auto width = static_cast<std::size_t>(FWidth);
        std::size_t fill = width > text.size() ? width - text.size() : 0;
        if (!FLeft)
            FOut.append(fill, u' ');
        FOut += text;
        if (FLeft)
            FOut.append(fill, u' ');
    }

    static constexpr std::int64_t kMaxWidth = 1 << 20;

    StringView FFormat;
    std::span<const TVarRec> FArgs;
    String FOut;
    std::size_t FPos = 0;
    std::size_t FArgIndex = 0;
    bool FLeft = false;
    std::int64_t FWidth = 0;
    std::int64_t FPrecision = -1;
};

} // namespace

String Format(StringView format, std::span<const TVarRec> args) {
    return TFormatter(format, args).Run();
}

String Format(StringView format, std::initializer_list<TVarRec> args) {
    return Format(format, std::span<const TVarRec>(args.begin(), args.size()));
}

} // namespace rtl
