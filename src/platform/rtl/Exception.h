#pragma once

// The class library's exception hierarchy. Exceptions are objects of the
// object model (ClassName, InheritsFrom) and are thrown by value.

#include "platform/rtl/Object.h"

#include <exception>
#include <string>

namespace rtl {

class Exception : public TObject, public std::exception {
    RTL_CLASS(Exception, TObject)
public:
    explicit Exception(String message = {});
    Exception(const Exception& other);
    Exception& operator=(const Exception& other);

    [[nodiscard]] const String& Message() const noexcept { return FMessage; }
    void SetMessage(String message);
    [[nodiscard]] const char* what() const noexcept override { return FMessageUtf8.c_str(); }

private:
    String FMessage;
    std::string FMessageUtf8;
};

// Declares an exception class that adds nothing but its type.
#define RTL_EXCEPTION(ClassName, ParentName)                                                                 \
    class ClassName : public ParentName {                                                                    \
        RTL_CLASS(ClassName, ParentName)                                                                     \
    public:                                                                                                  \
        explicit ClassName(String message = {}) : ParentName(std::move(message)) {}                          \
    };

RTL_EXCEPTION(EAbort, Exception)
RTL_EXCEPTION(EHeapException, Exception)
RTL_EXCEPTION(EOutOfMemory, EHeapException)
RTL_EXCEPTION(EInvalidPointer, EHeapException)
RTL_EXCEPTION(EInOutError, Exception)
RTL_EXCEPTION(EIntError, Exception)
RTL_EXCEPTION(EDivByZero, EIntError)
RTL_EXCEPTION(ERangeError, EIntError)
RTL_EXCEPTION(EIntOverflow, EIntError)
RTL_EXCEPTION(EMathError, Exception)
RTL_EXCEPTION(EInvalidOp, EMathError)
RTL_EXCEPTION(EZeroDivide, EMathError)
RTL_EXCEPTION(EOverflow, EMathError)
RTL_EXCEPTION(EUnderflow, EMathError)
RTL_EXCEPTION(EInvalidCast, Exception)
RTL_EXCEPTION(EConvertError, Exception)
RTL_EXCEPTION(EAccessViolation, Exception)
RTL_EXCEPTION(EAssertionFailed, Exception)
RTL_EXCEPTION(EAbstractError, Exception)
RTL_EXCEPTION(EOSError, Exception)
RTL_EXCEPTION(ENotImplemented, Exception)
RTL_EXCEPTION(EArgumentException, Exception)
RTL_EXCEPTION(EArgumentOutOfRangeException, EArgumentException)
RTL_EXCEPTION(EStreamError, Exception)
RTL_EXCEPTION(EFCreateError, EStreamError)
RTL_EXCEPTION(EFOpenError, EStreamError)
RTL_EXCEPTION(EFilerError, EStreamError)
RTL_EXCEPTION(EReadError, EFilerError)
RTL_EXCEPTION(EWriteError, EFilerError)
RTL_EXCEPTION(EClassNotFound, EFilerError)
RTL_EXCEPTION(EMethodNotFound, EFilerError)
RTL_EXCEPTION(EInvalidImage, EFilerError)
RTL_EXCEPTION(EResNotFound, Exception)
RTL_EXCEPTION(EListError, Exception)
RTL_EXCEPTION(EStringListError, Exception)
RTL_EXCEPTION(EParserError, Exception)
RTL_EXCEPTION(EComponentError, Exception)
RTL_EXCEPTION(EInvalidOperation, Exception)
RTL_EXCEPTION(EOutOfResources, EOutOfMemory)
RTL_EXCEPTION(EThread, Exception)

} // namespace rtl
