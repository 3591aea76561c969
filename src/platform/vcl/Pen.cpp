#include "platform/vcl/Pen.h"

#include "platform/rtl/Published.h"
#include "platform/vcl/Colors.h"
#include "platform/win/gdi/Gdi.h"

namespace vcl {

RTL_IMPLEMENT_CLASS(TPen)

RTL_PUBLISHED(TPen) {
    Property(u"Color", &TPen::Color, &TPen::SetColor).Default(clBlack);
    Property(u"Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
    Property(u"Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
    Property(u"Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

TPen::~TPen() {
    if (FHandle)
        win::DeleteObject(FHandle);
}

void TPen::Assign(rtl::TPersistent* source) {
    auto* pen = rtl::ObjectCast<TPen>(source);
    if (!pen) {
        inherited::Assign(source);
        return;
    }
    if (pen == this)
        return;
    TGraphicsObjectLock lock(*this);
    FColor = pen->FColor;
    FWidth = pen->FWidth;
    FStyle = pen->FStyle;
    FMode = pen->FMode;
    DescriptionChanged();
}

win::HPEN TPen::Handle() {
    TGraphicsObjectLock lock(*this);
    if (!FHandle) {
        // The GDI pen styles have the same numbers as the enumeration.
        FHandle = win::CreatePen(static_cast<int>(FStyle), FWidth, ColorToColorRef(FColor));
    }
    return FHandle;
}

void TPen::DescriptionChanged() {
    win::HPEN old = FHandle;
    FHandle = nullptr;
    Changed();
    if (old)
        win::DeleteObject(old);
}

void TPen::SetColor(TColor value) {
    if (value == FColor)
        return;
    FColor = value;
    DescriptionChanged();
}

void TPen::SetWidth(int value) {
    if (value < 0 || value == FWidth)
        return;
    FWidth = value;
    DescriptionChanged();
}

void TPen::SetStyle(TPenStyle value) {
    if (value == FStyle)
        return;
    FStyle = value;
    DescriptionChanged();
}

void TPen::SetMode(TPenMode value) {
    if (value == FMode)
        return;
    FMode = value;
    Changed();
}

int TPen::Rop2Of(TPenMode mode) noexcept {
    static constexpr int Codes[] = {
        win::R2_BLACK,       win::R2_WHITE,      win::R2_NOP,         win::R2_NOT,
        win::R2_COPYPEN,     win::R2_NOTCOPYPEN, win::R2_MERGEPENNOT, win::R2_MASKPENNOT,
        win::R2_MERGENOTPEN, win::R2_MASKNOTPEN, win::R2_MERGEPEN,    win::R2_NOTMERGEPEN,
        win::R2_MASKPEN,     win::R2_NOTMASKPEN, win::R2_XORPEN,      win::R2_NOTXORPEN,
    };
    return Codes[mode];
}

} // namespace vcl
