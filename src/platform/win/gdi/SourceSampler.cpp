#include "platform/win/gdi/SourceSampler.h"

#include "platform/win/gdi/Raster.h"

#include <algorithm>
#include <cassert>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    // Averaging or combining visits about (srcW / dstW) x (srcH / dstH)
    // source pixels per destination pixel; past a bound the nearest pixel is
    // taken instead, so no call can run (or allocate) without bound.
    const LONGLONG perColumn = srcW / dstWidth + 2;
    const LONGLONG perRow = srcH / dstHeight + 2;
    const LONGLONG neededW = FNeeded.right - FNeeded.left;
    const LONGLONG neededH = FNeeded.bottom - FNeeded.top;
    if (neededW * perColumn > (LONGLONG{1} << 24) || neededH * perRow > (LONGLONG{1} << 24) ||
        neededW * neededH * perColumn * perRow > (LONGLONG{1} << 31)) {
        FMode = COLORONCOLOR;
    }
    FColumnMap = NearestMap(ax);
    FRowMap = NearestMap(ay);
    ValidRange(FColumnMap, ax, FValid.left, FValid.right);
    ValidRange(FRowMap, ay, FValid.top, FValid.bottom);
    if (RectIsEmpty(FValid)) {
        FValid = RECT{0, 0, 0, 0};
        return;
    }
    if (FMode == HALFTONE) {
        FColumnWeights = BuildWeights(ax);
        FRowWeights = BuildWeights(ay);
        FColumnRuns = FoldIntoRuns(FColumnWeights);
        // Each resampled row is used right away; the cache only saves the
        // rows that neighbouring destination rows share.
        FCache.resize(4);
    } else if ((FMode == BLACKONWHITE || FMode == WHITEONBLACK) && (FShrinkX || FShrinkY)) {
        FColumnBlocks = BuildBlocks(ax);
        FRowBlocks = BuildBlocks(ay);
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

std::vector<SourceSampler::Block> SourceSampler::BuildBlocks(const Axis& a) {
    std::vector<Block> blocks(static_cast<size_t>(a.needEnd - a.needBegin));
    const LONGLONG s = a.srcLength;
    const LONGLONG d = a.dstLength;
    for (LONG i = a.needBegin; i < a.needEnd; ++i) {
        // Mirroring: destination pixel i takes what pixel d - 1 - i takes
        // unmirrored, reflected in the source.
        const LONGLONG j = a.mirror ? d - 1 - i : i;
        LONGLONG first = (j * s) / d;
        const LONGLONG last = std::max(first, ((j + 1) * s) / d - 1);
        Block& block = blocks[static_cast<size_t>(i - a.needBegin)];
        block.count = static_cast<LONG>(last - first + 1);
        if (a.mirror) {
            first = s - 1 - last;
        }
        block.first = a.srcStart + static_cast<LONG>(first);
    }
    return blocks;
}

SourceSampler::WeightTable SourceSampler::BuildWeights(const Axis& a) {
    WeightTable table;
    const LONGLONG s = a.srcLength;
    const LONGLONG d = a.dstLength;
    table.lowest = a.limit;
    table.highest = -1;
    table.offset.push_back(0);
    for (LONG i = a.needBegin; i < a.needEnd; ++i) {
        const LONGLONG j = a.mirror ? d - 1 - i : i;
        // Destination pixel j covers [j*s, (j+1)*s) in units where a source
        // pixel is d long; weights are the covered lengths, rounded so that
        // they sum to 256.
        const LONGLONG begin = j * s;
        const LONGLONG end = (j + 1) * s;
        const LONGLONG first = begin / d;
        const LONGLONG last = (end - 1) / d;
        LONG previous = 0;
        for (LONGLONG k = first; k <= last; ++k) {
            const LONGLONG covered = std::min(end, (k + 1) * d) - begin;
            const LONG cumulative = static_cast<LONG>((covered * 256 + s / 2) / s);
            const LONGLONG unmirrored = a.mirror ? s - 1 - k : k;
            // Pixels outside the bitmap lend their weight to the nearest edge pixel.
            const LONG index = std::clamp(static_cast<LONG>(a.srcStart + unmirrored), LONG{0}, a.limit - 1);
            table.index.push_back(index);
            table.weight.push_back(static_cast<std::uint16_t>(cumulative - previous));
            table.lowest = std::min(table.lowest, index);
            table.highest = std::max(table.highest, index);
            previous = cumulative;
        }
        table.offset.push_back(static_cast<LONG>(table.index.size()));
    }
    return table;
}

std::vector<SourceSampler::RunTaps> SourceSampler::FoldIntoRuns(const WeightTable& table) {
    std::vector<RunTaps> runs;
#if defined(__SSE2__)
    // Four pixels are read from `first`, all inside the pixels the table uses.
    if (table.offset.size() < 2 || table.highest - table.lowest + 1 < 4)
        return runs;
    runs.resize(table.offset.size() - 1);
    for (size_t i = 0; i < runs.size(); ++i) {
        const auto begin = table.index.begin() + table.offset[i];
        const auto end = table.index.begin() + table.offset[i + 1];
        const auto [lo, hi] = std::minmax_element(begin, end);
        if (*hi - *lo >= 4)
            return {};
        RunTaps& run = runs[i];
        run.first = std::min(*lo, table.highest - 3);
        // Sums of products are the same in any order: the taps on one pixel
        // (an edge clamped) add up.
        for (auto t = begin; t != end; ++t)
            run.weight[*t - run.first] = static_cast<std::uint16_t>(
                run.weight[*t - run.first] + table.weight[static_cast<size_t>(t - table.index.begin())]);
    }
#else
    (void)table;
#endif
    return runs;
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
    if (!FColumnBlocks.empty()) {
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
    const Block& rowTap = FRowBlocks[static_cast<size_t>(y - FNeeded.top)];
    const Block* taps = FColumnBlocks.data() + (x - FNeeded.left);
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
    // A 32-bit source needs no conversion: its row is read in place (the
    // column indexes lie inside the bitmap).
    const DWORD* row;
    if (FSrc.bitsPerPixel == 32 && FToArgb.IsIdentity()) {
        row = FSrc.Row32(sy);
    } else {
        SourceRowArgb(sy, FColumnWeights.lowest, FColumnWeights.highest + 1);
        row = FSourceRow.data() - FSourceRowStart;
    }
    if (!FColumnRuns.empty()) {
        RunTapRow(row, slot.pixels.data(), needed);
        return slot.pixels.data();
    }
    const LONG* offset = FColumnWeights.offset.data();
    const LONG* index = FColumnWeights.index.data();
    const std::uint16_t* weight = FColumnWeights.weight.data();
    for (LONG i = 0; i < needed; ++i) {
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        __m128i acc = zero;
        for (LONG t = offset[i]; t < offset[i + 1]; ++t) {
            const __m128i px = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(row[index[t]])), zero);
            acc = _mm_add_epi16(acc, _mm_mullo_epi16(px, _mm_set1_epi16(static_cast<short>(weight[t]))));
        }
        acc = _mm_srli_epi16(_mm_add_epi16(acc, _mm_set1_epi16(128)), 8);
        slot.pixels[static_cast<size_t>(i)] =
            static_cast<DWORD>(_mm_cvtsi128_si32(_mm_packus_epi16(acc, zero)));
#else
        DWORD acc[4] = {0, 0, 0, 0};
        for (LONG t = offset[i]; t < offset[i + 1]; ++t) {
            const DWORD v = row[index[t]];
            for (int c = 0; c < 4; ++c) {
                acc[c] += ((v >> (8 * c)) & 0xFF) * weight[t];
            }
        }
        DWORD out = 0;
        for (int c = 0; c < 4; ++c) {
            out |= ((acc[c] + 128) >> 8) << (8 * c);
        }
        slot.pixels[static_cast<size_t>(i)] = out;
#endif
    }
    return slot.pixels.data();
}

