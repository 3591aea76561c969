#pragma once

// The class library's pen: colour, width, style and mix mode; the GDI pen
// is made on request and dropped on every change.

#include "platform/vcl/GraphicsObject.h"
#include "platform/vcl/GraphicsTypes.h"

namespace vcl {

class TPen : public TGraphicsObject {
    RTL_CLASS(TPen, TGraphicsObject)
public:
    TPen() = default;
    ~TPen() override;

    void Assign(rtl::TPersistent* source) override;

    [[nodiscard]] win::HPEN Handle();
    [[nodiscard]] bool HandleAllocated() const noexcept { return FHandle != nullptr; }

    [[nodiscard]] TColor Color() const noexcept { return FColor; }
    void SetColor(TColor value);
    [[nodiscard]] int Width() const noexcept { return FWidth; }
    void SetWidth(int value);
    [[nodiscard]] TPenStyle Style() const noexcept { return FStyle; }
    void SetStyle(TPenStyle value);
    // Not part of the handle: the canvas sets it as the DC's ROP2.
    [[nodiscard]] TPenMode Mode() const noexcept { return FMode; }
    void SetMode(TPenMode value);

    // The ROP2 code of a mode.
    [[nodiscard]] static int Rop2Of(TPenMode mode) noexcept;

private:
    void DescriptionChanged();

    win::HPEN FHandle = nullptr;
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

} // namespace vcl
