#include "core/view/geometry.h"
#include "core/view/zoom.h"

#include <gtest/gtest.h>

using core::ScrollAxis;
using core::ViewRect;

TEST(ViewZoom, StepsStopAtTheEndsAndTypedValuesRoundDown) {
    EXPECT_EQ(core::ZoomUp(800), 800);
    EXPECT_EQ(core::ZoomDown(25), 25);
    EXPECT_EQ(core::ZoomUp(775), 800);
    EXPECT_EQ(core::ZoomDown(100), 75);
    EXPECT_EQ(core::ZoomFromValue(130), 125);
    EXPECT_EQ(core::ZoomFromValue(10), 25);
    EXPECT_EQ(core::ZoomFromValue(99999), 800);
    EXPECT_EQ(core::ZoomFromValue(-50), 25);
}

TEST(ViewZoom, MagnifiedSizesOfTinyPictures) {
    EXPECT_EQ(core::MagnifiedLength(3, 25), 1);  // 0.75
    EXPECT_EQ(core::MagnifiedLength(2, 25), 0);  // 0.5 to the even neighbour
    EXPECT_EQ(core::MagnifiedLength(10, 25), 2); // 2.5 to 2
    EXPECT_EQ(core::MagnifiedLength(14, 25), 4); // 3.5 to 4
}

TEST(ViewZoom, ZoomKeepsTheRelativePlaceOnWholePixels) {
    // 1000 pixels wide at 300 % in a 600-pixel view, scrolled half way.
    const ScrollAxis at300{1200, 3000, 600};
    const int p = core::ZoomedScrollPosition(at300, 4000, 600, 400);
    EXPECT_EQ(p % 4, 0);
    EXPECT_EQ(p, 1600);
    // Odd positions are pulled down to multiples of the factor.
    EXPECT_EQ(core::ZoomedScrollPosition({1001, 3000, 600}, 4000, 601, 400) % 4, 0);
    // Near the end it is pulled back inside the range first.
    EXPECT_EQ(core::ZoomedScrollPosition({2900, 3000, 600}, 4000, 601, 400), 3396);
    // Below 200 % nothing is rounded.
    EXPECT_EQ(core::ZoomedScrollPosition({333, 1000, 200}, 1250, 200, 125), 412);
}

TEST(ViewZoom, EmptyRangeGivesPositionZeroWithoutDividing) {
    // A 2 × 2 picture at 25 % is 0 × 0: MulDiv by 0 says −1 %, which ends at 0.
    EXPECT_EQ(core::ZoomedScrollPosition({0, 0, 300}, 0, 300, 25), 0);
    EXPECT_EQ(core::ZoomedScrollPosition({5, 0, 300}, 800, 300, 800), 0);
}

