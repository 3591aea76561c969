#pragma once

// An image list (comctl32): images of one size, each a 32-bit picture and,
// for lists made with ILC_MASK, a monochrome mask (1 = transparent). Masked
// pixels of a picture are kept black, so that drawing it with the mask ANDed
// and the picture XORed shows what lies beneath.

#include "platform/win/gdi/GdiBitmap.h"

#include <mutex>
#include <utility>
#include <vector>

namespace win {

// A handle for one of a list's bitmaps, made when ImageList_GetImageInfo
// first hands the bitmap out and removed from the handle table with the
// image, as comctl32's own bitmaps go with their list.
class ListedHandle {
public:
    ListedHandle() = default;
    ListedHandle(const ListedHandle&) = delete;
    ListedHandle& operator=(const ListedHandle&) = delete;
    ListedHandle(ListedHandle&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
    ListedHandle& operator=(ListedHandle&& other) noexcept;
    ~ListedHandle() { Release(); }

    // The handle of `bitmap` (made now when there is none, or when the
    // caller deleted the one it had); nullptr when the table is full.
    HBITMAP For(const std::shared_ptr<GdiBitmap>& bitmap);

private:
    void Release();

    HGDIOBJ FHandle = nullptr;
};

class GdiImageList : public GdiObject {
public:
    struct Image {
        std::shared_ptr<GdiBitmap> picture; // 32 bits, cx x cy
        std::shared_ptr<GdiBitmap> mask;    // 1 bit, cx x cy; null without ILC_MASK
        bool hasAlpha = false;
        ListedHandle pictureHandle;
        ListedHandle maskHandle;
    };

    // The largest number of images a list holds.
    static constexpr size_t MAX_IMAGES = 1 << 16;

    GdiImageList(LONG cx, LONG cy, UINT flags)
        : GdiObject(GdiKind::gkImageList), FCx(cx), FCy(cy), FFlags(flags) {}

    std::mutex& Mutex() { return FMutex; }
    LONG Cx() const { return FCx; }
    LONG Cy() const { return FCy; }
    bool Masked() const { return FFlags & ILC_MASK; }
    COLORREF BkColor() const { return FBkColor; }
    void SetBkColor(COLORREF color) { FBkColor = color; }
    std::vector<Image>& Images() { return FImages; }
    // Empties the list and gives it a new image size.
    void Reset(LONG cx, LONG cy) {
        FCx = cx;
        FCy = cy;
        FImages.clear();
    }

private:
    std::mutex FMutex;
    LONG FCx;
    LONG FCy;
    UINT FFlags;
    COLORREF FBkColor = CLR_NONE;
    std::vector<Image> FImages;
};

} // namespace win
