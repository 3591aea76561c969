#include "platform/win/gdi/DibImageFile.h"

#include "platform/win/gdi/ColorTranslator.h"
#include "platform/win/gdi/GdiBitmap.h"
#include "platform/win/gdi/GdiHandleTable.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

namespace win {

namespace {

std::shared_ptr<GdiBitmap> BitmapOf(HBITMAP handle) {
    return GdiHandleTable::Instance().LookupAs<GdiBitmap>(handle, GdiKind::gkBitmap);
}

// Pixels as 0xAARRGGBB (alpha only meaningful on 32 bits).
DWORD PixelArgb(const DibView& v, LONG x, LONG y) {
    const DWORD raw = v.ops->GetPixel(v, x, y);
    if (v.bitsPerPixel == 32) {
        return raw;
    }
    const COLORREF c = PixelToColor(v, raw);
    return 0xFF000000u | (DWORD{GetRValue(c)} << 16) | (DWORD{GetGValue(c)} << 8) | GetBValue(c);
}

bool WritePam(const std::string& path, LONG width, LONG height, bool alpha, const std::vector<DWORD>& argb) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) {
        return false;
    }
    std::fprintf(file.get(), "P7\nWIDTH %ld\nHEIGHT %ld\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n",
                 static_cast<long>(width), static_cast<long>(height), alpha ? 4 : 3,
                 alpha ? "RGB_ALPHA" : "RGB");
    std::vector<unsigned char> row;
    for (LONG y = 0; y < height; ++y) {
        row.clear();
        for (LONG x = 0; x < width; ++x) {
            const DWORD p = argb[static_cast<size_t>(y) * width + x];
            row.push_back(static_cast<unsigned char>(p >> 16));
            row.push_back(static_cast<unsigned char>(p >> 8));
            row.push_back(static_cast<unsigned char>(p));
            if (alpha) {
                row.push_back(static_cast<unsigned char>(p >> 24));
            }
        }
        if (std::fwrite(row.data(), 1, row.size(), file.get()) != row.size()) {
            return false;
        }
    }
    return true;
}

std::vector<DWORD> Pixels(const DibView& v) {
    std::vector<DWORD> out(static_cast<size_t>(v.width) * v.height);
    for (LONG y = 0; y < v.height; ++y) {
        for (LONG x = 0; x < v.width; ++x) {
            out[static_cast<size_t>(y) * v.width + x] = PixelArgb(v, x, y);
        }
    }
    return out;
}

} // namespace

bool SaveBitmapAsPam(HBITMAP handle, const std::string& path) {
    auto bitmap = BitmapOf(handle);
    if (!bitmap) {
        return false;
    }
    const DibView& v = bitmap->View();
    return WritePam(path, v.width, v.height, v.bitsPerPixel == 32, Pixels(v));
}

BitmapDifference CompareBitmaps(HBITMAP actual, HBITMAP expected) {
    BitmapDifference result;
    auto a = BitmapOf(actual);
    auto b = BitmapOf(expected);
    if (!a || !b || a->Width() != b->Width() || a->Height() != b->Height()) {
        return result;
    }
    result.comparable = true;
    const DibView& va = a->View();
    const DibView& vb = b->View();
    const bool withAlpha = va.bitsPerPixel == 32 && vb.bitsPerPixel == 32;
    for (LONG y = 0; y < va.height; ++y) {
        for (LONG x = 0; x < va.width; ++x) {
            DWORD pa = PixelArgb(va, x, y);
            DWORD pb = PixelArgb(vb, x, y);
            if (!withAlpha) {
                pa &= 0xFFFFFF;
                pb &= 0xFFFFFF;
            }
            if (pa != pb) {
                if (result.differing++ == 0) {
                    result.first = POINT{x, y};
                }
            }
        }
    }
    return result;
}

BitmapDifference CompareBitmapsAndReport(HBITMAP actual, HBITMAP expected, const std::string& directory,
                                         const std::string& name) {
    const BitmapDifference result = CompareBitmaps(actual, expected);
    if (result.comparable && result.differing == 0) {
        return result;
    }
    std::error_code ignored;
    std::filesystem::create_directories(directory, ignored);
    const std::string base = directory + "/" + name;
    SaveBitmapAsPam(actual, base + ".actual.pam");
    SaveBitmapAsPam(expected, base + ".expected.pam");
    auto a = BitmapOf(actual);
    auto b = BitmapOf(expected);
    if (result.comparable) {
        const std::vector<DWORD> pa = Pixels(a->View());
        const std::vector<DWORD> pb = Pixels(b->View());
        std::vector<DWORD> diff(pa.size());
        for (size_t i = 0; i < pa.size(); ++i) {
            const DWORD grey = (((pb[i] >> 16) & 0xFF) + ((pb[i] >> 8) & 0xFF) + (pb[i] & 0xFF)) / 12;
            diff[i] = pa[i] != pb[i] ? 0xFFFF0000u : 0xFF000000u | (grey << 16) | (grey << 8) | grey;
        }
        WritePam(base + ".diff.pam", a->Width(), a->Height(), false, diff);
    }
    return result;
}

} // namespace win
