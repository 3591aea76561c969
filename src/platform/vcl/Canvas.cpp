#include "platform/vcl/Canvas.h"

#include "platform/vcl/Brush.h"
#include "platform/vcl/Colors.h"
#include "platform/vcl/Font.h"
#include "platform/vcl/Graphic.h"
#include "platform/vcl/Pen.h"
#include "platform/win/gdi/Gdi.h"

#include <climits>

namespace vcl {

RTL_IMPLEMENT_CLASS(TCanvas)

namespace {

const TCanvasStates ObjectStates{csFontValid, csPenValid, csBrushValid};
const TCanvasStates AllStates{csHandleValid, csFontValid, csPenValid, csBrushValid};

} // namespace

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush), FCopyMode(win::SRCCOPY) {
    FFont->OnChange = rtl::TNotifyEvent(this, &TCanvas::FontChanged);
    FFont->SetOwnerLock(&FLock);
    FPen->OnChange = rtl::TNotifyEvent(this, &TCanvas::PenChanged);
    FPen->SetOwnerLock(&FLock);
    FBrush->OnChange = rtl::TNotifyEvent(this, &TCanvas::BrushChanged);
    FBrush->SetOwnerLock(&FLock);
}

TCanvas::~TCanvas() {
    SetHandle(nullptr);
    delete FFont;
    delete FPen;
    delete FBrush;
}

win::HDC TCanvas::Handle() {
    Changing();
    RequiredState(AllStates);
    return FHandle;
}

void TCanvas::SetHandle(win::HDC value) {
    if (value == FHandle)
        return;
    if (FHandle) {
        DeselectHandles();
        FPenPos = PenPos();
        FHandle = nullptr;
        FState.Exclude(csHandleValid);
    }
    if (value) {
        FState.Include(csHandleValid);
        FHandle = value;
        win::MoveToEx(FHandle, FPenPos.x, FPenPos.y, nullptr);
    }
}

void TCanvas::HandleStateChanged() noexcept {
    FState -= ObjectStates;
}

void TCanvas::DeselectHandles() {
    if (!FHandle || (FState * ObjectStates).Empty())
        return;
    win::SelectObject(FHandle, win::GetStockObject(win::BLACK_PEN));
    win::SelectObject(FHandle, win::GetStockObject(win::HOLLOW_BRUSH));
    win::SelectObject(FHandle, win::GetStockObject(win::SYSTEM_FONT));
    FState -= ObjectStates;
}

void TCanvas::ReplaceFont(TFont* font) {
    TFont* old = FFont;
    font->Assign(old);
    font->OnChange = old->OnChange;
    font->SetOwnerLock(old->OwnerLock());
    FFont = font;
    FontChanged(font);
    delete old;
}

void TCanvas::SetFont(TFont* value) {
    FFont->Assign(value);
}

void TCanvas::SetPen(TPen* value) {
    FPen->Assign(value);
}

void TCanvas::SetBrush(TBrush* value) {
    FBrush->Assign(value);
}

void TCanvas::FontChanged(rtl::TObject*) {
    if (FState.Contains(csFontValid)) {
        FState.Exclude(csFontValid);
        win::SelectObject(FHandle, win::GetStockObject(win::SYSTEM_FONT));
    }
}

void TCanvas::PenChanged(rtl::TObject*) {
    if (FState.Contains(csPenValid)) {
        FState.Exclude(csPenValid);
        win::SelectObject(FHandle, win::GetStockObject(win::BLACK_PEN));
    }
}

void TCanvas::BrushChanged(rtl::TObject*) {
    if (FState.Contains(csBrushValid)) {
        FState.Exclude(csBrushValid);
        win::SelectObject(FHandle, win::GetStockObject(win::HOLLOW_BRUSH));
    }
}

void TCanvas::SelectFont() {
    win::SelectObject(FHandle, FFont->Handle());
    win::SetTextColor(FHandle, ColorToColorRef(FFont->Color()));
}

void TCanvas::SelectPen() {
    win::SelectObject(FHandle, FPen->Handle());
    win::SetROP2(FHandle, TPen::Rop2Of(FPen->Mode()));
}

void TCanvas::SelectBrush() {
    win::HBRUSH brush = FBrush->Handle();
    win::UnrealizeObject(brush);
    win::SelectObject(FHandle, brush);
    const win::COLORREF color = ColorToColorRef(FBrush->Color());
    if (FBrush->Style() == bsSolid) {
        win::SetBkColor(FHandle, color);
        win::SetBkMode(FHandle, win::OPAQUE);
    } else {
        // Hatch gaps stay transparent; the background colour is the inverse.
        win::SetBkColor(FHandle, ~color & 0xFFFFFF);
        win::SetBkMode(FHandle, win::TRANSPARENT);
    }
}

void TCanvas::RequiredState(TCanvasStates required) {
    const TCanvasStates needed = required - FState;
    if (needed.Empty())
        return;
    if (needed.Contains(csHandleValid)) {
        CreateHandle();
        if (!FHandle)
            throw rtl::EInvalidOperation(u"Canvas does not allow drawing");
    }
    if (needed.Contains(csFontValid))
        SelectFont();
    if (needed.Contains(csPenValid))
        SelectPen();
    if (needed.Contains(csBrushValid))
        SelectBrush();
    FState += needed;
}

