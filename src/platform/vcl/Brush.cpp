#include "platform/vcl/Brush.h"

#include "platform/rtl/Published.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Colors.h"
#include "platform/win/gdi/Gdi.h"

namespace vcl {

RTL_IMPLEMENT_CLASS(TBrush)

RTL_PUBLISHED(TBrush) {
    Property(u"Color", &TBrush::Color, &TBrush::SetColor).Default(clWhite);
    Property(u"Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

TBrush::~TBrush() {
    if (FHandle)
        win::DeleteObject(FHandle);
}

void TBrush::Assign(rtl::TPersistent* source) {
    auto* brush = rtl::ObjectCast<TBrush>(source);
    if (!brush) {
        inherited::Assign(source);
        return;
    }
    if (brush == this)
        return;
    TGraphicsObjectLock lock(*this);
    FColor = brush->FColor;
    FStyle = brush->FStyle;
    FBitmap = brush->FBitmap;
    DescriptionChanged();
}

win::HBRUSH TBrush::Handle() {
    TGraphicsObjectLock lock(*this);
    if (FHandle)
        return FHandle;
    if (FBitmap && !FBitmap->Empty()) {
        FHandle = win::CreatePatternBrush(FBitmap->Handle());
        return FHandle;
    }
    win::LOGBRUSH lb{};
    lb.lbColor = ColorToColorRef(FColor);
    switch (FStyle) {
    case bsSolid:
        lb.lbStyle = win::BS_SOLID;
        break;
    case bsClear:
        lb.lbStyle = win::BS_NULL;
        break;
    default:
        lb.lbStyle = win::BS_HATCHED;
        lb.lbHatch = static_cast<win::ULONG_PTR>(FStyle - bsHorizontal);
        break;
    }
    FHandle = win::CreateBrushIndirect(&lb);
    return FHandle;
}

void TBrush::DescriptionChanged() {
    win::HBRUSH old = FHandle;
    FHandle = nullptr;
    Changed();
    if (old)
        win::DeleteObject(old);
}

void TBrush::SetColor(TColor value) {
    if (value == FColor && FStyle != bsClear)
        return;
    FColor = value;
    if (FStyle == bsClear)
        FStyle = bsSolid;
    DescriptionChanged();
}

void TBrush::SetStyle(TBrushStyle value) {
    if (value == FStyle)
        return;
    FStyle = value;
    DescriptionChanged();
}

void TBrush::SetBitmap(TBitmap* value) {
    if (value == FBitmap)
        return;
    FBitmap = value;
    DescriptionChanged();
}

} // namespace vcl
