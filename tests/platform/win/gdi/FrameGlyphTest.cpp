// Diagonal edges, and the menu glyphs and scroll-bar parts of
// DrawFrameControl, as pixel pictures on a 32-bit DIB: every letter is a
// colour drawn with alpha 0, '.' a pixel that must keep its old value.

#include "GdiTestSupport.h"

#include <cstring>
#include <map>

using namespace gdi_test;

namespace {

std::uint32_t Sys(int index) {
    return Drawn(GetSysColor(index));
}

using Legend = std::map<char, std::uint32_t>;

const Legend& EdgeLegend() {
    static const Legend legend{
        {'L', Sys(COLOR_3DLIGHT)},        {'D', Sys(COLOR_3DDKSHADOW)}, {'h', Sys(COLOR_BTNHIGHLIGHT)},
        {'s', Sys(COLOR_BTNSHADOW)},      {'F', Sys(COLOR_BTNFACE)},    {'T', Sys(COLOR_BTNTEXT)},
        {'W', Drawn(RGB(255, 255, 255))}, {'B', Drawn(RGB(0, 0, 0))},
    };
    return legend;
}

// Compares the whole canvas with a picture, reporting every wrong pixel.
void ExpectPicture(const Canvas& c, const std::vector<const char*>& picture) {
    ASSERT_EQ(static_cast<int>(picture.size()), c.height);
    for (int y = 0; y < c.height; ++y) {
        ASSERT_EQ(static_cast<int>(std::strlen(picture[y])), c.width) << "row " << y;
        for (int x = 0; x < c.width; ++x) {
            const char key = picture[y][x];
            const std::uint32_t expected = key == '.' ? Canvas::Pattern(x, y) : EdgeLegend().at(key);
            EXPECT_EQ(c.At(x, y), expected) << "pixel (" << x << ", " << y << ") should be '" << key << "'";
        }
    }
}

struct PictureRow {
    const char* name;
    UINT flags; // DrawEdge flags or DrawFrameControl state
    std::vector<const char*> picture;
};

// Draws each row on a fresh canvas of its picture's size and compares.
template <typename Draw>
void ExpectPictures(const std::vector<PictureRow>& rows, Draw draw) {
    for (const PictureRow& row : rows) {
        SCOPED_TRACE(row.name);
        const int width = static_cast<int>(std::strlen(row.picture[0]));
        const int height = static_cast<int>(row.picture.size());
        Canvas c(width, height);
        c.FillPattern();
        RECT r{0, 0, width, height};
        ASSERT_TRUE(draw(c.dc, r, row.flags));
        ExpectPicture(c, row.picture);
    }
}

auto FrameControlOf(UINT type) {
    return [type](HDC dc, RECT& r, UINT state) { return DrawFrameControl(dc, &r, type, state); };
}

} // namespace

TEST(DiagonalEdges, EachDirectionDrawsItsLineInnerLineAndMiddle) {
    // Raised: outer line L or D, inner line h or s, middle F; bottom-ending diagonals are dark.
    ExpectPictures(
        {
            {"end bottom-left", BF_DIAGONAL_ENDBOTTOMLEFT, {"FFFsD", "FFsD.", "FsD..", "sD...", "D...."}},
            {"end bottom-right", BF_DIAGONAL_ENDBOTTOMRIGHT, {"D....", "sD...", "FsD..", "FFsD.", "FFFsD"}},
            {"end top-right", BF_DIAGONAL_ENDTOPRIGHT, {"....L", "...Lh", "..LhF", ".LhFF", "LhFFF"}},
            {"end top-left", BF_DIAGONAL_ENDTOPLEFT, {"LhFFF", ".LhFF", "..LhF", "...Lh", "....L"}},
        },
        [](HDC dc, RECT& r, UINT flags) { return DrawEdge(dc, &r, EDGE_RAISED, flags | BF_MIDDLE); });
}

