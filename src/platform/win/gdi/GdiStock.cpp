#include "platform/win/gdi/GdiStock.h"

#include "platform/win/gdi/GdiHandleTable.h"
#include "platform/win/gdi/SysColors.h"

#include <cstring>

namespace win {

namespace {

LOGFONTW MakeLogFont(LONG height, LONG weight, BYTE pitchAndFamily, const char16_t* face) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = pitchAndFamily;
    for (int i = 0; i < LF_FACESIZE - 1 && face[i]; ++i) {
        lf.lfFaceName[i] = face[i];
    }
    return lf;
}

} // namespace

const GdiStock& GdiStock::Instance() {
    static const GdiStock* stock = new GdiStock();
    return *stock;
}

HGDIOBJ GdiStock::Register(std::shared_ptr<GdiObject> object) {
    object->MarkStock();
    return GdiHandleTable::Instance().Insert(std::move(object));
}

GdiStock::GdiStock() {
    auto add = [this](int index, std::shared_ptr<GdiObject> object) {
        FObjects[index] = object;
        FHandles[index] = Register(std::move(object));
    };
    add(WHITE_BRUSH, GdiBrush::Solid(RGB(255, 255, 255)));
    add(LTGRAY_BRUSH, GdiBrush::Solid(RGB(192, 192, 192)));
    add(GRAY_BRUSH, GdiBrush::Solid(RGB(128, 128, 128)));
    add(DKGRAY_BRUSH, GdiBrush::Solid(RGB(64, 64, 64)));
    add(BLACK_BRUSH, GdiBrush::Solid(RGB(0, 0, 0)));
    add(NULL_BRUSH, GdiBrush::Null());
    add(WHITE_PEN, std::make_shared<GdiPen>(false, PS_SOLID, 0, RGB(255, 255, 255)));
    add(BLACK_PEN, std::make_shared<GdiPen>(false, PS_SOLID, 0, RGB(0, 0, 0)));
    add(NULL_PEN, std::make_shared<GdiPen>(false, PS_NULL, 0, RGB(0, 0, 0)));
    add(OEM_FIXED_FONT, std::make_shared<GdiFont>(MakeLogFont(12, FW_NORMAL, 1, u"Terminal")));
    add(ANSI_FIXED_FONT, std::make_shared<GdiFont>(MakeLogFont(12, FW_NORMAL, 1, u"Courier")));
    add(ANSI_VAR_FONT, std::make_shared<GdiFont>(MakeLogFont(12, FW_NORMAL, 2, u"MS Sans Serif")));
    add(SYSTEM_FONT, std::make_shared<GdiFont>(MakeLogFont(16, FW_BOLD, 2, u"System")));
    add(DEVICE_DEFAULT_FONT, std::make_shared<GdiFont>(MakeLogFont(16, FW_BOLD, 2, u"System")));
    add(DEFAULT_PALETTE, std::make_shared<GdiPalette>(GdiPalette::DefaultEntries()));
    add(SYSTEM_FIXED_FONT, std::make_shared<GdiFont>(MakeLogFont(16, FW_NORMAL, 1, u"Fixedsys")));
    add(DEFAULT_GUI_FONT, std::make_shared<GdiFont>(MakeLogFont(-11, FW_NORMAL, 0, u"MS Shell Dlg")));
    add(DC_BRUSH, GdiBrush::DcBrush());
    auto dcPen = std::make_shared<GdiPen>(false, PS_SOLID, 0, RGB(0, 0, 0));
    dcPen->MarkDcPen();
    add(DC_PEN, dcPen);

    DWORD error;
    FDefaultBitmap = GdiBitmap::Create(BitmapKind::bkDeviceDependent, 1, 1, 1, true, nullptr, 0, error);
    FDefaultBitmapHandle = static_cast<HBITMAP>(Register(FDefaultBitmap));

    for (int i = 0; i < COLOR_COUNT; ++i) {
        FSysBrushObjects[i] = GdiBrush::Solid(SysColorValue(i));
        FSysBrushes[i] = static_cast<HBRUSH>(Register(FSysBrushObjects[i]));
    }
}

HGDIOBJ GdiStock::Handle(int index) const {
    if (index < 0 || index > STOCK_LAST) {
        return nullptr;
    }
    return FHandles[index];
}

std::shared_ptr<GdiObject> GdiStock::Object(int index) const {
    if (index < 0 || index > STOCK_LAST) {
        return nullptr;
    }
    return FObjects[index];
}

HBRUSH GdiStock::SysColorBrush(int index) const {
    if (index < 0 || index >= COLOR_COUNT) {
        return nullptr;
    }
    return FSysBrushes[index];
}

} // namespace win
