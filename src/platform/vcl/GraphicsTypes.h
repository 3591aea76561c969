#pragma once

// The value types of the class library's graphics: colours, rectangles,
// font, pen and brush styles, pixel and alpha formats, and the exceptions
// the graphic classes raise.

#include "platform/rtl/Exception.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/win/WinTypes.h"

#include <cstdint>

namespace vcl {

using rtl::String;
using rtl::StringView;

// A colour: $00BBGGRR, or a system colour $FF0000nn (nn = COLOR_* index).
// The high byte of other values is kept as it is; the skin library reads it.
using TColor = std::int32_t;

constexpr TColor TColorOf(std::uint32_t value) noexcept {
    return static_cast<TColor>(value);
}

inline constexpr TColor clSystemColor = TColorOf(0xFF000000);
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;

inline constexpr TColor clScrollBar = TColorOf(0xFF000000);
inline constexpr TColor clBackground = TColorOf(0xFF000001);
inline constexpr TColor clActiveCaption = TColorOf(0xFF000002);
inline constexpr TColor clInactiveCaption = TColorOf(0xFF000003);
inline constexpr TColor clMenu = TColorOf(0xFF000004);
inline constexpr TColor clWindow = TColorOf(0xFF000005);
inline constexpr TColor clWindowFrame = TColorOf(0xFF000006);
inline constexpr TColor clMenuText = TColorOf(0xFF000007);
inline constexpr TColor clWindowText = TColorOf(0xFF000008);
inline constexpr TColor clCaptionText = TColorOf(0xFF000009);
inline constexpr TColor clHighlight = TColorOf(0xFF00000D);
inline constexpr TColor clHighlightText = TColorOf(0xFF00000E);
inline constexpr TColor clBtnFace = TColorOf(0xFF00000F);
inline constexpr TColor clBtnShadow = TColorOf(0xFF000010);
inline constexpr TColor clGrayText = TColorOf(0xFF000011);
inline constexpr TColor clBtnText = TColorOf(0xFF000012);
inline constexpr TColor clBtnHighlight = TColorOf(0xFF000014);
inline constexpr TColor clInfoText = TColorOf(0xFF000017);
inline constexpr TColor clInfoBk = TColorOf(0xFF000018);

using TRect = win::RECT;
using TPoint = win::POINT;

constexpr TRect Rect(int left, int top, int right, int bottom) noexcept {
    return {left, top, right, bottom};
}
constexpr TRect Bounds(int left, int top, int width, int height) noexcept {
    return {left, top, left + width, top + height};
}
constexpr TPoint Point(int x, int y) noexcept {
    return {x, y};
}

// a x b / c rounded half away from zero, as kernel32's MulDiv; -1 when c is
// 0 or the result does not fit.
constexpr int MulDiv(int a, int b, int c) noexcept {
    if (c == 0)
        return -1;
    const std::int64_t product = std::int64_t{a} * b;
    const std::int64_t half = (c < 0 ? -std::int64_t{c} : c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude =
        ((product < 0 ? -product : product) + half) / (c < 0 ? -std::int64_t{c} : c);
    const std::int64_t result = negative ? -magnitude : magnitude;
    return result > INT32_MAX || result < INT32_MIN ? -1 : static_cast<int>(result);
}

RTL_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = rtl::TSet<TFontStyle>;
RTL_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed)
RTL_ENUM(TFontQuality, fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType,
         fqClearTypeNatural)
RTL_ENUM(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame, psUserStyle,
         psAlternate)
RTL_ENUM(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
         pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor)
RTL_ENUM(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
         bsDiagCross)
RTL_ENUM(TPixelFormat, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom)
RTL_ENUM(TAlphaFormat, afIgnored, afDefined, afPremultiplied)
RTL_ENUM(TTransparentMode, tmAuto, tmFixed)
RTL_ENUM(TBitmapHandleType, bmDIB, bmDDB)

// What a canvas has selected into its DC.
enum TCanvasState { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasStates = rtl::TSet<TCanvasState>;

using TFontCharset = std::uint8_t;

RTL_EXCEPTION(EInvalidGraphic, rtl::Exception)
RTL_EXCEPTION(EInvalidGraphicOperation, rtl::Exception)

} // namespace vcl
