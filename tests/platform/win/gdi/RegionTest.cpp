// Regions, clipping and saved DC states.

#include "GdiTestSupport.h"

#include <functional>
#include <set>
#include <utility>

using namespace gdi_test;

namespace {

std::set<std::pair<int, int>> PixelsOf(HRGN region, int extent) {
    std::set<std::pair<int, int>> out;
    for (int y = -2; y < extent; ++y) {
        for (int x = -2; x < extent; ++x) {
            if (PtInRegion(region, x, y)) {
                out.insert({x, y});
            }
        }
    }
    return out;
}

} // namespace

TEST(Regions, CombineModesMatchAPixelModel) {
    struct Row {
        const char* name;
        int mode;
        std::function<bool(bool, bool)> model;
    } rows[] = {
        {"AND", RGN_AND, [](bool a, bool b) { return a && b; }},
        {"OR", RGN_OR, [](bool a, bool b) { return a || b; }},
        {"XOR", RGN_XOR, [](bool a, bool b) { return a != b; }},
        {"DIFF", RGN_DIFF, [](bool a, bool b) { return a && !b; }},
        {"COPY", RGN_COPY, [](bool a, bool) { return a; }},
    };
    // A ring (complex) against an overlapping rectangle.
    HRGN ring = CreateRectRgn(0, 0, 10, 10);
    HRGN hole = CreateRectRgn(3, 3, 7, 7);
    ASSERT_EQ(CombineRgn(ring, ring, hole, RGN_DIFF), COMPLEXREGION);
    HRGN rect = CreateRectRgn(5, -1, 12, 5);
    for (const Row& row : rows) {
        HRGN out = CreateRectRgn(0, 0, 0, 0);
        const int kind = CombineRgn(out, ring, rect, row.mode);
        const auto pixels = PixelsOf(out, 14);
        for (int y = -2; y < 14; ++y) {
            for (int x = -2; x < 14; ++x) {
                const bool a = PtInRegion(ring, x, y);
                const bool b = x >= 5 && x < 12 && y >= -1 && y < 5;
                EXPECT_EQ(pixels.count({x, y}) == 1, row.model(a, b)) << row.name << " at " << x << "," << y;
            }
        }
        EXPECT_EQ(kind, pixels.empty() ? NULLREGION : COMPLEXREGION) << row.name;
        // The rectangle list survives a round trip and compares equal.
        const DWORD size = GetRegionData(out, 0, nullptr);
        std::vector<std::uint8_t> data(size);
        ASSERT_EQ(GetRegionData(out, size, reinterpret_cast<RGNDATA*>(data.data())), size);
        HRGN copy = ExtCreateRegion(nullptr, size, reinterpret_cast<RGNDATA*>(data.data()));
        EXPECT_TRUE(EqualRgn(copy, out)) << row.name;
        DeleteObject(copy);
        DeleteObject(out);
    }
    RECT box{};
    EXPECT_EQ(GetRgnBox(ring, &box), COMPLEXREGION);
    EXPECT_EQ(box, (RECT{0, 0, 10, 10}));
    EXPECT_EQ(OffsetRgn(ring, 5, -5), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(ring, 5, -5));
    EXPECT_FALSE(PtInRegion(ring, 9, -1));
    RECT probe{8, -2, 10, 0};
    EXPECT_FALSE(RectInRegion(ring, &probe));
    for (HRGN r : {ring, hole, rect}) {
        DeleteObject(r);
    }
}

