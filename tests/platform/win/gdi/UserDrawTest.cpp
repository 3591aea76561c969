// user32 and comctl32 drawing: edges, frame controls, focus rectangles,
// icons and image lists.

#include "GdiTestSupport.h"

using namespace gdi_test;

namespace {

std::uint32_t Sys(int index) {
    return Drawn(GetSysColor(index));
}

} // namespace

TEST(DrawEdge, ClassicOutlinesOfTheCommonEdges) {
    struct Row {
        const char* name;
        UINT edge;
        int outerLight, outerDark, innerLight, innerDark;
    } rows[] = {
        {"raised", EDGE_RAISED, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
        {"sunken", EDGE_SUNKEN, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
        {"etched", EDGE_ETCHED, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
        {"bump", EDGE_BUMP, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Canvas c(10, 8);
        c.FillPattern();
        RECT r{0, 0, 10, 8};
        ASSERT_TRUE(DrawEdge(c.dc, &r, row.edge, BF_RECT | BF_ADJUST));
        EXPECT_EQ(r, (RECT{2, 2, 8, 6}));
        // Outer ring: light top and left, dark bottom and right (which own the far corners).
        EXPECT_EQ(c.At(4, 0), Sys(row.outerLight));
        EXPECT_EQ(c.At(0, 4), Sys(row.outerLight));
        EXPECT_EQ(c.At(0, 0), Sys(row.outerLight));
        EXPECT_EQ(c.At(9, 0), Sys(row.outerDark));
        EXPECT_EQ(c.At(0, 7), Sys(row.outerDark));
        EXPECT_EQ(c.At(4, 7), Sys(row.outerDark));
        EXPECT_EQ(c.At(9, 4), Sys(row.outerDark));
        // Inner ring.
        EXPECT_EQ(c.At(4, 1), Sys(row.innerLight));
        EXPECT_EQ(c.At(1, 4), Sys(row.innerLight));
        EXPECT_EQ(c.At(8, 1), Sys(row.innerDark));
        EXPECT_EQ(c.At(4, 6), Sys(row.innerDark));
        // Without BF_MIDDLE the inside stays as it was.
        EXPECT_EQ(c.At(4, 4), Canvas::Pattern(4, 4));
    }
}

TEST(DrawEdge, SidesMiddleFlatAndMono) {
    Canvas c(10, 8);
    c.FillPattern();
    RECT r{0, 0, 10, 8};
    ASSERT_TRUE(DrawEdge(c.dc, &r, BDR_RAISEDINNER, BF_TOP | BF_MIDDLE));
    EXPECT_EQ(c.At(4, 0), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(c.At(0, 4), Sys(COLOR_BTNFACE)); // no left side: the middle reaches the edge
    EXPECT_EQ(c.At(4, 7), Sys(COLOR_BTNFACE));
    struct Row {
        UINT flags;
        int outer, inner;
    } rows[] = {{BF_FLAT, COLOR_BTNSHADOW, COLOR_BTNFACE}, {BF_MONO, COLOR_WINDOWFRAME, COLOR_WINDOW}};
    for (const Row& row : rows) {
        c.FillPattern();
        r = RECT{0, 0, 10, 8};
        ASSERT_TRUE(DrawEdge(c.dc, &r, EDGE_SUNKEN, BF_RECT | row.flags));
        EXPECT_EQ(c.At(0, 0), Sys(row.outer));
        EXPECT_EQ(c.At(9, 7), Sys(row.outer));
        EXPECT_EQ(c.At(1, 1), Sys(row.inner));
        EXPECT_EQ(c.At(8, 6), Sys(row.inner));
    }
}

TEST(FrameControls, RadioButtonPaintsOnlyItsDisc) {
    for (UINT checked : {0u, DFCS_CHECKED}) {
        Canvas c(13, 13);
        c.FillPattern();
        RECT r{0, 0, 13, 13};
        ASSERT_TRUE(DrawFrameControl(c.dc, &r, DFC_BUTTON, DFCS_BUTTONRADIO | checked));
        EXPECT_EQ(c.At(0, 0), Canvas::Pattern(0, 0));
        EXPECT_EQ(c.At(12, 12), Canvas::Pattern(12, 12));
        EXPECT_EQ(c.At(6, 0), Sys(COLOR_BTNSHADOW));
        EXPECT_EQ(c.At(6, 12), Sys(COLOR_BTNHIGHLIGHT));
        EXPECT_EQ(c.At(6, 6), checked ? Sys(COLOR_WINDOWTEXT) : Sys(COLOR_WINDOW));
        EXPECT_EQ(c.At(3, 6), Sys(COLOR_WINDOW));
    }
}

TEST(FrameControls, CheckBoxAndPushButtonStates) {
    Canvas box(13, 13);
    RECT r{0, 0, 13, 13};
    ASSERT_TRUE(DrawFrameControl(box.dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED));
    int mark = 0;
    for (int y = 2; y < 11; ++y) {
        for (int x = 2; x < 11; ++x) {
            mark += box.At(x, y) == Sys(COLOR_WINDOWTEXT) ? 1 : 0;
        }
    }
    EXPECT_EQ(mark, 21); // seven columns of three pixels
    EXPECT_EQ(box.At(0, 0), Sys(COLOR_BTNSHADOW));
    ASSERT_TRUE(DrawFrameControl(box.dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_INACTIVE));
    EXPECT_EQ(box.At(6, 6), Sys(COLOR_BTNFACE));

    Canvas button(20, 10);
    RECT b{0, 0, 20, 10};
    ASSERT_TRUE(DrawFrameControl(button.dc, &b, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT));
    EXPECT_EQ(b, (RECT{2, 2, 18, 8}));
    EXPECT_EQ(button.At(0, 0), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(button.At(19, 9), Sys(COLOR_3DDKSHADOW));
    EXPECT_EQ(button.At(10, 5), Sys(COLOR_BTNFACE));
    b = RECT{0, 0, 20, 10};
    ASSERT_TRUE(DrawFrameControl(button.dc, &b, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED));
    EXPECT_NE(button.At(0, 0), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(button.At(19, 9), Sys(COLOR_BTNHIGHLIGHT));

    Canvas caption(16, 14);
    RECT cr{0, 0, 16, 14};
    ASSERT_TRUE(DrawFrameControl(caption.dc, &cr, DFC_CAPTION, DFCS_CAPTIONCLOSE));
    int glyph = 0;
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 16; ++x) {
            glyph += caption.At(x, y) == Sys(COLOR_BTNTEXT) ? 1 : 0;
        }
    }
    EXPECT_GT(glyph, 10);
}

TEST(FocusRect, DrawingTwiceRestoresThePixels) {
    Canvas c(9, 7);
    c.FillPattern();
    RECT r{1, 1, 8, 6};
    ASSERT_TRUE(DrawFocusRect(c.dc, &r));
    const auto changed = c.Changed();
    EXPECT_FALSE(changed.empty());
    for (const POINT& p : changed) {
        EXPECT_TRUE(p.x == 1 || p.x == 7 || p.y == 1 || p.y == 5);
        EXPECT_EQ(c.At(p.x, p.y), Canvas::Pattern(p.x, p.y) ^ 0x00FFFFFFu); // colour inverted, alpha kept
    }
    ASSERT_TRUE(DrawFocusRect(c.dc, &r));
    EXPECT_TRUE(c.Changed().empty());
}

namespace {

HBITMAP MakeBitmap(int w, int h, int bpp, const std::vector<std::uint32_t>& pixels) {
    Canvas tmp(w, h, bpp);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = pixels[y * w + x];
            if (bpp == 32) {
                tmp.At(x, y) = p;
            } else {
                SetPixel(tmp.dc, x, y, RGB(p >> 16, p >> 8, p));
            }
        }
    }
    // Hand over a copy that is not selected anywhere.
    HBITMAP copy = CreateBitmap(w, h, 1, 32, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, copy);
    BitBlt(dc, 0, 0, w, h, tmp.dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
    return copy;
}

} // namespace

TEST(Icons, AlphaIconBlendsAndMaskedIconKeepsWhatIsBehind) {
    // A 32-bit icon with straight alpha: blended after premultiplication.
    HBITMAP color = MakeBitmap(2, 1, 32, {0x80C86432, 0xFF102030});
    HBITMAP mask = CreateBitmap(2, 1, 1, 1, nullptr);
    ICONINFO info{1, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&info);
    ASSERT_TRUE(icon);
    Canvas c(2, 1);
    c.Fill(0xFFFFFFFF);
    ASSERT_TRUE(DrawIconEx(c.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
    auto premul = [](std::uint32_t ch, std::uint32_t a) { return (ch * a + 127) / 255; };
    auto over = [&](std::uint32_t s, std::uint32_t d) {
        const std::uint32_t a = s >> 24;
        std::uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const std::uint32_t sc = shift == 24 ? a : premul((s >> shift) & 0xFF, a);
            out |= (sc + ((((d >> shift) & 0xFF) * (255 - a)) + 127) / 255) << shift;
        }
        return out;
    };
    EXPECT_EQ(c.At(0, 0), over(0x80C86432, 0xFFFFFFFF));
    EXPECT_EQ(c.At(1, 0), 0xFF102030u);
    ICONINFO back{};
    ASSERT_TRUE(GetIconInfo(icon, &back));
    BITMAP bm{};
    GetObject(back.hbmColor, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 2);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    DeleteObject(back.hbmColor);
    DeleteObject(back.hbmMask);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DestroyIcon(icon));
    SetLastError(0);
    EXPECT_FALSE(DrawIconEx(c.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_CURSOR_HANDLE);
    DeleteObject(color);
    DeleteObject(mask);

    // A masked icon without alpha: mask bit 1 keeps the colour behind it.
    HBITMAP plain = MakeBitmap(2, 1, 32, {0x00000000, 0x00112233});
    const std::uint8_t maskBits[2] = {0x80, 0}; // left pixel transparent
    HBITMAP andMask = CreateBitmap(2, 1, 1, 1, maskBits);
    ICONINFO info2{1, 0, 0, andMask, plain};
    HICON masked = CreateIconIndirect(&info2);
    c.At(0, 0) = 0x7F445566;
    c.At(1, 0) = 0x7F445566;
    ASSERT_TRUE(DrawIconEx(c.dc, 0, 0, masked, 2, 1, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(c.At(0, 0) & 0xFFFFFF, 0x445566u);
    EXPECT_EQ(c.At(1, 0), 0x00112233u);
    // DI_MASK alone copies the mask.
    ASSERT_TRUE(DrawIconEx(c.dc, 0, 0, masked, 2, 1, 0, nullptr, DI_MASK));
    EXPECT_EQ(c.At(0, 0), Drawn(RGB(255, 255, 255)));
    EXPECT_EQ(c.At(1, 0), 0u);
    DestroyIcon(masked);
    DeleteObject(plain);
    DeleteObject(andMask);
}

TEST(ImageLists, MaskedImagesDrawTransparentOrOnABackground) {
    HIMAGELIST list = ImageList_Create(2, 1, ILC_COLOR24 | ILC_MASK, 4, 4);
    ASSERT_TRUE(list);
    HBITMAP strip = MakeBitmap(4, 1, 24, {0xFF00FF, 0x010203, 0x040506, 0xFF00FF});
    EXPECT_EQ(ImageList_AddMasked(list, strip, RGB(255, 0, 255)), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 2);
    EXPECT_EQ(cy, 1);
    Canvas c(2, 1);
    c.Fill(0x7FABCDEF);
    // Masked pixels are not drawn: all four bytes stay.
    ASSERT_TRUE(ImageList_DrawEx(list, 0, c.dc, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT));
    EXPECT_EQ(c.At(0, 0), 0x7FABCDEFu);
    EXPECT_EQ(c.At(1, 0), 0x00010203u);
    ASSERT_TRUE(ImageList_DrawEx(list, 1, c.dc, 0, 0, 0, 0, RGB(9, 9, 9), CLR_NONE, ILD_NORMAL));
    EXPECT_EQ(c.At(0, 0), 0x00040506u);
    EXPECT_EQ(c.At(1, 0), Drawn(RGB(9, 9, 9)));
    EXPECT_FALSE(ImageList_DrawEx(list, 2, c.dc, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_NORMAL));
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_GetIconSize(list, &cx, &cy));
    DeleteObject(strip);

    // 32-bit images with alpha are blended.
    HIMAGELIST alpha = ImageList_Create(1, 1, ILC_COLOR32, 1, 1);
    HBITMAP pixel = MakeBitmap(1, 1, 32, {0x00FF0000});
    ASSERT_EQ(ImageList_Add(alpha, pixel, nullptr), 0);
    c.Fill(0xFF0000FF);
    ASSERT_TRUE(ImageList_DrawEx(alpha, 0, c.dc, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_NORMAL));
    EXPECT_EQ(c.At(0, 0), 0x00FF0000u); // no alpha: copied
    HBITMAP half = MakeBitmap(1, 1, 32, {0x80FF0000});
    ASSERT_EQ(ImageList_Add(alpha, half, nullptr), 1);
    c.Fill(0xFF0000FF);
    ASSERT_TRUE(ImageList_DrawEx(alpha, 1, c.dc, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_NORMAL));
    EXPECT_EQ(c.At(0, 0), 0xFF80007Fu);
    ImageList_Destroy(alpha);
    DeleteObject(pixel);
    DeleteObject(half);
}

TEST(ImageLists, ImageInfoHandsOutTheListsOwnBitmaps) {
    HIMAGELIST list = ImageList_Create(2, 1, ILC_COLOR24 | ILC_MASK, 4, 4);
    HBITMAP strip = MakeBitmap(4, 1, 24, {0xFF00FF, 0x010203, 0x040506, 0xFF00FF});
    ASSERT_EQ(ImageList_AddMasked(list, strip, RGB(255, 0, 255)), 0);
    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(list, 1, &info));
    EXPECT_EQ(info.rcImage, (RECT{0, 0, 2, 1}));
    BITMAP image{};
    BITMAP mask{};
    ASSERT_EQ(GetObjectW(info.hbmImage, sizeof(image), &image), int{sizeof(image)});
    ASSERT_EQ(GetObjectW(info.hbmMask, sizeof(mask), &mask), int{sizeof(mask)});
    EXPECT_EQ(image.bmBitsPixel, 32);
    EXPECT_EQ(mask.bmBitsPixel, 1);
    EXPECT_EQ(image.bmWidth, 2);

    // A caller draws from them: the picture (masked pixels black) and its mask.
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(source, info.hbmImage);
    Canvas c(2, 1);
    c.Fill(0x7F00FF00);
    ASSERT_TRUE(BitBlt(c.dc, 0, 0, 2, 1, source, info.rcImage.left, info.rcImage.top, SRCCOPY));
    EXPECT_EQ(c.At(0, 0), 0x00040506u);
    EXPECT_EQ(c.At(1, 0), 0u);
    SelectObject(source, info.hbmMask);
    ASSERT_TRUE(BitBlt(c.dc, 0, 0, 2, 1, source, 0, 0, SRCCOPY));
    EXPECT_EQ(c.At(0, 0), Drawn(RGB(0, 0, 0)));
    EXPECT_EQ(c.At(1, 0), Drawn(RGB(255, 255, 255)));
    SelectObject(source, old);
    DeleteDC(source);

    // The same handles again; they go with their image, and with the list.
    IMAGEINFO again{};
    ASSERT_TRUE(ImageList_GetImageInfo(list, 1, &again));
    EXPECT_EQ(again.hbmImage, info.hbmImage);
    EXPECT_EQ(again.hbmMask, info.hbmMask);
    ASSERT_TRUE(ImageList_Remove(list, 1));
    EXPECT_EQ(GetObjectType(info.hbmImage), 0u);
    EXPECT_EQ(GetObjectType(info.hbmMask), 0u);
    IMAGEINFO first{};
    ASSERT_TRUE(ImageList_GetImageInfo(list, 0, &first));
    ASSERT_TRUE(ImageList_Destroy(list));
    EXPECT_EQ(GetObjectType(first.hbmImage), 0u);
    EXPECT_FALSE(ImageList_GetImageInfo(list, 0, &info));
    DeleteObject(strip);

    // Without ILC_MASK there is no mask; bad indexes and a null record fail.
    HIMAGELIST plain = ImageList_Create(1, 1, ILC_COLOR32, 1, 1);
    HBITMAP pixel = MakeBitmap(1, 1, 32, {0x00123456});
    ASSERT_EQ(ImageList_Add(plain, pixel, nullptr), 0);
    IMAGEINFO unmasked{};
    ASSERT_TRUE(ImageList_GetImageInfo(plain, 0, &unmasked));
    EXPECT_NE(unmasked.hbmImage, nullptr);
    EXPECT_EQ(unmasked.hbmMask, nullptr);
    EXPECT_FALSE(ImageList_GetImageInfo(plain, 1, &unmasked));
    EXPECT_FALSE(ImageList_GetImageInfo(plain, -1, &unmasked));
    EXPECT_FALSE(ImageList_GetImageInfo(plain, 0, nullptr));
    ImageList_Destroy(plain);
    DeleteObject(pixel);
}