// The general loop's sums, a run of four pixels at once: products and sums
// in 16 bits per channel (weights sum to 256, so nothing overflows), then
// rounded.
void SourceSampler::RunTapRow(const DWORD* row, DWORD* out, LONG count) const {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi16(128);
    // The four channel sums of one column in the low half of a register.
    auto sums = [&](const RunTaps& run) {
        const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + run.first));
        // w0 w1 w2 w3 -> w0 w0 w1 w1 w2 w2 w3 w3 -> one weight per channel.
        const __m128i w = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(run.weight));
        const __m128i pairs = _mm_unpacklo_epi16(w, w);
        const __m128i low = _mm_mullo_epi16(_mm_unpacklo_epi8(px, zero), _mm_unpacklo_epi32(pairs, pairs));
        const __m128i high = _mm_mullo_epi16(_mm_unpackhi_epi8(px, zero), _mm_unpackhi_epi32(pairs, pairs));
        const __m128i sum = _mm_add_epi16(low, high);
        return _mm_add_epi16(sum, _mm_srli_si128(sum, 8));
    };
    const RunTaps* runs = FColumnRuns.data();
    LONG i = 0;
    for (; i + 2 <= count; i += 2) {
        const __m128i both = _mm_unpacklo_epi64(sums(runs[i]), sums(runs[i + 1]));
        const __m128i rounded = _mm_srli_epi16(_mm_add_epi16(both, bias), 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(rounded, zero));
    }
    if (i < count) {
        const __m128i rounded = _mm_srli_epi16(_mm_add_epi16(sums(runs[i]), bias), 8);
        out[i] = static_cast<DWORD>(_mm_cvtsi128_si32(_mm_packus_epi16(rounded, zero)));
    }
