#pragma once

// A brush: solid, null, hatched (the six 8 x 8 hatch patterns), or a pattern
// taken from a bitmap (copied at creation, as GDI does). A brush is realised
// for the destination it paints: its pattern becomes pixel values of the
// destination's format, with alpha 0 on 32 bits.

#include "platform/win/gdi/GdiBitmap.h"

#include <memory>
#include <vector>

namespace win {

// Largest pattern a pattern brush takes, in pixels.
constexpr LONGLONG MAX_PATTERN_PIXELS = LONGLONG{1} << 22;

struct BrushContext {
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    COLORREF dcBrushColor = 0xFFFFFF;
    bool destIsMonoDdb = false;
    // Surface position of the pattern's top-left pixel.
    POINT origin{0, 0};
};

// A brush's pattern in a destination's pixel values.
struct BrushPattern {
    bool isNull = false;
    bool isSolid = false;
    DWORD solid = 0;
    LONG width = 0;
    LONG height = 0;
    std::vector<DWORD> pixels;
    // 1 where the pattern paints; empty when it paints everywhere (a hatch
    // brush on a transparent background paints only its lines).
    std::vector<std::uint8_t> paints;
    POINT origin{0, 0};

    bool HasGaps() const { return !paints.empty(); }
    // Pattern values (and paint flags, when `paintsOut` is given) for `count`
    // pixels of surface row y from column x.
    void Row(LONG x, LONG y, LONG count, DWORD* out, std::uint8_t* paintsOut) const;
};

class GdiBrush : public GdiObject {
public:
    // Rows of the six hatch patterns, most significant bit at the left.
    static const BYTE HatchBits[6][8];

    static std::shared_ptr<GdiBrush> Solid(COLORREF color);
    static std::shared_ptr<GdiBrush> Null();
    static std::shared_ptr<GdiBrush> Hatch(int hatchStyle, COLORREF color);
    // A pattern from a copy of `bitmap`; `dibPattern` records how it was made.
    static std::shared_ptr<GdiBrush> Pattern(std::shared_ptr<GdiBitmap> bitmap, bool dibPattern);
    static std::shared_ptr<GdiBrush> DcBrush();

    UINT Style() const { return FStyle; }
    COLORREF Color() const { return FColor; }
    ULONG_PTR HatchStyle() const { return FHatch; }
    bool IsDcBrush() const { return FDcBrush; }
    const std::shared_ptr<GdiBitmap>& PatternBitmap() const { return FPattern; }
    LOGBRUSH LogBrush() const;

    BrushPattern Realize(const DibView& dst, const BrushContext& context) const;

private:
    GdiBrush() : GdiObject(GdiKind::gkBrush) {}
    static std::shared_ptr<GdiBrush> Make();

    UINT FStyle = BS_SOLID;
    COLORREF FColor = 0;
    ULONG_PTR FHatch = 0;
    bool FDcBrush = false;
    bool FDibPattern = false;
    std::shared_ptr<GdiBitmap> FPattern;
};

} // namespace win
