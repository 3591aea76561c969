#include "skin/imaging/PngExceptions.h"

namespace skin {

RTL_IMPLEMENT_CLASS(EPNGOutMemory)
RTL_IMPLEMENT_CLASS(EPngError)
RTL_IMPLEMENT_CLASS(EPngInvalidCRC)
RTL_IMPLEMENT_CLASS(EPngInvalidIHDR)
RTL_IMPLEMENT_CLASS(EPNGMissingMultipleIDAT)
RTL_IMPLEMENT_CLASS(EPNGZLIBError)
RTL_IMPLEMENT_CLASS(EPNGInvalidFileHeader)
RTL_IMPLEMENT_CLASS(EPNGIHDRNotFirst)
RTL_IMPLEMENT_CLASS(EPNGSizeExceeds)
RTL_IMPLEMENT_CLASS(EPNGUnknownCriticalChunk)
RTL_IMPLEMENT_CLASS(EPNGUnknownCompression)
RTL_IMPLEMENT_CLASS(EPNGUnknownInterlace)
RTL_IMPLEMENT_CLASS(EPNGCouldNotLoadResource)
RTL_IMPLEMENT_CLASS(EPNGCannotChangeTransparent)
RTL_IMPLEMENT_CLASS(EPNGHeaderNotPresent)
RTL_IMPLEMENT_CLASS(EPNGInvalidNewSize)
RTL_IMPLEMENT_CLASS(EPNGInvalidSpec)

rtl::String PngErrorMessage(std::u16string_view text) {
    rtl::String message(PngVersion);
    message += u' ';
    message += text;
    return message;
}

} // namespace skin
