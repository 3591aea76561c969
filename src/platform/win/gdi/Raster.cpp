#include "platform/win/gdi/Raster.h"

#include "platform/win/gdi/SourceSampler.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace win::raster {

DibView Argb32View() {
    DibView view;
    view.bitsPerPixel = 32;
    view.ops = PixelFormatFor(32);
    return view;
}

namespace {

thread_local std::vector<DWORD> tlsDst;
thread_local std::vector<DWORD> tlsSrc;
thread_local std::vector<DWORD> tlsPat;
thread_local std::vector<std::uint8_t> tlsPaints;

DWORD* Buffer(std::vector<DWORD>& v, LONG n) {
    if (v.size() < static_cast<size_t>(n)) {
        v.resize(static_cast<size_t>(n));
    }
    return v.data();
}

// The destination row to operate on: the pixels themselves on 32 bits, else
// a copy that WriteBack stores.
DWORD* DestRow(const DibView& dst, LONG x, LONG y, LONG n, bool needValues) {
    if (dst.bitsPerPixel == 32) {
        return dst.Row32(y) + x;
    }
    DWORD* row = Buffer(tlsDst, n);
    if (needValues) {
        dst.ops->ReadRow(dst, x, y, n, row);
    }
    return row;
}

void WriteBack(const DibView& dst, LONG x, LONG y, LONG n, const DWORD* row) {
    if (dst.bitsPerPixel != 32) {
        dst.ops->WriteRow(dst, x, y, n, row);
    }
}

} // namespace

void PatternRect(const DibView& dst, const RECT& r, const BrushPattern& pattern, BYTE rop3) {
    assert(r.left >= 0 && r.top >= 0 && r.right <= dst.width && r.bottom <= dst.height);
    if (RectIsEmpty(r) || pattern.isNull) {
        return;
    }
    if (!Rop3UsesPattern(rop3) || pattern.isSolid) {
        const RopMasks m = Rop3PatternMasks(rop3, pattern.isSolid ? pattern.solid : 0);
        dst.ops->SolidRect(dst, r, m.andMask, m.xorMask);
        return;
    }
    const LONG n = r.right - r.left;
    const bool usesDest = Rop3UsesDest(rop3) || pattern.HasGaps();
    DWORD* pat = Buffer(tlsPat, n);
    std::uint8_t* paints = nullptr;
    if (pattern.HasGaps()) {
        tlsPaints.resize(static_cast<size_t>(n));
        paints = tlsPaints.data();
    }
    DWORD* before = pattern.HasGaps() ? Buffer(tlsSrc, n) : nullptr;
    for (LONG y = r.top; y < r.bottom; ++y) {
        pattern.Row(r.left, y, n, pat, paints);
        DWORD* row = DestRow(dst, r.left, y, n, usesDest);
        if (before) {
            std::copy_n(row, n, before);
        }
        ApplyRop3(rop3, row, nullptr, pat, n);
        if (before) {
            for (LONG i = 0; i < n; ++i) {
                if (!paints[i]) {
                    row[i] = before[i];
                }
            }
        }
        WriteBack(dst, r.left, y, n, row);
    }
}

// The end of a source row's trip: translated into the destination's values,
// combined with pattern and destination by the raster operation, stored.
void CombineSourceRow(const DibView& dst, LONG x, LONG y, LONG n, DWORD* srcRow,
                      const ColorTranslator& translator, const BrushPattern* pattern, DWORD* pat, BYTE rop3,
                      bool usesDest) {
    if (rop3 == 0xCC) {
        // A plain copy translates straight into the destination row.
        DWORD* row = DestRow(dst, x, y, n, false);
        translator.Translate(srcRow, row, n);
        WriteBack(dst, x, y, n, row);
        return;
    }
    translator.Translate(srcRow, srcRow, n);
    if (pat) {
        pattern->Row(x, y, n, pat, nullptr);
    }
    DWORD* row = DestRow(dst, x, y, n, usesDest);
    ApplyRop3(rop3, row, srcRow, pat, n);
    WriteBack(dst, x, y, n, row);
}