TEST(Regions, RoundedCornersExcludeRightAndBottomEdges) {
    // The window region of a 520 x 300 form with 24 x 24 corners.
    HRGN region = CreateRoundRectRgn(0, 0, 521, 301, 24, 24);
    RECT box{};
    EXPECT_EQ(GetRgnBox(region, &box), COMPLEXREGION);
    EXPECT_EQ(box, (RECT{0, 0, 520, 300}));
    // Corners are cut symmetrically; edges are full between the corners.
    int cut = 0;
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool in = PtInRegion(region, x, y);
            EXPECT_EQ(in, PtInRegion(region, 519 - x, y)) << x << "," << y;
            EXPECT_EQ(in, PtInRegion(region, x, 299 - y)) << x << "," << y;
            EXPECT_EQ(in, PtInRegion(region, y, x)) << x << "," << y; // circular corners
            cut += in ? 0 : 1;
        }
    }
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 11, 0) || PtInRegion(region, 12, 0));
    EXPECT_TRUE(PtInRegion(region, 0, 150));
    EXPECT_TRUE(PtInRegion(region, 519, 150));
    EXPECT_FALSE(PtInRegion(region, 520, 150));
    EXPECT_TRUE(PtInRegion(region, 260, 299));
    EXPECT_FALSE(PtInRegion(region, 260, 300));
    // A quarter circle of radius 12 cuts about (1 - pi/4) * 144 pixels.
    EXPECT_GT(cut, 25);
    EXPECT_LT(cut, 37);
    DeleteObject(region);

    // An elliptic region is the round rectangle with the whole box as corner.
    HRGN ellipse = CreateEllipticRgn(0, 0, 11, 11);
    HRGN same = CreateRoundRectRgn(0, 0, 11, 11, 11, 11);
    EXPECT_TRUE(EqualRgn(ellipse, same));
    EXPECT_TRUE(GetRgnBox(ellipse, &box));
    EXPECT_EQ(box, (RECT{0, 0, 10, 10}));
    DeleteObject(ellipse);
    DeleteObject(same);
}

TEST(Regions, PolygonsFollowFillModesAndExcludeRightAndBottom) {
    const POINT square[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    HRGN r = CreatePolygonRgn(square, 4, ALTERNATE);
    RECT box{};
    EXPECT_EQ(GetRgnBox(r, &box), SIMPLEREGION);
    EXPECT_EQ(box, (RECT{0, 0, 10, 10}));
    DeleteObject(r);
    // A star drawn in one stroke: its centre is inside for WINDING only.
    const POINT star[5] = {{10, 0}, {16, 20}, {0, 7}, {20, 7}, {4, 20}};
    HRGN alternate = CreatePolygonRgn(star, 5, ALTERNATE);
    HRGN winding = CreatePolygonRgn(star, 5, WINDING);
    EXPECT_FALSE(PtInRegion(alternate, 10, 11));
    EXPECT_TRUE(PtInRegion(winding, 10, 11));
    EXPECT_TRUE(PtInRegion(alternate, 10, 3));
    DeleteObject(alternate);
    DeleteObject(winding);
    // The octagon that cuts a form's corners diagonally.
    const int W = 100, H = 60, w = 10, h = 10;
    const POINT octagon[8] = {{w, 0}, {W - w, 0}, {W, h}, {W, H - h}, {W - w, H}, {w, H}, {0, H - h}, {0, h}};
    HRGN oct = CreatePolygonRgn(octagon, 8, WINDING);
    EXPECT_EQ(GetRgnBox(oct, &box), COMPLEXREGION);
    EXPECT_EQ(box, (RECT{0, 0, W, H}));
    EXPECT_FALSE(PtInRegion(oct, 0, 0));
    EXPECT_TRUE(PtInRegion(oct, w, 0));
    EXPECT_FALSE(PtInRegion(oct, W - w, 0));
    DeleteObject(oct);
}

TEST(Clipping, ComplexRegionsAndExcludedRectanglesLimitDrawing) {
    Canvas c(12, 12);
    c.FillPattern();
    HRGN left = CreateRectRgn(0, 0, 4, 12);
    HRGN right = CreateRectRgn(8, 0, 12, 12);
    CombineRgn(left, left, right, RGN_OR);
    EXPECT_EQ(SelectClipRgn(c.dc, left), COMPLEXREGION);
    EXPECT_EQ(ExcludeClipRect(c.dc, 0, 5, 12, 7), COMPLEXREGION);
    RECT clip{};
    EXPECT_EQ(GetClipBox(c.dc, &clip), COMPLEXREGION);
    EXPECT_EQ(clip, (RECT{0, 0, 12, 12}));
    EXPECT_TRUE(PtVisible(c.dc, 1, 1));
    EXPECT_FALSE(PtVisible(c.dc, 5, 1));
    EXPECT_FALSE(PtVisible(c.dc, 1, 6));
    RECT middle{4, 0, 8, 12};
    EXPECT_FALSE(RectVisible(c.dc, &middle));
    RECT all{0, 0, 12, 12};
    ASSERT_TRUE(FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool visible = (x < 4 || x >= 8) && (y < 5 || y >= 7);
            EXPECT_EQ(c.At(x, y), visible ? 0u : Canvas::Pattern(x, y)) << x << "," << y;
        }
    }
    // The selected region was copied: changing it changes nothing.
    OffsetRgn(left, 100, 100);
    EXPECT_TRUE(PtVisible(c.dc, 1, 1));
    EXPECT_EQ(IntersectClipRect(c.dc, 20, 20, 30, 30), NULLREGION);
    EXPECT_EQ(GetClipBox(c.dc, &clip), NULLREGION);
    EXPECT_EQ(SelectClipRgn(c.dc, nullptr), SIMPLEREGION);
    DeleteObject(left);
    DeleteObject(right);
}

