#pragma once

// The drawing functions as program code calls them: through the program
// module's import table (ImportTable.h), one named entry per function, so
// that the redirection services can replace and restore them. win::BitBlt
// calls whatever the "gdi32.dll" entry "BitBlt" holds; win::direct::BitBlt
// is the export itself, which the engine and the replacements use.

#include "platform/win/gdi/GdiExports.h"
#include "platform/win/gdi/ImportTable.h"

// X(function, dll) for every imported drawing function.
#define WIN_GDI_IMPORTS(X)                                                                                   \
    X(GetStockObject, "gdi32.dll")                                                                           \
    X(SelectObject, "gdi32.dll")                                                                             \
    X(DeleteObject, "gdi32.dll")                                                                             \
    X(GetObjectW, "gdi32.dll")                                                                               \
    X(GetObjectType, "gdi32.dll")                                                                            \
    X(GetCurrentObject, "gdi32.dll")                                                                         \
    X(UnrealizeObject, "gdi32.dll")                                                                          \
    X(CreatePen, "gdi32.dll")                                                                                \
    X(CreatePenIndirect, "gdi32.dll")                                                                        \
    X(ExtCreatePen, "gdi32.dll")                                                                             \
    X(CreateSolidBrush, "gdi32.dll")                                                                         \
    X(CreateHatchBrush, "gdi32.dll")                                                                         \
    X(CreatePatternBrush, "gdi32.dll")                                                                       \
    X(CreateBrushIndirect, "gdi32.dll")                                                                      \
    X(CreateDIBPatternBrushPt, "gdi32.dll")                                                                  \
    X(CreateFontIndirectW, "gdi32.dll")                                                                      \
    X(CreateFontW, "gdi32.dll")                                                                              \
    X(CreatePalette, "gdi32.dll")                                                                            \
    X(SelectPalette, "gdi32.dll")                                                                            \
    X(RealizePalette, "gdi32.dll")                                                                           \
    X(GetNearestPaletteIndex, "gdi32.dll")                                                                   \
    X(GetPaletteEntries, "gdi32.dll")                                                                        \
    X(SetPaletteEntries, "gdi32.dll")                                                                        \
    X(ResizePalette, "gdi32.dll")                                                                            \
    X(CreateHalftonePalette, "gdi32.dll")                                                                    \
    X(GetNearestColor, "gdi32.dll")                                                                          \
    X(CreateBitmap, "gdi32.dll")                                                                             \
    X(CreateCompatibleBitmap, "gdi32.dll")                                                                   \
    X(CreateDIBSection, "gdi32.dll")                                                                         \
    X(CreateDIBitmap, "gdi32.dll")                                                                           \
    X(GetDIBits, "gdi32.dll")                                                                                \
    X(SetDIBits, "gdi32.dll")                                                                                \
    X(StretchDIBits, "gdi32.dll")                                                                            \
    X(SetDIBitsToDevice, "gdi32.dll")                                                                        \
    X(GetDIBColorTable, "gdi32.dll")                                                                         \
    X(SetDIBColorTable, "gdi32.dll")                                                                         \
    X(CreateCompatibleDC, "gdi32.dll")                                                                       \
    X(DeleteDC, "gdi32.dll")                                                                                 \
    X(SaveDC, "gdi32.dll")                                                                                   \
    X(RestoreDC, "gdi32.dll")                                                                                \
    X(SetViewportOrgEx, "gdi32.dll")                                                                         \
    X(GetViewportOrgEx, "gdi32.dll")                                                                         \
    X(OffsetViewportOrgEx, "gdi32.dll")                                                                      \
    X(SetWindowOrgEx, "gdi32.dll")                                                                           \
    X(GetWindowOrgEx, "gdi32.dll")                                                                           \
    X(OffsetWindowOrgEx, "gdi32.dll")                                                                        \
    X(SetBrushOrgEx, "gdi32.dll")                                                                            \
    X(GetBrushOrgEx, "gdi32.dll")                                                                            \
    X(LPtoDP, "gdi32.dll")                                                                                   \
    X(DPtoLP, "gdi32.dll")                                                                                   \
    X(SetROP2, "gdi32.dll")                                                                                  \
    X(GetROP2, "gdi32.dll")                                                                                  \
    X(SetBkMode, "gdi32.dll")                                                                                \
    X(GetBkMode, "gdi32.dll")                                                                                \
    X(SetBkColor, "gdi32.dll")                                                                               \
    X(GetBkColor, "gdi32.dll")                                                                               \
    X(SetTextColor, "gdi32.dll")                                                                             \
    X(GetTextColor, "gdi32.dll")                                                                             \
    X(SetTextAlign, "gdi32.dll")                                                                             \
    X(GetTextAlign, "gdi32.dll")                                                                             \
    X(SetTextCharacterExtra, "gdi32.dll")                                                                    \
    X(GetTextCharacterExtra, "gdi32.dll")                                                                    \
    X(SetStretchBltMode, "gdi32.dll")                                                                        \
    X(GetStretchBltMode, "gdi32.dll")                                                                        \
    X(SetPolyFillMode, "gdi32.dll")                                                                          \
    X(GetPolyFillMode, "gdi32.dll")                                                                          \
    X(SetMapMode, "gdi32.dll")                                                                               \
    X(GetMapMode, "gdi32.dll")                                                                               \
    X(SetGraphicsMode, "gdi32.dll")                                                                          \
    X(GetGraphicsMode, "gdi32.dll")                                                                          \
    X(SetDCBrushColor, "gdi32.dll")                                                                          \
    X(GetDCBrushColor, "gdi32.dll")                                                                          \
    X(SetDCPenColor, "gdi32.dll")                                                                            \
    X(GetDCPenColor, "gdi32.dll")                                                                            \
    X(GetCurrentPositionEx, "gdi32.dll")                                                                     \
    X(GetDeviceCaps, "gdi32.dll")                                                                            \
    X(GdiFlush, "gdi32.dll")                                                                                 \
    X(SelectClipRgn, "gdi32.dll")                                                                            \
    X(ExtSelectClipRgn, "gdi32.dll")                                                                         \
    X(IntersectClipRect, "gdi32.dll")                                                                        \
    X(ExcludeClipRect, "gdi32.dll")                                                                          \
    X(OffsetClipRgn, "gdi32.dll")                                                                            \
    X(GetClipBox, "gdi32.dll")                                                                               \
    X(GetClipRgn, "gdi32.dll")                                                                               \
    X(RectVisible, "gdi32.dll")                                                                              \
    X(PtVisible, "gdi32.dll")                                                                                \
    X(CreateRectRgn, "gdi32.dll")                                                                            \
    X(CreateRectRgnIndirect, "gdi32.dll")                                                                    \
    X(CreateRoundRectRgn, "gdi32.dll")                                                                       \
    X(CreateEllipticRgn, "gdi32.dll")                                                                        \
    X(CreateEllipticRgnIndirect, "gdi32.dll")                                                                \
    X(CreatePolygonRgn, "gdi32.dll")                                                                         \
    X(CreatePolyPolygonRgn, "gdi32.dll")                                                                     \
    X(ExtCreateRegion, "gdi32.dll")                                                                          \
    X(CombineRgn, "gdi32.dll")                                                                               \
    X(OffsetRgn, "gdi32.dll")                                                                                \
    X(SetRectRgn, "gdi32.dll")                                                                               \
    X(PtInRegion, "gdi32.dll")                                                                               \
    X(RectInRegion, "gdi32.dll")                                                                             \
    X(GetRgnBox, "gdi32.dll")                                                                                \
    X(EqualRgn, "gdi32.dll")                                                                                 \
    X(GetRegionData, "gdi32.dll")                                                                            \
    X(FillRgn, "gdi32.dll")                                                                                  \
    X(FrameRgn, "gdi32.dll")                                                                                 \
    X(PaintRgn, "gdi32.dll")                                                                                 \
    X(InvertRgn, "gdi32.dll")                                                                                \
    X(BitBlt, "gdi32.dll")                                                                                   \
    X(PatBlt, "gdi32.dll")                                                                                   \
    X(StretchBlt, "gdi32.dll")                                                                               \
    X(SetPixel, "gdi32.dll")                                                                                 \
    X(SetPixelV, "gdi32.dll")                                                                                \
    X(GetPixel, "gdi32.dll")                                                                                 \
    X(MoveToEx, "gdi32.dll")                                                                                 \
    X(LineTo, "gdi32.dll")                                                                                   \
    X(Polyline, "gdi32.dll")                                                                                 \
    X(PolylineTo, "gdi32.dll")                                                                               \
    X(Polygon, "gdi32.dll")                                                                                  \
    X(PolyPolygon, "gdi32.dll")                                                                              \
    X(Rectangle, "gdi32.dll")                                                                                \
    X(Ellipse, "gdi32.dll")                                                                                  \
    X(RoundRect, "gdi32.dll")                                                                                \
    X(GetTextMetricsW, "gdi32.dll")                                                                          \
    X(GetTextExtentPoint32W, "gdi32.dll")                                                                    \
    X(GetTextExtentExPointW, "gdi32.dll")                                                                    \
    X(GetCharABCWidthsW, "gdi32.dll")                                                                        \
    X(TextOutW, "gdi32.dll")                                                                                 \
    X(ExtTextOutW, "gdi32.dll")                                                                              \
    X(AlphaBlend, "msimg32.dll")                                                                             \
    X(TransparentBlt, "msimg32.dll")                                                                         \
    X(GradientFill, "msimg32.dll")                                                                           \
    X(FillRect, "user32.dll")                                                                                \
    X(FrameRect, "user32.dll")                                                                               \
    X(InvertRect, "user32.dll")                                                                              \
    X(DrawFocusRect, "user32.dll")                                                                           \
    X(DrawEdge, "user32.dll")                                                                                \
    X(DrawFrameControl, "user32.dll")                                                                        \
    X(DrawTextW, "user32.dll")                                                                               \
    X(DrawTextExW, "user32.dll")                                                                             \
    X(GetSysColor, "user32.dll")                                                                             \
    X(GetSysColorBrush, "user32.dll")                                                                        \
    X(CreateIconIndirect, "user32.dll")                                                                      \
    X(DestroyIcon, "user32.dll")                                                                             \
    X(GetIconInfo, "user32.dll")                                                                             \
    X(CopyIcon, "user32.dll")                                                                                \
    X(DrawIconEx, "user32.dll")                                                                              \
    X(DrawIcon, "user32.dll")                                                                                \
    X(ImageList_Create, "comctl32.dll")                                                                      \
    X(ImageList_Destroy, "comctl32.dll")                                                                     \
    X(ImageList_Add, "comctl32.dll")                                                                         \
    X(ImageList_AddMasked, "comctl32.dll")                                                                   \
    X(ImageList_ReplaceIcon, "comctl32.dll")                                                                 \
    X(ImageList_Remove, "comctl32.dll")                                                                      \
    X(ImageList_GetImageCount, "comctl32.dll")                                                               \
    X(ImageList_GetIconSize, "comctl32.dll")                                                                 \
    X(ImageList_SetIconSize, "comctl32.dll")                                                                 \
    X(ImageList_SetBkColor, "comctl32.dll")                                                                  \
    X(ImageList_GetBkColor, "comctl32.dll")                                                                  \
    X(ImageList_GetImageInfo, "comctl32.dll")                                                                \
    X(ImageList_GetIcon, "comctl32.dll")                                                                     \
    X(ImageList_Draw, "comctl32.dll")                                                                        \
    X(ImageList_DrawEx, "comctl32.dll")

namespace win {

#define WIN_GDI_DECLARE_IMPORT(function, dll)                                                                \
    inline constinit ImportSlot<decltype(direct::function)> function{dll, #function, &direct::function};
WIN_GDI_IMPORTS(WIN_GDI_DECLARE_IMPORT)
#undef WIN_GDI_DECLARE_IMPORT

// The generic names of the wide functions.
inline auto& GetObject = GetObjectW;
inline auto& CreateFontIndirect = CreateFontIndirectW;
inline auto& GetTextMetrics = GetTextMetricsW;
inline auto& GetTextExtentPoint32 = GetTextExtentPoint32W;
inline auto& TextOut = TextOutW;
inline auto& ExtTextOut = ExtTextOutW;
inline auto& DrawText = DrawTextW;
inline auto& DrawTextEx = DrawTextExW;

} // namespace win
