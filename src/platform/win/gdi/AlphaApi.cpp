// Exports of msimg32: AlphaBlend, TransparentBlt and GradientFill.
//
// AlphaBlend, per channel c (alpha included) of a source pixel S over a
// destination pixel D, with constant alpha K and x/255 rounded to nearest:
//   per-pixel alpha (AC_SRC_ALPHA): S' = S * K / 255;  D = S' + D * (255 - S'.a) / 255
//   constant alpha only:            D = S * K / 255 + D * (255 - K) / 255
// The per-pixel form expects premultiplied colour; sums above 255 saturate.

#include "platform/win/gdi/Blt_p.h"
#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/Raster.h"
#include "platform/win/gdi/RegionShapes.h"
#include "platform/win/gdi/SourceSampler.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace win::gdi_p {

namespace {

constexpr DWORD Div255(DWORD x) {
    return (x + 128 + ((x + 128) >> 8)) >> 8;
}

DWORD ScaleArgb(DWORD s, DWORD k) {
    return Div255((s & 0xFF) * k) | (Div255(((s >> 8) & 0xFF) * k) << 8) |
           (Div255(((s >> 16) & 0xFF) * k) << 16) | (Div255((s >> 24) * k) << 24);
}

DWORD OverPremultiplied(DWORD s, DWORD d) {
    const DWORD inv = 255 - (s >> 24);
    DWORD out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const DWORD c = ((s >> shift) & 0xFF) + Div255(((d >> shift) & 0xFF) * inv);
        out |= std::min<DWORD>(c, 255) << shift;
    }
    return out;
}

DWORD MixConstant(DWORD s, DWORD d, DWORD k) {
    DWORD out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        out |= Div255(((s >> shift) & 0xFF) * k + ((d >> shift) & 0xFF) * (255 - k)) << shift;
    }
    return out;
}

// Premultiplied source over destination for a row of 32-bit pixels.
void OverRow(DWORD* d, const DWORD* s, LONG n) {
    LONG i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi16(128);
    for (; i + 4 <= n; i += 4) {
        const __m128i src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        __m128i alpha = _mm_srli_epi32(src, 24);
        alpha = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 8));
        alpha = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
        const __m128i inv = _mm_xor_si128(alpha, _mm_set1_epi32(-1));
        __m128i lo = _mm_mullo_epi16(_mm_unpacklo_epi8(dst, zero), _mm_unpacklo_epi8(inv, zero));
        __m128i hi = _mm_mullo_epi16(_mm_unpackhi_epi8(dst, zero), _mm_unpackhi_epi8(inv, zero));
        lo = _mm_add_epi16(lo, bias);
        hi = _mm_add_epi16(hi, bias);
        lo = _mm_srli_epi16(_mm_add_epi16(lo, _mm_srli_epi16(lo, 8)), 8);
        hi = _mm_srli_epi16(_mm_add_epi16(hi, _mm_srli_epi16(hi, 8)), 8);
        const __m128i out = _mm_adds_epu8(_mm_packus_epi16(lo, hi), src);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), out);
    }
#endif
    for (; i < n; ++i) {
        const DWORD a = s[i] >> 24;
        if (a == 255) {
            d[i] = s[i];
        } else if (s[i] != 0) {
            d[i] = OverPremultiplied(s[i], d[i]);
        }
    }
}

void BlendRow(DWORD* d, DWORD* s, LONG n, const BLENDFUNCTION& blend) {
    const DWORD k = blend.SourceConstantAlpha;
    if (blend.AlphaFormat & AC_SRC_ALPHA) {
        if (k != 255) {
            for (LONG i = 0; i < n; ++i) {
                s[i] = ScaleArgb(s[i], k);
            }
        }
        OverRow(d, s, n);
        return;
    }
    for (LONG i = 0; i < n; ++i) {
        d[i] = MixConstant(s[i], d[i], k);
    }
}

thread_local std::vector<DWORD> tlsSource;
thread_local std::vector<DWORD> tlsDest;

DWORD* Buffer(std::vector<DWORD>& v, LONG n) {
    if (v.size() < static_cast<size_t>(n)) {
        v.resize(static_cast<size_t>(n));
    }
    return v.data();
}

} // namespace

