#include "platform/vcl/Picture.h"

#include "platform/rtl/Format.h"
#include "platform/rtl/StringUtils.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Icon.h"

namespace vcl {

RTL_IMPLEMENT_CLASS(TPicture)

TPicture::~TPicture() {
    rtl::FreeAndNil(FGraphic);
}

void TPicture::Assign(rtl::TPersistent* source) {
    if (!source) {
        SetGraphic(nullptr);
    } else if (auto* picture = rtl::ObjectCast<TPicture>(source)) {
        if (picture != this)
            SetGraphic(picture->FGraphic);
    } else if (auto* graphic = rtl::ObjectCast<TGraphic>(source)) {
        SetGraphic(graphic);
    } else {
        inherited::Assign(source);
    }
}

void TPicture::AssignTo(rtl::TPersistent* dest) {
    if (auto* graphic = rtl::ObjectCast<TGraphic>(dest); graphic && FGraphic) {
        graphic->Assign(FGraphic);
        return;
    }
    inherited::AssignTo(dest);
}

void TPicture::SetGraphic(TGraphic* value) {
    TGraphic* copy = nullptr;
    if (value) {
        copy = CreateGraphic(value->ClassType());
        try {
            copy->Assign(value);
        } catch (...) {
            copy->Free();
            throw;
        }
    }
    InstallGraphic(copy);
}

void TPicture::InstallGraphic(TGraphic* graphic) {
    if (graphic == FGraphic)
        return;
    rtl::FreeAndNil(FGraphic);
    FGraphic = graphic;
    if (FGraphic) {
        FGraphic->OnChange = rtl::TNotifyEvent(this, &TPicture::Changed);
        FGraphic->OnProgress = TProgressEvent(this, &TPicture::Progress);
    }
    Changed(this);
}

void TPicture::ForceType(TGraphicClass graphicClass) {
    if (FGraphic && FGraphic->ClassType() == graphicClass)
        return;
    InstallGraphic(CreateGraphic(graphicClass));
}

TBitmap* TPicture::Bitmap() {
    ForceType(TBitmap::StaticClass());
    return static_cast<TBitmap*>(FGraphic);
}

TIcon* TPicture::Icon() {
    ForceType(TIcon::StaticClass());
    return static_cast<TIcon*>(FGraphic);
}

void TPicture::LoadFromFile(const String& fileName) {
    String ext = rtl::ExtractFileExt(fileName);
    if (!ext.empty() && ext.front() == u'.')
        ext.erase(0, 1);
    TGraphicClass graphicClass = FileFormats().FindExt(ext);
    if (!graphicClass)
        throw EInvalidGraphic(rtl::Format(u"Unknown picture file extension (.%s)", {ext}));
    TGraphic* graphic = CreateGraphic(graphicClass);
    try {
        graphic->OnProgress = TProgressEvent(this, &TPicture::Progress);
        graphic->LoadFromFile(fileName);
    } catch (...) {
        graphic->Free();
        throw;
    }
    InstallGraphic(graphic);
}

void TPicture::SaveToFile(const String& fileName) {
    if (FGraphic)
        FGraphic->SaveToFile(fileName);
}

void TPicture::RegisterFileFormat(const String& extension, const String& description,
                                  TGraphicClass graphicClass) {
    FileFormats().Add(extension, description, graphicClass);
}

void TPicture::UnregisterGraphicClass(TGraphicClass graphicClass) {
    FileFormats().Remove(graphicClass);
}

void TPicture::Changed(rtl::TObject*) {
    if (OnChange)
        OnChange(this);
}

void TPicture::Progress(rtl::TObject* sender, TProgressStage stage, std::uint8_t percentDone, bool redrawNow,
                        const TRect& r, const String& msg) {
    if (OnProgress)
        OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

} // namespace vcl
