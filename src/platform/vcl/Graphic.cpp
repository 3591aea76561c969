#include "platform/vcl/Graphic.h"

#include "platform/rtl/FileStream.h"
#include "platform/rtl/MemoryStream.h"

#include <cstring>
#include <memory>

namespace vcl {

RTL_IMPLEMENT_ABSTRACT_CLASS(TGraphic)

void TGraphic::DrawTransparent(TCanvas* canvas, const TRect& rect, std::uint8_t) {
    Draw(canvas, rect);
}

void TGraphic::SetSize(int width, int height) {
    SetWidth(width);
    SetHeight(height);
}

void TGraphic::SetModified(bool value) {
    if (value)
        Changed(this);
    else
        FModified = false;
}

void TGraphic::SetTransparentValue(bool value) {
    if (value == FTransparent)
        return;
    FTransparent = value;
    Changed(this);
}

void TGraphic::LoadFromFile(const String& fileName) {
    rtl::TFileStream stream(fileName, static_cast<std::uint16_t>(rtl::fmOpenRead | rtl::fmShareDenyWrite));
    LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const String& fileName) {
    rtl::TFileStream stream(fileName, rtl::fmCreate);
    SaveToStream(&stream);
}

void TGraphic::ReadData(rtl::TStream* stream) {
    LoadFromStream(stream);
}

void TGraphic::WriteData(rtl::TStream* stream) {
    SaveToStream(stream);
}

bool TGraphic::Equals(TGraphic* graphic) {
    if (!graphic || graphic->ClassType() != ClassType())
        return false;
    if (graphic == this)
        return true;
    if (Empty() || graphic->Empty())
        return Empty() && graphic->Empty();
    rtl::TMemoryStream mine;
    rtl::TMemoryStream theirs;
    WriteData(&mine);
    graphic->WriteData(&theirs);
    return mine.Size() == theirs.Size() &&
           std::memcmp(mine.Memory(), theirs.Memory(), static_cast<std::size_t>(mine.Size())) == 0;
}

void TGraphic::Changed(rtl::TObject*) {
    FModified = true;
    if (OnChange)
        OnChange(this);
}

void TGraphic::Progress(rtl::TObject* sender, TProgressStage stage, std::uint8_t percentDone, bool redrawNow,
                        const TRect& r, const String& msg) {
    if (OnProgress)
        OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

TGraphic* CreateGraphic(TGraphicClass graphicClass) {
    if (!graphicClass || !graphicClass->InheritsFrom(TGraphic::StaticClass()) || !graphicClass->Factory)
        throw EInvalidGraphic(u"Invalid graphic class");
    return static_cast<TGraphic*>(graphicClass->Create());
}

} // namespace vcl
