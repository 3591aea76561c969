#include "platform/vcl/Icon.h"

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Canvas.h"
#include "platform/win/gdi/Gdi.h"

namespace vcl {

RTL_IMPLEMENT_CLASS(TIcon)

TIcon::~TIcon() {
    if (FHandle)
        win::DestroyIcon(FHandle);
}

void TIcon::ReadSize() {
    FWidth = FHeight = 0;
    win::ICONINFO info{};
    if (!FHandle || !win::GetIconInfo(FHandle, &info))
        return;
    win::BITMAP bm{};
    if (info.hbmColor && win::GetObjectW(info.hbmColor, sizeof bm, &bm)) {
        FWidth = bm.bmWidth;
        FHeight = bm.bmHeight;
    } else if (info.hbmMask && win::GetObjectW(info.hbmMask, sizeof bm, &bm)) {
        // A monochrome icon's mask holds the AND and the XOR halves.
        FWidth = bm.bmWidth;
        FHeight = bm.bmHeight / 2;
    }
    if (info.hbmColor)
        win::DeleteObject(info.hbmColor);
    if (info.hbmMask)
        win::DeleteObject(info.hbmMask);
}

void TIcon::SetHandle(win::HICON value) {
    if (value == FHandle)
        return;
    if (FHandle)
        win::DestroyIcon(FHandle);
    FHandle = value;
    ReadSize();
    Changed(this);
}

win::HICON TIcon::ReleaseHandle() {
    win::HICON handle = FHandle;
    FHandle = nullptr;
    FWidth = FHeight = 0;
    return handle;
}

void TIcon::Assign(rtl::TPersistent* source) {
    if (!source) {
        SetHandle(nullptr);
        return;
    }
    auto* icon = rtl::ObjectCast<TIcon>(source);
    if (!icon) {
        inherited::Assign(source);
        return;
    }
    if (icon != this)
        SetHandle(icon->FHandle ? win::CopyIcon(icon->FHandle) : nullptr);
}

void TIcon::AssignTo(rtl::TPersistent* dest) {
    auto* bitmap = rtl::ObjectCast<TBitmap>(dest);
    if (!bitmap) {
        inherited::AssignTo(dest);
        return;
    }
    bitmap->SetSize(0, 0);
    bitmap->SetAlphaFormat(afIgnored);
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(FWidth, FHeight);
    if (FHandle && FWidth > 0 && FHeight > 0) {
        // A fresh DIB is transparent black; DrawIconEx leaves alpha that
        // premultiplied drawing reads as is.
        win::DrawIconEx(bitmap->Canvas()->Handle(), 0, 0, FHandle, FWidth, FHeight, 0, nullptr,
                        win::DI_NORMAL);
    }
    bitmap->SetAlphaFormat(afPremultiplied);
}

void TIcon::Draw(TCanvas* canvas, const TRect& rect) {
    if (!FHandle || !canvas)
        return;
    win::DrawIconEx(canvas->Handle(), rect.left, rect.top, FHandle, rect.right - rect.left,
                    rect.bottom - rect.top, 0, nullptr, win::DI_NORMAL);
}

void TIcon::LoadFromStream(rtl::TStream*) {
    throw EInvalidGraphicOperation(u"Icon files are not supported");
}

void TIcon::SaveToStream(rtl::TStream*) {
    throw EInvalidGraphicOperation(u"Icon files are not supported");
}

void TIcon::SetWidthValue(int) {
    throw EInvalidGraphicOperation(u"Cannot change the size of an icon");
}

void TIcon::SetHeightValue(int) {
    throw EInvalidGraphicOperation(u"Cannot change the size of an icon");
}

} // namespace vcl
