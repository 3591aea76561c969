#pragma once

// A device context: the drawing state (selected objects, origins, modes,
// colours, clip region, saved states) over a surface. A memory DC draws into
// the bitmap selected into it (a new one holds the stock 1 x 1 monochrome
// bitmap); a surface DC draws into pixels owned by someone else, such as a
// window's 32-bit surface, seen through a visible region and a device origin
// that the window system sets.
//
// Coordinates: logical (what the caller passes) -> device (logical - window
// origin + viewport origin, MM_TEXT only) -> surface (device + device
// origin). The clip region is kept in device coordinates, as SelectClipRgn
// takes it; the total clip (clip region, visible region and surface bounds)
// is cached in surface coordinates.
//
// A DC's methods assume that the caller holds its lock (see DcLock).

#include "platform/win/gdi/ColorTranslator.h"
#include "platform/win/gdi/GdiBitmap.h"
#include "platform/win/gdi/GdiBrush.h"
#include "platform/win/gdi/GdiFont.h"
#include "platform/win/gdi/GdiPalette.h"
#include "platform/win/gdi/GdiPen.h"
#include "platform/win/gdi/Region.h"

#include <mutex>
#include <optional>
#include <vector>

namespace win {

struct DcState {
    DcRef<GdiPen> pen;
    DcRef<GdiBrush> brush;
    DcRef<GdiFont> font;
    DcRef<GdiPalette> palette;
    DcRef<GdiBitmap> bitmap; // memory DCs only
    std::optional<Region> clip;
    POINT viewportOrg{0, 0};
    POINT windowOrg{0, 0};
    POINT brushOrg{0, 0};
    POINT position{0, 0};
    int rop2 = R2_COPYPEN;
    int bkMode = OPAQUE;
    int stretchMode = BLACKONWHITE;
    int polyFillMode = ALTERNATE;
    int mapMode = MM_TEXT;
    int graphicsMode = GM_COMPATIBLE;
    int arcDirection = AD_COUNTERCLOCKWISE;
    COLORREF bkColor = RGB(255, 255, 255);
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF dcBrushColor = RGB(255, 255, 255);
    COLORREF dcPenColor = RGB(0, 0, 0);
    UINT textAlign = TA_LEFT | TA_TOP | TA_NOUPDATECP;
    int textCharacterExtra = 0;
};

class DeviceContext : public GdiObject {
public:
    // Screen metrics that device queries report.
    static constexpr int SCREEN_BITS_PER_PIXEL = 32;
    static constexpr int SCREEN_DPI = 96;

    static std::shared_ptr<DeviceContext> CreateMemory();
    // A DC over a 32-bit surface owned elsewhere (a window's).
    static std::shared_ptr<DeviceContext> CreateOverSurface(std::shared_ptr<GdiBitmap> surface);

    std::mutex& Mutex() { return FMutex; }
    bool IsMemoryDC() const { return FMemory; }
    DcState& State() { return FState; }
    const DcState& State() const { return FState; }

    // The pixels drawn into and their primitive table (picked when the
    // bitmap was selected).
    const DibView& Surface() const { return FSurface; }
    GdiBitmap* SurfaceBitmap() const { return FSurfaceBitmap.get(); }
    bool SurfaceIsMonoDdb() const { return FSurfaceBitmap && FSurfaceBitmap->IsMonoDdb(); }
    void SelectBitmap(DcRef<GdiBitmap> bitmap);

    // Window system hooks for surface DCs.
    void SetDeviceOrigin(POINT origin);
    POINT DeviceOrigin() const { return FDeviceOrigin; }
    // In surface coordinates; nullopt means the whole surface.
    void SetVisibleRegion(std::optional<Region> region);

    // SaveDC/RestoreDC: the new depth, 0 on failure; RestoreDC accepts a
    // positive level or a negative offset from the top.
    int Save();
    [[nodiscard]] bool Restore(int level);
    int SavedCount() const { return static_cast<int>(FSaved.size()); }

    // Coordinate conversion (results clamped to the accepted range).
    POINT LogicalToSurface(LONG x, LONG y) const;
    RECT LogicalToSurface(const RECT& rect) const;
    POINT DeviceToSurface(POINT p) const;
    RECT SurfaceToLogical(const RECT& rect) const;
    POINT LogicalToDevice(LONG x, LONG y) const;

    // Clip region (device coordinates) and the total clip.
    void SetClip(std::optional<Region> clip);
    const Region& TotalClip();
    // The clip region, or the whole surface in device coordinates when none
    // is selected (what clip-combining operations start from).
    Region ClipOrSurface() const;

    BrushContext MakeBrushContext() const;
    TranslateContext MakeTranslateContext(bool sourceIsMonoDdb) const;
    BrushPattern RealizeBrush(const GdiBrush& brush) const;
    BrushPattern RealizeCurrentBrush() const { return RealizeBrush(*FState.brush); }
    COLORREF PenColor() const;
    DWORD PixelOf(COLORREF color) const;

private:
    DeviceContext() : GdiObject(GdiKind::gkDC) {}
    void InitDefaults();
    void InvalidateClip() { FClipValid = false; }

    std::mutex FMutex;
    bool FMemory = true;
    DcState FState;
    std::vector<DcState> FSaved;
    std::shared_ptr<GdiBitmap> FSurfaceBitmap;
    DibView FSurface;
    POINT FDeviceOrigin{0, 0};
    std::optional<Region> FVisible;
    Region FTotalClip;
    bool FClipValid = false;
};

} // namespace win
