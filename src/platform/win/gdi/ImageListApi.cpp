// Image lists of comctl32. ImageList_DrawEx draws, by style:
//   - ILD_MASK: the mask only (copied); ILD_IMAGE: the picture only (copied);
//   - a picture with alpha: blended by its alpha;
//   - a masked list: pixels under mask bit 1 are not drawn at all (all four
//     bytes keep their values) with background CLR_NONE or ILD_TRANSPARENT;
//     with a background colour they take that colour;
//   - an unmasked list: the picture copied;
//   - ILD_BLEND25 / ILD_BLEND50 (focus, selected) then dither the drawn
//     pixels with the foreground colour (CLR_DEFAULT: the highlight colour).

#include "platform/win/gdi/Blt_p.h"
#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/GdiIcon.h"
#include "platform/win/gdi/GdiImageList.h"
#include "platform/win/gdi/Icon_p.h"
#include "platform/win/gdi/Paint_p.h"
#include "platform/win/gdi/Raster.h"

namespace win::direct {

using namespace gdi_p;

namespace {

std::shared_ptr<GdiImageList> LookupList(HIMAGELIST handle) {
    return Lookup<GdiImageList>(handle, GdiKind::gkImageList);
}

std::shared_ptr<GdiBitmap> NewPicture(LONG cx, LONG cy) {
    DWORD error;
    return GdiBitmap::Create(BitmapKind::bkDibSection, cx, cy, 32, true, nullptr, 0, error);
}

std::shared_ptr<GdiBitmap> NewMask(LONG cx, LONG cy) {
    DWORD error;
    return GdiBitmap::Create(BitmapKind::bkDibSection, cx, cy, 1, true, nullptr, 0, error);
}

// Copies cx x cy pixels at (sx, 0) of `source` into `target` (converted).
void CopyInto(const GdiBitmap& target, const GdiBitmap& source, LONG sx, const TranslateContext& context) {
    const DibView& dst = target.View();
    const DibView& src = source.View();
    const LONG w = std::min(dst.width, src.width - sx);
    const LONG h = std::min(dst.height, src.height);
    if (w <= 0 || h <= 0) {
        return;
    }
    const ColorTranslator translator(src, dst, context);
    raster::BltRect(dst, RECT{0, 0, w, h}, src, POINT{sx, 0}, translator, nullptr, 0xCC);
}

bool HasAlpha(const GdiBitmap& picture) {
    const DibView& v = picture.View();
    for (LONG y = 0; y < v.height; ++y) {
        for (LONG x = 0; x < v.width; ++x) {
            if (v.Row32(y)[x] >> 24) {
                return true;
            }
        }
    }
    return false;
}

// Makes masked picture pixels black, as drawing by AND and XOR needs.
void BlackenMasked(GdiImageList::Image& image) {
    if (!image.mask || image.hasAlpha) {
        return;
    }
    const DibView& p = image.picture->View();
    const DibView& m = image.mask->View();
    for (LONG y = 0; y < p.height; ++y) {
        for (LONG x = 0; x < p.width; ++x) {
            if (m.ops->GetPixel(m, x, y)) {
                p.Row32(y)[x] = 0;
            }
        }
    }
}

// Adds the images of a strip; -1 when nothing could be added.
int AddStrip(GdiImageList& list, const GdiBitmap& image, const GdiBitmap* mask, const COLORREF* maskColor) {
    const LONG count = image.Width() / list.Cx();
    if (count <= 0 || list.Images().size() + static_cast<size_t>(count) > GdiImageList::MAX_IMAGES) {
        return -1;
    }
    const int first = static_cast<int>(list.Images().size());
    // Monochrome device bitmaps in an image list are black (0) and white (1).
    const TranslateContext context{RGB(0, 0, 0), RGB(255, 255, 255), image.IsMonoDdb(), false};
    for (LONG i = 0; i < count; ++i) {
        GdiImageList::Image entry;
        entry.picture = NewPicture(list.Cx(), list.Cy());
        if (!entry.picture) {
            return -1;
        }
        CopyInto(*entry.picture, image, i * list.Cx(), context);
        entry.hasAlpha = image.BitsPerPixel() == 32 && HasAlpha(*entry.picture);
        if (list.Masked()) {
            entry.mask = NewMask(list.Cx(), list.Cy());
            if (!entry.mask) {
                return -1;
            }
            if (mask) {
                const TranslateContext maskContext{RGB(0, 0, 0), RGB(255, 255, 255), mask->IsMonoDdb(),
                                                   false};
                CopyInto(*entry.mask, *mask, i * list.Cx(), maskContext);
            } else if (maskColor) {
                const DibView& p = entry.picture->View();
                const DibView& m = entry.mask->View();
                const DWORD key = ColorToPixel(p, *maskColor & 0xFFFFFF);
                for (LONG y = 0; y < p.height; ++y) {
                    for (LONG x = 0; x < p.width; ++x) {
                        if ((p.Row32(y)[x] & 0xFFFFFF) == key) {
                            m.ops->MaskPixel(m, x, y, 0, 1);
                        }
                    }
                }
            }
            BlackenMasked(entry);
        }
        list.Images().push_back(std::move(entry));
    }
    return first;
}

BltSource SourceOfBitmap(const GdiBitmap& bitmap) {
    BltSource src;
    src.view = bitmap.View();
    src.isMonoDdb = bitmap.IsMonoDdb();
    src.bounds = src.view.Bounds();
    return src;
}

// Copies the picture where its mask is 0; elsewhere paints `background`
// when given and leaves the destination alone otherwise.
void MaskedCopy(DeviceContext& dc, LONG x, LONG y, LONG w, LONG h, const GdiImageList::Image& image,
                const COLORREF* background) {
    const DibView& dst = dc.Surface();
    const DibView& pv = image.picture->View();
    const DibView& mv = image.mask->View();
    const ColorTranslator toDst(pv, dst, dc.MakeTranslateContext(false));
    const DWORD bk =
        background ? dc.PixelOf(*background) & (dst.bitsPerPixel == 32 ? 0x00FFFFFFu : 0xFFFFFFFFu) : 0;
    std::vector<DWORD> picture;
    std::vector<DWORD> mask;
    std::vector<DWORD> target;
    for (const RECT& r : dc.TotalClip().ClipRects(RECT{x, y, x + w, y + h})) {
        const LONG n = r.right - r.left;
        picture.resize(static_cast<size_t>(n));
        mask.resize(static_cast<size_t>(n));
        target.resize(static_cast<size_t>(n));
        for (LONG row = r.top; row < r.bottom; ++row) {
            pv.ops->ReadRow(pv, r.left - x, row - y, n, picture.data());
            toDst.Translate(picture.data(), picture.data(), n);
            mv.ops->ReadRow(mv, r.left - x, row - y, n, mask.data());
            dst.ops->ReadRow(dst, r.left, row, n, target.data());
            for (LONG i = 0; i < n; ++i) {
                if (!mask[static_cast<size_t>(i)]) {
                    target[static_cast<size_t>(i)] = picture[static_cast<size_t>(i)];
                } else if (background) {
                    target[static_cast<size_t>(i)] = bk;
                }
            }
            dst.ops->WriteRow(dst, r.left, row, n, target.data());
        }
    }
}

void Dither(DeviceContext& dc, const GdiImageList::Image& image, LONG x, LONG y, LONG w, LONG h,
            COLORREF color, int every) {
    const DibView* mask = image.mask ? &image.mask->View() : nullptr;
    for (LONG j = 0; j < h; ++j) {
        for (LONG i = 0; i < w; ++i) {
            const bool drawn = !mask || !mask->ops->GetPixel(*mask, i, j);
            const bool dot = every == 2 ? ((i + j) % 2 == 0) : (i % 2 == 0 && j % 2 == 0);
            if (drawn && dot) {
                PaintRect(dc, RECT{x + i, y + j, x + i + 1, y + j + 1}, color);
            }
        }
    }
}

} // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
    (void)initial;
    (void)grow;
    if (cx <= 0 || cy <= 0 || cx > GdiBitmap::MAX_SIDE || cy > GdiBitmap::MAX_SIDE) {
        return Fail(ERROR_INVALID_PARAMETER, HIMAGELIST{});
    }
    return Register<HIMAGELIST>(std::make_shared<GdiImageList>(cx, cy, flags));
}

