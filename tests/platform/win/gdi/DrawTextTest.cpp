// DrawTextW and DrawTextExW: the rectangle DT_CALCRECT returns, the cut
// text DT_MODIFYSTRING writes back, prefixes, vertical placement of a single
// line, the processed length, clipping and bad input. Expected values come
// from the font's own measurements, never from fixed pixel counts.

#include "TextTestSupport.h"

using namespace gdi_test;

namespace {

class DrawTextTest : public ::testing::Test {
protected:
    DrawTextTest() : canvas(320, 120), font(canvas.dc) {
        PrepareForText(canvas);
        tm = Metrics(canvas.dc);
    }

    LONG Width(const std::u16string& text) { return Extent(canvas.dc, text).cx; }

    // Draws into a copy of `rect` and returns the copy and the result.
    std::pair<RECT, int> Draw(const std::u16string& text, RECT rect, UINT format) {
        std::u16string copy = text;
        const int result = DrawTextW(canvas.dc, copy.c_str(), static_cast<int>(copy.size()), &rect, format);
        return {rect, result};
    }

    // The text a DT_MODIFYSTRING call leaves in a buffer with the room
    // the call may use, and the units it reports processed.
    std::pair<std::u16string, UINT> Modified(const std::u16string& text, RECT rect, UINT format) {
        std::u16string buffer = text + std::u16string(4, u'#') + u"GUARD";
        DRAWTEXTPARAMS params{sizeof(DRAWTEXTPARAMS), 0, 0, 0, 0};
        DrawTextExW(canvas.dc, buffer.data(), static_cast<int>(text.size()), &rect, format | DT_MODIFYSTRING,
                    &params);
        EXPECT_EQ(buffer.substr(text.size() + 4), u"GUARD");
        const std::size_t end = buffer.find(u'\0');
        return {end == std::u16string::npos ? text : buffer.substr(0, end), params.uiLengthDrawn};
    }

    PinnedFonts pinned;
    Canvas canvas;
    SelectedFont font;
    TEXTMETRICW tm{};
};

} // namespace

