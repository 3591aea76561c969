// The canvas selects its font, pen and brush into the DC only when a
// drawing call needs them, and takes them out again when they change.

#include "platform/vcl/Canvas.h"

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Brush.h"
#include "platform/vcl/Font.h"
#include "platform/vcl/Pen.h"
#include "platform/win/gdi/Gdi.h"

#include <gtest/gtest.h>

namespace vcl {
namespace {

class CanvasOverDC : public testing::Test {
protected:
    void SetUp() override {
        FDC = win::CreateCompatibleDC(nullptr);
        FBitmap = win::CreateBitmap(4, 4, 1, 32, nullptr);
        FOld = win::SelectObject(FDC, FBitmap);
        FCanvas.SetHandle(FDC);
    }
    void TearDown() override {
        FCanvas.SetHandle(nullptr);
        win::SelectObject(FDC, FOld);
        win::DeleteObject(FBitmap);
        win::DeleteDC(FDC);
    }
    [[nodiscard]] win::HGDIOBJ Current(win::UINT type) const { return win::GetCurrentObject(FDC, type); }

    win::HDC FDC = nullptr;
    win::HBITMAP FBitmap = nullptr;
    win::HGDIOBJ FOld = nullptr;
    TCanvas FCanvas;
};

constexpr win::UINT OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_FONT = 6;

TEST_F(CanvasOverDC, SelectsOnlyWhatTheCallNeeds) {
    EXPECT_EQ(FCanvas.State(), TCanvasStates{csHandleValid});
    FCanvas.FillRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(FCanvas.State(), (TCanvasStates{csHandleValid, csBrushValid}));
    EXPECT_EQ(Current(OBJ_BRUSH), FCanvas.Brush()->Handle());
    EXPECT_NE(Current(OBJ_PEN), FCanvas.Pen()->Handle());
    FCanvas.LineTo(3, 3);
    EXPECT_EQ(Current(OBJ_PEN), FCanvas.Pen()->Handle());
    EXPECT_NE(Current(OBJ_FONT), FCanvas.Font()->Handle());
}

TEST_F(CanvasOverDC, ChangedObjectsAreDeselectedAndSelectedAgain) {
    FCanvas.Rectangle(0, 0, 3, 3);
    FCanvas.Pen()->SetColor(clRed);
    EXPECT_FALSE(FCanvas.State().Contains(csPenValid));
    EXPECT_EQ(Current(OBJ_PEN), win::GetStockObject(win::BLACK_PEN));
    FCanvas.Brush()->SetColor(clBlue);
    EXPECT_EQ(Current(OBJ_BRUSH), win::GetStockObject(win::HOLLOW_BRUSH));
    FCanvas.FillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(win::GetPixel(FDC, 1, 1), win::RGB(0, 0, 255));
}

TEST_F(CanvasOverDC, HandleStateChangedSelectsAgainOnNextUse) {
    const int saved = win::SaveDC(FDC);
    FCanvas.FillRect(Rect(0, 0, 1, 1));
    win::RestoreDC(FDC, saved);
    FCanvas.HandleStateChanged();
    EXPECT_FALSE(FCanvas.State().Contains(csBrushValid));
    FCanvas.FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(Current(OBJ_BRUSH), FCanvas.Brush()->Handle());
}

TEST_F(CanvasOverDC, DrawingIsBracketedByNotifications) {
    struct Log : rtl::TObject {
        std::string text;
        void Changing(rtl::TObject*) { text += "<"; }
        void Changed(rtl::TObject*) { text += ">"; }
    } log;
    FCanvas.OnChanging = rtl::TNotifyEvent(&log, &Log::Changing);
    FCanvas.OnChange = rtl::TNotifyEvent(&log, &Log::Changed);
    FCanvas.FillRect(Rect(0, 0, 1, 1));
    FCanvas.SetPixels(2, 2, clWhite);
    EXPECT_EQ(log.text, "<><>");
    EXPECT_EQ(FCanvas.Pixels(2, 2), clWhite);
}

TEST_F(CanvasOverDC, TextSelectsTheFontAndMovesThePen) {
    FCanvas.Brush()->SetStyle(bsClear);
    const int width = FCanvas.TextWidth(u"Ag");
    EXPECT_GT(width, 0);
    EXPECT_EQ(Current(OBJ_FONT), FCanvas.Font()->Handle());
    FCanvas.TextOut(0, 0, u"Ag");
    EXPECT_EQ(FCanvas.PenPos().x, width);
    FCanvas.Font()->SetSize(20);
    EXPECT_FALSE(FCanvas.State().Contains(csFontValid));
    EXPECT_GT(FCanvas.TextHeight(u"Ag"), 20);
}

TEST(Canvas, WithoutHandleDrawingRaises) {
    TCanvas canvas;
    EXPECT_THROW(canvas.FillRect(Rect(0, 0, 1, 1)), rtl::EInvalidOperation);
}

TEST(Canvas, LockIsCountedAndReentrant) {
    TCanvas canvas;
    canvas.Lock();
    EXPECT_TRUE(canvas.TryLock());
    EXPECT_EQ(canvas.LockCount(), 2);
    canvas.Unlock();
    canvas.Unlock();
    EXPECT_EQ(canvas.LockCount(), 0);
}

} // namespace
} // namespace vcl
