#pragma once

// The class library's icon: an icon handle with its size, drawn with
// DrawIconEx. A bitmap can take it (32-bit, premultiplied, drawn over
// transparent black). Icon files are not read or written here yet.

#include "platform/vcl/Graphic.h"

namespace vcl {

class TIcon : public TGraphic {
    RTL_CLASS(TIcon, TGraphic)
public:
    TIcon() = default;
    ~TIcon() override;

    void Assign(rtl::TPersistent* source) override;
    void Draw(TCanvas* canvas, const TRect& rect) override;

    // FIXME: icon files (.ico) are not read or written yet; both raise
    // EInvalidGraphicOperation.
    void LoadFromStream(rtl::TStream* stream) override;
    void SaveToStream(rtl::TStream* stream) override;

    [[nodiscard]] win::HICON Handle() const noexcept { return FHandle; }
    // Adopts the icon: this object destroys it.
    void SetHandle(win::HICON value);
    [[nodiscard]] win::HICON ReleaseHandle();
    [[nodiscard]] bool HandleAllocated() const noexcept { return FHandle != nullptr; }

protected:
    void AssignTo(rtl::TPersistent* dest) override;
    [[nodiscard]] bool GetEmpty() override { return FHandle == nullptr; }
    [[nodiscard]] int GetWidth() override { return FWidth; }
    [[nodiscard]] int GetHeight() override { return FHeight; }
    // An icon's size comes from its handle.
    void SetWidthValue(int) override;
    void SetHeightValue(int) override;
    [[nodiscard]] bool GetTransparent() override { return true; }

private:
    void ReadSize();

    win::HICON FHandle = nullptr;
    int FWidth = 0;
    int FHeight = 0;
};

} // namespace vcl
