#pragma once

// The stock objects: what GetStockObject returns, the default 1 x 1
// monochrome bitmap of every new memory DC, and the system colour brushes.
// They live for the whole process and ignore DeleteObject.

#include "platform/win/gdi/GdiBitmap.h"
#include "platform/win/gdi/GdiBrush.h"
#include "platform/win/gdi/GdiFont.h"
#include "platform/win/gdi/GdiPalette.h"
#include "platform/win/gdi/GdiPen.h"

#include <array>

namespace win {

class GdiStock {
public:
    static const GdiStock& Instance();

    // nullptr for an index that names no stock object.
    HGDIOBJ Handle(int index) const;
    std::shared_ptr<GdiObject> Object(int index) const;
    HBITMAP DefaultBitmapHandle() const { return FDefaultBitmapHandle; }
    const std::shared_ptr<GdiBitmap>& DefaultBitmap() const { return FDefaultBitmap; }
    // nullptr for an index outside the colour table.
    HBRUSH SysColorBrush(int index) const;

    template <typename T>
    std::shared_ptr<T> ObjectAs(int index) const {
        return std::static_pointer_cast<T>(Object(index));
    }

private:
    GdiStock();
    HGDIOBJ Register(std::shared_ptr<GdiObject> object);

    std::array<std::shared_ptr<GdiObject>, STOCK_LAST + 1> FObjects;
    std::array<HGDIOBJ, STOCK_LAST + 1> FHandles{};
    std::shared_ptr<GdiBitmap> FDefaultBitmap;
    HBITMAP FDefaultBitmapHandle = nullptr;
    std::array<HBRUSH, COLOR_COUNT> FSysBrushes{};
    std::array<std::shared_ptr<GdiBrush>, COLOR_COUNT> FSysBrushObjects;
};

} // namespace win
