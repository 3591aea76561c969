#pragma once

// The value types of the PNG image class: its enumerations, the bitmap
// information block that describes a pixel store, and the header fields.

#include "platform/rtl/TypeInfo.h"
#include "platform/win/gdi/GdiTypes.h"
#include "skin/imaging/PngFilters.h"
#include "skin/imaging/PngPixelStore.h"

#include <cstdint>

namespace skin {

enum TPNGTransparencyMode { ptmNone, ptmBit, ptmPartial };
enum TInterlaceMethod { imNone, imAdam7 };
// zlib's level, 0 to 9.
using TCompressionLevel = int;
RTL_ENUM(TPngSmoothFilter, psfDefault, psfFastSmooth, psfSmooth)
// Straight alpha, colour already multiplied by alpha, or no meaningful alpha.
enum TPngAlphaMode { pamDefined, pamPremultiplied, pamIgnore };
enum TPngTurnAngle { pta90, pta180, pta270, ptaHorzFlip, ptaVertFlip };
RTL_ENUM(TSuperStretchMode, sdmDefault, sdmStretch, sdmFill, sdmFrame, sdmCorner)
enum TUnitType { utUnknown, utMeter };

// A BITMAPINFOHEADER followed by a full colour table.
struct TMaxBitmapInfo {
    win::BITMAPINFOHEADER bmiHeader;
    win::RGBQUAD bmiColors[256];
};
static_assert(sizeof(TMaxBitmapInfo) == 1064);

// The header chunk's data is the codec's image header: one layout, so the
// chunk hands it to the decoder and encoder as it is.
using TIHDRData = TPngImageHeader;

// A chunk type: four bytes as they stand in the file.
struct TChunkName {
    char Bytes[4] = {0, 0, 0, 0};

    [[nodiscard]] std::uint32_t Code() const noexcept {
        return std::uint32_t(std::uint8_t(Bytes[0])) << 24 | std::uint32_t(std::uint8_t(Bytes[1])) << 16 |
               std::uint32_t(std::uint8_t(Bytes[2])) << 8 | std::uint8_t(Bytes[3]);
    }
    [[nodiscard]] bool Is(const char (&name)[5]) const noexcept {
        return Bytes[0] == name[0] && Bytes[1] == name[1] && Bytes[2] == name[2] && Bytes[3] == name[3];
    }
    friend bool operator==(const TChunkName&, const TChunkName&) = default;
};

} // namespace skin
