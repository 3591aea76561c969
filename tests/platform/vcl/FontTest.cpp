// The class library's font: 96-pixels-per-inch size conversion, a handle
// re-created with default quality after every change, adopted handles, and
// the colour kept with its high byte.

#include "platform/vcl/Font.h"

#include "platform/win/gdi/Gdi.h"

#include <gtest/gtest.h>

namespace vcl {
namespace {

win::LOGFONTW LogFontOf(win::HFONT font) {
    win::LOGFONTW lf{};
    EXPECT_EQ(win::GetObjectW(font, sizeof lf, &lf), static_cast<int>(sizeof lf));
    return lf;
}

TEST(Font, SizeAndHeightConvertAtNinetySixPixelsPerInch) {
    struct Row {
        int size;
        int height;
    };
    const Row rows[] = {{8, -11}, {9, -12}, {10, -13}, {12, -16}, {-12, 16}, {0, 0}};
    for (const Row& row : rows) {
        TFont font;
        font.SetSize(row.size);
        EXPECT_EQ(font.Height(), row.height) << "size " << row.size;
        EXPECT_EQ(font.Size(), row.size) << "size " << row.size;
    }
    TFont font;
    font.SetHeight(-15); // 11.25 points
    EXPECT_EQ(font.Size(), 11);
}

TEST(Font, EveryChangeDropsTheHandleAndTheNewOneHasDefaultQuality) {
    TFont font;
    int changes = 0;
    struct Listener : rtl::TObject {
        int* count;
        void Changed(rtl::TObject*) { ++*count; }
    } listener;
    listener.count = &changes;
    font.OnChange = rtl::TNotifyEvent(&listener, &Listener::Changed);

    win::LOGFONTW lf = font.LogFont();
    lf.lfQuality = win::ANTIALIASED_QUALITY;
    font.SetHandle(win::CreateFontIndirectW(&lf));
    EXPECT_EQ(LogFontOf(font.Handle()).lfQuality, win::ANTIALIASED_QUALITY);
    EXPECT_EQ(changes, 1);

    font.SetStyle({fsBold});
    EXPECT_FALSE(font.HandleAllocated());
    EXPECT_EQ(changes, 2);
    const win::LOGFONTW recreated = LogFontOf(font.Handle());
    EXPECT_EQ(recreated.lfQuality, win::DEFAULT_QUALITY);
    EXPECT_EQ(recreated.lfWeight, win::FW_BOLD);

    font.SetStyle({fsBold}); // no change, no notification
    EXPECT_EQ(changes, 2);
}

TEST(Font, AdoptedHandleDescribesTheFont) {
    win::LOGFONTW lf{};
    lf.lfHeight = -20;
    lf.lfWeight = win::FW_BOLD;
    lf.lfItalic = 1;
    lf.lfCharSet = 0;
    const char16_t face[] = u"DejaVu Sans";
    std::copy(std::begin(face), std::end(face), lf.lfFaceName);
    win::HFONT handle = win::CreateFontIndirectW(&lf);
    TFont font;
    font.SetHandle(handle);
    EXPECT_EQ(font.Handle(), handle);
    EXPECT_EQ(font.Height(), -20);
    EXPECT_EQ(font.Size(), 15);
    EXPECT_EQ(font.Name(), u"DejaVu Sans");
    EXPECT_EQ(font.Style(), (TFontStyles{fsBold, fsItalic}));
    EXPECT_EQ(font.Charset(), 0);
}

TEST(Font, ColourKeepsItsHighByteAndAssignCopiesEverything) {
    TFont source;
    source.SetColor(TColorOf(0x80123456));
    source.SetName(u"Liberation Serif");
    source.SetSize(14);
    source.SetStyle({fsUnderline});
    TFont copy;
    copy.Assign(&source);
    EXPECT_EQ(copy.Color(), TColorOf(0x80123456));
    EXPECT_EQ(copy.Name(), u"Liberation Serif");
    EXPECT_EQ(copy.Height(), source.Height());
    EXPECT_EQ(copy.Style(), TFontStyles{fsUnderline});
}

} // namespace
} // namespace vcl