TEST_F(DrawTextTest, CalcRectMeasuresLinesWrapsAndLongWords) {
    const LONG h = tm.tmHeight;
    const LONG pair = Width(u"word word");
    struct Row {
        const char* name;
        std::u16string text;
        LONG width; // of the rectangle given
        UINT format;
        LONG expectedWidth;
        LONG expectedLines;
    };
    const Row rows[] = {
        {"one line", u"Hello world", 500, DT_SINGLELINE, Width(u"Hello world"), 1},
        {"one line, no single-line flag", u"Hello world", 500, 0, Width(u"Hello world"), 1},
        {"line breaks", u"first\r\nsecond\nthird", 500, 0, Width(u"second"), 3},
        {"wrapped", u"word word word word word", pair + 1, DT_WORDBREAK, pair, 3},
        {"long word widens", u"tiny enormousword tiny", Width(u"tiny") + 2, DT_WORDBREAK,
         Width(u"enormousword"), 3},
        {"prefix removed", u"&File", 500, DT_SINGLELINE, Width(u"File"), 1},
        {"double prefix", u"A&&B", 500, DT_SINGLELINE, Width(u"A&B"), 1},
        {"no prefix", u"&File", 500, DT_SINGLELINE | DT_NOPREFIX, Width(u"&File"), 1},
        {"tab stops", u"a\tb", 500, DT_SINGLELINE | DT_EXPANDTABS, 8 * tm.tmAveCharWidth + Width(u"b"), 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto [rect, result] =
            Draw(row.text, RECT{10, 20, 10 + row.width, 25}, row.format | DT_CALCRECT);
        EXPECT_EQ(rect, (RECT{10, 20, 10 + row.expectedWidth, 20 + row.expectedLines * h}));
        EXPECT_EQ(result, row.expectedLines * h);
    }
    EXPECT_TRUE(canvas.Changed().empty());
}

TEST_F(DrawTextTest, CalcRectWithEditControlBreaksLongWordsAndKeepsMargins) {
    const LONG narrow = Width(u"tiny") + 2;
    const auto [rect, result] =
        Draw(u"tiny enormousword tiny", RECT{0, 0, narrow, 0}, DT_WORDBREAK | DT_EDITCONTROL | DT_CALCRECT);
    EXPECT_LE(rect.right, narrow);
    EXPECT_GT(result, 3 * tm.tmHeight);

    std::u16string text = u"Margins";
    RECT r{5, 5, 400, 5};
    DRAWTEXTPARAMS params{sizeof(DRAWTEXTPARAMS), 0, 7, 11, 0};
    DrawTextExW(canvas.dc, text.data(), -1, &r, DT_CALCRECT | DT_SINGLELINE, &params);
    EXPECT_EQ(r.right, 5 + 7 + Width(text) + 11);
    EXPECT_EQ(params.uiLengthDrawn, text.size());

    auto [empty, height] = Draw(u"", RECT{3, 4, 50, 60}, DT_CALCRECT);
    EXPECT_EQ(empty, (RECT{3, 4, 3, 4}));
    EXPECT_EQ(height, 0);
}

TEST_F(DrawTextTest, ModifyStringWritesTheCutText) {
    const LONG h = tm.tmHeight;
    struct Row {
        const char* name;
        std::u16string text;
        LONG width;
        LONG height;
        UINT format;
        std::u16string expected;
    };
    const std::u16string path = u"C:\\Users\\someone\\Documents\\report.txt";
    const std::u16string unixPath = u"/home/someone/projects/lumora/notes.txt";
    const Row rows[] = {
        {"end", u"The quick brown fox jumps", Width(u"The quick bro..."), h, DT_SINGLELINE | DT_END_ELLIPSIS,
         u"The quick bro..."},
        {"end keeps prefixes", u"&Open the file", Width(u"Open th..."), h, DT_SINGLELINE | DT_END_ELLIPSIS,
         u"&Open th..."},
        {"path", path, Width(u"C:\\Users\\so...\\report.txt"), h, DT_SINGLELINE | DT_PATH_ELLIPSIS,
         u"C:\\Users\\so...\\report.txt"},
        {"path with slashes", unixPath, Width(u"/home/some.../notes.txt"), h,
         DT_SINGLELINE | DT_PATH_ELLIPSIS, u"/home/some.../notes.txt"},
        {"end of the last line that fits", u"one two three four five six", Width(u"three fo..."), 2 * h - 1,
         DT_WORDBREAK | DT_END_ELLIPSIS, u"one two three fo..."},
        {"word longer than its line", u"Short averyveryverylongword end", Width(u"averyver..."), 10 * h,
         DT_WORDBREAK | DT_WORD_ELLIPSIS | DT_END_ELLIPSIS, u"Short averyver... end"},
        {"nothing cut", u"Fits easily", 500, h, DT_SINGLELINE | DT_END_ELLIPSIS, u"Fits easily"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto [text, processed] = Modified(row.text, RECT{0, 0, row.width, row.height}, row.format);
        EXPECT_EQ(text, row.expected);
        EXPECT_EQ(processed, row.expected.size());
    }
    // Without DT_MODIFYSTRING the caller's text stays as it was, and the
    // measured width is that of the cut text.
    const std::u16string original = u"The quick brown fox jumps";
    const auto [rect, result] = Draw(original, RECT{0, 0, Width(u"The quick bro..."), h},
                                     DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_EQ(rect.right, Width(u"The quick bro..."));
    EXPECT_EQ(result, h);
}

TEST_F(DrawTextTest, PrefixesUnderlineTheirCharacterOnly) {
    auto drawn = [&](const std::u16string& text, UINT format) {
        Canvas c(200, 40);
        PrepareForText(c);
        SelectedFont f(c.dc);
        RECT r{10, 5, 190, 35};
        std::u16string copy = text;
        DrawTextW(c.dc, copy.c_str(), -1, &r, DT_SINGLELINE | format);
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                pixels.push_back(c.At(x, y));
            }
        }
        return pixels;
    };
    const auto plain = drawn(u"File", DT_NOPREFIX);
    const auto prefixed = drawn(u"&File", 0);
    EXPECT_EQ(drawn(u"&File", DT_HIDEPREFIX), plain);
    EXPECT_EQ(drawn(u"A&&B", 0), drawn(u"A&B", DT_NOPREFIX));

    // The underline: below the baseline, under "F" alone.
    const LONG fWidth = Width(u"F");
    int underline = 0;
    for (size_t i = 0; i < plain.size(); ++i) {
        if (plain[i] != prefixed[i]) {
            const int x = static_cast<int>(i % 200);
            const int y = static_cast<int>(i / 200);
            EXPECT_GE(x, 10);
            EXPECT_LT(x, 10 + fWidth);
            EXPECT_GE(y, 5 + tm.tmAscent);
            EXPECT_LT(y, 5 + tm.tmHeight);
            ++underline;
        }
    }
    EXPECT_GE(underline, fWidth - 1);

    // DT_PREFIXONLY draws that underline and nothing else.
    const auto only = drawn(u"&File", DT_PREFIXONLY);
    const auto blank = drawn(u"", 0);
    int onlyChanged = 0;
    for (size_t i = 0; i < only.size(); ++i) {
        if (only[i] != blank[i]) {
            EXPECT_EQ(only[i], prefixed[i]);
            EXPECT_NE(plain[i], prefixed[i]);
            ++onlyChanged;
        }
    }
    EXPECT_EQ(onlyChanged, underline);
}

TEST_F(DrawTextTest, SingleLineIsCentredOrBottomAligned) {
    const LONG h = tm.tmHeight;
    for (LONG height : {LONG{41}, LONG{40}, h, h + 1, LONG{100}}) {
        for (UINT align : {DT_VCENTER, DT_BOTTOM}) {
            SCOPED_TRACE(::testing::Message() << height << (align == DT_VCENTER ? " centre" : " bottom"));
            Canvas placed(200, 120);
            PrepareForText(placed);
            SelectedFont f(placed.dc);
            RECT rect{0, 10, 200, 10 + height};
            const int bottom =
                DrawTextW(placed.dc, u"Centre me", -1, &rect, DT_SINGLELINE | DT_NOCLIP | align);
            const LONG top = bottom - h;
            if (align == DT_VCENTER) {
                EXPECT_LE(std::abs((height - bottom) - top), 1);
            } else {
                EXPECT_EQ(bottom, height);
            }
            Canvas expected(200, 120);
            PrepareForText(expected);
            SelectedFont g(expected.dc);
            TextOutW(expected.dc, 0, 10 + top, u"Centre me", 9);
            EXPECT_EQ(placed.Changed().size(), expected.Changed().size());
            EXPECT_EQ(placed.ChangedBox(), expected.ChangedBox());
        }
    }
}

TEST_F(DrawTextTest, LengthDrawnCountsTheProcessedUnits) {
    const LONG h = tm.tmHeight;
    const std::u16string text = u"abc\ndef\nghi";
    struct Row {
        const char* name;
        LONG height;
        UINT format;
        UINT expected;
    };
    const Row rows[] = {
        {"all lines fit", 3 * h, 0, 11},
        {"one line fits", h, 0, 4},
        {"a partly visible line counts", h + h / 2, 0, 8},
        {"edit control leaves it out", h + h / 2, DT_EDITCONTROL, 4},
        {"no clipping processes everything", h, DT_NOCLIP, 11},
        {"measuring processes everything", h, DT_CALCRECT, 11},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::u16string copy = text;
        RECT rect{0, 0, 200, row.height};
        DRAWTEXTPARAMS params{sizeof(DRAWTEXTPARAMS), 0, 0, 0, 99};
        const int result = DrawTextExW(canvas.dc, copy.data(), -1, &rect, row.format, &params);
        EXPECT_EQ(params.uiLengthDrawn, row.expected);
        EXPECT_GT(result, 0);
    }
}

TEST_F(DrawTextTest, AlignmentAndClipping) {
    const std::u16string text = u"Aligned";
    const LONG w = Width(text);
    for (UINT align : {DT_LEFT, DT_CENTER, DT_RIGHT}) {
        SCOPED_TRACE(align);
        Canvas placed(200, 40);
        PrepareForText(placed);
        SelectedFont f(placed.dc);
        RECT rect{20, 5, 180, 35};
        DrawTextW(placed.dc, text.c_str(), -1, &rect, DT_SINGLELINE | align);
        const LONG x = align == DT_LEFT ? 20 : align == DT_RIGHT ? 180 - w : 20 + (160 - w) / 2;
        Canvas expected(200, 40);
        PrepareForText(expected);
        SelectedFont g(expected.dc);
        TextOutW(expected.dc, x, 5, text.c_str(), static_cast<int>(text.size()));
        EXPECT_EQ(placed.ChangedBox(), expected.ChangedBox());
    }
    for (UINT clip : {0u, DT_NOCLIP}) {
        Canvas c(200, 40);
        PrepareForText(c);
        SelectedFont f(c.dc);
        RECT rect{20, 5, 60, 35};
        DrawTextW(c.dc, u"Much too wide for the box", -1, &rect, DT_SINGLELINE | clip);
        EXPECT_EQ(Inside(c.ChangedBox(), rect), clip == 0);
    }
}

TEST_F(DrawTextTest, BadInputFailsCleanly) {
    RECT rect{0, 0, 100, 100};
    std::u16string text = u"text";
    DRAWTEXTPARAMS wrongSize{sizeof(DRAWTEXTPARAMS) + 4, 0, 0, 0, 0};
    EXPECT_EQ(DrawTextW(canvas.dc, nullptr, 4, &rect, 0), 0);
    EXPECT_EQ(DrawTextW(canvas.dc, text.c_str(), 4, nullptr, 0), 0);
    EXPECT_EQ(DrawTextW(nullptr, text.c_str(), 4, &rect, 0), 0);
    EXPECT_EQ(DrawTextExW(canvas.dc, text.data(), 4, &rect, 0, &wrongSize), 0);
    EXPECT_EQ(DrawTextW(canvas.dc, text.c_str(), 0, &rect, 0), 0);
    EXPECT_TRUE(canvas.Changed().empty());

    const char16_t broken[] = {0xDC00, u'a', 0xD800, 0};
    EXPECT_GT(DrawTextW(canvas.dc, broken, -1, &rect, DT_WORDBREAK | DT_END_ELLIPSIS), 0);

    // A megabyte of text in a small box: only what fits is laid out.
    std::u16string huge;
    for (int i = 0; i < (1 << 17); ++i) {
        huge += u"lorem ip";
    }
    RECT small{0, 0, 120, 3 * tm.tmHeight};
    DRAWTEXTPARAMS params{sizeof(DRAWTEXTPARAMS), 0, 0, 0, 0};
    EXPECT_EQ(
        DrawTextExW(canvas.dc, huge.data(), static_cast<int>(huge.size()), &small, DT_WORDBREAK, &params),
        3 * tm.tmHeight);
    EXPECT_LT(params.uiLengthDrawn, 100u);
    RECT zero{10, 10, 10, 10};
    std::u16string buffer = u"abc\0\0\0\0";
    EXPECT_EQ(
        DrawTextW(canvas.dc, buffer.c_str(), 3, &zero, DT_WORDBREAK | DT_END_ELLIPSIS | DT_MODIFYSTRING),
        tm.tmHeight);
    EXPECT_EQ(std::u16string(buffer.c_str()), u"...");
}
