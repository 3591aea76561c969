// Exports of gdi32 for objects: stock objects, selection, deletion, object
// descriptions, pens, brushes, fonts and palettes; and the system colours of
// user32.

#include "platform/win/gdi/DibFormat_p.h"
#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/GdiRegion.h"
#include "platform/win/gdi/GdiStock.h"
#include "platform/win/gdi/SysColors.h"

#include <cstring>

namespace win::direct {

using namespace gdi_p;

HGDIOBJ GetStockObject(int index) {
    return GdiStock::Instance().Handle(index);
}

namespace {

template <typename T>
HGDIOBJ Swap(DcRef<T>& slot, std::shared_ptr<GdiObject> object) {
    HGDIOBJ previous = slot->Handle();
    slot = DcRef<T>(std::static_pointer_cast<T>(std::move(object)));
    return previous;
}

HGDIOBJ SelectBitmap(DeviceContext& dc, std::shared_ptr<GdiObject> object) {
    auto bitmap = std::static_pointer_cast<GdiBitmap>(std::move(object));
    if (!dc.IsMemoryDC()) {
        return Fail(ERROR_INVALID_PARAMETER, HGDIOBJ{});
    }
    if (dc.State().bitmap.Get() == bitmap.get()) {
        return bitmap->Handle();
    }
    // A bitmap lives in one DC at a time; only the stock bitmap is shared.
    if (bitmap->HasDcReferences() && !bitmap->IsStock()) {
        return Fail(ERROR_INVALID_PARAMETER, HGDIOBJ{});
    }
    HGDIOBJ previous = dc.State().bitmap->Handle();
    dc.SelectBitmap(DcRef<GdiBitmap>(std::move(bitmap)));
    return previous;
}

} // namespace

HGDIOBJ SelectObject(HDC dcHandle, HGDIOBJ handle) {
    auto object = GdiHandleTable::Instance().Lookup(handle);
    DcLock dc(dcHandle);
    if (!dc || !object) {
        return Fail(ERROR_INVALID_HANDLE, HGDIOBJ{});
    }
    DcState& state = dc->State();
    switch (object->Kind()) {
    case GdiKind::gkPen:
    case GdiKind::gkExtPen:
        return Swap(state.pen, std::move(object));
    case GdiKind::gkBrush:
        return Swap(state.brush, std::move(object));
    case GdiKind::gkFont:
        return Swap(state.font, std::move(object));
    case GdiKind::gkBitmap:
        return SelectBitmap(*dc, std::move(object));
    case GdiKind::gkRegion: {
        // Selecting a region selects a copy of it as the clip region and
        // answers the region's complexity.
        Region copy = std::static_pointer_cast<GdiRegion>(object)->Get();
        dc->SetClip(copy);
        return reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(dc->TotalClip().Complexity()));
    }
    default:
        return Fail(ERROR_INVALID_PARAMETER, HGDIOBJ{});
    }
}

BOOL DeleteObject(HGDIOBJ handle) {
    auto object = GdiHandleTable::Instance().Lookup(handle);
    if (!object) {
        return Fail(ERROR_INVALID_HANDLE, BOOL{0});
    }
    switch (object->Kind()) {
    case GdiKind::gkDC:
    case GdiKind::gkIcon:
    case GdiKind::gkImageList:
        return Fail(ERROR_INVALID_HANDLE, BOOL{0});
    default:
        break;
    }
    object->RequestDelete();
    return 1;
}

namespace {

int CopyOut(const void* data, int needed, int size, LPVOID buffer) {
    if (!buffer) {
        return needed;
    }
    if (size <= 0) {
        return 0;
    }
    const int n = size < needed ? size : needed;
    std::memcpy(buffer, data, static_cast<size_t>(n));
    return n;
}

int DescribePen(const GdiPen& pen, int size, LPVOID buffer) {
    if (pen.Kind() == GdiKind::gkPen) {
        LOGPEN lp{};
        lp.lopnStyle = pen.Style();
        lp.lopnWidth.x = static_cast<LONG>(pen.Width());
        lp.lopnColor = pen.Color();
        return CopyOut(&lp, sizeof(lp), size, buffer);
    }
    const auto& entries = pen.UserStyle();
    const int needed = static_cast<int>(offsetof(EXTLOGPEN, elpStyleEntry) + entries.size() * sizeof(DWORD));
    std::vector<std::uint8_t> bytes(static_cast<size_t>(std::max<int>(needed, sizeof(EXTLOGPEN))));
    auto* ep = reinterpret_cast<EXTLOGPEN*>(bytes.data());
    ep->elpPenStyle = pen.FullStyle();
    ep->elpWidth = pen.Width();
    ep->elpBrushStyle = BS_SOLID;
    ep->elpColor = pen.Color();
    ep->elpNumEntries = static_cast<DWORD>(entries.size());
    std::memcpy(bytes.data() + offsetof(EXTLOGPEN, elpStyleEntry), entries.data(),
                entries.size() * sizeof(DWORD));
    return CopyOut(bytes.data(), needed, size, buffer);
}

} // namespace