TEST(DiagonalEdges, SquareAtTheOriginAdjustAndSingleBorders) {
    // A wide rectangle: the square of its height at the origin corner (bottom left).
    Canvas c(7, 4);
    c.FillPattern();
    RECT r{0, 0, 7, 4};
    ASSERT_TRUE(DrawEdge(c.dc, &r, EDGE_SUNKEN, BF_DIAGONAL_ENDTOPRIGHT | BF_ADJUST));
    // Sunken: outer BTNSHADOW, inner 3DDKSHADOW (light colours of a sunken edge).
    const std::uint32_t o = Sys(COLOR_BTNSHADOW);
    const std::uint32_t i = Sys(COLOR_3DDKSHADOW);
    EXPECT_EQ(c.At(0, 3), o);
    EXPECT_EQ(c.At(3, 0), o);
    EXPECT_EQ(c.At(1, 3), i);
    EXPECT_EQ(c.At(3, 1), i);
    for (const POINT& p : c.Changed()) {
        EXPECT_LT(p.x, 4) << "drawn outside the square at x = " << p.x;
    }
    EXPECT_EQ(c.Changed().size(), 7u);
    // Adjusted by the two borders on the sides the end point names.
    EXPECT_EQ(r, (RECT{0, 2, 5, 4}));

    // One border only: no inner line, the middle starts next to the line.
    Canvas one(3, 3);
    one.FillPattern();
    RECT s{0, 0, 3, 3};
    ASSERT_TRUE(DrawEdge(one.dc, &s, BDR_RAISEDOUTER, BF_DIAGONAL_ENDBOTTOMRIGHT | BF_MIDDLE | BF_ADJUST));
    ExpectPicture(one, {"D..", "FD.", "FFD"});
    EXPECT_EQ(s, (RECT{0, 0, 2, 2}));
}

TEST(MenuGlyphs, BlackGlyphsOnWhite) {
    ExpectPictures(
        {
            {"submenu arrow",
             DFCS_MENUARROW,
             {"WWWWWWWW", "WWWWWWWW", "WWWBWWWW", "WWWBBWWW", "WWWBWWWW", "WWWWWWWW", "WWWWWWWW",
              "WWWWWWWW"}},
            {"right-to-left arrow",
             DFCS_MENUARROWRIGHT,
             {"WWWWWWWW", "WWWWWWWW", "WWWWBWWW", "WWWBBWWW", "WWWWBWWW", "WWWWWWWW", "WWWWWWWW",
              "WWWWWWWW"}},
            {"up arrow",
             DFCS_MENUARROWUP,
             {"WWWWWWWW", "WWWWWWWW", "WWWWWWWW", "WWWBWWWW", "WWBBBWWW", "WWWWWWWW", "WWWWWWWW",
              "WWWWWWWW"}},
            {"down arrow, inactive alike",
             DFCS_MENUARROWDOWN | DFCS_INACTIVE,
             {"WWWWWWWW", "WWWWWWWW", "WWWWWWWW", "WWBBBWWW", "WWWBWWWW", "WWWWWWWW", "WWWWWWWW",
              "WWWWWWWW"}},
            {"check",
             DFCS_MENUCHECK,
             {"WWWWWWBW", "WWWWWBBW", "BWWWBBBW", "BBWBBBWW", "BBBBBWWW", "WBBBWWWW", "WWBWWWWW",
              "WWWWWWWW"}},
        },
        FrameControlOf(DFC_MENU));
}

TEST(MenuGlyphs, BulletIsACentredDiscAndPopupMenusDrawTheSame) {
    for (UINT type : {DFC_MENU, DFC_POPUPMENU}) {
        Canvas c(16, 16);
        c.FillPattern();
        RECT r{0, 0, 16, 16};
        ASSERT_TRUE(DrawFrameControl(c.dc, &r, type, DFCS_MENUBULLET));
        EXPECT_EQ(c.Changed().size(), 256u);
        RECT black{16, 16, -1, -1};
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                ASSERT_TRUE(c.At(x, y) == Drawn(0) || c.At(x, y) == Drawn(0xFFFFFF));
                if (c.At(x, y) == Drawn(0)) {
                    black = RECT{std::min<LONG>(black.left, x), std::min<LONG>(black.top, y),
                                 std::max<LONG>(black.right, x + 1), std::max<LONG>(black.bottom, y + 1)};
                }
            }
        }
        // A 6-pixel disc (3/8 of the square) in the middle.
        EXPECT_EQ(black, (RECT{5, 5, 11, 11}));
        EXPECT_EQ(c.At(5, 5), Drawn(0xFFFFFF)); // rounded corners
    }
}