// Per-row work of AlphaBlend and TransparentBlt over a sampled source.
template <typename RowFn>
void ForEachSampledRow(DeviceContext& dst, LONG x, LONG y, LONG w, LONG h, const BltSource& srcIn, LONG sx,
                       LONG sy, LONG sw, LONG sh, int stretchMode, RowFn fn) {
    const Region visible = dst.TotalClip().Intersected(RECT{x, y, x + w, y + h});
    if (visible.IsEmpty()) {
        return;
    }
    SourceCopy copy;
    const BltSource* src = &srcIn;
    if (dst.Surface().bits == srcIn.view.bits) {
        copy = CopyOfArea(srcIn, RECT{sx, sy, sx + sw, sy + sh});
        if (!copy.bitmap) {
            return;
        }
        src = &copy.source;
    }
    const DibView& surface = dst.Surface();
    if (w == sw && h == sh) {
        // Unscaled: source rows are read as they are.
        const ColorTranslator toArgb(src->view, raster::Argb32View(),
                                     dst.MakeTranslateContext(src->isMonoDdb));
        for (const RECT& r : visible.Rects()) {
            const LONG n = r.right - r.left;
            DWORD* source = Buffer(tlsSource, n);
            for (LONG row = r.top; row < r.bottom; ++row) {
                src->view.ops->ReadRow(src->view, sx + (r.left - x), sy + (row - y), n, source);
                toArgb.Translate(source, source, n);
                fn(surface, r.left, row, n, source);
            }
        }
        return;
    }
    const RECT box = visible.Box();
    SourceSampler sampler(src->view, dst.MakeTranslateContext(src->isMonoDdb), RECT{sx, sy, sx + sw, sy + sh},
                          w, h, false, false, stretchMode,
                          RECT{box.left - x, box.top - y, box.right - x, box.bottom - y});
    const RECT v = sampler.ValidArea();
    for (const RECT& r : visible.ClipRects(RECT{v.left + x, v.top + y, v.right + x, v.bottom + y})) {
        const LONG n = r.right - r.left;
        DWORD* source = Buffer(tlsSource, n);
        for (LONG row = r.top; row < r.bottom; ++row) {
            sampler.Row(row - y, r.left - x, n, source);
            fn(surface, r.left, row, n, source);
        }
    }
}

void AlphaBlendCore(DeviceContext& dst, LONG x, LONG y, LONG w, LONG h, const BltSource& source, LONG sx,
                    LONG sy, LONG sw, LONG sh, const BLENDFUNCTION& blend) {
    const int mode = dst.State().stretchMode == HALFTONE ? HALFTONE : COLORONCOLOR;
    const ColorTranslator toArgb(dst.Surface(), raster::Argb32View(), dst.MakeTranslateContext(false));
    const ColorTranslator fromArgb(raster::Argb32View(), dst.Surface(), dst.MakeTranslateContext(false));
    ForEachSampledRow(dst, x, y, w, h, source, sx, sy, sw, sh, mode,
                      [&](const DibView& surface, LONG px, LONG py, LONG n, DWORD* row) {
                          if (surface.bitsPerPixel == 32) {
                              BlendRow(surface.Row32(py) + px, row, n, blend);
                              return;
                          }
                          DWORD* target = Buffer(tlsDest, n);
                          surface.ops->ReadRow(surface, px, py, n, target);
                          toArgb.Translate(target, target, n);
                          BlendRow(target, row, n, blend);
                          fromArgb.Translate(target, target, n);
                          surface.ops->WriteRow(surface, px, py, n, target);
                      });
}

} // namespace win::gdi_p

namespace win::direct {

using namespace gdi_p;

namespace {

struct SourceArea {
    BltSource source;
    RECT rect; // surface coordinates of the source
};

// The source of AlphaBlend and TransparentBlt: its rectangle must lie inside
// the source bitmap and no size may be negative (zero sizes draw nothing).
std::optional<SourceArea> CheckedSourceArea(const BltLock& lock, int xSrc, int ySrc, int srcWidth,
                                            int srcHeight, int width, int height) {
    if (width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0) {
        return std::nullopt;
    }
    SourceArea area{SourceOf(*lock.Source()),
                    lock.Source()->LogicalToSurface(
                        MakeRect(xSrc, ySrc, LONGLONG{xSrc} + srcWidth, LONGLONG{ySrc} + srcHeight))};
    const RECT& s = area.rect;
    const RECT& b = area.source.bounds;
    if (s.left < b.left || s.top < b.top || s.right > b.right || s.bottom > b.bottom) {
        return std::nullopt;
    }
    return area;
}

} // namespace

BOOL AlphaBlend(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, BLENDFUNCTION blend) {
    if (blend.BlendOp != AC_SRC_OVER || blend.BlendFlags != 0 || (blend.AlphaFormat & ~AC_SRC_ALPHA) != 0) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    BltLock lock(dest, src, true);
    if (!lock) {
        return 0;
    }
    DeviceContext& dst = lock.Dest();
    const auto area = CheckedSourceArea(lock, xSrc, ySrc, srcWidth, srcHeight, width, height);
    if (!area || ((blend.AlphaFormat & AC_SRC_ALPHA) && area->source.view.bitsPerPixel != 32)) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    const BltSource& source = area->source;
    const RECT& s = area->rect;
    if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0 || blend.SourceConstantAlpha == 0) {
        return 1;
    }
    const RECT d = dst.LogicalToSurface(MakeRect(x, y, LONGLONG{x} + width, LONGLONG{y} + height));
    AlphaBlendCore(dst, d.left, d.top, d.right - d.left, d.bottom - d.top, source, s.left, s.top,
                   s.right - s.left, s.bottom - s.top, blend);
    return 1;
}

