// The picture container and the registry of picture formats.

#include "platform/vcl/Picture.h"

#include "platform/rtl/StringUtils.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Icon.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace vcl {
namespace {

// A picture class of its own, so the tests leave the real formats alone.
class TTestGraphic : public TBitmap {
    RTL_CLASS(TTestGraphic, TBitmap)
};
RTL_IMPLEMENT_CLASS(TTestGraphic)

class TOtherTestGraphic : public TBitmap {
    RTL_CLASS(TOtherTestGraphic, TBitmap)
};
RTL_IMPLEMENT_CLASS(TOtherTestGraphic)

TEST(GraphicFormats, LaterRegistrationsWinAndCanBeRemoved) {
    TFileFormatsList& formats = TPicture::FileFormats();
    EXPECT_EQ(formats.FindExt(u"BMP"), TBitmap::StaticClass());
    TPicture::RegisterFileFormat(u"Tst", u"first", TTestGraphic::StaticClass());
    TPicture::RegisterFileFormat(u"tst", u"second", TOtherTestGraphic::StaticClass());
    EXPECT_EQ(formats.FindExt(u"TST"), TOtherTestGraphic::StaticClass());
    EXPECT_EQ(formats.FindClassName(u"TTestGraphic"), TTestGraphic::StaticClass());
    EXPECT_EQ(formats.FindClassName(u"ttestgraphic"), nullptr);
    TPicture::UnregisterGraphicClass(TOtherTestGraphic::StaticClass());
    EXPECT_EQ(formats.FindExt(u"tst"), TTestGraphic::StaticClass());
    formats.RemoveIf([](const TFileFormat& f) { return rtl::SameText(f.Extension, u"tst"); });
    EXPECT_EQ(formats.FindExt(u"tst"), nullptr);
    EXPECT_EQ(formats.FindClassName(u"TTestGraphic"), nullptr);
}

TEST(Picture, LoadsFilesByExtension) {
    const std::string path = (std::filesystem::temp_directory_path() / "lumora_picture_test.bmp").string();
    TBitmap bitmap(3, 2);
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SaveToFile(rtl::Utf8ToString(path));
    TPicture picture;
    int changes = 0;
    struct Counter : rtl::TObject {
        int* n;
        void Changed(rtl::TObject*) { ++*n; }
    } counter;
    counter.n = &changes;
    picture.OnChange = rtl::TNotifyEvent(&counter, &Counter::Changed);
    picture.LoadFromFile(rtl::Utf8ToString(path));
    ASSERT_NE(rtl::ObjectCast<TBitmap>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(changes, 1);
    picture.Bitmap()->SetSize(4, 4); // the graphic's changes reach the picture
    EXPECT_EQ(changes, 2);
    std::filesystem::remove(path);

    try {
        picture.LoadFromFile(u"/nowhere/picture.xyz");
        FAIL() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), u"Unknown picture file extension (.xyz)");
    }
    EXPECT_EQ(picture.Width(), 4) << "a failed load keeps the old graphic";
}

TEST(Picture, KeepsCopiesAndForcesTypes) {
    TBitmap bitmap(2, 2);
    TPicture picture;
    picture.SetGraphic(&bitmap);
    ASSERT_NE(picture.Graphic(), &bitmap);
    EXPECT_EQ(picture.Width(), 2);
    TPicture other;
    other.Assign(&picture);
    EXPECT_EQ(other.Height(), 2);
    EXPECT_NE(other.Icon(), nullptr);
    EXPECT_TRUE(other.Graphic()->Empty());
    other.Assign(nullptr);
    EXPECT_EQ(other.Graphic(), nullptr);
}

} // namespace
} // namespace vcl