void BltRect(const DibView& dst, const RECT& r, const DibView& src, POINT so,
             const ColorTranslator& translator, const BrushPattern* pattern, BYTE rop3) {
    assert(r.left >= 0 && r.top >= 0 && r.right <= dst.width && r.bottom <= dst.height);
    assert(so.x >= 0 && so.y >= 0 && so.x + (r.right - r.left) <= src.width &&
           so.y + (r.bottom - r.top) <= src.height);
    if (RectIsEmpty(r)) {
        return;
    }
    if (rop3 == 0xCC && translator.IsIdentity() && dst.bitsPerPixel == src.bitsPerPixel) {
        dst.ops->CopyRect(dst, r, src, so);
        return;
    }
    if (!Rop3UsesSource(rop3)) {
        BrushPattern none;
        PatternRect(dst, r, pattern ? *pattern : none, rop3);
        return;
    }
    const LONG n = r.right - r.left;
    const LONG h = r.bottom - r.top;
    const bool usesDest = Rop3UsesDest(rop3);
    const bool usesPattern = Rop3UsesPattern(rop3) && pattern && !pattern->isNull;
    DWORD* srcRow = Buffer(tlsSrc, n);
    DWORD* pat = usesPattern ? Buffer(tlsPat, n) : nullptr;
    // Rows bottom-up when the source lies above the destination in one bitmap.
    const bool backwards = dst.bits == src.bits && so.y < r.top;
    for (LONG i = 0; i < h; ++i) {
        const LONG k = backwards ? h - 1 - i : i;
        const LONG y = r.top + k;
        src.ops->ReadRow(src, so.x, so.y + k, n, srcRow);
        CombineSourceRow(dst, r.left, y, n, srcRow, translator, pattern, pat, rop3, usesDest);
    }
}

void SampledRect(const DibView& dst, const RECT& r, SourceSampler& sampler, POINT origin,
                 const ColorTranslator& translator, const BrushPattern* pattern, BYTE rop3) {
    if (RectIsEmpty(r)) {
        return;
    }
    const LONG n = r.right - r.left;
    const bool usesDest = Rop3UsesDest(rop3);
    const bool usesPattern = Rop3UsesPattern(rop3) && pattern && !pattern->isNull;
    DWORD* srcRow = Buffer(tlsSrc, n);
    DWORD* pat = usesPattern ? Buffer(tlsPat, n) : nullptr;
    for (LONG y = r.top; y < r.bottom; ++y) {
        sampler.Row(y - origin.y, r.left - origin.x, n, srcRow);
        CombineSourceRow(dst, r.left, y, n, srcRow, translator, pattern, pat, rop3, usesDest);
    }
}

void FillArea(DeviceContext& dc, const RECT& surfaceRect, const BrushPattern& pattern, BYTE rop3) {
    if (pattern.isNull && Rop3UsesPattern(rop3)) {
        return;
    }
    for (const RECT& r : dc.TotalClip().ClipRects(RectNormalized(surfaceRect))) {
        PatternRect(dc.Surface(), r, pattern, rop3);
    }
}

void FillRegion(DeviceContext& dc, const Region& surfaceRegion, const BrushPattern& pattern, BYTE rop3) {
    if (pattern.isNull && Rop3UsesPattern(rop3)) {
        return;
    }
    const Region visible = Region::Combine(surfaceRegion, dc.TotalClip(), RGN_AND);
    for (const RECT& r : visible.Rects()) {
        PatternRect(dc.Surface(), r, pattern, rop3);
    }
}

void MaskRegion(DeviceContext& dc, const Region& surfaceRegion, RopMasks masks) {
    const Region visible = Region::Combine(surfaceRegion, dc.TotalClip(), RGN_AND);
    const DibView& dst = dc.Surface();
    for (const RECT& r : visible.Rects()) {
        dst.ops->SolidRect(dst, r, masks.andMask, masks.xorMask);
    }
}

} // namespace win::raster
