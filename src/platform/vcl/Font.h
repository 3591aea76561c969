#pragma once

// The class library's font: a LOGFONT described by properties, and the GDI
// font made from it on request. Every change drops the font handle, and the
// next request creates a new one with default quality; setting Handle adopts
// a font made elsewhere (its LOGFONT becomes the properties). Sizes are
// converted at 96 pixels per inch, the resolution the program is laid out for.

#include "platform/vcl/GraphicsObject.h"
#include "platform/vcl/GraphicsTypes.h"
#include "platform/win/gdi/GdiTypes.h"

namespace vcl {

class TFont : public TGraphicsObject {
    RTL_CLASS(TFont, TGraphicsObject)
public:
    static constexpr int DefaultPixelsPerInch = 96;

    TFont();
    ~TFont() override;

    void Assign(rtl::TPersistent* source) override;

    // The GDI font, created on first request.
    [[nodiscard]] win::HFONT Handle();
    // Adopts the font: its description becomes this font's, and this font
    // deletes it when it is replaced.
    void SetHandle(win::HFONT value);
    [[nodiscard]] bool HandleAllocated() const noexcept { return FHandle != nullptr; }

    // The LOGFONT the next handle is made from.
    [[nodiscard]] win::LOGFONTW LogFont() const;

    [[nodiscard]] TColor Color() const noexcept { return FColor; }
    void SetColor(TColor value);
    [[nodiscard]] int Height() const noexcept { return FHeight; }
    void SetHeight(int value);
    // Points: -Height x 72 / PixelsPerInch, rounded.
    [[nodiscard]] int Size() const noexcept;
    void SetSize(int value);
    [[nodiscard]] const String& Name() const noexcept { return FName; }
    void SetName(const String& value);
    [[nodiscard]] TFontStyles Style() const noexcept { return FStyle; }
    void SetStyle(TFontStyles value);
    [[nodiscard]] TFontPitch Pitch() const noexcept { return FPitch; }
    void SetPitch(TFontPitch value);
    [[nodiscard]] TFontCharset Charset() const noexcept { return FCharset; }
    void SetCharset(TFontCharset value);
    // Tenths of a degree, counter-clockwise.
    [[nodiscard]] int Orientation() const noexcept { return FOrientation; }
    void SetOrientation(int value);
    [[nodiscard]] int PixelsPerInch() const noexcept { return FPixelsPerInch; }

protected:
    // A change of the description: the handle is dropped, then Changed.
    void DescriptionChanged();

private:
    void ReplaceHandle(win::HFONT handle);

    win::HFONT FHandle = nullptr;
    TColor FColor = clWindowText;
    int FHeight = -11;
    String FName = u"Tahoma";
    TFontStyles FStyle;
    TFontPitch FPitch = fpDefault;
    TFontCharset FCharset = win::DEFAULT_CHARSET;
    int FOrientation = 0;
    int FPixelsPerInch = DefaultPixelsPerInch;
};

} // namespace vcl
