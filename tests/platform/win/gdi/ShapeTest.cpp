// Lines, pens, brushes and filled shapes with GDI's pixel rules.

#include "GdiTestSupport.h"

#include <cstdlib>
#include <functional>

using namespace gdi_test;

TEST(Lines, LastPixelIsLeftOutInEveryDirection) {
    struct Row {
        int x0, y0, x1, y1;
    } rows[] = {{2, 5, 12, 5},  {12, 5, 2, 5},  {5, 2, 5, 12}, {5, 12, 5, 2}, {2, 2, 12, 12},
                {12, 12, 2, 2}, {2, 12, 12, 2}, {1, 3, 13, 8}, {13, 8, 1, 3}, {3, 1, 8, 13}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.x0 << "," << row.y0 << " -> " << row.x1 << "," << row.y1);
        Canvas c(15, 15);
        c.FillPattern();
        MoveToEx(c.dc, row.x0, row.y0, nullptr);
        ASSERT_TRUE(LineTo(c.dc, row.x1, row.y1));
        const auto changed = c.Changed();
        const int steps = std::max(std::abs(row.x1 - row.x0), std::abs(row.y1 - row.y0));
        ASSERT_EQ(static_cast<int>(changed.size()), steps);
        EXPECT_EQ(c.At(row.x0, row.y0), Drawn(0)) << "first pixel drawn";
        EXPECT_EQ(c.At(row.x1, row.y1), Canvas::Pattern(row.x1, row.y1)) << "last pixel left out";
        // One pixel per step along the major axis, each within half a pixel of the line.
        for (const POINT& p : changed) {
            EXPECT_EQ(c.At(p.x, p.y), Drawn(0));
            const double t = std::abs(row.x1 - row.x0) >= std::abs(row.y1 - row.y0)
                                 ? double(p.x - row.x0) / (row.x1 - row.x0)
                                 : double(p.y - row.y0) / (row.y1 - row.y0);
            const double ex = row.x0 + t * (row.x1 - row.x0);
            const double ey = row.y0 + t * (row.y1 - row.y0);
            EXPECT_LE(std::abs(ex - p.x), 0.5);
            EXPECT_LE(std::abs(ey - p.y), 0.5);
        }
        POINT position{};
        GetCurrentPositionEx(c.dc, &position);
        EXPECT_EQ(position.x, row.x1);
        EXPECT_EQ(position.y, row.y1);
    }
}

TEST(Lines, EveryRop2CombinesPenAndDestination) {
    const std::uint32_t pen = Drawn(RGB(0xF0, 0x3C, 0x0F));
    const std::uint32_t dst = 0xA5C3965A;
    // The truth table of ROP2 code r: bit (P * 2 + D) of r - 1, per bit.
    auto model = [&](int rop2) {
        std::uint32_t out = 0;
        for (int bit = 0; bit < 32; ++bit) {
            const int p = (pen >> bit) & 1;
            const int d = (dst >> bit) & 1;
            out |= std::uint32_t(((rop2 - 1) >> (p * 2 + d)) & 1) << bit;
        }
        return out;
    };
    for (int rop2 = R2_BLACK; rop2 <= R2_WHITE; ++rop2) {
        Canvas c(3, 1);
        c.Fill(dst);
        HPEN p = CreatePen(PS_SOLID, 1, RGB(0xF0, 0x3C, 0x0F));
        HGDIOBJ old = SelectObject(c.dc, p);
        EXPECT_EQ(SetROP2(c.dc, rop2), R2_COPYPEN);
        MoveToEx(c.dc, 0, 0, nullptr);
        LineTo(c.dc, 2, 0);
        EXPECT_EQ(c.At(0, 0), model(rop2)) << "ROP2 " << rop2;
        EXPECT_EQ(c.At(2, 0), dst);
        SelectObject(c.dc, old);
        DeleteObject(p);
    }
}

