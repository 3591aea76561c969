// Fonts, metrics, measuring and TextOutW/ExtTextOutW: placement by text
// alignment, the current position, backgrounds, strokes, the alpha rule on
// 32-bit bitmaps, and bad input.

#include "TextTestSupport.h"

#include <thread>

using namespace gdi_test;

namespace {

// The last row holding a pixel more than half covered by black text on white.
LONG LastInkRow(const Canvas& canvas) {
    LONG last = -1;
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            if ((canvas.At(x, y) & 0xFF) < 0x80) {
                last = y;
            }
        }
    }
    return last;
}

bool SamePixels(const Canvas& a, const Canvas& b) {
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (a.At(x, y) != b.At(x, y)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

TEST(FontMatching, UiFacesMapToOneFontAndSymbolToItsOwn) {
    using win::text::FontLibrary;
    auto resolve = [](const char16_t* face) {
        LOGFONTW lf{};
        for (int i = 0; face[i]; ++i) {
            lf.lfFaceName[i] = face[i];
        }
        auto source = FontLibrary::Instance().Resolve(lf);
        return source ? source->file->path : std::string();
    };
    const std::string ui = resolve(u"Segoe UI");
    EXPECT_NE(ui.find("Lato"), std::string::npos) << ui;
    for (const char16_t* face :
         {u"Tahoma", u"MS Sans Serif", u"Default", u"MS Shell Dlg 2", u"SEGOE UI", u""}) {
        EXPECT_EQ(resolve(face), ui);
    }
    const std::string symbol = resolve(u"Symbol");
    EXPECT_FALSE(symbol.empty());
    EXPECT_NE(symbol, ui);
}

TEST(FontMatching, SymbolFaceDrawsBulletsWhereTheUiFaceDrawsADot) {
    PinnedFonts pinned;
    auto inkArea = [](const char16_t* face) {
        Canvas canvas(40, 40);
        PrepareForText(canvas);
        SelectedFont font(canvas.dc, FontRequest{-20, face});
        EXPECT_TRUE(TextOutW(canvas.dc, 10, 5, u"\u00B7", 1));
        return canvas.Changed().size();
    };
    const size_t bullet = inkArea(u"Symbol");
    const size_t dot = inkArea(u"Segoe UI");
    EXPECT_GT(dot, 0u);
    EXPECT_GT(bullet, 2 * dot);
}

TEST(TextMetrics, HeightsFollowTheSignConvention) {
    PinnedFonts pinned;
    Canvas canvas(8, 8);
    struct Row {
        LONG height;
    };
    for (const Row row : {Row{-16}, Row{-11}, Row{-40}, Row{16}, Row{21}, Row{0}}) {
        SCOPED_TRACE(row.height);
        SelectedFont font(canvas.dc, FontRequest{row.height});
        const TEXTMETRICW tm = Metrics(canvas.dc);
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_GT(tm.tmAveCharWidth, 0);
        EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
        EXPECT_EQ(tm.tmWeight, FW_NORMAL);
        if (row.height < 0) {
            EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -row.height);
        } else if (row.height > 0) {
            EXPECT_EQ(tm.tmHeight, row.height);
        } else {
            EXPECT_GT(tm.tmHeight, 0);
        }
    }
}

TEST(TextMetrics, ExtentsAreKernedAndPartialExtentsAddUp) {
    PinnedFonts pinned;
    Canvas canvas(8, 8);
    SelectedFont font(canvas.dc);
    const TEXTMETRICW tm = Metrics(canvas.dc);
    EXPECT_EQ(Extent(canvas.dc, u"").cx, 0);
    EXPECT_EQ(Extent(canvas.dc, u"").cy, tm.tmHeight);
    EXPECT_LT(Extent(canvas.dc, u"iiii").cx, Extent(canvas.dc, u"WWWW").cx);
    // Kerning pairs come closer than their letters measured apart.
    EXPECT_LT(Extent(canvas.dc, u"AV").cx, Extent(canvas.dc, u"A").cx + Extent(canvas.dc, u"V").cx);

    const std::u16string text = u"Partial extents";
    const int n = static_cast<int>(text.size());
    std::vector<INT> dx(text.size());
    INT fit = -1;
    SIZE size{};
    ASSERT_TRUE(GetTextExtentExPointW(canvas.dc, text.c_str(), n, 1 << 20, &fit, dx.data(), &size));
    EXPECT_EQ(fit, n);
    EXPECT_EQ(size.cx, Extent(canvas.dc, text).cx);
    EXPECT_EQ(dx.back(), size.cx);
    for (int i = 1; i < n; ++i) {
        EXPECT_GT(dx[i], dx[i - 1]) << i;
    }
    for (int k : {0, 3, n - 1}) {
        ASSERT_TRUE(GetTextExtentExPointW(canvas.dc, text.c_str(), n, dx[k], &fit, nullptr, nullptr));
        EXPECT_EQ(fit, k + 1);
        ASSERT_TRUE(GetTextExtentExPointW(canvas.dc, text.c_str(), n, dx[k] - 1, &fit, nullptr, nullptr));
        EXPECT_EQ(fit, k);
    }
}

TEST(TextMetrics, BoldWeightAndCharacterWidths) {
    PinnedFonts pinned;
    Canvas canvas(8, 8);
    LONG regular = 0;
    {
        SelectedFont font(canvas.dc);
        regular = Extent(canvas.dc, u"Hello").cx;
        ABC abc[2]{};
        ASSERT_TRUE(GetCharABCWidthsW(canvas.dc, u'H', u'I', abc));
        EXPECT_EQ(abc[0].abcA + static_cast<int>(abc[0].abcB) + abc[0].abcC, Extent(canvas.dc, u"H").cx);
        EXPECT_GT(abc[0].abcB, abc[1].abcB);
    }
    SelectedFont bold(canvas.dc, FontRequest{-16, u"Segoe UI", ANTIALIASED_QUALITY, FW_BOLD});
    EXPECT_EQ(Metrics(canvas.dc).tmWeight, FW_BOLD);
    EXPECT_GT(Extent(canvas.dc, u"Hello").cx, regular);
}

TEST(TextOut, PlacementFollowsTheTextAlignment) {
    PinnedFonts pinned;
    const std::u16string text = u"Hello";
    Canvas reference(120, 60);
    PrepareForText(reference);
    SelectedFont font(reference.dc);
    const SIZE size = Extent(reference.dc, text);
    const TEXTMETRICW tm = Metrics(reference.dc);
    const int x = 30;
    const int y = 10;
    ASSERT_TRUE(TextOutW(reference.dc, x, y, text.c_str(), static_cast<int>(text.size())));
    EXPECT_GE(reference.ChangedBox().left, x);
    EXPECT_LE(reference.ChangedBox().left, x + 3);
    {
        // Flat-bottomed letters end on the row above the baseline.
        Canvas white(120, 60);
        white.Fill(0xFFFFFFFFu);
        SelectedFont same(white.dc);
        SetBkMode(white.dc, TRANSPARENT);
        ASSERT_TRUE(TextOutW(white.dc, x, y, u"HHH", 3));
        EXPECT_EQ(LastInkRow(white), y + tm.tmAscent - 1);
    }

    struct Row {
        const char* name;
        UINT align;
        POINT at; // the reference point that lands the text where TA_LEFT|TA_TOP at (x, y) does
    };
    const Row rows[] = {
        {"right", TA_RIGHT | TA_TOP, {x + size.cx, y}},
        {"centre", TA_CENTER | TA_TOP, {x + size.cx / 2, y}},
        {"baseline", TA_LEFT | TA_BASELINE, {x, y + tm.tmAscent}},
        {"bottom", TA_LEFT | TA_BOTTOM, {x, y + tm.tmHeight}},
        {"right baseline", TA_RIGHT | TA_BASELINE, {x + size.cx, y + tm.tmAscent}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Canvas canvas(120, 60);
        PrepareForText(canvas);
        SelectedFont other(canvas.dc);
        SetTextAlign(canvas.dc, row.align);
        ASSERT_TRUE(TextOutW(canvas.dc, row.at.x, row.at.y, text.c_str(), static_cast<int>(text.size())));
        EXPECT_TRUE(SamePixels(canvas, reference));
    }
}

TEST(TextOut, UpdateCpDrawsAtAndAdvancesTheCurrentPosition) {
    PinnedFonts pinned;
    Canvas expected(160, 40);
    PrepareForText(expected);
    SelectedFont font(expected.dc);
    const LONG first = Extent(expected.dc, u"Hel").cx;
    const LONG second = Extent(expected.dc, u"lo").cx;
    TextOutW(expected.dc, 20, 5, u"Hel", 3);
    TextOutW(expected.dc, 20 + first, 5, u"lo", 2);

    Canvas canvas(160, 40);
    PrepareForText(canvas);
    SelectedFont other(canvas.dc);
    MoveToEx(canvas.dc, 20, 5, nullptr);
    SetTextAlign(canvas.dc, TA_UPDATECP);
    ASSERT_TRUE(TextOutW(canvas.dc, 500, 500, u"Hel", 3));
    ASSERT_TRUE(TextOutW(canvas.dc, 500, 500, u"lo", 2));
    POINT cp{};
    GetCurrentPositionEx(canvas.dc, &cp);
    EXPECT_EQ(cp.x, 20 + first + second);
    EXPECT_EQ(cp.y, 5);
    EXPECT_TRUE(SamePixels(canvas, expected));

    SetTextAlign(canvas.dc, TA_UPDATECP | TA_RIGHT);
    ASSERT_TRUE(TextOutW(canvas.dc, 0, 0, u"lo", 2));
    GetCurrentPositionEx(canvas.dc, &cp);
    EXPECT_EQ(cp.x, 20 + first);
}

TEST(TextOut, BackgroundsCoverExactlyTheirBoxes) {
    PinnedFonts pinned;
    const std::u16string text = u"Hi there";
    const COLORREF bk = RGB(200, 10, 20);
    struct Row {
        const char* name;
        int bkMode;
        UINT options;
        bool withRect;
    };
    const Row rows[] = {
        {"opaque mode fills the cell", OPAQUE, 0, false},
        {"ETO_OPAQUE fills the rectangle", TRANSPARENT, ETO_OPAQUE, true},
        {"ETO_OPAQUE and ETO_CLIPPED", TRANSPARENT, ETO_OPAQUE | ETO_CLIPPED, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Canvas canvas(140, 50);
        PrepareForText(canvas);
        SelectedFont font(canvas.dc);
        SetBkMode(canvas.dc, row.bkMode);
        SetBkColor(canvas.dc, bk);
        const SIZE size = Extent(canvas.dc, text);
        const RECT cell{10, 12, 10 + size.cx, 12 + size.cy};
        const RECT given{4, 6, 30, 40}; // narrower than the text
        ASSERT_TRUE(ExtTextOutW(canvas.dc, 10, 12, row.options, row.withRect ? &given : nullptr, text.c_str(),
                                static_cast<UINT>(text.size()), nullptr));
        const RECT box = row.withRect ? given : cell;
        for (int y = 0; y < canvas.height; ++y) {
            for (int x = 0; x < canvas.width; ++x) {
                const bool inBox = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
                const bool changed = canvas.At(x, y) != Canvas::Pattern(x, y);
                if (inBox) {
                    ASSERT_TRUE(changed) << x << "," << y;
                    ASSERT_EQ(canvas.At(x, y) >> 24, 0u);
                } else if (row.withRect && (row.options & ETO_CLIPPED)) {
                    ASSERT_FALSE(changed) << x << "," << y;
                }
            }
        }
        if (!row.withRect) {
            EXPECT_EQ(canvas.ChangedBox(), cell);
            // Uncovered background pixels carry exactly the background colour.
            EXPECT_EQ(canvas.At(cell.right - 1, cell.top), Drawn(bk));
        }
    }
}

TEST(TextOut, StrokesRunUnderAndThroughTheWholeAdvance) {
    PinnedFonts pinned;
    const std::u16string spaces = u"    ";
    for (bool underline : {true, false}) {
        SCOPED_TRACE(underline ? "underline" : "strike-out");
        Canvas canvas(100, 40);
        PrepareForText(canvas);
        SelectedFont font(
            canvas.dc, FontRequest{-16, u"Segoe UI", ANTIALIASED_QUALITY, FW_NORMAL, underline, !underline});
        SetTextAlign(canvas.dc, TA_BASELINE);
        ASSERT_TRUE(TextOutW(canvas.dc, 10, 25, spaces.c_str(), 4));
        const TEXTMETRICW tm = Metrics(canvas.dc);
        const RECT box = canvas.ChangedBox();
        EXPECT_EQ(box.left, 10);
        EXPECT_EQ(box.right, 10 + Extent(canvas.dc, spaces).cx);
        if (underline) {
            EXPECT_GT(box.top, 25 - 1);
            EXPECT_LE(box.bottom, 25 + tm.tmDescent);
        } else {
            EXPECT_LT(box.bottom, 25);
            EXPECT_GT(box.top, 25 - tm.tmAscent);
        }
    }
}

TEST(TextOut, ThirtyTwoBitPixelsTouchedGetAlphaZeroAndBlendInColour) {
    PinnedFonts pinned;
    for (BYTE quality : {ANTIALIASED_QUALITY, NONANTIALIASED_QUALITY}) {
        SCOPED_TRACE(quality);
        Canvas canvas(120, 40);
        PrepareForText(canvas);
        const COLORREF text = RGB(0x10, 0x20, 0x30);
        SetTextColor(canvas.dc, text);
        SelectedFont font(canvas.dc, FontRequest{-16, u"Segoe UI", quality});
        ASSERT_TRUE(TextOutW(canvas.dc, 5, 5, u"Cloud sync", 10));
        const auto changed = canvas.Changed();
        ASSERT_FALSE(changed.empty());
        int edges = 0;
        for (const POINT& p : changed) {
            const std::uint32_t v = canvas.At(p.x, p.y);
            const std::uint32_t under = Canvas::Pattern(p.x, p.y);
            ASSERT_EQ(v >> 24, 0u);
            for (int shift : {0, 8, 16}) {
                const std::uint32_t c = (v >> shift) & 0xFF;
                const std::uint32_t t = (Drawn(text) >> shift) & 0xFF;
                const std::uint32_t u = (under >> shift) & 0xFF;
                ASSERT_GE(c, std::min(t, u));
                ASSERT_LE(c, std::max(t, u));
            }
            edges += v != Drawn(text) ? 1 : 0;
        }
        if (quality == NONANTIALIASED_QUALITY) {
            EXPECT_EQ(edges, 0);
        } else {
            EXPECT_GT(edges, 0);
        }
    }
}

TEST(TextOut, ClippedToTheDcAndTheRectangle) {
    PinnedFonts pinned;
    Canvas canvas(100, 40);
    PrepareForText(canvas);
    SelectedFont font(canvas.dc);
    IntersectClipRect(canvas.dc, 0, 0, 40, 40);
    const RECT clip{12, 0, 30, 40};
    ASSERT_TRUE(ExtTextOutW(canvas.dc, 5, 5, ETO_CLIPPED, &clip, u"Wide text here", 14, nullptr));
    EXPECT_TRUE(Inside(canvas.ChangedBox(), clip));
    EXPECT_FALSE(canvas.Changed().empty());
}

TEST(TextOut, CallerAdvancesPlaceEachCharacter) {
    PinnedFonts pinned;
    Canvas expected(100, 40);
    PrepareForText(expected);
    SelectedFont font(expected.dc);
    TextOutW(expected.dc, 10, 5, u"A", 1);
    TextOutW(expected.dc, 30, 5, u"B", 1);
    TextOutW(expected.dc, 45, 5, u"C", 1);

    Canvas canvas(100, 40);
    PrepareForText(canvas);
    SelectedFont other(canvas.dc);
    const INT dx[] = {20, 15, 9};
    ASSERT_TRUE(ExtTextOutW(canvas.dc, 10, 5, 0, nullptr, u"ABC", 3, dx));
    EXPECT_TRUE(SamePixels(canvas, expected));
}

TEST(TextOut, RotatedTextRunsAlongTheEscapement) {
    PinnedFonts pinned;
    Canvas canvas(60, 160);
    PrepareForText(canvas);
    SelectedFont font(canvas.dc,
                      FontRequest{-16, u"Segoe UI", ANTIALIASED_QUALITY, FW_NORMAL, false, false, 900});
    SetTextAlign(canvas.dc, TA_BASELINE);
    ASSERT_TRUE(TextOutW(canvas.dc, 30, 140, u"Rotated", 7));
    const RECT box = canvas.ChangedBox();
    // Upwards from the reference point, to the left of it (above the baseline).
    EXPECT_GT(box.bottom - box.top, 2 * (box.right - box.left));
    EXPECT_LE(box.bottom, 141);
    EXPECT_LE(box.right, 31);
}

TEST(TextBadInput, FailsCleanlyAndDrawsNothing) {
    PinnedFonts pinned;
    Canvas canvas(40, 20);
    PrepareForText(canvas);
    SelectedFont font(canvas.dc);
    SIZE size{};
    TEXTMETRICW tm{};
    EXPECT_FALSE(TextOutW(nullptr, 0, 0, u"x", 1));
    EXPECT_FALSE(TextOutW(canvas.dc, 0, 0, u"x", -1));
    EXPECT_FALSE(TextOutW(canvas.dc, 0, 0, nullptr, 3));
    EXPECT_FALSE(ExtTextOutW(canvas.dc, 0, 0, 0, nullptr, nullptr, 3, nullptr));
    EXPECT_FALSE(GetTextExtentPoint32W(canvas.dc, u"x", 1, nullptr));
    EXPECT_FALSE(GetTextExtentPoint32W(canvas.dc, u"x", -1, &size));
    EXPECT_FALSE(GetTextExtentExPointW(canvas.dc, nullptr, 2, 10, nullptr, nullptr, &size));
    EXPECT_FALSE(GetTextMetricsW(canvas.dc, nullptr));
    EXPECT_FALSE(GetTextMetricsW(reinterpret_cast<HDC>(0x1234), &tm));
    EXPECT_FALSE(GetCharABCWidthsW(canvas.dc, 'b', 'a', reinterpret_cast<ABC*>(&tm)));
    EXPECT_TRUE(TextOutW(canvas.dc, 0, 0, u"", 0));
    EXPECT_TRUE(canvas.Changed().empty());

    // Invalid UTF-16: lone surrogates draw as replacement glyphs, never crash.
    const char16_t broken[] = {u'a', 0xD800, u'b', 0xDC00, 0xDBFF};
    EXPECT_TRUE(TextOutW(canvas.dc, 0, 0, broken, 5));
    EXPECT_TRUE(GetTextExtentPoint32W(canvas.dc, broken, 5, &size));
    EXPECT_GT(size.cx, 0);
}

TEST(TextBadInput, AbsurdHeightsAndMissingFontsRefuseToRealise) {
    Canvas canvas(40, 20);
    PrepareForText(canvas);
    {
        PinnedFonts pinned;
        for (LONG height : {100000, -100000, 1 << 30}) {
            SCOPED_TRACE(height);
            SelectedFont font(canvas.dc, FontRequest{height});
            TEXTMETRICW tm{};
            SIZE size{};
            EXPECT_FALSE(GetTextMetricsW(canvas.dc, &tm));
            EXPECT_FALSE(GetTextExtentPoint32W(canvas.dc, u"x", 1, &size));
            EXPECT_FALSE(TextOutW(canvas.dc, 0, 0, u"x", 1));
        }
    }
    PinnedFonts missing("/nonexistent/font.ttf", "/nonexistent/symbol.otf");
    SelectedFont font(canvas.dc);
    TEXTMETRICW tm{};
    EXPECT_FALSE(GetTextMetricsW(canvas.dc, &tm));
    EXPECT_FALSE(TextOutW(canvas.dc, 0, 0, u"x", 1));
    EXPECT_TRUE(canvas.Changed().empty());
}

TEST(TextBadInput, AMegabyteStringIsMeasuredAndDrawnClipped) {
    PinnedFonts pinned;
    Canvas canvas(64, 24);
    PrepareForText(canvas);
    SelectedFont font(canvas.dc);
    const std::u16string huge(1 << 20, u'x');
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc, huge.c_str(), static_cast<int>(huge.size()), &size));
    EXPECT_EQ(size.cx, Extent(canvas.dc, u"x").cx * static_cast<LONG>(huge.size()));
    ASSERT_TRUE(TextOutW(canvas.dc, -1000, 2, huge.c_str(), static_cast<int>(huge.size())));
    EXPECT_FALSE(canvas.Changed().empty());
}

TEST(TextThreads, ConcurrentDrawingMatchesSerialDrawing) {
    PinnedFonts pinned;
    auto draw = [](Canvas& canvas, int round) {
        SelectedFont font(canvas.dc, FontRequest{-13 - round % 3});
        for (int i = 0; i < 20; ++i) {
            TextOutW(canvas.dc, 2, 2 + i % 5, u"Thread-safe glyph cache", 23);
        }
    };
    Canvas serial[4] = {Canvas(200, 30), Canvas(200, 30), Canvas(200, 30), Canvas(200, 30)};
    for (int i = 0; i < 4; ++i) {
        PrepareForText(serial[i]);
        draw(serial[i], i);
    }
    Canvas parallel[4] = {Canvas(200, 30), Canvas(200, 30), Canvas(200, 30), Canvas(200, 30)};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        PrepareForText(parallel[i]);
        threads.emplace_back([&, i] { draw(parallel[i], i); });
    }
    for (auto& t : threads) {
        t.join();
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(SamePixels(serial[i], parallel[i])) << i;
    }
}