TEST(ViewZoom, ScrollBoxBounds) {
    // Fits: the whole picture area.
    auto l = core::LayoutScrollBoxBounds(40, 400, 600, 300, 200, 17, 100, false, false);
    EXPECT_FALSE(l.handScrollable);
    EXPECT_EQ(l.bounds, (ViewRect{0, 40, 600, 400}));
    // Taller and wider: the scroll bars go beyond the area on both sides.
    l = core::LayoutScrollBoxBounds(40, 400, 600, 900, 900, 17, 100, false, false);
    EXPECT_TRUE(l.handScrollable);
    EXPECT_EQ(l.bounds, (ViewRect{0, 40, 617, 417}));
    EXPECT_EQ(l.view, (ViewRect{0, 40, 600, 400}));
    // At 300 % the box is cut down to multiples of 3 from the left and top.
    l = core::LayoutScrollBoxBounds(40, 400, 600, 900, 900, 17, 300, false, false);
    EXPECT_EQ(l.bounds, (ViewRect{2, 40, 615, 417}));
    EXPECT_EQ(l.bounds.width % 3, 0);
    EXPECT_EQ(l.bounds.height % 3, 0);
    EXPECT_EQ(l.view, (ViewRect{2, 40, 598, 400}));
    // Taller only: the vertical bar alone lies beyond the area, to the right.
    l = core::LayoutScrollBoxBounds(40, 400, 600, 300, 900, 17, 100, false, false);
    EXPECT_TRUE(l.handScrollable);
    EXPECT_EQ(l.bounds, (ViewRect{0, 40, 617, 400}));
    EXPECT_EQ(l.view, (ViewRect{0, 40, 600, 400}));
    l = core::LayoutScrollBoxBounds(40, 400, 600, 300, 900, 17, 300, false, false);
    EXPECT_EQ(l.bounds, (ViewRect{2, 41, 615, 399}));
    EXPECT_EQ(l.view, (ViewRect{2, 41, 598, 399}));
    // Wider only: the horizontal bar alone lies beyond the area, below.
    l = core::LayoutScrollBoxBounds(40, 400, 600, 900, 200, 17, 100, false, false);
    EXPECT_TRUE(l.handScrollable);
    EXPECT_EQ(l.bounds, (ViewRect{0, 40, 600, 417}));
    EXPECT_EQ(l.view, (ViewRect{0, 40, 600, 400}));
    // Fit mode and media: the area, never hand-scrollable.
    l = core::LayoutScrollBoxBounds(40, 400, 600, 9000, 9000, 17, 300, true, false);
    EXPECT_FALSE(l.handScrollable);
    EXPECT_EQ(l.bounds, (ViewRect{0, 40, 600, 400}));
}

TEST(ViewZoom, FitWindowToDivisor) {
    const ViewRect screen{0, 0, 1920, 1080};
    const auto s = core::FitWindowTo(1000, 800, 2, 8, 30, 70, screen);
    EXPECT_TRUE(s.ok);
    EXPECT_EQ(s.width, 508);
    EXPECT_EQ(s.height, 500);
    EXPECT_FALSE(core::FitWindowTo(200, 100, 4, 8, 0, 0, screen).ok); // 58 wide
    EXPECT_EQ(core::FitWindowTo(8000, 8000, 1, 8, 30, 70, screen).height, 1080);
    EXPECT_FALSE(core::FitWindowTo(100, 100, 0, 8, 30, 70, screen).ok);
}

TEST(ViewZoom, WinMinWidth) {
    EXPECT_EQ(core::WinMinWidth(false, 500, true), 360);
    EXPECT_EQ(core::WinMinWidth(true, 264, false), 280);
    EXPECT_EQ(core::WinMinWidth(true, 264, true), 344);
}

TEST(ViewZoom, WindowRectangleFromAnotherScreenSetup) {
    // Saved on a monitor at the left that is still there: kept.
    const ViewRect left{-1280, 0, 1280, 1024};
    const std::int32_t onLeft[4] = {-1200, 100, -600, 600};
    EXPECT_EQ(core::RestoredWindowRect(left, onLeft, 0, 0, true, true),
              (ViewRect{-1200, 100, 600, 500}));
    // Saved on a monitor that is gone: pulled onto the window's screen.
    const ViewRect screen{0, 0, 1920, 1080};
    const std::int32_t gone[4] = {2500, 1300, 3300, 1900};
    EXPECT_EQ(core::RestoredWindowRect(screen, gone, 0, 0, true, true),
              (ViewRect{1120, 480, 800, 600}));
    const std::int32_t goneLeft[4] = {-3000, -500, -2000, 200};
    // Left of every screen: nothing of it is left, half the screen instead.
    EXPECT_EQ(core::RestoredWindowRect(screen, goneLeft, 0, 0, true, true),
              (ViewRect{480, 270, 960, 540}));
}

TEST(ViewZoom, FullScreenKeepsTheWindowOnScreen) {
    // Pushed a little off the only screen: comes back at (4, 2).
    EXPECT_EQ(core::FullScreenSavedRect({-4, -2, 640, 480}, false), (ViewRect{4, 2, 640, 480}));
    // On a monitor left of the primary: kept as it is.
    EXPECT_EQ(core::FullScreenSavedRect({-1200, 5, 640, 480}, true),
              (ViewRect{-1200, 5, 640, 480}));
}