BOOL TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                    int srcHeight, UINT transparent) {
    BltLock lock(dest, src, true);
    if (!lock) {
        return 0;
    }
    DeviceContext& dst = lock.Dest();
    const auto area = CheckedSourceArea(lock, xSrc, ySrc, srcWidth, srcHeight, width, height);
    if (!area) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    const BltSource& source = area->source;
    const RECT& s = area->rect;
    if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0) {
        return 1;
    }
    const RECT d = dst.LogicalToSurface(MakeRect(x, y, LONGLONG{x} + width, LONGLONG{y} + height));
    // The key compares colours: the low 24 bits of the sampled source value.
    const DWORD key = ColorToPixel(raster::Argb32View(), transparent & 0xFFFFFF);
    const ColorTranslator fromArgb(raster::Argb32View(), dst.Surface(), dst.MakeTranslateContext(false));
    ForEachSampledRow(dst, d.left, d.top, d.right - d.left, d.bottom - d.top, source, s.left, s.top,
                      s.right - s.left, s.bottom - s.top, COLORONCOLOR,
                      [&](const DibView& surface, LONG px, LONG py, LONG n, DWORD* row) {
                          LONG i = 0;
                          while (i < n) {
                              if ((row[i] & 0xFFFFFF) == key) {
                                  ++i;
                                  continue;
                              }
                              LONG end = i;
                              while (end < n && (row[end] & 0xFFFFFF) != key) {
                                  ++end;
                              }
                              fromArgb.Translate(row + i, row + i, end - i);
                              surface.ops->WriteRow(surface, px + i, py, end - i, row + i);
                              i = end;
                          }
                      });
    return 1;
}

