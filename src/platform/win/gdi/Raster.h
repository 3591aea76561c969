#pragma once

// The raster routines above the per-format primitives: pattern fills, block
// transfers with any ternary raster operation, and solid fills with AND/XOR
// masks. The `...Rect` routines take a rectangle that already lies inside the
// bitmap; the DC routines clip a surface-coordinate area to the DC's total
// clip once and hand each visible rectangle to a primitive.

#include "platform/win/gdi/ColorTranslator.h"
#include "platform/win/gdi/DeviceContext.h"
#include "platform/win/gdi/RasterOp.h"

namespace win {

class SourceSampler;

namespace raster {

// dst = rop3(pattern, dst) over `rect`; gaps of the pattern stay untouched.
void PatternRect(const DibView& dst, const RECT& rect, const BrushPattern& pattern, BYTE rop3);
// dst = rop3(pattern, translated source, dst) over `rect`; `pattern` may be
// null when the operation does not use it.
void BltRect(const DibView& dst, const RECT& rect, const DibView& src, POINT srcOrigin,
             const ColorTranslator& translator, const BrushPattern* pattern, BYTE rop3);
// The same with source pixels from a sampler (in 32-bit values) for the
// destination rectangle's pixels; `sampleOrigin` is the destination pixel
// that the sampler's (0, 0) stands for.
void SampledRect(const DibView& dst, const RECT& rect, SourceSampler& sampler, POINT sampleOrigin,
                 const ColorTranslator& translator, const BrushPattern* pattern, BYTE rop3);

// Clipped to the DC.
void FillArea(DeviceContext& dc, const RECT& surfaceRect, const BrushPattern& pattern, BYTE rop3);
void FillRegion(DeviceContext& dc, const Region& surfaceRegion, const BrushPattern& pattern, BYTE rop3);
void MaskRegion(DeviceContext& dc, const Region& surfaceRegion, RopMasks masks);

// A view that stands for 32-bit values produced by a sampler.
DibView Argb32View();

} // namespace raster
} // namespace win
