#include "platform/win/kernel/KernelObject.h"

#include "platform/win/WinError.h"
#include "platform/win/kernel/HandleTable.h"
#include "platform/win/kernel/KernelObject_p.h"
#include "platform/win/kernel/LastError.h"
#include "platform/win/kernel/Process.h"

namespace win {

namespace {

constexpr std::uint8_t kKernelObjectTag = 0x4B;

THandleTable<std::shared_ptr<detail::TKernelObject>>& Objects() {
    // Never destroyed: objects may be closed from static destructors of other units.
    static auto* table = new THandleTable<std::shared_ptr<detail::TKernelObject>>(kKernelObjectTag);
    return *table;
}

} // namespace

namespace detail {

HANDLE InsertKernelObject(std::shared_ptr<TKernelObject> object) {
    const std::uintptr_t handle = Objects().Insert(std::move(object));
    if (!handle)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return reinterpret_cast<HANDLE>(handle);
}

std::shared_ptr<TKernelObject> GetKernelObject(HANDLE handle) {
    return Objects().Get(reinterpret_cast<std::uintptr_t>(handle)).value_or(nullptr);
}

} // namespace detail

BOOL CloseHandle(HANDLE object) {
    if (object == GetCurrentProcess())
        return 1;
    // The object dies outside the table's lock: a mutex closes its lock file.
    auto removed = Objects().Remove(reinterpret_cast<std::uintptr_t>(object));
    if (!removed) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return 1;
}

} // namespace win
