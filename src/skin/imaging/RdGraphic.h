#pragma once

// The base of the system's pictures: a class-library graphic with abstract
// pixel access and DrawRect, which keeps the RDG images that refer to it
// and tells them when it changes.

#include "platform/vcl/Graphic.h"
#include "skin/imaging/PngImageTypes.h"

#include <atomic>
#include <cstdint>

namespace skin {

class TPointerQuick;
class TPngImage;

class TRdGraphic : public vcl::TGraphic {
    RTL_CLASS(TRdGraphic, vcl::TGraphic)
public:
    // NotifyChanged's ModifiedFlag: leave Modified alone, or clear it. Any
    // other value is the address of the new Boolean value.
    static constexpr std::intptr_t nmKeep = 0;
    static constexpr std::intptr_t nmKeepToo = -1;
    static constexpr std::intptr_t nmClear = 1;

    TRdGraphic() = default;
    ~TRdGraphic() override;

    // Sets Modified as the flag says, tells the linked RDG images (with
    // sender, or this graphic), then calls OnChange with this graphic.
    virtual void NotifyChanged(std::intptr_t ModifiedFlag, rtl::TObject* Sender);
    // Calls NotifyChanged(0, Sender) of every linked RDG image, under the lock.
    virtual void NotifyLinkedImages(rtl::TObject* Sender);

    [[nodiscard]] virtual std::uint8_t* GetAlphaScanline(int LineIndex) = 0;
    [[nodiscard]] virtual void* GetScanline(int LineIndex) = 0;
    [[nodiscard]] virtual vcl::TColor GetPixels(int X, int Y) = 0;
    virtual void SetPixels(int X, int Y, vcl::TColor Value) = 0;
    virtual void DrawRect(vcl::TCanvas* DstCanvas, int DstX, int DstY, int DstW, int DstH, int SrcX, int SrcY,
                          int SrcW, int SrcH, int Alpha, bool Gray, TPngSmoothFilter Smooth,
                          TPngImage* DstPng) = 0;

    void Changed(rtl::TObject* Sender) override;

    // An RDG image that refers to this graphic links itself here and
    // unlinks itself when it lets go.
    void LinkImage(TRdGraphic* Image);
    void UnlinkImage(TRdGraphic* Image);
    [[nodiscard]] int LinkedImageCount() const;

    // A picture that knows how to become a PNG image (the RDG image) builds
    // Dest and returns true; others return false.
    virtual bool AssignToPng(TPngImage* Dest);

protected:
    // Asked of a linked image when Graphic goes: when its play link or
    // image link is Graphic, it calls its NotifyChanged(-1, nil) and clears
    // that link. Images that link to nothing ignore it.
    virtual void DropLinkTo(TRdGraphic* Graphic);

private:
    [[nodiscard]] TPointerQuick* RdgList();

    std::atomic<TPointerQuick*> FRdgList{nullptr};
};

} // namespace skin