TEST(Clipping, OriginsMoveLogicalCoordinatesButNotTheClipRegion) {
    Canvas c(10, 10);
    c.FillPattern();
    HRGN r = CreateRectRgn(2, 2, 6, 6); // device coordinates
    SelectClipRgn(c.dc, r);
    SetViewportOrgEx(c.dc, 3, 0, nullptr);
    SetWindowOrgEx(c.dc, 0, 1, nullptr);
    RECT clip{};
    GetClipBox(c.dc, &clip);
    EXPECT_EQ(clip, (RECT{-1, 3, 3, 7}));
    RECT all{-10, -10, 20, 20};
    FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.ChangedBox(), (RECT{2, 2, 6, 6}));
    // Rectangle (0, 1)-(1, 2) logical is device (3, 0)-(4, 1).
    c.FillPattern();
    SelectClipRgn(c.dc, nullptr);
    RECT one{0, 1, 1, 2};
    FillRect(c.dc, &one, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.ChangedBox(), (RECT{3, 0, 4, 1}));
    DeleteObject(r);
}

TEST(SavedStates, RestoreBringsBackEverything) {
    Canvas c(6, 6);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    const int first = SaveDC(c.dc);
    EXPECT_EQ(first, 1);
    SelectObject(c.dc, pen);
    SetROP2(c.dc, R2_XORPEN);
    SetBkMode(c.dc, TRANSPARENT);
    SetTextColor(c.dc, RGB(9, 9, 9));
    SetViewportOrgEx(c.dc, 2, 2, nullptr);
    IntersectClipRect(c.dc, 0, 0, 1, 1);
    EXPECT_EQ(SaveDC(c.dc), 2);
    SetROP2(c.dc, R2_NOT);
    SelectObject(c.dc, GetStockObject(WHITE_PEN));
    // Back one level: the state of the second save.
    ASSERT_TRUE(RestoreDC(c.dc, -1));
    EXPECT_EQ(GetROP2(c.dc), R2_XORPEN);
    EXPECT_EQ(GetCurrentObject(c.dc, OBJ_PEN), pen);
    // Back to the first: all defaults again.
    ASSERT_TRUE(RestoreDC(c.dc, first));
    EXPECT_EQ(GetROP2(c.dc), R2_COPYPEN);
    EXPECT_EQ(GetBkMode(c.dc), OPAQUE);
    EXPECT_EQ(GetTextColor(c.dc), RGB(0, 0, 0));
    EXPECT_EQ(GetCurrentObject(c.dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    POINT origin{};
    GetViewportOrgEx(c.dc, &origin);
    EXPECT_EQ(origin.x, 0);
    RECT clip{};
    EXPECT_EQ(GetClipBox(c.dc, &clip), SIMPLEREGION);
    EXPECT_EQ(clip, (RECT{0, 0, 6, 6}));
    EXPECT_FALSE(RestoreDC(c.dc, 1)); // nothing saved any more
    // The pen was held by the saved state; now it can go.
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_EQ(GetObjectType(pen), 0u);
    // A saved bitmap selection comes back too.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ stock = GetCurrentObject(dc, OBJ_BITMAP);
    SaveDC(dc);
    Canvas other(2, 2);
    SelectObject(other.dc, other.previous);
    SelectObject(dc, other.bitmap);
    RestoreDC(dc, 1);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), stock);
    DeleteDC(dc);
    SelectObject(other.dc, other.bitmap);
}