BOOL ImageList_Destroy(HIMAGELIST handle) {
    if (!LookupList(handle)) {
        return 0;
    }
    return GdiHandleTable::Instance().Remove(handle) ? 1 : 0;
}

int ImageList_Add(HIMAGELIST handle, HBITMAP imageHandle, HBITMAP maskHandle) {
    auto list = LookupList(handle);
    auto image = Lookup<GdiBitmap>(imageHandle, GdiKind::gkBitmap);
    std::shared_ptr<GdiBitmap> mask;
    if (maskHandle) {
        mask = Lookup<GdiBitmap>(maskHandle, GdiKind::gkBitmap);
    }
    if (!list || !image) {
        return -1;
    }
    std::lock_guard lock(list->Mutex());
    return AddStrip(*list, *image, mask.get(), nullptr);
}

int ImageList_AddMasked(HIMAGELIST handle, HBITMAP imageHandle, COLORREF maskColor) {
    auto list = LookupList(handle);
    auto image = Lookup<GdiBitmap>(imageHandle, GdiKind::gkBitmap);
    if (!list || !image) {
        return -1;
    }
    std::lock_guard lock(list->Mutex());
    return AddStrip(*list, *image, nullptr, &maskColor);
}

int ImageList_ReplaceIcon(HIMAGELIST handle, int index, HICON iconHandle) {
    auto list = LookupList(handle);
    auto icon = GdiHandleTable::Instance().LookupAs<GdiIcon>(iconHandle, GdiKind::gkIcon);
    if (!list || !icon) {
        return -1;
    }
    std::lock_guard lock(list->Mutex());
    auto& images = list->Images();
    if (index < -1 || (index >= 0 && static_cast<size_t>(index) >= images.size()) ||
        (index == -1 && images.size() >= GdiImageList::MAX_IMAGES)) {
        return -1;
    }
    // Render the icon's image and mask at the list's size through a memory DC.
    GdiImageList::Image entry;
    entry.picture = NewPicture(list->Cx(), list->Cy());
    entry.mask = list->Masked() ? NewMask(list->Cx(), list->Cy()) : nullptr;
    auto dc = DeviceContext::CreateMemory();
    if (!entry.picture || (list->Masked() && !entry.mask) || !dc) {
        return -1;
    }
    {
        std::lock_guard dcLock(dc->Mutex());
        dc->SelectBitmap(DcRef<GdiBitmap>(entry.picture));
        DrawIconOn(*dc, *icon, 0, 0, list->Cx(), list->Cy(), DI_IMAGE);
        if (entry.mask) {
            dc->SelectBitmap(DcRef<GdiBitmap>(entry.mask));
            DrawIconOn(*dc, *icon, 0, 0, list->Cx(), list->Cy(), DI_MASK);
        }
    }
    entry.hasAlpha = HasAlpha(*entry.picture);
    BlackenMasked(entry);
    if (index == -1) {
        images.push_back(std::move(entry));
        return static_cast<int>(images.size() - 1);
    }
    images[static_cast<size_t>(index)] = std::move(entry);
    return index;
}

