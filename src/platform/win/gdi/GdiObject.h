#pragma once

// Base of everything a GDI handle names: pens, brushes, fonts, palettes,
// bitmaps, regions and device contexts, plus the user32/comctl32 objects the
// drawing functions take (icons, image lists), which share the handle table.
//
// Deletion follows GDI: deleting an object that a DC still holds (selected,
// or kept in a saved DC state) succeeds, but the object lives on until the
// last DC lets go of it; stock objects are never deleted.

#include "platform/win/gdi/GdiTypes.h"

#include <atomic>
#include <memory>

namespace win {

enum class GdiKind : std::uint8_t {
    gkPen,
    gkExtPen,
    gkBrush,
    gkFont,
    gkPalette,
    gkBitmap,
    gkRegion,
    gkDC,
    gkIcon,
    gkImageList
};

class GdiObject : public std::enable_shared_from_this<GdiObject> {
public:
    explicit GdiObject(GdiKind kind) : FKind(kind) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    virtual ~GdiObject() = default;

    GdiKind Kind() const { return FKind; }
    HGDIOBJ Handle() const { return FHandle; }
    bool IsStock() const { return FStock; }

    // Called by the handle table.
    void SetHandle(HGDIOBJ handle) { FHandle = handle; }
    void MarkStock() { FStock = true; }

    // DC references: selections and saved DC states.
    void AddDcReference() { FDcReferences.fetch_add(1, std::memory_order_relaxed); }
    void ReleaseDcReference();
    bool HasDcReferences() const { return FDcReferences.load(std::memory_order_acquire) > 0; }
    // Deletes the handle now, or when the last DC reference goes.
    void RequestDelete();

private:
    GdiKind FKind;
    bool FStock = false;
    HGDIOBJ FHandle = nullptr;
    std::atomic<int> FDcReferences{0};
    std::atomic<bool> FDeletePending{false};
};

// A reference from a DC (or a saved DC state) to an object it holds.
template <typename T>
class DcRef {
public:
    DcRef() = default;
    explicit DcRef(std::shared_ptr<T> object) : FObject(std::move(object)) { Acquire(); }
    DcRef(const DcRef& other) : FObject(other.FObject) { Acquire(); }
    DcRef(DcRef&& other) noexcept : FObject(std::move(other.FObject)) {}
    DcRef& operator=(const DcRef& other) {
        if (this != &other) {
            Release();
            FObject = other.FObject;
            Acquire();
        }
        return *this;
    }
    DcRef& operator=(DcRef&& other) noexcept {
        if (this != &other) {
            Release();
            FObject = std::move(other.FObject);
        }
        return *this;
    }
    ~DcRef() { Release(); }

    T* operator->() const { return FObject.get(); }
    T& operator*() const { return *FObject; }
    T* Get() const { return FObject.get(); }
    const std::shared_ptr<T>& Shared() const { return FObject; }
    explicit operator bool() const { return FObject != nullptr; }

private:
    void Acquire() {
        if (FObject) {
            FObject->AddDcReference();
        }
    }
    void Release() {
        if (FObject) {
            auto object = std::move(FObject);
            object->ReleaseDcReference();
        }
    }

    std::shared_ptr<T> FObject;
};

} // namespace win