void TCanvas::Lock() {
    FLock.lock();
    ++FLockCount;
}

void TCanvas::Unlock() {
    --FLockCount;
    FLock.unlock();
}

bool TCanvas::TryLock() {
    if (!FLock.try_lock())
        return false;
    ++FLockCount;
    return true;
}

void TCanvas::Changing() {
    if (OnChanging)
        OnChanging(this);
}

void TCanvas::Changed() {
    if (OnChange)
        OnChange(this);
}

void TCanvas::MoveTo(int x, int y) {
    RequiredState({csHandleValid});
    win::MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    win::LineTo(FHandle, x, y);
    Changed();
}

TPoint TCanvas::PenPos() {
    if (!FHandle)
        return FPenPos;
    TPoint point{0, 0};
    win::GetCurrentPositionEx(FHandle, &point);
    return point;
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    Changing();
    RequiredState({csHandleValid, csBrushValid, csPenValid});
    win::Rectangle(FHandle, x1, y1, x2, y2);
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    win::Ellipse(FHandle, x1, y1, x2, y2);
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    win::RoundRect(FHandle, x1, y1, x2, y2, x3, y3);
    Changed();
}

void TCanvas::DrawPoints(std::span<const TPoint> points, win::BOOL (*draw)(win::HDC, const TPoint*, int)) {
    if (points.empty() || points.size() > INT_MAX)
        return;
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    draw(FHandle, points.data(), static_cast<int>(points.size()));
    Changed();
}

void TCanvas::Polygon(std::span<const TPoint> points) {
    DrawPoints(points, [](win::HDC dc, const TPoint* p, int n) { return win::Polygon(dc, p, n); });
}

void TCanvas::Polyline(std::span<const TPoint> points) {
    DrawPoints(points, [](win::HDC dc, const TPoint* p, int n) { return win::Polyline(dc, p, n); });
}

void TCanvas::FillRect(const TRect& rect) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    win::FillRect(FHandle, &rect, FBrush->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    win::FrameRect(FHandle, &rect, FBrush->Handle());
    Changed();
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
    if (!graphic || graphic->Empty())
        return;
    Changing();
    RequiredState({csHandleValid});
    win::SetBkColor(FHandle, ColorToColorRef(FBrush->Color()));
    win::SetTextColor(FHandle, ColorToColorRef(FFont->Color()));
    graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
    Changed();
}

void TCanvas::Draw(int x, int y, TGraphic* graphic, std::uint8_t opacity) {
    if (!graphic || graphic->Empty())
        return;
    Changing();
    RequiredState({csHandleValid});
    win::SetBkColor(FHandle, ColorToColorRef(FBrush->Color()));
    win::SetTextColor(FHandle, ColorToColorRef(FFont->Color()));
    graphic->DrawTransparent(this, Bounds(x, y, graphic->Width(), graphic->Height()), opacity);
    Changed();
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
    if (!graphic)
        return;
    Changing();
    RequiredState(AllStates);
    graphic->Draw(this, rect);
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) {
    if (!canvas)
        return;
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    canvas->RequiredState({csHandleValid, csBrushValid});
    win::StretchBlt(FHandle, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
                    canvas->FHandle, source.left, source.top, source.right - source.left,
                    source.bottom - source.top, FCopyMode);
    Changed();
}

TColor TCanvas::Pixels(int x, int y) {
    RequiredState({csHandleValid});
    return static_cast<TColor>(win::GetPixel(FHandle, x, y));
}

void TCanvas::SetPixels(int x, int y, TColor value) {
    Changing();
    RequiredState({csHandleValid, csPenValid});
    win::SetPixel(FHandle, x, y, ColorToColorRef(value));
    Changed();
}

TRect TCanvas::ClipRect() {
    RequiredState({csHandleValid});
    TRect rect{0, 0, 0, 0};
    win::GetClipBox(FHandle, &rect);
    return rect;
}

void TCanvas::Refresh() {
    DeselectHandles();
}

void TCanvas::TextOut(int x, int y, const String& text) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    // The brush selection set the background mode: opaque for a solid brush.
    win::TextOutW(FHandle, x, y, text.data(), static_cast<int>(text.size()));
    win::MoveToEx(FHandle, x + TextWidth(text), y, nullptr);
    Changed();
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const String& text) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    win::UINT options = win::ETO_CLIPPED;
    if (FBrush->Style() != bsClear)
        options |= win::ETO_OPAQUE;
    win::ExtTextOutW(FHandle, x, y, options, &rect, text.data(), static_cast<win::UINT>(text.size()),
                     nullptr);
    Changed();
}

win::SIZE TCanvas::TextExtent(const String& text) {
    RequiredState({csHandleValid, csFontValid});
    win::SIZE size{0, 0};
    win::GetTextExtentPoint32W(FHandle, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

} // namespace vcl
