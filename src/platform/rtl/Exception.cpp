#include "platform/rtl/Exception.h"

namespace rtl {

RTL_IMPLEMENT_CLASS(Exception)

Exception::Exception(String message) { SetMessage(std::move(message)); }

// TObject is not copyable (its monitor is per object): a copy gets a fresh one.
Exception::Exception(const Exception& other)
    : TObject(), std::exception(other), FMessage(other.FMessage), FMessageUtf8(other.FMessageUtf8) {}

Exception& Exception::operator=(const Exception& other) {
    FMessage = other.FMessage;
    FMessageUtf8 = other.FMessageUtf8;
    return *this;
}

void Exception::SetMessage(String message) {
    FMessage = std::move(message);
    FMessageUtf8 = StringToUtf8(FMessage);
}

RTL_IMPLEMENT_CLASS(EAbort)
RTL_IMPLEMENT_CLASS(EHeapException)
RTL_IMPLEMENT_CLASS(EOutOfMemory)
RTL_IMPLEMENT_CLASS(EInvalidPointer)
RTL_IMPLEMENT_CLASS(EInOutError)
RTL_IMPLEMENT_CLASS(EIntError)
RTL_IMPLEMENT_CLASS(EDivByZero)
RTL_IMPLEMENT_CLASS(ERangeError)
RTL_IMPLEMENT_CLASS(EIntOverflow)
RTL_IMPLEMENT_CLASS(EMathError)
RTL_IMPLEMENT_CLASS(EInvalidOp)
RTL_IMPLEMENT_CLASS(EZeroDivide)
RTL_IMPLEMENT_CLASS(EOverflow)
RTL_IMPLEMENT_CLASS(EUnderflow)
RTL_IMPLEMENT_CLASS(EInvalidCast)
RTL_IMPLEMENT_CLASS(EConvertError)
RTL_IMPLEMENT_CLASS(EAccessViolation)
RTL_IMPLEMENT_CLASS(EAssertionFailed)
RTL_IMPLEMENT_CLASS(EAbstractError)
RTL_IMPLEMENT_CLASS(EOSError)
RTL_IMPLEMENT_CLASS(ENotImplemented)
RTL_IMPLEMENT_CLASS(EArgumentException)
RTL_IMPLEMENT_CLASS(EArgumentOutOfRangeException)
RTL_IMPLEMENT_CLASS(EStreamError)
RTL_IMPLEMENT_CLASS(EFCreateError)
RTL_IMPLEMENT_CLASS(EFOpenError)
RTL_IMPLEMENT_CLASS(EFilerError)
RTL_IMPLEMENT_CLASS(EReadError)
RTL_IMPLEMENT_CLASS(EWriteError)
RTL_IMPLEMENT_CLASS(EClassNotFound)
RTL_IMPLEMENT_CLASS(EMethodNotFound)
RTL_IMPLEMENT_CLASS(EInvalidImage)
RTL_IMPLEMENT_CLASS(EResNotFound)
RTL_IMPLEMENT_CLASS(EListError)
RTL_IMPLEMENT_CLASS(EStringListError)
RTL_IMPLEMENT_CLASS(EParserError)
RTL_IMPLEMENT_CLASS(EComponentError)
RTL_IMPLEMENT_CLASS(EInvalidOperation)
RTL_IMPLEMENT_CLASS(EOutOfResources)
RTL_IMPLEMENT_CLASS(EThread)

} // namespace rtl
