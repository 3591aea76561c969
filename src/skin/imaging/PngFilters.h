#pragma once

// The five PNG row filters: reversing them on decode, applying them and
// choosing one per row on encode.

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace skin {

enum TFilter : std::uint8_t { pfNone, pfSub, pfUp, pfAverage, pfPaeth };
inline constexpr int PngFilterCount = 5;

// A set of filters.
class TFilters {
public:
    constexpr TFilters() = default;
    constexpr TFilters(std::initializer_list<TFilter> filters) {
        for (TFilter f : filters)
            Include(f);
    }
    [[nodiscard]] constexpr bool Contains(TFilter f) const noexcept { return (FBits >> f) & 1; }
    constexpr TFilters& Include(TFilter f) noexcept {
        FBits = static_cast<std::uint8_t>(FBits | (1u << f));
        return *this;
    }
    [[nodiscard]] constexpr bool Empty() const noexcept { return FBits == 0; }
    friend constexpr bool operator==(TFilters, TFilters) = default;

private:
    std::uint8_t FBits = 0;
};

// Reverses filter type filterType in place. prior is the previous unfiltered
// row (zeros for the first row of an image or pass); offset is the bytes per
// complete pixel (1 to 8). Other filter types leave the row as read.
void PngUnfilterRow(std::uint8_t filterType, std::uint8_t* row, const std::uint8_t* prior,
                    std::size_t rowBytes, unsigned offset) noexcept;

// Writes raw filtered with filter into out (rowBytes bytes, no type byte).
void PngFilterRow(TFilter filter, std::uint8_t* out, const std::uint8_t* raw, const std::uint8_t* prior,
                  std::size_t rowBytes, unsigned offset) noexcept;

// The filter the encoder uses for a row. candidates[f] holds the row filtered
// with f for every f in filters (others may be null). Empty or exactly [pfNone]
// gives pfNone; a single filter is used as it is; otherwise each filter in
// order scores the positions k = 2 .. rowBytes - 1 whose byte equals byte k - 1
// or byte k - 2, and only a score strictly above the best so far (starting at
// pfNone with 0) wins.
[[nodiscard]] TFilter PngChooseFilter(TFilters filters, const std::uint8_t* const candidates[PngFilterCount],
                                      std::size_t rowBytes) noexcept;

} // namespace skin
