#include "platform/win/gdi/DibFormat_p.h"
#include "platform/win/gdi/GdiBitmap.h"

#include <algorithm>
#include <cstring>

namespace win::gdi_p {

DWORD* BitfieldMasks(BITMAPINFO* info) {
    return reinterpret_cast<DWORD*>(reinterpret_cast<std::uint8_t*>(info) + sizeof(BITMAPINFOHEADER));
}

const DWORD* BitfieldMasks(const BITMAPINFO* info) {
    return reinterpret_cast<const DWORD*>(reinterpret_cast<const std::uint8_t*>(info) +
                                          sizeof(BITMAPINFOHEADER));
}

void WriteBitfieldMasks(BITMAPINFO* info, int bitsPerPixel, Rgb16Layout layout) {
    DWORD masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
    if (bitsPerPixel == 16) {
        const bool wide = layout == Rgb16Layout::rl565;
        masks[0] = wide ? 0xF800 : 0x7C00;
        masks[1] = wide ? 0x07E0 : 0x03E0;
        masks[2] = 0x001F;
    }
    std::memcpy(BitfieldMasks(info), masks, sizeof(masks));
}

std::optional<Rgb16Layout> LayoutOfMasks(const DWORD* stored, int bitsPerPixel) {
    DWORD masks[3];
    std::memcpy(masks, stored, sizeof(masks));
    if (bitsPerPixel == 32 && masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF) {
        return Rgb16Layout::rl555;
    }
    if (bitsPerPixel == 16 && masks[2] == 0x001F) {
        if (masks[0] == 0x7C00 && masks[1] == 0x03E0) {
            return Rgb16Layout::rl555;
        }
        if (masks[0] == 0xF800 && masks[1] == 0x07E0) {
            return Rgb16Layout::rl565;
        }
    }
    return std::nullopt;
}

std::optional<DibFormat> ReadDibFormat(const BITMAPINFO* info, UINT usage, const DeviceContext* dc) {
    if (!info) {
        return std::nullopt;
    }
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 1024 || h.biWidth <= 0 || h.biHeight == 0 ||
        h.biHeight == LONG{-2147483647 - 1} || h.biPlanes != 1) {
        return std::nullopt;
    }
    DibFormat f;
    f.width = h.biWidth;
    f.topDown = h.biHeight < 0;
    f.height = f.topDown ? -h.biHeight : h.biHeight;
    f.bitsPerPixel = h.biBitCount;
    if (!PixelFormatFor(f.bitsPerPixel) || f.width > GdiBitmap::MAX_SIDE || f.height > GdiBitmap::MAX_SIDE) {
        return std::nullopt;
    }
    if (h.biCompression == BI_BITFIELDS) {
        const auto layout = LayoutOfMasks(BitfieldMasks(info), f.bitsPerPixel);
        if (!layout) {
            return std::nullopt;
        }
        f.rgb16 = *layout;
    } else if (h.biCompression != BI_RGB) {
        return std::nullopt;
    }
    f.stride = DibStride(f.width, f.bitsPerPixel);
    f.imageBytes = f.stride * f.height;
    if (f.imageBytes > GdiBitmap::MAX_BYTES) {
        return std::nullopt;
    }
    if (f.bitsPerPixel <= 8) {
        const DWORD maxEntries = DWORD{1} << f.bitsPerPixel;
        const DWORD entries = h.biClrUsed == 0 ? maxEntries : std::min(h.biClrUsed, maxEntries);
        const auto* table = reinterpret_cast<const std::uint8_t*>(info) + h.biSize;
        f.colors.resize(entries);
        if (usage == DIB_PAL_COLORS) {
            const auto* indexes = reinterpret_cast<const WORD*>(table);
            const std::vector<PALETTEENTRY>* palette = dc ? &dc->State().palette->Entries() : nullptr;
            for (DWORD i = 0; i < entries; ++i) {
                if (palette && indexes[i] < palette->size()) {
                    const PALETTEENTRY& e = (*palette)[indexes[i]];
                    f.colors[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
                }
            }
        } else if (usage == DIB_RGB_COLORS) {
            std::memcpy(f.colors.data(), table, entries * sizeof(RGBQUAD));
        } else {
            return std::nullopt;
        }
    } else if (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS) {
        return std::nullopt;
    }
    return f;
}

DibView ViewOverBits(const DibFormat& format, const void* bits, LONG rows) {
    DibView view;
    auto* base = static_cast<std::uint8_t*>(const_cast<void*>(bits));
    view.width = format.width;
    view.height = rows;
    view.bitsPerPixel = format.bitsPerPixel;
    view.ops = PixelFormatFor(format.bitsPerPixel);
    view.rgb16 = format.rgb16;
    view.colors = format.colors.empty() ? nullptr : format.colors.data();
    view.colorCount = static_cast<int>(format.colors.size());
    view.stride = format.topDown ? format.stride : -format.stride;
    view.bits = format.topDown ? base : base + format.stride * (rows - 1);
    return view;
}

std::vector<RGBQUAD> DefaultColorTable(int bitsPerPixel) {
    std::vector<RGBQUAD> table;
    auto add = [&table](BYTE r, BYTE g, BYTE b) { table.push_back(RGBQUAD{b, g, r, 0}); };
    if (bitsPerPixel == 1) {
        add(0, 0, 0);
        add(255, 255, 255);
    } else if (bitsPerPixel == 4) {
        static const BYTE vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                        {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                        {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                        {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
        for (const auto& c : vga) {
            add(c[0], c[1], c[2]);
        }
    } else if (bitsPerPixel == 8) {
        // The twenty static colours around a 6 x 6 x 6 colour cube and a grey ramp.
        const auto statics = GdiPalette::DefaultEntries();
        for (int i = 0; i < 10; ++i) {
            add(statics[i].peRed, statics[i].peGreen, statics[i].peBlue);
        }
        for (int r = 0; r < 6; ++r) {
            for (int g = 0; g < 6; ++g) {
                for (int b = 0; b < 6; ++b) {
                    add(static_cast<BYTE>(r * 51), static_cast<BYTE>(g * 51), static_cast<BYTE>(b * 51));
                }
            }
        }
        for (int i = 0; table.size() < 246; ++i) {
            const BYTE v = static_cast<BYTE>(8 + i * 12);
            add(v, v, v);
        }
        for (int i = 10; i < 20; ++i) {
            add(statics[i].peRed, statics[i].peGreen, statics[i].peBlue);
        }
    }
    return table;
}

} // namespace win::gdi_p
