#include "platform/win/gdi/SourceSampler.h"

#include "platform/win/gdi/Raster.h"

#include <algorithm>
#include <cassert>

namespace win {

SourceSampler::SourceSampler(const DibView& src, const TranslateContext& context, const RECT& srcRect,
                             LONG dstWidth, LONG dstHeight, bool mirrorX, bool mirrorY, int stretchMode,
                             const RECT& needed)
    : FSrc(src), FToArgb(src, raster::Argb32View(), context), FMode(stretchMode), FDstWidth(dstWidth),
      FDstHeight(dstHeight) {
    FNeeded = RectIntersection(needed, RECT{0, 0, dstWidth, dstHeight});
    const LONG srcW = srcRect.right - srcRect.left;
    const LONG srcH = srcRect.bottom - srcRect.top;
    if (RectIsEmpty(FNeeded) || srcW <= 0 || srcH <= 0) {
        return;
    }
    const Axis ax{srcRect.left, srcW, dstWidth, mirrorX, src.width, FNeeded.left, FNeeded.right};
    const Axis ay{srcRect.top, srcH, dstHeight, mirrorY, src.height, FNeeded.top, FNeeded.bottom};
    FShrinkX = srcW > dstWidth;
    FShrinkY = srcH > dstHeight;
    FColumnMap = NearestMap(ax);
    FRowMap = NearestMap(ay);
    ValidRange(FColumnMap, ax, FValid.left, FValid.right);
    ValidRange(FRowMap, ay, FValid.top, FValid.bottom);
    if (RectIsEmpty(FValid)) {
        FValid = RECT{0, 0, 0, 0};
        return;
    }
    if (FMode == HALFTONE) {
        FColumnTaps = BuildTaps(ax, true);
        FRowTaps = BuildTaps(ay, true);
        // Each resampled row is used right away; the cache only saves the
        // rows that neighbouring destination rows share.
        FCache.resize(4);
    } else if ((FMode == BLACKONWHITE || FMode == WHITEONBLACK) && (FShrinkX || FShrinkY)) {
        FColumnTaps = BuildTaps(ax, false);
        FRowTaps = BuildTaps(ay, false);
    }
}

std::vector<LONG> SourceSampler::NearestMap(const Axis& a) {
    std::vector<LONG> map(static_cast<size_t>(a.needEnd - a.needBegin));
    for (LONG i = a.needBegin; i < a.needEnd; ++i) {
        LONG m = static_cast<LONG>(((2LL * i + 1) * a.srcLength) / (2LL * a.dstLength));
        if (a.mirror) {
            m = a.srcLength - 1 - m;
        }
        map[static_cast<size_t>(i - a.needBegin)] = a.srcStart + m;
    }
    return map;
}

void SourceSampler::ValidRange(const std::vector<LONG>& map, const Axis& a, LONG& begin, LONG& end) {
    begin = 0;
    end = 0;
    bool found = false;
    for (size_t i = 0; i < map.size(); ++i) {
        if (map[i] >= 0 && map[i] < a.limit) {
            if (!found) {
                begin = a.needBegin + static_cast<LONG>(i);
                found = true;
            }
            end = a.needBegin + static_cast<LONG>(i) + 1;
        }
    }
}

std::vector<SourceSampler::Tap> SourceSampler::BuildTaps(const Axis& a, bool weighted) {
    std::vector<Tap> taps(static_cast<size_t>(a.needEnd - a.needBegin));
    const LONGLONG s = a.srcLength;
    const LONGLONG d = a.dstLength;
    for (LONG i = a.needBegin; i < a.needEnd; ++i) {
        // Mirroring: destination pixel i covers what pixel d - 1 - i covers
        // unmirrored, reflected in the source.
        const LONGLONG j = a.mirror ? d - 1 - i : i;
        Tap& tap = taps[static_cast<size_t>(i - a.needBegin)];
        LONGLONG first;
        LONGLONG last; // inclusive
        if (weighted) {
            // Destination pixel j covers [j*s, (j+1)*s) in units where a
            // source pixel is d long.
            first = (j * s) / d;
            last = ((j + 1) * s - 1) / d;
            const LONGLONG begin = j * s;
            const LONGLONG end = (j + 1) * s;
            DWORD previous = 0;
            for (LONGLONG k = first; k <= last; ++k) {
                const LONGLONG coveredEnd = std::min(end, (k + 1) * d) - begin;
                const DWORD cumulative = static_cast<DWORD>((coveredEnd * 65536 + s / 2) / s);
                tap.weights.push_back(cumulative - previous);
                previous = cumulative;
            }
        } else {
            first = (j * s) / d;
            last = std::max(first, ((j + 1) * s) / d - 1);
        }
        tap.count = static_cast<LONG>(last - first + 1);
        if (a.mirror) {
            std::reverse(tap.weights.begin(), tap.weights.end());
            first = s - 1 - last;
        }
        tap.first = a.srcStart + static_cast<LONG>(first);
    }
    return taps;
}

void SourceSampler::SourceRowArgb(LONG sy, LONG x0, LONG x1) {
    // Source columns x0..x1 (exclusive, clamped to the bitmap) in 32-bit values.
    x0 = std::max(x0, LONG{0});
    x1 = std::min(x1, FSrc.width);
    FSourceRowStart = x0;
    FSourceRow.resize(static_cast<size_t>(std::max(x1 - x0, LONG{1})));
    if (x1 > x0) {
        FSrc.ops->ReadRow(FSrc, x0, sy, x1 - x0, FSourceRow.data());
        FToArgb.Translate(FSourceRow.data(), FSourceRow.data(), x1 - x0);
    }
}

void SourceSampler::Row(LONG y, LONG x, LONG count, DWORD* out) {
    assert(y >= FValid.top && y < FValid.bottom && x >= FValid.left && x + count <= FValid.right);
    if (FMode == HALFTONE) {
        HalftoneRow(y, x, count, out);
        return;
    }
    if (!FColumnTaps.empty()) {
        CombinedRow(y, x, count, out);
        return;
    }
    const LONG* cols = FColumnMap.data() + (x - FNeeded.left);
    const LONG sy = FRowMap[static_cast<size_t>(y - FNeeded.top)];
    const auto [lo, hi] = std::minmax_element(cols, cols + count);
    SourceRowArgb(sy, *lo, *hi + 1);
    for (LONG i = 0; i < count; ++i) {
        out[i] = FSourceRow[static_cast<size_t>(cols[i] - FSourceRowStart)];
    }
}

void SourceSampler::CombinedRow(LONG y, LONG x, LONG count, DWORD* out) {
    const bool andMode = FMode == BLACKONWHITE;
    const Tap& rowTap = FRowTaps[static_cast<size_t>(y - FNeeded.top)];
    const Tap* taps = FColumnTaps.data() + (x - FNeeded.left);
    LONG lo = taps[0].first;
    LONG hi = taps[0].first + taps[0].count;
    for (LONG i = 0; i < count; ++i) {
        lo = std::min(lo, taps[i].first);
        hi = std::max(hi, taps[i].first + taps[i].count);
    }
    std::fill_n(out, count, andMode ? 0xFFFFFFFFu : 0u);
    for (LONG r = 0; r < rowTap.count; ++r) {
        const LONG sy = std::clamp(rowTap.first + r, LONG{0}, FSrc.height - 1);
        SourceRowArgb(sy, lo, hi);
        for (LONG i = 0; i < count; ++i) {
            for (LONG k = 0; k < taps[i].count; ++k) {
                const LONG sx = std::clamp(taps[i].first + k, FSourceRowStart,
                                           FSourceRowStart + static_cast<LONG>(FSourceRow.size()) - 1);
                const DWORD v = FSourceRow[static_cast<size_t>(sx - FSourceRowStart)];
                out[i] = andMode ? (out[i] & v) : (out[i] | v);
            }
        }
    }
}

const DWORD* SourceSampler::HorizontalRow(LONG sy) {
    CachedRow& slot = FCache[static_cast<size_t>(sy) % FCache.size()];
    if (slot.sourceY == sy) {
        return slot.pixels.data();
    }
    const LONG needed = FNeeded.right - FNeeded.left;
    slot.sourceY = sy;
    slot.pixels.resize(static_cast<size_t>(needed));
    const Tap& firstTap = FColumnTaps.front();
    const Tap& lastTap = FColumnTaps.back();
    const LONG lo = std::min(firstTap.first, lastTap.first);
    const LONG hi = std::max(firstTap.first + firstTap.count, lastTap.first + lastTap.count);
    SourceRowArgb(sy, lo, hi);
    const LONG rowEnd = FSourceRowStart + static_cast<LONG>(FSourceRow.size()) - 1;
    for (LONG i = 0; i < needed; ++i) {
        const Tap& tap = FColumnTaps[static_cast<size_t>(i)];
        std::uint32_t b = 0, g = 0, r = 0, a = 0;
        for (LONG k = 0; k < tap.count; ++k) {
            const LONG sx = std::clamp(tap.first + k, FSourceRowStart, rowEnd);
            const DWORD v = FSourceRow[static_cast<size_t>(sx - FSourceRowStart)];
            const DWORD w = tap.weights[static_cast<size_t>(k)];
            b += (v & 0xFF) * w;
            g += ((v >> 8) & 0xFF) * w;
            r += ((v >> 16) & 0xFF) * w;
            a += (v >> 24) * w;
        }
        slot.pixels[static_cast<size_t>(i)] = ((b + 32768) >> 16) | (((g + 32768) >> 16) << 8) |
                                              (((r + 32768) >> 16) << 16) | (((a + 32768) >> 16) << 24);
    }
    return slot.pixels.data();
}

void SourceSampler::HalftoneRow(LONG y, LONG x, LONG count, DWORD* out) {
    const Tap& tap = FRowTaps[static_cast<size_t>(y - FNeeded.top)];
    const LONG offset = x - FNeeded.left;
    if (tap.count == 1) {
        const DWORD* row = HorizontalRow(std::clamp(tap.first, LONG{0}, FSrc.height - 1));
        std::copy_n(row + offset, count, out);
        return;
    }
    FAccumulator.assign(static_cast<size_t>(count) * 4, 0);
    for (LONG k = 0; k < tap.count; ++k) {
        const DWORD w = tap.weights[static_cast<size_t>(k)];
        const DWORD* row = HorizontalRow(std::clamp(tap.first + k, LONG{0}, FSrc.height - 1)) + offset;
        std::uint32_t* acc = FAccumulator.data();
        for (LONG i = 0; i < count; ++i, acc += 4) {
            const DWORD v = row[i];
            acc[0] += (v & 0xFF) * w;
            acc[1] += ((v >> 8) & 0xFF) * w;
            acc[2] += ((v >> 16) & 0xFF) * w;
            acc[3] += (v >> 24) * w;
        }
    }
    const std::uint32_t* acc = FAccumulator.data();
    for (LONG i = 0; i < count; ++i, acc += 4) {
        out[i] = ((acc[0] + 32768) >> 16) | (((acc[1] + 32768) >> 16) << 8) |
                 (((acc[2] + 32768) >> 16) << 16) | (((acc[3] + 32768) >> 16) << 24);
    }
}

} // namespace win
