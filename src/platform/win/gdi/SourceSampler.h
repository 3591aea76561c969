#pragma once

// Source pixels of a stretched transfer, as 32-bit values (B, G, R, A bytes;
// sources of fewer bits get alpha 0), for each pixel of a destination of
// dstWidth x dstHeight:
//   - COLORONCOLOR: the source pixel under the destination pixel's centre;
//   - BLACKONWHITE / WHITEONBLACK: when shrinking, the AND / OR of all source
//     pixels that fall on the destination pixel (else as COLORONCOLOR);
//   - HALFTONE: the area average of the source pixels the destination pixel
//     covers, weighted by coverage (8-bit weights per axis, rows first),
//     alpha included.
// Mirroring reverses the mapping on an axis.

#include "platform/win/gdi/ColorTranslator.h"

#include <vector>

namespace win {

class SourceSampler {
public:
    // `needed`: the destination pixels that will be asked for (relative to
    // the destination's top-left); only those are prepared.
    SourceSampler(const DibView& src, const TranslateContext& context, const RECT& srcRect, LONG dstWidth,
                  LONG dstHeight, bool mirrorX, bool mirrorY, int stretchMode, const RECT& needed);

    // Destination pixels (relative to the destination's top-left) whose
    // source pixel lies inside the source bitmap.
    const RECT& ValidArea() const { return FValid; }
    // `count` pixels of destination row `y` from column `x`, inside ValidArea.
    void Row(LONG y, LONG x, LONG count, DWORD* out);

private:
    // The source pixels of a shrinking AND/OR transfer that fall on one
    // destination pixel: `count` pixels from `first` (absolute coordinates).
    struct Block {
        LONG first = 0;
        LONG count = 1;
    };
    // HALFTONE weights of one axis, flat: destination pixel i takes source
    // pixels index[offset[i] .. offset[i + 1]) with weights summing to 256.
    struct WeightTable {
        std::vector<LONG> offset;
        std::vector<LONG> index;
        std::vector<std::uint16_t> weight;
        LONG lowest = 0;
        LONG highest = 0;
    };
    struct Axis {
        LONG srcStart;
        LONG srcLength;
        LONG dstLength;
        bool mirror;
        LONG limit; // source bitmap size on this axis
        LONG needBegin;
        LONG needEnd;
    };

    static std::vector<LONG> NearestMap(const Axis& axis);
    static std::vector<Block> BuildBlocks(const Axis& axis);
    // A destination column's HALFTONE taps as four weights on the source
    // pixels first .. first + 3: a column's pixels are always a run, mirrored
    // or clamped at the edges at most, so the taps fold into it.
    struct RunTaps {
        LONG first = 0;
        std::uint16_t weight[4] = {0, 0, 0, 0};
    };
    static WeightTable BuildWeights(const Axis& axis);
    static std::vector<RunTaps> FoldIntoRuns(const WeightTable& table);
    static void ValidRange(const std::vector<LONG>& map, const Axis& axis, LONG& begin, LONG& end);
    void SourceRowArgb(LONG sy, LONG x0, LONG x1);
    const DWORD* HorizontalRow(LONG sy);
    void RunTapRow(const DWORD* row, DWORD* out, LONG count) const;
    void CombinedRow(LONG y, LONG x, LONG count, DWORD* out);
    void HalftoneRow(LONG y, LONG x, LONG count, DWORD* out);

    DibView FSrc;
    ColorTranslator FToArgb;
    int FMode;
    LONG FDstWidth;
    LONG FDstHeight;
    RECT FValid{0, 0, 0, 0};
    bool FShrinkX = false;
    bool FShrinkY = false;
    std::vector<LONG> FColumnMap;
    std::vector<LONG> FRowMap;
    std::vector<Block> FColumnBlocks;
    std::vector<Block> FRowBlocks;
    WeightTable FColumnWeights;
    WeightTable FRowWeights;
    // FColumnWeights as runs of four, when every column fits in one.
    std::vector<RunTaps> FColumnRuns;
    RECT FNeeded{0, 0, 0, 0};
    std::vector<DWORD> FSourceRow;
    LONG FSourceRowStart = 0;
    // Horizontally resampled source rows for HALFTONE, by source row.
    struct CachedRow {
        LONG sourceY = -1;
        std::vector<DWORD> pixels;
    };
    std::vector<CachedRow> FCache;
    std::vector<std::uint16_t> FAccumulator;
};

} // namespace win
