#pragma once

// The kernel object table shared by the object kinds of the kernel stand-in.

#include "platform/win/WinTypes.h"

#include <memory>

namespace win::detail {

class TKernelObject {
public:
    TKernelObject() = default;
    TKernelObject(const TKernelObject&) = delete;
    TKernelObject& operator=(const TKernelObject&) = delete;
    virtual ~TKernelObject() = default;
};

// nullptr with ERROR_NOT_ENOUGH_MEMORY when the table is full.
[[nodiscard]] HANDLE InsertKernelObject(std::shared_ptr<TKernelObject> object);

[[nodiscard]] std::shared_ptr<TKernelObject> GetKernelObject(HANDLE handle);

template <typename T>
[[nodiscard]] std::shared_ptr<T> GetKernelObjectOf(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(GetKernelObject(handle));
}

} // namespace win::detail