#else
    (void)row;
    (void)out;
    (void)count;
#endif
}

void SourceSampler::HalftoneRow(LONG y, LONG x, LONG count, DWORD* out) {
    const size_t r = static_cast<size_t>(y - FNeeded.top);
    const LONG begin = FRowWeights.offset[r];
    const LONG end = FRowWeights.offset[r + 1];
    const LONG skip = x - FNeeded.left;
    if (end - begin == 1) {
        std::copy_n(HorizontalRow(FRowWeights.index[static_cast<size_t>(begin)]) + skip, count, out);
        return;
    }
    // Four 16-bit channel sums per pixel: weights sum to 256, so a sum never
    // exceeds 255 * 256.
    FAccumulator.assign(static_cast<size_t>(count) * 4 + 8, 0);
    std::uint16_t* acc = FAccumulator.data();
    for (LONG t = begin; t < end; ++t) {
        const DWORD* row = HorizontalRow(FRowWeights.index[static_cast<size_t>(t)]) + skip;
        const std::uint16_t w = FRowWeights.weight[static_cast<size_t>(t)];
        LONG i = 0;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        const __m128i wv = _mm_set1_epi16(static_cast<short>(w));
        for (; i + 4 <= count; i += 4) {
            const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
            auto* a = reinterpret_cast<__m128i*>(acc + i * 4);
            _mm_storeu_si128(
                a, _mm_add_epi16(_mm_loadu_si128(a), _mm_mullo_epi16(_mm_unpacklo_epi8(px, zero), wv)));
            _mm_storeu_si128(a + 1, _mm_add_epi16(_mm_loadu_si128(a + 1),
                                                  _mm_mullo_epi16(_mm_unpackhi_epi8(px, zero), wv)));
        }
#endif
        for (; i < count; ++i) {
            for (int c = 0; c < 4; ++c) {
                acc[i * 4 + c] =
                    static_cast<std::uint16_t>(acc[i * 4 + c] + ((row[i] >> (8 * c)) & 0xFF) * w);
            }
        }
    }
    LONG i = 0;
#if defined(__SSE2__)
    const __m128i bias = _mm_set1_epi16(128);
    for (; i + 4 <= count; i += 4) {
        const auto* a = reinterpret_cast<const __m128i*>(acc + i * 4);
        const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_loadu_si128(a), bias), 8);
        const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_loadu_si128(a + 1), bias), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < count; ++i) {
        DWORD v = 0;
        for (int c = 0; c < 4; ++c) {
            v |= DWORD((acc[i * 4 + c] + 128u) >> 8) << (8 * c);
        }
        out[i] = v;
    }
}

} // namespace win