TEST(Lines, DashesContinueAlongAPolylineAndGapsFollowTheBackgroundMode) {
    for (int mode : {TRANSPARENT, OPAQUE}) {
        Canvas c(64, 1);
        c.FillPattern();
        HPEN pen = CreatePen(PS_DASH, 1, RGB(255, 0, 0));
        SelectObject(c.dc, pen);
        SetBkMode(c.dc, mode);
        SetBkColor(c.dc, RGB(0, 0, 255));
        const POINT points[3] = {{0, 0}, {10, 0}, {40, 0}};
        ASSERT_TRUE(Polyline(c.dc, points, 3));
        // Dashes of 18 pixels and gaps of 6, measured along the whole path.
        for (int x = 0; x < 40; ++x) {
            const bool dash = (x % 24) < 18;
            const std::uint32_t expected =
                dash ? Drawn(RGB(255, 0, 0))
                     : (mode == OPAQUE ? Drawn(RGB(0, 0, 255)) : Canvas::Pattern(x, 0));
            EXPECT_EQ(c.At(x, 0), expected) << "x " << x << " mode " << mode;
        }
        SelectObject(c.dc, GetStockObject(BLACK_PEN));
        DeleteObject(pen);
    }
}

TEST(Lines, WidePensAreCentredWithRoundEnds) {
    Canvas c(30, 20);
    c.FillPattern();
    HPEN pen = CreatePen(PS_SOLID, 5, RGB(0, 128, 0));
    SelectObject(c.dc, pen);
    MoveToEx(c.dc, 5, 10, nullptr);
    LineTo(c.dc, 25, 10);
    const RECT box = c.ChangedBox();
    EXPECT_EQ(box.top, 8);
    EXPECT_EQ(box.bottom, 13);
    EXPECT_EQ(box.left, 3);
    EXPECT_EQ(box.right, 28);
    // Round ends: the corners of the end square stay untouched.
    EXPECT_EQ(c.At(3, 8), Canvas::Pattern(3, 8));
    EXPECT_EQ(c.At(3, 10), Drawn(RGB(0, 128, 0)));
    SelectObject(c.dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

TEST(Shapes, ExtentsExcludeRightAndBottom) {
    struct Row {
        const char* name;
        std::function<BOOL(HDC)> draw;
        bool nullPen;
        RECT expected;
    } rows[] = {
        {"Rectangle", [](HDC dc) { return Rectangle(dc, 2, 3, 12, 9); }, false, {2, 3, 12, 9}},
        {"Rectangle without pen", [](HDC dc) { return Rectangle(dc, 2, 3, 12, 9); }, true, {2, 3, 11, 8}},
        {"Rectangle from the other corner",
         [](HDC dc) { return Rectangle(dc, 12, 9, 2, 3); },
         false,
         {2, 3, 12, 9}},
        {"Ellipse", [](HDC dc) { return Ellipse(dc, 1, 2, 15, 12); }, false, {1, 2, 15, 12}},
        {"Ellipse without pen", [](HDC dc) { return Ellipse(dc, 1, 2, 15, 12); }, true, {1, 2, 14, 11}},
        {"RoundRect", [](HDC dc) { return RoundRect(dc, 1, 1, 14, 10, 6, 6); }, false, {1, 1, 14, 10}},
        {"Polygon",
         [](HDC dc) {
             const POINT p[3] = {{2, 2}, {12, 2}, {2, 10}};
             return Polygon(dc, p, 3);
         },
         false,
         {2, 2, 13, 11}},
        {"Polygon without pen",
         [](HDC dc) {
             const POINT p[4] = {{2, 2}, {12, 2}, {12, 10}, {2, 10}};
             return Polygon(dc, p, 4);
         },
         true,
         {2, 2, 12, 10}},
    };
    for (const Row& row : rows) {
        Canvas c(16, 16);
        c.FillPattern();
        if (row.nullPen) {
            SelectObject(c.dc, GetStockObject(NULL_PEN));
        }
        ASSERT_TRUE(row.draw(c.dc)) << row.name;
        EXPECT_EQ(c.ChangedBox(), row.expected) << row.name;
        // Everything drawn is black outline or white fill with alpha 0.
        for (const POINT& p : c.Changed()) {
            const std::uint32_t v = c.At(p.x, p.y);
            EXPECT_TRUE(v == 0x00000000u || v == 0x00FFFFFFu) << row.name << " at " << p.x << "," << p.y;
        }
    }
}

TEST(Shapes, EllipseIsSymmetricWithOutlineAroundFill) {
    Canvas c(21, 15);
    c.FillPattern();
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 200));
    SelectObject(c.dc, brush);
    ASSERT_TRUE(Ellipse(c.dc, 0, 0, 21, 15));
    // 0 untouched, 1 outline, 2 fill.
    auto kind = [&](int x, int y) {
        const std::uint32_t v = c.At(x, y);
        return v == Drawn(0) ? 1 : (v == Drawn(RGB(0, 0, 200)) ? 2 : (v == Canvas::Pattern(x, y) ? 0 : -1));
    };
    int outline = 0;
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 21; ++x) {
            ASSERT_NE(kind(x, y), -1) << x << "," << y;
            EXPECT_EQ(kind(x, y), kind(20 - x, y)) << x << "," << y;
            EXPECT_EQ(kind(x, y), kind(x, 14 - y)) << x << "," << y;
            if (c.At(x, y) == Drawn(0)) {
                ++outline;
                continue;
            }
            if (c.At(x, y) == Drawn(RGB(0, 0, 200))) {
                // A fill pixel never touches the outside.
                for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    const std::uint32_t n = c.At(x + dx, y + dy);
                    EXPECT_TRUE(n == Drawn(0) || n == Drawn(RGB(0, 0, 200)));
                }
            }
        }
    }
    EXPECT_EQ(c.At(10, 0), Drawn(0));
    EXPECT_EQ(c.At(0, 7), Drawn(0));
    EXPECT_EQ(c.At(10, 7), Drawn(RGB(0, 0, 200)));
    EXPECT_EQ(c.At(0, 0), Canvas::Pattern(0, 0));
    EXPECT_GT(outline, 40);
    SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
}