int GetObjectW(HANDLE handle, int size, LPVOID buffer) {
    auto object = GdiHandleTable::Instance().Lookup(handle);
    if (!object) {
        return Fail(ERROR_INVALID_HANDLE, 0);
    }
    switch (object->Kind()) {
    case GdiKind::gkPen:
    case GdiKind::gkExtPen:
        return DescribePen(static_cast<const GdiPen&>(*object), size, buffer);
    case GdiKind::gkBrush: {
        const LOGBRUSH lb = static_cast<const GdiBrush&>(*object).LogBrush();
        return CopyOut(&lb, sizeof(lb), size, buffer);
    }
    case GdiKind::gkFont:
        return CopyOut(&static_cast<const GdiFont&>(*object).LogFont(), sizeof(LOGFONTW), size, buffer);
    case GdiKind::gkPalette: {
        const WORD count = static_cast<WORD>(static_cast<const GdiPalette&>(*object).Entries().size());
        return CopyOut(&count, sizeof(count), size, buffer);
    }
    case GdiKind::gkBitmap: {
        const auto& bitmap = static_cast<const GdiBitmap&>(*object);
        if (bitmap.IsDibSection() && (!buffer || size >= static_cast<int>(sizeof(DIBSECTION)))) {
            DIBSECTION ds;
            bitmap.FillDibSection(ds);
            return CopyOut(&ds, sizeof(ds), size, buffer);
        }
        if (buffer && size < static_cast<int>(sizeof(BITMAP))) {
            return 0;
        }
        BITMAP bm;
        bitmap.FillBitmapInfo(bm);
        return CopyOut(&bm, sizeof(bm), size, buffer);
    }
    default:
        return 0;
    }
}

DWORD GetObjectType(HGDIOBJ handle) {
    auto object = GdiHandleTable::Instance().Lookup(handle);
    if (!object) {
        return Fail(ERROR_INVALID_HANDLE, DWORD{0});
    }
    switch (object->Kind()) {
    case GdiKind::gkPen:
        return OBJ_PEN;
    case GdiKind::gkExtPen:
        return OBJ_EXTPEN;
    case GdiKind::gkBrush:
        return OBJ_BRUSH;
    case GdiKind::gkFont:
        return OBJ_FONT;
    case GdiKind::gkPalette:
        return OBJ_PAL;
    case GdiKind::gkBitmap:
        return OBJ_BITMAP;
    case GdiKind::gkRegion:
        return OBJ_REGION;
    case GdiKind::gkDC:
        return static_cast<const DeviceContext&>(*object).IsMemoryDC() ? OBJ_MEMDC : OBJ_DC;
    default:
        return Fail(ERROR_INVALID_HANDLE, DWORD{0});
    }
}

HGDIOBJ GetCurrentObject(HDC dcHandle, UINT type) {
    DcLock dc(dcHandle);
    if (!dc) {
        return nullptr;
    }
    const DcState& state = dc->State();
    switch (type) {
    case OBJ_PEN:
    case OBJ_EXTPEN:
        return state.pen->Handle();
    case OBJ_BRUSH:
        return state.brush->Handle();
    case OBJ_FONT:
        return state.font->Handle();
    case OBJ_PAL:
        return state.palette->Handle();
    case OBJ_BITMAP:
        return state.bitmap ? state.bitmap->Handle() : GdiStock::Instance().DefaultBitmapHandle();
    default:
        return Fail(ERROR_INVALID_PARAMETER, HGDIOBJ{});
    }
}

BOOL UnrealizeObject(HGDIOBJ handle) {
    // Brushes are realised per call, so there is nothing to reset.
    return GdiHandleTable::Instance().Lookup(handle) ? 1 : Fail(ERROR_INVALID_HANDLE, BOOL{0});
}

// --- pens

