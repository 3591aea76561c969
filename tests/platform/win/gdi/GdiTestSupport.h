#pragma once

// A DIB section selected into a memory DC, with direct access to its pixels,
// for exact pixel assertions on small bitmaps.

#include "platform/win/gdi/DibImageFile.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/SurfaceDc.h"
#include "platform/win/kernel/LastError.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace gdi_test {

using namespace win;

inline BITMAPINFO* MakeInfo(std::vector<std::uint8_t>& storage, int width, int height, int bpp,
                            const std::vector<RGBQUAD>& colors) {
    storage.assign(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* info = reinterpret_cast<BITMAPINFO*>(storage.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = height;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = static_cast<WORD>(bpp);
    info->bmiHeader.biCompression = BI_RGB;
    info->bmiHeader.biClrUsed = static_cast<DWORD>(colors.size());
    for (size_t i = 0; i < colors.size(); ++i) {
        info->bmiColors[i] = colors[i];
    }
    return info;
}

class Canvas {
public:
    // A top-down DIB unless `bottomUp`.
    Canvas(int width, int height, int bpp = 32, const std::vector<RGBQUAD>& colors = {},
           bool bottomUp = false)
        : width(width), height(height) {
        std::vector<std::uint8_t> storage;
        BITMAPINFO* info = MakeInfo(storage, width, bottomUp ? height : -height, bpp, colors);
        void* raw = nullptr;
        bitmap = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &raw, nullptr, 0);
        bits = static_cast<std::uint8_t*>(raw);
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
        stride = ((width * bpp + 31) / 32) * 4;
        this->bottomUp = bottomUp;
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }

    std::uint8_t* Row(int y) const {
        return bits + static_cast<size_t>(bottomUp ? height - 1 - y : y) * stride;
    }
    std::uint32_t& At(int x, int y) const { return reinterpret_cast<std::uint32_t*>(Row(y))[x]; }
    void Fill(std::uint32_t value) const {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                At(x, y) = value;
            }
        }
    }
    // Every pixel differs from its neighbours and carries a non-zero alpha,
    // so untouched pixels are recognisable.
    static std::uint32_t Pattern(int x, int y) {
        return 0x80000000u | (std::uint32_t(y) << 12) | std::uint32_t(x) | 0x00400000u;
    }
    void FillPattern() const {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                At(x, y) = Pattern(x, y);
            }
        }
    }
    // Pixels of a 32-bit canvas that differ from the pattern.
    std::vector<POINT> Changed() const {
        std::vector<POINT> out;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (At(x, y) != Pattern(x, y)) {
                    out.push_back(POINT{x, y});
                }
            }
        }
        return out;
    }
    RECT ChangedBox() const {
        RECT box{width, height, -1, -1};
        for (const POINT& p : Changed()) {
            box.left = std::min(box.left, p.x);
            box.top = std::min(box.top, p.y);
            box.right = std::max(box.right, p.x + 1);
            box.bottom = std::max(box.bottom, p.y + 1);
        }
        return box;
    }

    int width;
    int height;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    std::uint8_t* bits = nullptr;
    int stride = 0;
    bool bottomUp = false;
};

// The 32-bit pixel value of a colour as GDI draws it: BGR bytes, alpha 0.
constexpr std::uint32_t Drawn(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

inline std::string OutputDir() {
    return std::string(LUMORA_BINARY_DIR) + "/test-output/gdi";
}

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::ostream& operator<<(std::ostream& os, const RECT& r) {
    return os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

} // namespace gdi_test

namespace win {
using gdi_test::operator==;
using gdi_test::operator<<;
} // namespace win
