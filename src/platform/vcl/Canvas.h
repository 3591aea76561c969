#pragma once

// The class library's canvas: a DC with a font, a pen and a brush that are
// selected into it lazily, only when a drawing call needs them, and
// deselected when they change or the DC goes. Drawing calls are bracketed
// by the Changing and Changed notifications. Lock serialises use of the
// canvas between threads; the font, pen and brush share that lock.

#include "platform/rtl/Event.h"
#include "platform/rtl/Persistent.h"
#include "platform/vcl/GraphicsTypes.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>

namespace vcl {

class TFont;
class TPen;
class TBrush;
class TGraphic;

class TCanvas : public rtl::TPersistent {
    RTL_CLASS(TCanvas, rtl::TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    // The DC with every object selected; asks CreateHandle when there is none.
    [[nodiscard]] win::HDC Handle();
    void SetHandle(win::HDC value);
    [[nodiscard]] bool HandleAllocated() const noexcept { return FHandle != nullptr; }
    // The DC as it is, without selecting anything or notifying.
    [[nodiscard]] win::HDC HandleValue() const noexcept { return FHandle; }
    [[nodiscard]] TCanvasStates State() const noexcept { return FState; }
    // Someone else changed what the DC has selected (RestoreDC): select the
    // canvas's objects again before the next drawing call.
    void HandleStateChanged() noexcept;

    [[nodiscard]] TFont* Font() const noexcept { return FFont; }
    void SetFont(TFont* value);
    [[nodiscard]] TPen* Pen() const noexcept { return FPen; }
    void SetPen(TPen* value);
    [[nodiscard]] TBrush* Brush() const noexcept { return FBrush; }
    void SetBrush(TBrush* value);
    [[nodiscard]] win::DWORD CopyMode() const noexcept { return FCopyMode; }
    void SetCopyMode(win::DWORD value) noexcept { FCopyMode = value; }

    void Lock();
    void Unlock();
    [[nodiscard]] bool TryLock();
    [[nodiscard]] int LockCount() const noexcept { return FLockCount.load(); }

    // Drawing. Rectangles exclude their right and bottom edges, as GDI's.
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    [[nodiscard]] TPoint PenPos();
    void SetPenPos(TPoint value) { MoveTo(value.x, value.y); }
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
    void Ellipse(int x1, int y1, int x2, int y2);
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Polygon(std::span<const TPoint> points);
    void Polyline(std::span<const TPoint> points);
    void FillRect(const TRect& rect);
    void FrameRect(const TRect& rect);
    void Draw(int x, int y, TGraphic* graphic);
    void Draw(int x, int y, TGraphic* graphic, std::uint8_t opacity);
    void StretchDraw(const TRect& rect, TGraphic* graphic);
    void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);
    [[nodiscard]] TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor value);
    [[nodiscard]] TRect ClipRect();
    // Deselects the objects so that they are selected again on next use.
    void Refresh();

    // Text in the font; a solid brush fills the text cells, a clear one
    // leaves the background.
    void TextOut(int x, int y, const String& text);
    // Clipped to rect, which a solid brush fills first.
    void TextRect(const TRect& rect, int x, int y, const String& text);
    [[nodiscard]] win::SIZE TextExtent(const String& text);
    [[nodiscard]] int TextWidth(const String& text) { return TextExtent(text).cx; }
    [[nodiscard]] int TextHeight(const String& text) { return TextExtent(text).cy; }

    virtual void Changing();
    virtual void Changed();

    rtl::TNotifyEvent OnChange;
    rtl::TNotifyEvent OnChanging;

    // Makes sure the handle and the named objects are selected; raises
    // EInvalidOperation "Canvas does not allow drawing" without a handle.
    void RequiredState(TCanvasStates required);

protected:
    // Called when a drawing call needs a DC and there is none.
    virtual void CreateHandle() {}
    // Puts the stock objects back into the DC.
    void DeselectHandles();
    // The lock the font, pen and brush share with the canvas.
    [[nodiscard]] std::recursive_mutex* CanvasLock() noexcept { return &FLock; }
    // Replaces the font object (taking over its change handler and lock);
    // the canvas owns the new one and frees the old one.
    void ReplaceFont(TFont* font);

    void FontChanged(rtl::TObject* sender);
    void PenChanged(rtl::TObject* sender);
    void BrushChanged(rtl::TObject* sender);

private:
    // The point-list drawing calls: nothing for an empty or oversized list.
    void DrawPoints(std::span<const TPoint> points, win::BOOL (*draw)(win::HDC, const TPoint*, int));
    void SelectFont();
    void SelectPen();
    void SelectBrush();

    win::HDC FHandle = nullptr;
    TCanvasStates FState;
    TFont* FFont;
    TPen* FPen;
    TBrush* FBrush;
    TPoint FPenPos{0, 0};
    win::DWORD FCopyMode;
    std::recursive_mutex FLock;
    std::atomic<int> FLockCount{0};
};

} // namespace vcl
