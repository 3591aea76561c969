#include "platform/vcl/Font.h"

#include "platform/rtl/Published.h"
#include "platform/win/gdi/Gdi.h"

#include <algorithm>

namespace vcl {

RTL_IMPLEMENT_CLASS(TFont)

RTL_PUBLISHED(TFont) {
    Property(u"Charset", &TFont::Charset, &TFont::SetCharset);
    Property(u"Color", &TFont::Color, &TFont::SetColor);
    Property(u"Height", &TFont::Height, &TFont::SetHeight);
    Property(u"Name", &TFont::Name, &TFont::SetName);
    Property(u"Orientation", &TFont::Orientation, &TFont::SetOrientation).Default(0);
    Property(u"Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
    Property(u"Size", &TFont::Size, &TFont::SetSize).Stored(false);
    Property(u"Style", &TFont::Style, &TFont::SetStyle);
}

namespace {

constexpr win::BYTE OUT_DEFAULT_PRECIS = 0;
constexpr win::BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr win::BYTE DEFAULT_PITCH = 0;
constexpr win::BYTE FIXED_PITCH = 1;
constexpr win::BYTE VARIABLE_PITCH = 2;

win::BYTE PitchByte(TFontPitch pitch) {
    switch (pitch) {
    case fpFixed:
        return FIXED_PITCH;
    case fpVariable:
        return VARIABLE_PITCH;
    default:
        return DEFAULT_PITCH;
    }
}

TFontPitch PitchOf(win::BYTE pitchAndFamily) {
    switch (pitchAndFamily & 3) {
    case FIXED_PITCH:
        return fpFixed;
    case VARIABLE_PITCH:
        return fpVariable;
    default:
        return fpDefault;
    }
}

} // namespace

TFont::TFont() = default;

TFont::~TFont() {
    if (FHandle)
        win::DeleteObject(FHandle);
}

void TFont::Assign(rtl::TPersistent* source) {
    auto* font = rtl::ObjectCast<TFont>(source);
    if (!font) {
        inherited::Assign(source);
        return;
    }
    if (font == this)
        return;
    TGraphicsObjectLock lock(*this);
    FColor = font->FColor;
    FHeight = font->FHeight;
    FName = font->FName;
    FStyle = font->FStyle;
    FPitch = font->FPitch;
    FCharset = font->FCharset;
    FOrientation = font->FOrientation;
    FPixelsPerInch = font->FPixelsPerInch;
    DescriptionChanged();
}

win::LOGFONTW TFont::LogFont() const {
    win::LOGFONTW lf{};
    lf.lfHeight = FHeight;
    lf.lfEscapement = FOrientation;
    lf.lfOrientation = FOrientation;
    lf.lfWeight = FStyle.Contains(fsBold) ? win::FW_BOLD : win::FW_NORMAL;
    lf.lfItalic = FStyle.Contains(fsItalic) ? 1 : 0;
    lf.lfUnderline = FStyle.Contains(fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = FStyle.Contains(fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = FCharset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = win::DEFAULT_QUALITY;
    lf.lfPitchAndFamily = PitchByte(FPitch);
    const std::size_t length = std::min<std::size_t>(FName.size(), win::LF_FACESIZE - 1);
    std::copy_n(FName.data(), length, lf.lfFaceName);
    return lf;
}

win::HFONT TFont::Handle() {
    TGraphicsObjectLock lock(*this);
    if (!FHandle) {
        const win::LOGFONTW lf = LogFont();
        FHandle = win::CreateFontIndirectW(&lf);
    }
    return FHandle;
}

void TFont::SetHandle(win::HFONT value) {
    TGraphicsObjectLock lock(*this);
    if (value == FHandle)
        return;
    win::LOGFONTW lf{};
    if (value && win::GetObjectW(value, sizeof lf, &lf) == sizeof lf) {
        FHeight = lf.lfHeight;
        FOrientation = lf.lfEscapement;
        FStyle = {};
        if (lf.lfWeight >= win::FW_BOLD)
            FStyle.Include(fsBold);
        if (lf.lfItalic)
            FStyle.Include(fsItalic);
        if (lf.lfUnderline)
            FStyle.Include(fsUnderline);
        if (lf.lfStrikeOut)
            FStyle.Include(fsStrikeOut);
        FCharset = lf.lfCharSet;
        FPitch = PitchOf(lf.lfPitchAndFamily);
        win::WCHAR* end = std::find(lf.lfFaceName, lf.lfFaceName + win::LF_FACESIZE, u'\0');
        FName.assign(lf.lfFaceName, end);
    }
    ReplaceHandle(value);
}

void TFont::DescriptionChanged() {
    ReplaceHandle(nullptr);
}

void TFont::ReplaceHandle(win::HFONT handle) {
    // Listeners (a canvas) deselect the old font before it is deleted.
    win::HFONT old = FHandle;
    FHandle = handle;
    Changed();
    if (old && old != handle)
        win::DeleteObject(old);
}

void TFont::SetColor(TColor value) {
    if (value == FColor)
        return;
    FColor = value;
    // The colour is not part of the font handle.
    Changed();
}

void TFont::SetHeight(int value) {
    if (value == FHeight)
        return;
    FHeight = value;
    DescriptionChanged();
}

int TFont::Size() const noexcept {
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int value) {
    SetHeight(-MulDiv(value, FPixelsPerInch, 72));
}

void TFont::SetName(const String& value) {
    if (value.empty() || value == FName)
        return;
    FName = value;
    DescriptionChanged();
}

void TFont::SetStyle(TFontStyles value) {
    if (value == FStyle)
        return;
    FStyle = value;
    DescriptionChanged();
}

void TFont::SetPitch(TFontPitch value) {
    if (value == FPitch)
        return;
    FPitch = value;
    DescriptionChanged();
}

void TFont::SetCharset(TFontCharset value) {
    if (value == FCharset)
        return;
    FCharset = value;
    DescriptionChanged();
}

void TFont::SetOrientation(int value) {
    if (value == FOrientation)
        return;
    FOrientation = value;
    DescriptionChanged();
}

} // namespace vcl
