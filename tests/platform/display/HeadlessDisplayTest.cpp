// The headless desktop on its own: composition, presenting, input and the
// rules every backend shares.

#include "platform/display/HeadlessDisplay.h"

#include <thread>

#include <gtest/gtest.h>

namespace display {
namespace {

struct TSurfacePixelsFixture {
    std::vector<std::uint32_t> Bits;
    TPixelView View;
    TSurfacePixelsFixture(int w, int h, std::uint32_t pixel) : Bits(static_cast<std::size_t>(w) * h, pixel) {
        View = {Bits.data(), w, h, w};
    }
};

TSurfaceId Shown(THeadlessDisplay& d, TRect bounds, std::uint32_t pixel, TAlphaMode mode = amOpaque) {
    const TSurfaceId id = d.CreateSurface({bounds});
    TSurfacePixelsFixture px(bounds.Width(), bounds.Height(), pixel);
    d.PresentSurface(id, px.View, mode, {});
    d.ShowSurface(id, smShowNoActivate);
    return id;
}

TEST(HeadlessDisplayTest, ComposesSurfacesInStackingOrderWithOpacityAndShape) {
    THeadlessDisplay d;
    d.SetDesktopColor(0xFF000000u);
    const TSurfaceId below = Shown(d, {0, 0, 100, 100}, 0x000000FFu); // alpha ignored: opaque blue
    const TSurfaceId above = Shown(d, {50, 50, 150, 150}, 0x00FF0000u);
    const TScreenImage screen = d.ComposeScreen();
    EXPECT_EQ(screen.PixelAt(10, 10), 0xFF0000FFu);
    EXPECT_EQ(screen.PixelAt(60, 60), 0xFFFF0000u);
    EXPECT_EQ(screen.PixelAt(200, 200), 0xFF000000u);
    const TSurfaceId order[] = {below, above};
    d.RestackSurfaces(order);
    EXPECT_EQ(d.ComposeScreen().PixelAt(60, 60), 0xFF0000FFu);
    // Blue on top at half opacity: 255 * 128 / 255 blue over 255 * 127 / 255 red.
    d.SetSurfaceOpacity(below, 128);
    EXPECT_EQ(d.ComposeScreen().PixelAt(60, 60), 0xFF7F0080u);
    const TRect shape[] = {{0, 0, 10, 10}};
    d.SetSurfaceShape(below, true, shape);
    EXPECT_EQ(d.ComposeScreen().PixelAt(60, 60), 0xFFFF0000u) << "outside its shape a surface shows nothing";
    d.SetSurfaceState(above, ssMinimized);
    EXPECT_EQ(d.ComposeScreen().PixelAt(120, 120), 0xFF000000u);
}

TEST(HeadlessDisplayTest, PremultipliedPixelsBlendOverWhatIsBelow) {
    THeadlessDisplay d;
    d.SetDesktopColor(0xFFFFFFFFu);
    Shown(d, {0, 0, 10, 10}, 0x40400000u, amPremultiplied); // quarter-alpha red
    // White below: 0xFF * (255 - 0x40) / 255 = 0xBF per channel, plus red's 0x40.
    EXPECT_EQ(d.ComposeScreen().PixelAt(5, 5), 0xFFFFBFBFu);
}

TEST(HeadlessDisplayTest, PresentingCopiesOnlyTheDirtyRectangles) {
    THeadlessDisplay d;
    const TSurfaceId id = Shown(d, {0, 0, 20, 20}, 0x00111111u);
    TSurfacePixelsFixture next(20, 20, 0x00222222u);
    const TRect dirty[] = {{0, 0, 5, 5}, {100, 100, 200, 200}};
    d.PresentSurface(id, next.View, amOpaque, dirty);
    const TScreenImage screen = d.ComposeScreen();
    EXPECT_EQ(screen.PixelAt(1, 1), 0xFF222222u);
    EXPECT_EQ(screen.PixelAt(10, 10), 0xFF111111u);
    // Views that do not fit are refused whole.
    TPixelView bad{nullptr, 20, 20, 20};
    d.PresentSurface(id, bad, amOpaque, {});
    EXPECT_EQ(d.SurfaceInfo(id)->PresentCount, 2);
}

TEST(HeadlessDisplayTest, MonitorsAreNormalised) {
    THeadlessDisplay d;
    d.SetMonitors({});
    ASSERT_EQ(d.Monitors().size(), 1u);
    EXPECT_EQ(d.Monitors()[0].Bounds.Width(), 1920);
    d.SetMonitors({{{0, 0, 100, 100}, {0, 0, 500, 50}, true, u"A"}, {{100, 0, 200, 100}, {}, true, u"B"}});
    const auto monitors = d.Monitors();
    EXPECT_TRUE(monitors[0].Primary);
    EXPECT_FALSE(monitors[1].Primary) << "one primary only";
    EXPECT_EQ(monitors[0].WorkArea.Right, 100) << "work areas stay inside their monitor";
    EXPECT_EQ(monitors[1].WorkArea, monitors[1].Bounds);
}

TEST(HeadlessDisplayTest, MessageBoxesAnswerOnlyWithTheirButtons) {
    THeadlessDisplay d;
    struct Row {
        TMessageBoxButtons Buttons;
        TMessageBoxAnswer Chosen;
        int DefaultButton;
        TMessageBoxAnswer Expected;
    };
    for (const Row& row : {Row{mbbOkCancel, mbaNone, 0, mbaOk}, Row{mbbOkCancel, mbaNone, 1, mbaCancel},
                           Row{mbbOkCancel, mbaNone, 7, mbaOk}, Row{mbbYesNoCancel, mbaRetry, 0, mbaCancel},
                           Row{mbbYesNo, mbaOk, 0, mbaNone}, Row{mbbOk, mbaCancel, 0, mbaOk}}) {
        d.SetMessageBoxAnswer(row.Chosen);
        TMessageBoxRequest request;
        request.Buttons = row.Buttons;
        request.DefaultButton = row.DefaultButton;
        EXPECT_EQ(d.ShowMessageBox(request), row.Expected) << row.Buttons << " " << row.Chosen;
    }
    EXPECT_EQ(d.MessageBoxes().size(), 6u);
}

TEST(HeadlessDisplayTest, InputAndMoveDragsReachTheSink) {
    THeadlessDisplay d;
    std::vector<TDisplayEvent> events;
    d.SetEventSink([&](const TDisplayEvent& e) { events.push_back(e); });
    const TSurfaceId id = Shown(d, {10, 10, 110, 110}, 0);
    d.InjectMouseMove(20, 20);
    d.InjectMouseButton(mbLeft, true);
    ASSERT_TRUE(d.BeginMoveDrag(id, {20, 20}));
    d.InjectMouseMove(30, 50);
    d.InjectMouseButton(mbLeft, false);
    d.InjectKey(0x41, true);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[1].Kind, dekMouseButton);
    EXPECT_EQ(events[2].Kind, dekSurfaceMoved);
    EXPECT_EQ(events[2].Bounds, (TRect{20, 40, 120, 140}));
    EXPECT_EQ(events[3].Kind, dekKey);
    EXPECT_FALSE(d.MoveDragActive());
    EXPECT_FALSE(d.BeginMoveDrag(0, {}));
}

TEST(HeadlessDisplayTest, WakeEndsAPumpFromAnotherThread) {
    THeadlessDisplay d;
    std::thread waker([&] { d.Wake(); });
    d.PumpEvents(-1);
    waker.join();
    // A wake that came before the pump is not lost, and a timed pump returns.
    d.Wake();
    d.PumpEvents(-1);
    d.PumpEvents(1);
}

} // namespace
} // namespace display