TEST(Shapes, WidePenIsCentredOrInsideTheFrame) {
    struct Row {
        int style;
        RECT expected;
    } rows[] = {{PS_SOLID, {9, 9, 21, 21}}, {PS_INSIDEFRAME, {10, 10, 20, 20}}};
    for (const Row& row : rows) {
        Canvas c(30, 30);
        c.FillPattern();
        HPEN pen = CreatePen(row.style, 3, RGB(200, 0, 0));
        SelectObject(c.dc, pen);
        SelectObject(c.dc, GetStockObject(NULL_BRUSH));
        ASSERT_TRUE(Rectangle(c.dc, 10, 10, 20, 20));
        EXPECT_EQ(c.ChangedBox(), row.expected) << row.style;
        // Three pixels of pen on each side, the inside untouched.
        const LONG inner = row.expected.left + 3;
        EXPECT_EQ(c.At(inner, inner), Canvas::Pattern(inner, inner));
        EXPECT_EQ(c.At(inner - 1, 15), Drawn(RGB(200, 0, 0)));
        SelectObject(c.dc, GetStockObject(BLACK_PEN));
        DeleteObject(pen);
    }
}

TEST(Shapes, PolygonFillModes) {
    const POINT star[5] = {{10, 0}, {16, 20}, {0, 7}, {20, 7}, {4, 20}};
    for (int mode : {ALTERNATE, WINDING}) {
        Canvas c(22, 22);
        c.FillPattern();
        SelectObject(c.dc, GetStockObject(NULL_PEN));
        SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
        SetPolyFillMode(c.dc, mode);
        ASSERT_TRUE(Polygon(c.dc, star, 5));
        EXPECT_EQ(c.At(10, 11) == 0u, mode == WINDING);
        EXPECT_EQ(c.At(10, 3), 0u);
    }
}

