#include "core/view/geometry.h"

#include <gtest/gtest.h>

using core::ViewRect;
using core::ViewSize;

TEST(ViewGeometry, MulDivRoundsToNearestAndGuardsZero) {
    EXPECT_EQ(core::MulDiv(3, 1, 2), 2);   // 1.5 away from zero
    EXPECT_EQ(core::MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(core::MulDiv(5, 1, 4), 1);   // 1.25
    EXPECT_EQ(core::MulDiv(46341, 46341, 46341), 46341); // product beyond 32 bits
    EXPECT_EQ(core::MulDiv(7, 3, 0), -1);
}

TEST(ViewGeometry, ScaleToFitKeepsAspectAndFillsTheBox) {
    EXPECT_EQ(core::ScaleToFit(200, 100, 50, 50), (ViewSize{50, 25}));
    EXPECT_EQ(core::ScaleToFit(100, 200, 50, 50), (ViewSize{25, 50}));
    EXPECT_EQ(core::ScaleToFit(10, 10, 300, 200), (ViewSize{200, 200}));
    // A wide picture in a low box is limited by the height afterwards.
    EXPECT_EQ(core::ScaleToFit(400, 300, 800, 300), (ViewSize{400, 300}));
    EXPECT_EQ(core::ScaleToFit(0, 10, 50, 50), (ViewSize{0, 0}));
}

TEST(ViewGeometry, DestRectStretchCentreAndNatural) {
    EXPECT_EQ(core::DestRect(50, 40, 200, 100, true, true), (ViewRect{0, 0, 200, 100}));
    EXPECT_EQ(core::DestRect(50, 40, 200, 100, false, true), (ViewRect{75, 30, 50, 40}));
    // Larger than the control: negative offset, truncated toward zero.
    EXPECT_EQ(core::DestRect(301, 101, 200, 100, false, true), (ViewRect{-50, 0, 301, 101}));
    EXPECT_EQ(core::DestRect(50, 40, 200, 100, false, false), (ViewRect{0, 0, 50, 40}));
}

TEST(ViewGeometry, ExposedSourceRectWidensToWholePixels) {
    // Enlarged 3×: a strip 7 pixels wide at the left edge covers bitmap columns 0..2.
    EXPECT_EQ(core::ExposedSourceRect({0, 0, 7, 30}, 10, 10, 30, 30), (ViewRect{0, 0, 3, 10}));
    // A strip starting inside a pixel still starts at that pixel.
    EXPECT_EQ(core::ExposedSourceRect({8, 4, 2, 2}, 10, 10, 30, 30), (ViewRect{2, 1, 2, 1}));
    // One to one.
    EXPECT_EQ(core::ExposedSourceRect({5, 6, 7, 8}, 100, 100, 100, 100), (ViewRect{5, 6, 7, 8}));
    // Clamped to the bitmap.
    EXPECT_EQ(core::ExposedSourceRect({25, 25, 50, 50}, 10, 10, 30, 30), (ViewRect{8, 8, 2, 2}));
}

TEST(ViewGeometry, MagnifiedLengthRoundsHalvesToEven) {
    EXPECT_EQ(core::MagnifiedLength(2, 25), 0);
    EXPECT_EQ(core::MagnifiedLength(6, 25), 2);
    EXPECT_EQ(core::MagnifiedLength(3, 25), 1);
    EXPECT_EQ(core::MagnifiedLength(640, 800), 5120);
}

TEST(ViewGeometry, PlaceWindowKeepsOnScreenOrCentres) {
    const ViewRect screen{0, 0, 1000, 800};
    EXPECT_EQ(core::PlaceWindowRect(screen, 900, 700, 300, 200, true, false),
              (ViewRect{700, 600, 300, 200}));
    EXPECT_EQ(core::PlaceWindowRect(screen, 900, 700, 300, 200, false, false),
              (ViewRect{900, 700, 300, 200}));
    EXPECT_EQ(core::PlaceWindowRect(screen, 10, 10, 300, 200, true, true),
              (ViewRect{350, 300, 300, 200}));
    // Larger than the screen: never left of its corner.
    EXPECT_EQ(core::PlaceWindowRect(screen, 10, 10, 1200, 900, true, false),
              (ViewRect{0, 0, 1200, 900}));
    // A second screen to the left has negative coordinates, which are legal.
    EXPECT_EQ(core::PlaceWindowRect({-1280, 0, 1280, 1024}, -1200, 5, 300, 200, true, false),
              (ViewRect{-1200, 5, 300, 200}));
}

TEST(ViewGeometry, RestoredWindowRect) {
    const ViewRect screen{0, 0, 1000, 800};
    const std::int32_t good[4] = {100, 50, 500, 450};
    EXPECT_EQ(core::RestoredWindowRect(screen, good, 0, 0, true, true), (ViewRect{100, 50, 400, 400}));
    // 50 × 400 is too narrow: half the screen, centred.
    const std::int32_t narrow[4] = {100, 50, 150, 450};
    EXPECT_EQ(core::RestoredWindowRect(screen, narrow, 0, 0, true, true), (ViewRect{250, 200, 500, 400}));
    // Sticking out at the bottom right is pulled back; negative corners become 0.
    const std::int32_t out[4] = {900, -20, 1300, 380};
    EXPECT_EQ(core::RestoredWindowRect(screen, out, 0, 0, true, true), (ViewRect{600, 0, 400, 380}));
    // The first run's empty rectangle gives half the screen.
    const std::int32_t none[4] = {0, 0, 0, 0};
    EXPECT_EQ(core::RestoredWindowRect(screen, none, 0, 0, true, true).width, 500);
}

TEST(ViewGeometry, WindowSizeForPicture) {
    const ViewRect screen{0, 0, 1000, 800};
    EXPECT_EQ(core::WindowSizeForPicture(640, 480, 8, 30, 70, 300, screen), (ViewSize{648, 580}));
    EXPECT_EQ(core::WindowSizeForPicture(100, 80, 8, 30, 70, 360, screen), (ViewSize{360, 180}));
    EXPECT_EQ(core::WindowSizeForPicture(4000, 3000, 8, 30, 70, 360, screen), (ViewSize{1000, 800}));
}