BOOL ImageList_Remove(HIMAGELIST handle, int index) {
    auto list = LookupList(handle);
    if (!list) {
        return 0;
    }
    std::lock_guard lock(list->Mutex());
    auto& images = list->Images();
    if (index == -1) {
        images.clear();
        return 1;
    }
    if (index < 0 || static_cast<size_t>(index) >= images.size()) {
        return 0;
    }
    images.erase(images.begin() + index);
    return 1;
}

int ImageList_GetImageCount(HIMAGELIST handle) {
    auto list = LookupList(handle);
    if (!list) {
        return 0;
    }
    std::lock_guard lock(list->Mutex());
    return static_cast<int>(list->Images().size());
}

BOOL ImageList_GetIconSize(HIMAGELIST handle, int* cx, int* cy) {
    auto list = LookupList(handle);
    if (!list || !cx || !cy) {
        return 0;
    }
    std::lock_guard lock(list->Mutex());
    *cx = list->Cx();
    *cy = list->Cy();
    return 1;
}

BOOL ImageList_SetIconSize(HIMAGELIST handle, int cx, int cy) {
    auto list = LookupList(handle);
    if (!list || cx <= 0 || cy <= 0 || cx > GdiBitmap::MAX_SIDE || cy > GdiBitmap::MAX_SIDE) {
        return 0;
    }
    std::lock_guard lock(list->Mutex());
    list->Reset(cx, cy);
    return 1;
}

COLORREF ImageList_SetBkColor(HIMAGELIST handle, COLORREF color) {
    auto list = LookupList(handle);
    if (!list) {
        return CLR_NONE;
    }
    std::lock_guard lock(list->Mutex());
    const COLORREF previous = list->BkColor();
    list->SetBkColor(color);
    return previous;
}

