#pragma once

// The class library's brush: colour and style, or a pattern bitmap; the GDI
// brush is made on request and dropped on every change.

#include "platform/vcl/GraphicsObject.h"
#include "platform/vcl/GraphicsTypes.h"

namespace vcl {

class TBitmap;

class TBrush : public TGraphicsObject {
    RTL_CLASS(TBrush, TGraphicsObject)
public:
    TBrush() = default;
    ~TBrush() override;

    void Assign(rtl::TPersistent* source) override;

    [[nodiscard]] win::HBRUSH Handle();
    [[nodiscard]] bool HandleAllocated() const noexcept { return FHandle != nullptr; }

    [[nodiscard]] TColor Color() const noexcept { return FColor; }
    // Setting a colour makes a clear brush solid.
    void SetColor(TColor value);
    [[nodiscard]] TBrushStyle Style() const noexcept { return FStyle; }
    void SetStyle(TBrushStyle value);
    // A pattern bitmap, not owned; it wins over colour and style.
    [[nodiscard]] TBitmap* Bitmap() const noexcept { return FBitmap; }
    void SetBitmap(TBitmap* value);

private:
    void DescriptionChanged();

    win::HBRUSH FHandle = nullptr;
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
};

} // namespace vcl