TEST(ScrollParts, ArrowButtonsInTheirStates) {
    const char* raisedTop = "LLLLLLLLLD";
    const char* raisedInner = "LhhhhhhhsD";
    const char* raisedFace = "LhFFFFFFsD";
    const char* raisedBottomInner = "LssssssssD";
    const char* raisedBottom = "DDDDDDDDDD";
    const char* flatEdge = "ssssssssss";
    const char* flatFace = "sFFFFFFFFs";
    ExpectPictures(
        {
            {"up",
             DFCS_SCROLLUP,
             {raisedTop, raisedInner, raisedFace, raisedFace, "LhFFTFFFsD", "LhFTTTFFsD", raisedFace,
              raisedFace, raisedBottomInner, raisedBottom}},
            {"right",
             DFCS_SCROLLRIGHT,
             {raisedTop, raisedInner, raisedFace, "LhFFTFFFsD", "LhFFTTFFsD", "LhFFTFFFsD", raisedFace,
              raisedFace, raisedBottomInner, raisedBottom}},
            {"inactive up: embossed",
             DFCS_SCROLLUP | DFCS_INACTIVE,
             {raisedTop, raisedInner, raisedFace, raisedFace, "LhFFsFFFsD", "LhFsssFFsD", "LhFFhhhFsD",
              raisedFace, raisedBottomInner, raisedBottom}},
            {"pushed down: flat frame, arrow one pixel down and right",
             DFCS_SCROLLDOWN | DFCS_PUSHED,
             {flatEdge, flatFace, flatFace, flatFace, flatFace, "sFFFTTTFFs", "sFFFFTFFFs", flatFace,
              flatFace, flatEdge}},
            {"flat left",
             DFCS_SCROLLLEFT | DFCS_FLAT,
             {flatEdge, flatFace, flatFace, "sFFFFTFFFs", "sFFFTTFFFs", "sFFFFTFFFs", flatFace, flatFace,
              flatFace, flatEdge}},
            {"combo box: a down arrow",
             DFCS_SCROLLCOMBOBOX,
             {raisedTop, raisedInner, raisedFace, raisedFace, "LhFTTTFFsD", "LhFFTFFFsD", raisedFace,
              raisedFace, raisedBottomInner, raisedBottom}},
        },
        FrameControlOf(DFC_SCROLL));
}

TEST(ScrollParts, SizeGripsRidgeTheirCorner) {
    // The face fills the rectangle; ridges cross the square of its height.
    ExpectPictures(
        {
            {"lower right",
             DFCS_SCROLLSIZEGRIP,
             {"FFFFFFFs", "FFFFFFsF", "FFFFFsFh", "FFFFsFhs", "FFFsFhss", "FFsFhssF"}},
            {"lower left",
             DFCS_SCROLLSIZEGRIPRIGHT,
             {"sFFFFFFF", "FsFFFFFF", "hFsFFFFF", "shFsFFFF", "sshFsFFF", "FsshFsFF"}},
        },
        FrameControlOf(DFC_SCROLL));
}

TEST(FrameControls, UnknownPartsFailWithoutDrawing) {
    struct Row {
        UINT type;
        UINT state;
    } rows[] = {{DFC_MENU, 3}, {DFC_POPUPMENU, 0x20}, {DFC_SCROLL, 4}, {DFC_SCROLL, 0x20}, {9, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type * 1000 + row.state);
        Canvas c(8, 8);
        c.FillPattern();
        RECT r{0, 0, 8, 8};
        SetLastError(0);
        EXPECT_FALSE(DrawFrameControl(c.dc, &r, row.type, row.state));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        EXPECT_TRUE(c.Changed().empty());
    }
}

TEST(FrameControls, HugeRectanglesCostOnlyTheirVisiblePart) {
    // Each of these once walked every pixel or line of the rectangle.
    Canvas c(8, 8);
    const LONG huge = 1 << 29;
    struct Row {
        UINT type;
        UINT state;
    } rows[] = {{DFC_SCROLL, DFCS_SCROLLSIZEGRIP},
                {DFC_SCROLL, DFCS_SCROLLUP},
                {DFC_MENU, DFCS_MENUARROW},
                {DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_CHECKED}};
    for (const Row& row : rows) {
        c.FillPattern();
        RECT r{-huge, -huge, huge, huge};
        EXPECT_TRUE(DrawFrameControl(c.dc, &r, row.type, row.state));
        EXPECT_EQ(c.Changed().size(), 64u);
    }
    c.FillPattern();
    RECT r{-huge, -huge, huge, huge};
    EXPECT_TRUE(DrawEdge(c.dc, &r, EDGE_RAISED, BF_DIAGONAL_ENDTOPRIGHT | BF_MIDDLE));
    EXPECT_FALSE(c.Changed().empty());
}