COLORREF ImageList_GetBkColor(HIMAGELIST handle) {
    auto list = LookupList(handle);
    if (!list) {
        return CLR_NONE;
    }
    std::lock_guard lock(list->Mutex());
    return list->BkColor();
}

BOOL ImageList_GetImageInfo(HIMAGELIST handle, int index, IMAGEINFO* info) {
    auto list = LookupList(handle);
    if (!list || !info) {
        return 0;
    }
    std::lock_guard lock(list->Mutex());
    if (index < 0 || static_cast<size_t>(index) >= list->Images().size()) {
        return 0;
    }
    // Each image has bitmaps of its own: the list keeps them (the caller must
    // not delete them) and the image lies at their origin.
    GdiImageList::Image& image = list->Images()[static_cast<size_t>(index)];
    *info = IMAGEINFO{};
    info->hbmImage = image.pictureHandle.For(image.picture);
    info->hbmMask = image.maskHandle.For(image.mask);
    info->rcImage = RECT{0, 0, list->Cx(), list->Cy()};
    if (!info->hbmImage || (image.mask && !info->hbmMask)) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY, BOOL{0});
    }
    return 1;
}

HICON ImageList_GetIcon(HIMAGELIST handle, int index, UINT) {
    auto list = LookupList(handle);
    if (!list) {
        return nullptr;
    }
    std::lock_guard lock(list->Mutex());
    if (index < 0 || static_cast<size_t>(index) >= list->Images().size()) {
        return nullptr;
    }
    const GdiImageList::Image& image = list->Images()[static_cast<size_t>(index)];
    std::shared_ptr<GdiBitmap> mask = image.mask;
    if (!mask) {
        mask = NewMask(list->Cx(), list->Cy());
        if (!mask) {
            return nullptr;
        }
    }
    auto icon = MakeIcon(true, 0, 0, mask.get(), image.picture.get());
    return icon ? Register<HICON>(std::move(icon)) : nullptr;
}

BOOL ImageList_DrawEx(HIMAGELIST handle, int index, HDC dcHandle, int x, int y, int dx, int dy,
                      COLORREF background, COLORREF foreground, UINT style) {
    auto list = LookupList(handle);
    if (!list) {
        return 0;
    }
    std::lock_guard lock(list->Mutex());
    if (index < 0 || static_cast<size_t>(index) >= list->Images().size()) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    DcLock dc(dcHandle);
    if (!dc) {
        return 0;
    }
    const GdiImageList::Image& image = list->Images()[static_cast<size_t>(index)];
    const LONG w = (dx <= 0 || dx > list->Cx()) ? list->Cx() : dx;
    const LONG h = (dy <= 0 || dy > list->Cy()) ? list->Cy() : dy;
    const POINT p = dc->LogicalToSurface(x, y);
    DcState& state = dc->State();
    const COLORREF savedText = state.textColor;
    const COLORREF savedBk = state.bkColor;
    state.textColor = RGB(0, 0, 0);
    state.bkColor = RGB(255, 255, 255);
    const COLORREF bk = background == CLR_DEFAULT ? list->BkColor() : background;
    const bool transparent = (style & ILD_TRANSPARENT) || bk == CLR_NONE;
    if (style & ILD_MASK) {
        if (image.mask) {
            BltCore(*dc, p.x, p.y, w, h, SourceOfBitmap(*image.mask), 0, 0, 0xCC);
        }
    } else if ((style & ILD_IMAGE) || (!image.mask && !image.hasAlpha)) {
        BltCore(*dc, p.x, p.y, w, h, SourceOfBitmap(*image.picture), 0, 0, 0xCC);
    } else if (image.hasAlpha) {
        if (const auto premultiplied = Premultiplied(*image.picture)) {
            AlphaBlendCore(*dc, p.x, p.y, w, h, SourceOfBitmap(*premultiplied), 0, 0, w, h,
                           BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
        }
    } else {
        MaskedCopy(*dc, p.x, p.y, w, h, image, transparent ? nullptr : &bk);
    }
    if ((style & (ILD_BLEND25 | ILD_BLEND50)) && foreground != CLR_NONE && !(style & ILD_MASK)) {
        const COLORREF fg = foreground == CLR_DEFAULT ? Sys(COLOR_HIGHLIGHT) : foreground;
        Dither(*dc, image, p.x, p.y, w, h, fg, (style & ILD_BLEND50) ? 2 : 4);
    }
    state.textColor = savedText;
    state.bkColor = savedBk;
    return 1;
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) {
    return ImageList_DrawEx(list, index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

} // namespace win::direct