HPEN CreatePen(int style, int width, COLORREF color) {
    if (style < static_cast<int>(PS_SOLID) || style > static_cast<int>(PS_INSIDEFRAME)) {
        return Fail(ERROR_INVALID_PARAMETER, HPEN{});
    }
    DWORD w = static_cast<DWORD>(width < 0 ? -static_cast<LONGLONG>(width) : width);
    w = std::min<DWORD>(w, static_cast<DWORD>(GDI_COORD_MAX));
    DWORD s = static_cast<DWORD>(style);
    // Wide pens cannot be dashed: they draw solid.
    if (w > 1 && s >= PS_DASH && s <= PS_DASHDOTDOT) {
        s = PS_SOLID;
    }
    return Register<HPEN>(std::make_shared<GdiPen>(false, s, w, color & 0xFFFFFF));
}

HPEN CreatePenIndirect(const LOGPEN* logPen) {
    if (!logPen) {
        return Fail(ERROR_INVALID_PARAMETER, HPEN{});
    }
    return CreatePen(static_cast<int>(logPen->lopnStyle), logPen->lopnWidth.x, logPen->lopnColor);
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles) {
    const DWORD kind = style & PS_STYLE_MASK;
    const bool geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
    if (!brush || kind > PS_ALTERNATE || (style & PS_TYPE_MASK) > PS_GEOMETRIC) {
        return Fail(ERROR_INVALID_PARAMETER, HPEN{});
    }
    if (!geometric && (width != 1 || brush->lbStyle != BS_SOLID || kind == PS_INSIDEFRAME)) {
        return Fail(ERROR_INVALID_PARAMETER, HPEN{});
    }
    if (geometric && kind == PS_ALTERNATE) {
        return Fail(ERROR_INVALID_PARAMETER, HPEN{});
    }
    std::vector<DWORD> entries;
    if (kind == PS_USERSTYLE) {
        if (!styles || styleCount == 0 || styleCount > 16) {
            return Fail(ERROR_INVALID_PARAMETER, HPEN{});
        }
        entries.assign(styles, styles + styleCount);
    } else if (styleCount != 0 || styles) {
        return Fail(ERROR_INVALID_PARAMETER, HPEN{});
    }
    const COLORREF color = brush->lbStyle == BS_NULL ? 0 : brush->lbColor & 0xFFFFFF;
    const DWORD effectiveStyle = brush->lbStyle == BS_NULL ? (style & ~PS_STYLE_MASK) | PS_NULL : style;
    width = std::min<DWORD>(width, static_cast<DWORD>(GDI_COORD_MAX));
    return Register<HPEN>(std::make_shared<GdiPen>(true, effectiveStyle, width, color, std::move(entries)));
}

// --- brushes

HBRUSH CreateSolidBrush(COLORREF color) {
    return Register<HBRUSH>(GdiBrush::Solid(color));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) {
        return Fail(ERROR_INVALID_PARAMETER, HBRUSH{});
    }
    return Register<HBRUSH>(GdiBrush::Hatch(hatch, color));
}

HBRUSH CreatePatternBrush(HBITMAP bitmapHandle) {
    auto bitmap = Lookup<GdiBitmap>(bitmapHandle, GdiKind::gkBitmap);
    if (!bitmap) {
        return nullptr;
    }
    // A brush is realised per call: its pattern is kept to a sane size.
    if (LONGLONG{bitmap->Width()} * bitmap->Height() > MAX_PATTERN_PIXELS) {
        return Fail(ERROR_INVALID_PARAMETER, HBRUSH{});
    }
    auto copy = bitmap->Copy();
    if (!copy) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY, HBRUSH{});
    }
    return Register<HBRUSH>(GdiBrush::Pattern(std::move(copy), false));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
    if (!lb) {
        return Fail(ERROR_INVALID_PARAMETER, HBRUSH{});
    }
    switch (lb->lbStyle) {
    case BS_SOLID:
        return CreateSolidBrush(lb->lbColor);
    case BS_NULL:
        return Register<HBRUSH>(GdiBrush::Null());
    case BS_HATCHED:
        return CreateHatchBrush(static_cast<int>(lb->lbHatch), lb->lbColor);
    case BS_PATTERN:
    case BS_PATTERN8X8:
        return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    case BS_DIBPATTERNPT:
        return CreateDIBPatternBrushPt(reinterpret_cast<const void*>(lb->lbHatch), lb->lbColor & 0xFFFF);
    default:
        return Fail(ERROR_INVALID_PARAMETER, HBRUSH{});
    }
}

