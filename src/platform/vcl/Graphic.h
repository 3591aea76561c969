#pragma once

// The abstract picture of the class library: size, drawing onto a canvas,
// transparency, a palette, loading and saving through streams and files,
// and a change notification. Descendants are created through their class
// reference (the virtual constructor), as the picture container does.

#include "platform/rtl/Event.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Stream.h"
#include "platform/vcl/GraphicsTypes.h"

#include <cstdint>

namespace vcl {

class TCanvas;

enum TProgressStage { psStarting, psRunning, psEnding };
using TProgressEvent = rtl::TEvent<void(rtl::TObject* sender, TProgressStage stage, std::uint8_t percentDone,
                                        bool redrawNow, const TRect& r, const String& msg)>;

class TGraphic : public rtl::TPersistent {
    RTL_CLASS(TGraphic, rtl::TPersistent)
public:
    TGraphic() = default;

    // Draws the whole picture stretched into rect.
    virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;
    // Draws with an opacity (0 to 255); the base ignores the opacity.
    virtual void DrawTransparent(TCanvas* canvas, const TRect& rect, std::uint8_t opacity);

    [[nodiscard]] bool Empty() { return GetEmpty(); }
    [[nodiscard]] int Width() { return GetWidth(); }
    void SetWidth(int value) { SetWidthValue(value); }
    [[nodiscard]] int Height() { return GetHeight(); }
    void SetHeight(int value) { SetHeightValue(value); }
    virtual void SetSize(int width, int height);
    [[nodiscard]] bool Transparent() { return GetTransparent(); }
    void SetTransparent(bool value) { SetTransparentValue(value); }
    [[nodiscard]] bool SupportsPartialTransparency() { return GetSupportsPartialTransparency(); }
    [[nodiscard]] win::HPALETTE Palette() { return GetPalette(); }
    void SetPalette(win::HPALETTE value) { SetPaletteValue(value); }

    [[nodiscard]] bool Modified() const noexcept { return FModified; }
    // True reports a change (Changed); False only clears the flag.
    void SetModified(bool value);
    [[nodiscard]] bool PaletteModified() const noexcept { return FPaletteModified; }
    void SetPaletteModified(bool value) noexcept { FPaletteModified = value; }

    virtual void LoadFromStream(rtl::TStream* stream) = 0;
    virtual void SaveToStream(rtl::TStream* stream) = 0;
    virtual void LoadFromFile(const String& fileName);
    virtual void SaveToFile(const String& fileName);

    // What a form stream holds for the picture; by default the saved stream.
    virtual void ReadData(rtl::TStream* stream);
    virtual void WriteData(rtl::TStream* stream);

    // Same class and, unless both are empty, the same saved bytes.
    [[nodiscard]] virtual bool Equals(TGraphic* graphic);

    // Marks the picture modified and calls OnChange with this picture.
    virtual void Changed(rtl::TObject* sender);
    void Progress(rtl::TObject* sender, TProgressStage stage, std::uint8_t percentDone, bool redrawNow,
                  const TRect& r, const String& msg);

    rtl::TNotifyEvent OnChange;
    TProgressEvent OnProgress;

protected:
    // Sets the flag without reporting a change.
    void SetModifiedFlag(bool value) noexcept { FModified = value; }

    [[nodiscard]] virtual bool GetEmpty() = 0;
    [[nodiscard]] virtual int GetWidth() = 0;
    [[nodiscard]] virtual int GetHeight() = 0;
    virtual void SetWidthValue(int value) = 0;
    virtual void SetHeightValue(int value) = 0;
    [[nodiscard]] virtual bool GetTransparent() { return FTransparent; }
    virtual void SetTransparentValue(bool value);
    [[nodiscard]] virtual bool GetSupportsPartialTransparency() { return false; }
    [[nodiscard]] virtual win::HPALETTE GetPalette() { return nullptr; }
    virtual void SetPaletteValue(win::HPALETTE) {}

private:
    bool FModified = false;
    bool FPaletteModified = false;
    bool FTransparent = false;
};

using TGraphicClass = rtl::TClass;

// A new picture of a graphic class (its virtual constructor); raises
// EInvalidGraphic when the class is not a creatable picture class.
[[nodiscard]] TGraphic* CreateGraphic(TGraphicClass graphicClass);

} // namespace vcl
