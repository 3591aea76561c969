#pragma once

// The exceptions of the imaging unit. Each derives directly from the
// platform's base exception; their messages carry the image class's version
// in front ("2.671 " + text), as PngRaiseError builds them.

#include "platform/rtl/Exception.h"

#include <string_view>

namespace skin {

using String = rtl::String; // the exception declarations spell it unqualified

RTL_EXCEPTION(EPNGOutMemory, rtl::Exception)
RTL_EXCEPTION(EPngError, rtl::Exception)
RTL_EXCEPTION(EPngInvalidCRC, rtl::Exception)
RTL_EXCEPTION(EPngInvalidIHDR, rtl::Exception)
RTL_EXCEPTION(EPNGMissingMultipleIDAT, rtl::Exception)
RTL_EXCEPTION(EPNGZLIBError, rtl::Exception)
RTL_EXCEPTION(EPNGInvalidFileHeader, rtl::Exception)
RTL_EXCEPTION(EPNGIHDRNotFirst, rtl::Exception)
RTL_EXCEPTION(EPNGSizeExceeds, rtl::Exception)
RTL_EXCEPTION(EPNGUnknownCriticalChunk, rtl::Exception)
RTL_EXCEPTION(EPNGUnknownCompression, rtl::Exception)
RTL_EXCEPTION(EPNGUnknownInterlace, rtl::Exception)
RTL_EXCEPTION(EPNGCouldNotLoadResource, rtl::Exception)
RTL_EXCEPTION(EPNGCannotChangeTransparent, rtl::Exception)
RTL_EXCEPTION(EPNGHeaderNotPresent, rtl::Exception)
RTL_EXCEPTION(EPNGInvalidNewSize, rtl::Exception)
RTL_EXCEPTION(EPNGInvalidSpec, rtl::Exception)

// The version every imaging message starts with.
inline constexpr std::u16string_view PngVersion = u"2.671";

// Version, one space, then the text.
[[nodiscard]] rtl::String PngErrorMessage(std::u16string_view text);

// Raises E with PngErrorMessage(text).
template <typename E>
[[noreturn]] void PngRaiseError(std::u16string_view text) {
    throw E(PngErrorMessage(text));
}

// The texts of the errors the pixel codec raises.
inline constexpr std::u16string_view PngTextInvalidCrc =
    u"This \"Portable Network Graphics\" image is not valid because it contains invalid pieces of data "
    u"(crc error)";
inline constexpr std::u16string_view PngTextMissingMultipleIdat =
    u"This \"Portable Network Graphics\" image is invalid because it has missing image parts.";
inline constexpr std::u16string_view PngTextZlibError =
    u"Could not decompress the image because it contains invalid compressed data.";
inline constexpr std::u16string_view PngTextInvalidIhdr =
    u"The \"Portable Network Graphics\" image could not be loaded because one of its main piece of data "
    u"(ihdr) might be corrupted";

} // namespace skin