// --- fonts

HFONT CreateFontIndirectW(const LOGFONTW* logFont) {
    if (!logFont) {
        return Fail(ERROR_INVALID_PARAMETER, HFONT{});
    }
    LOGFONTW copy = *logFont;
    copy.lfFaceName[LF_FACESIZE - 1] = 0;
    return Register<HFONT>(std::make_shared<GdiFont>(copy));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    for (int i = 0; faceName && i < LF_FACESIZE - 1 && faceName[i]; ++i) {
        lf.lfFaceName[i] = faceName[i];
    }
    return CreateFontIndirectW(&lf);
}

// --- palettes

HPALETTE CreatePalette(const LOGPALETTE* logPalette) {
    if (!logPalette || logPalette->palNumEntries == 0 || logPalette->palVersion != 0x300) {
        return Fail(ERROR_INVALID_PARAMETER, HPALETTE{});
    }
    std::vector<PALETTEENTRY> entries(logPalette->palPalEntry,
                                      logPalette->palPalEntry + logPalette->palNumEntries);
    return Register<HPALETTE>(std::make_shared<GdiPalette>(std::move(entries)));
}

HPALETTE SelectPalette(HDC dcHandle, HPALETTE paletteHandle, BOOL) {
    auto palette = Lookup<GdiPalette>(paletteHandle, GdiKind::gkPalette);
    DcLock dc(dcHandle);
    if (!dc || !palette) {
        return nullptr;
    }
    return static_cast<HPALETTE>(Swap(dc->State().palette, std::move(palette)));
}

UINT RealizePalette(HDC dcHandle) {
    DcLock dc(dcHandle);
    // A true-colour device maps nothing.
    return dc ? 0 : GDI_ERROR;
}

UINT GetNearestPaletteIndex(HPALETTE paletteHandle, COLORREF color) {
    auto palette = Lookup<GdiPalette>(paletteHandle, GdiKind::gkPalette);
    if (!palette) {
        return CLR_INVALID;
    }
    return palette->NearestIndex(color & 0xFFFFFF);
}

UINT GetPaletteEntries(HPALETTE paletteHandle, UINT start, UINT count, PALETTEENTRY* entries) {
    auto palette = Lookup<GdiPalette>(paletteHandle, GdiKind::gkPalette);
    if (!palette) {
        return 0;
    }
    const auto& all = palette->Entries();
    if (!entries) {
        return static_cast<UINT>(all.size());
    }
    UINT copied = 0;
    for (; copied < count && start + copied < all.size(); ++copied) {
        entries[copied] = all[start + copied];
    }
    return copied;
}

UINT SetPaletteEntries(HPALETTE paletteHandle, UINT start, UINT count, const PALETTEENTRY* entries) {
    auto palette = Lookup<GdiPalette>(paletteHandle, GdiKind::gkPalette);
    if (!palette || !entries || palette->IsStock()) {
        return 0;
    }
    auto& all = palette->MutableEntries();
    UINT copied = 0;
    for (; copied < count && start + copied < all.size(); ++copied) {
        all[start + copied] = entries[copied];
    }
    return copied;
}

BOOL ResizePalette(HPALETTE paletteHandle, UINT entries) {
    auto palette = Lookup<GdiPalette>(paletteHandle, GdiKind::gkPalette);
    if (!palette || palette->IsStock() || entries == 0 || entries > 1024) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    // New entries are black.
    palette->MutableEntries().resize(entries, PALETTEENTRY{0, 0, 0, 0});
    return 1;
}

HPALETTE CreateHalftonePalette(HDC) {
    // The static colours around a colour cube and a grey ramp, 256 entries.
    std::vector<PALETTEENTRY> entries;
    for (const RGBQUAD& q : DefaultColorTable(8)) {
        entries.push_back(PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
    }
    return Register<HPALETTE>(std::make_shared<GdiPalette>(std::move(entries)));
}

COLORREF GetNearestColor(HDC dcHandle, COLORREF color) {
    DcLock dc(dcHandle);
    if (!dc) {
        return CLR_INVALID;
    }
    return PixelToColor(dc->Surface(), dc->PixelOf(color & 0xFFFFFF));
}

// --- user32 system colours

DWORD GetSysColor(int index) {
    return SysColorValue(index);
}

HBRUSH GetSysColorBrush(int index) {
    return GdiStock::Instance().SysColorBrush(index);
}

} // namespace win::direct
