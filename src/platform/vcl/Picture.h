#pragma once

// The class library's picture container: owns one graphic of any
// registered class, forwards its change and progress notifications, loads
// files by their extension through the registered picture formats.
// Streaming a picture inside a form is not part of this class yet.

#include "platform/rtl/Persistent.h"
#include "platform/vcl/Graphic.h"
#include "platform/vcl/GraphicFormats.h"

namespace vcl {

class TBitmap;
class TIcon;

class TPicture : public rtl::TPersistent {
    RTL_CLASS(TPicture, rtl::TPersistent)
public:
    TPicture() = default;
    ~TPicture() override;

    // A picture copies the other's graphic; a graphic is copied in; none empties.
    void Assign(rtl::TPersistent* source) override;

    [[nodiscard]] TGraphic* Graphic() const noexcept { return FGraphic; }
    // Keeps a copy of value (a new graphic of its class, assigned from it).
    void SetGraphic(TGraphic* value);
    // Takes graphic over (or empties the picture), connects its
    // notifications and reports the change.
    void InstallGraphic(TGraphic* graphic);

    // The graphic as a bitmap or an icon; another graphic is replaced by an
    // empty one of that class first.
    [[nodiscard]] TBitmap* Bitmap();
    [[nodiscard]] TIcon* Icon();

    [[nodiscard]] int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    [[nodiscard]] int Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // The class comes from the extension; an unknown one raises
    // EInvalidGraphic "Unknown picture file extension (.%s)".
    virtual void LoadFromFile(const String& fileName);
    void SaveToFile(const String& fileName);

    static void RegisterFileFormat(const String& extension, const String& description,
                                   TGraphicClass graphicClass);
    static void UnregisterGraphicClass(TGraphicClass graphicClass);
    [[nodiscard]] static TFileFormatsList& FileFormats() { return TFileFormatsList::Instance(); }

    rtl::TNotifyEvent OnChange;
    TProgressEvent OnProgress;

protected:
    void AssignTo(rtl::TPersistent* dest) override;
    virtual void Changed(rtl::TObject* sender);
    void Progress(rtl::TObject* sender, TProgressStage stage, std::uint8_t percentDone, bool redrawNow,
                  const TRect& r, const String& msg);

private:
    void ForceType(TGraphicClass graphicClass);

    TGraphic* FGraphic = nullptr;
};

} // namespace vcl