namespace {

DWORD Interpolate(const TRIVERTEX& a, const TRIVERTEX& b, LONGLONG pos, LONGLONG length) {
    auto channel = [&](COLOR16 ca, COLOR16 cb) {
        const LONGLONG v = ca + (LONGLONG{cb} - ca) * pos / length;
        return static_cast<DWORD>(v >> 8) & 0xFF;
    };
    return channel(a.Blue, b.Blue) | (channel(a.Green, b.Green) << 8) | (channel(a.Red, b.Red) << 16) |
           (channel(a.Alpha, b.Alpha) << 24);
}

// Writes 32-bit values into the DC (converted to its format), replacing pixels.
void PutRow(DeviceContext& dc, const ColorTranslator& fromArgb, LONG x, LONG y, LONG n, DWORD* row) {
    const DibView& surface = dc.Surface();
    fromArgb.Translate(row, row, n);
    surface.ops->WriteRow(surface, x, y, n, row);
}

void FillGradientRect(DeviceContext& dc, const ColorTranslator& fromArgb, TRIVERTEX a, TRIVERTEX b,
                      bool vertical) {
    // Colours follow the coordinates: the vertex with the smaller x (or y) starts.
    if ((!vertical && a.x > b.x) || (vertical && a.y > b.y)) {
        std::swap(a, b);
    }
    const POINT pa = dc.LogicalToSurface(a.x, a.y);
    const POINT pb = dc.LogicalToSurface(b.x, b.y);
    const RECT area = RectNormalized(RECT{pa.x, pa.y, pb.x, pb.y});
    const LONGLONG length = vertical ? LONGLONG{pb.y} - pa.y : LONGLONG{pb.x} - pa.x;
    if (length <= 0) {
        return;
    }
    std::vector<DWORD> row;
    for (const RECT& r : dc.TotalClip().ClipRects(area)) {
        const LONG n = r.right - r.left;
        row.resize(static_cast<size_t>(n));
        for (LONG y = r.top; y < r.bottom; ++y) {
            for (LONG i = 0; i < n; ++i) {
                const LONGLONG pos = vertical ? LONGLONG{y} - pa.y : LONGLONG{r.left} + i - pa.x;
                row[static_cast<size_t>(i)] = Interpolate(a, b, pos, length);
            }
            PutRow(dc, fromArgb, r.left, y, n, row.data());
        }
    }
}

void FillGradientTriangle(DeviceContext& dc, const ColorTranslator& fromArgb, const TRIVERTEX* v[3]) {
    POINT p[3];
    for (int i = 0; i < 3; ++i) {
        p[i] = dc.LogicalToSurface(v[i]->x, v[i]->y);
    }
    const INT three[1] = {3};
    const auto area = PolyPolygonRegion(p, three, 1, ALTERNATE, dc.TotalClip().Box());
    if (!area) {
        return;
    }
    const Region visible = Region::Combine(*area, dc.TotalClip(), RGN_AND);
    const double x0 = p[0].x, y0 = p[0].y, x1 = p[1].x, y1 = p[1].y, x2 = p[2].x, y2 = p[2].y;
    const double det = (y1 - y2) * (x0 - x2) + (x2 - x1) * (y0 - y2);
    if (det == 0) {
        return;
    }
    std::vector<DWORD> row;
    for (const RECT& r : visible.Rects()) {
        const LONG n = r.right - r.left;
        row.resize(static_cast<size_t>(n));
        for (LONG y = r.top; y < r.bottom; ++y) {
            for (LONG i = 0; i < n; ++i) {
                // Barycentric weights at the pixel centre.
                const double px = r.left + i + 0.5;
                const double py = y + 0.5;
                const double w0 = std::clamp(((y1 - y2) * (px - x2) + (x2 - x1) * (py - y2)) / det, 0.0, 1.0);
                const double w1 = std::clamp(((y2 - y0) * (px - x2) + (x0 - x2) * (py - y2)) / det, 0.0, 1.0);
                const double w2 = std::clamp(1.0 - w0 - w1, 0.0, 1.0);
                auto channel = [&](COLOR16 TRIVERTEX::*c) {
                    const double value = w0 * (v[0]->*c) + w1 * (v[1]->*c) + w2 * (v[2]->*c);
                    return static_cast<DWORD>(std::clamp(value, 0.0, 65535.0)) >> 8;
                };
                row[static_cast<size_t>(i)] = channel(&TRIVERTEX::Blue) | (channel(&TRIVERTEX::Green) << 8) |
                                              (channel(&TRIVERTEX::Red) << 16) |
                                              (channel(&TRIVERTEX::Alpha) << 24);
            }
            PutRow(dc, fromArgb, r.left, y, n, row.data());
        }
    }
}

} // namespace

BOOL GradientFill(HDC dcHandle, TRIVERTEX* vertices, ULONG vertexCount, void* mesh, ULONG meshCount,
                  ULONG mode) {
    if (!vertices || vertexCount == 0 || !mesh || mode > GRADIENT_FILL_TRIANGLE || vertexCount > (1u << 20) ||
        meshCount > (1u << 20)) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    DcLock dc(dcHandle);
    if (!dc) {
        return 0;
    }
    const ColorTranslator fromArgb(raster::Argb32View(), dc->Surface(), dc->MakeTranslateContext(false));
    if (mode == GRADIENT_FILL_TRIANGLE) {
        const auto* triangles = static_cast<const GRADIENT_TRIANGLE*>(mesh);
        for (ULONG i = 0; i < meshCount; ++i) {
            const GRADIENT_TRIANGLE& t = triangles[i];
            if (t.Vertex1 >= vertexCount || t.Vertex2 >= vertexCount || t.Vertex3 >= vertexCount) {
                return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
            }
            const TRIVERTEX* v[3] = {&vertices[t.Vertex1], &vertices[t.Vertex2], &vertices[t.Vertex3]};
            FillGradientTriangle(*dc, fromArgb, v);
        }
        return 1;
    }
    const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
    for (ULONG i = 0; i < meshCount; ++i) {
        if (rects[i].UpperLeft >= vertexCount || rects[i].LowerRight >= vertexCount) {
            return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
        }
        FillGradientRect(*dc, fromArgb, vertices[rects[i].UpperLeft], vertices[rects[i].LowerRight],
                         mode == GRADIENT_FILL_RECT_V);
    }
    return 1;
}

} // namespace win::direct
