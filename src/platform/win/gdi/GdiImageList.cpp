#include "platform/win/gdi/GdiImageList.h"

#include "platform/win/gdi/GdiHandleTable.h"

namespace win {

ListedHandle& ListedHandle::operator=(ListedHandle&& other) noexcept {
    if (this != &other) {
        Release();
        FHandle = std::exchange(other.FHandle, nullptr);
    }
    return *this;
}

HBITMAP ListedHandle::For(const std::shared_ptr<GdiBitmap>& bitmap) {
    if (!bitmap) {
        return nullptr;
    }
    auto& table = GdiHandleTable::Instance();
    if (!FHandle || table.Lookup(FHandle) != bitmap) {
        FHandle = table.Insert(bitmap);
    }
    return static_cast<HBITMAP>(FHandle);
}

void ListedHandle::Release() {
    if (FHandle) {
        // A handle the caller deleted is refused here, which is fine.
        GdiHandleTable::Instance().Remove(std::exchange(FHandle, nullptr));
    }
}

} // namespace win
