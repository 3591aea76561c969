#pragma once

// The imaging unit's two registries of device contexts, which the alpha-
// aware drawing routines consult from any thread: the memory DCs into which
// a PNG image's 32-bit DIB is selected (DC -> the image's header chunk), and
// the DCs declared 32-bit by TPngImage::MakeDC32. Each has its own lock,
// taken for every add, remove and lookup.

#include "platform/win/WinTypes.h"
#include "skin/imaging/PointerHash.h"

#include <cstdint>
#include <mutex>

namespace skin {

class TPngDCRegistry {
public:
    // A registry that empties itself when a DC is added more than
    // flushIntervalMs after it was last emptied (0: never).
    explicit TPngDCRegistry(std::uint64_t flushIntervalMs = 0);
    TPngDCRegistry(const TPngDCRegistry&) = delete;
    TPngDCRegistry& operator=(const TPngDCRegistry&) = delete;

    // Enters dc with value, replacing an entry of the same DC.
    void Add(win::HDC dc, void* value);
    bool Remove(win::HDC dc);
    // Removes dc only while it still maps to value.
    bool Remove(win::HDC dc, void* value);
    [[nodiscard]] bool Contains(win::HDC dc) const;
    // The value of dc, or nullptr.
    [[nodiscard]] void* Find(win::HDC dc) const;
    [[nodiscard]] int Count() const;
    void Clear();

private:
    mutable std::mutex FLock;
    TPointerHash FHash{512};
    std::uint64_t FFlushInterval;
    std::uint64_t FLastFlush;
};

// DC -> TChunkIHDR of the image whose 32-bit DIB is selected into it.
[[nodiscard]] TPngDCRegistry& PngAlphaDCRegistry();
// DCs declared 32-bit; emptied when more than 5,000 ms have passed.
[[nodiscard]] TPngDCRegistry& PngDC32Registry();

} // namespace skin
