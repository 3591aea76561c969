#include "skin/imaging/PngImageCanvas.h"

#include "platform/vcl/Graphic.h"
#include "skin/imaging/CanvasFont.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngImage.h"

namespace skin {

RTL_IMPLEMENT_CLASS(TPngImageCanvas)

TPngImageCanvas::TPngImageCanvas(TPngImage* Owner) : FOwner(Owner) {
    FFont = new TCanvasFont(this);
    ReplaceFont(FFont);
}

TPngImageCanvas::~TPngImageCanvas() {
    SetHandle(nullptr);
    if (FOwner && !FOwner->FDestroying && FOwner->fCanvas == this)
        FOwner->CanvasDestroyed(this);
}

void TPngImageCanvas::SetFontEx(vcl::TFont* Value) {
    FFont->Assign(Value);
}

void TPngImageCanvas::CreateHandle() {
    if (FOwner && FOwner->FHeader)
        (void)FOwner->FHeader->CreateCanvasDC();
}

void TPngImageCanvas::Changing() {
    // Drawing into pixels that other images share would change theirs too.
    if (FOwner && FOwner->FHeader && FOwner->FHeader->ShareImageData && FOwner->FHeader->ImageData)
        FOwner->UniquePng();
    inherited::Changing();
}

void TPngImageCanvas::StretchDraw(const vcl::TRect& Rect, vcl::TGraphic* Graphic, std::uint8_t Opacity) {
    if (!Graphic)
        return;
    Changing();
    RequiredState({vcl::csHandleValid, vcl::csFontValid, vcl::csPenValid, vcl::csBrushValid});
    Graphic->DrawTransparent(this, Rect, Opacity);
    Changed();
}

void TPngImage::CanvasDestroyed(TPngImageCanvas* Canvas) {
    if (fCanvas != Canvas)
        return;
    fCanvas = nullptr;
    if (FHeader && !FHeader->MemImageData) {
        FHeader->MemImageData = true;
        Resize(Width(), Height(), 255, true, 0, 0);
    }
    // The fresh canvas comes with the next Canvas() call.
}

} // namespace skin