TEST(Brushes, EachHatchPatternPaintsItsLines) {
    struct Row {
        int style;
        std::function<bool(int x, int y)> line;
    } rows[] = {
        {HS_HORIZONTAL, [](int, int y) { return y == 3; }},
        {HS_VERTICAL, [](int x, int) { return x == 4; }},
        {HS_FDIAGONAL, [](int x, int y) { return x == y; }},
        {HS_BDIAGONAL, [](int x, int y) { return x + y == 7; }},
        {HS_CROSS, [](int x, int y) { return x == 4 || y == 3; }},
        {HS_DIAGCROSS, [](int x, int y) { return x == y || x + y == 7; }},
    };
    for (const Row& row : rows) {
        for (int mode : {OPAQUE, TRANSPARENT}) {
            Canvas c(16, 16);
            c.FillPattern();
            HBRUSH brush = CreateHatchBrush(row.style, RGB(255, 0, 0));
            SetBkMode(c.dc, mode);
            SetBkColor(c.dc, RGB(0, 255, 0));
            RECT r{0, 0, 16, 16};
            ASSERT_TRUE(FillRect(c.dc, &r, brush));
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    const bool line = row.line(x % 8, y % 8);
                    const std::uint32_t expected =
                        line ? Drawn(RGB(255, 0, 0))
                             : (mode == OPAQUE ? Drawn(RGB(0, 255, 0)) : Canvas::Pattern(x, y));
                    EXPECT_EQ(c.At(x, y), expected)
                        << "style " << row.style << " mode " << mode << " at " << x << "," << y;
                }
            }
            DeleteObject(brush);
        }
    }
}

TEST(Brushes, PatternBrushFollowsTheBrushOrigin) {
    Canvas pattern(2, 2);
    pattern.At(0, 0) = 0xFF0000FF; // alpha is dropped: brush pixels carry 0
    pattern.At(1, 0) = 0x00000002;
    pattern.At(0, 1) = 0x00000003;
    pattern.At(1, 1) = 0x00000004;
    HBRUSH brush = CreatePatternBrush(pattern.bitmap);
    Canvas c(4, 2);
    SetBrushOrgEx(c.dc, 1, 0, nullptr);
    RECT r{0, 0, 4, 2};
    ASSERT_TRUE(FillRect(c.dc, &r, brush));
    EXPECT_EQ(c.At(1, 0), 0x000000FFu);
    EXPECT_EQ(c.At(0, 0), 0x00000002u);
    EXPECT_EQ(c.At(2, 1), 0x00000004u);
    DeleteObject(brush);
}

TEST(AlphaRule, DrawnPixelsGetAlphaZeroAndOthersKeepAllBytes) {
    struct Row {
        const char* name;
        std::function<void(HDC)> draw;
    } rows[] = {
        {"FillRect",
         [](HDC dc) {
             RECT r{2, 2, 7, 5};
             HBRUSH b = CreateSolidBrush(RGB(10, 20, 30));
             FillRect(dc, &r, b);
             DeleteObject(b);
         }},
        {"Ellipse", [](HDC dc) { Ellipse(dc, 1, 1, 9, 8); }},
        {"LineTo",
         [](HDC dc) {
             MoveToEx(dc, 0, 7, nullptr);
             LineTo(dc, 9, 1);
         }},
        {"RoundRect", [](HDC dc) { RoundRect(dc, 0, 0, 10, 8, 4, 4); }},
        {"SetPixel", [](HDC dc) { SetPixel(dc, 4, 4, RGB(1, 2, 3)); }},
        {"FrameRect",
         [](HDC dc) {
             RECT r{1, 1, 8, 7};
             FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
         }},
    };
    for (const Row& row : rows) {
        Canvas c(10, 8);
        c.FillPattern();
        row.draw(c.dc);
        const auto changed = c.Changed();
        EXPECT_FALSE(changed.empty()) << row.name;
        for (const POINT& p : changed) {
            EXPECT_EQ(c.At(p.x, p.y) >> 24, 0u) << row.name << " at " << p.x << "," << p.y;
        }
    }
}
