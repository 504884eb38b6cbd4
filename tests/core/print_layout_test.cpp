#include "core/print/print_layout.h"

#include <gtest/gtest.h>

using namespace core::print;
using core::ViewRect;

namespace {

const Page kPage{480, 640, 300, 300, false};

} // namespace

TEST(PrintLayout, FitOnPageTakesTheCaseTheShapesCallFor) {
    // Wider picture than page, page's height covered: the width decides.
    Fit f = FitOnPage(480, 640, 960, 640);
    EXPECT_EQ(f.roundedWidth, 480);
    EXPECT_EQ(f.roundedHeight, 320);
    // Equal widths, taller picture: the height decides.
    f = FitOnPage(480, 640, 480, 1280);
    EXPECT_EQ(f.roundedWidth, 240);
    EXPECT_EQ(f.roundedHeight, 640);
    // Larger both ways: the larger difference decides, then the other is limited.
    f = FitOnPage(640, 480, 960, 640);
    EXPECT_FLOAT_EQ(f.height, 640.0f / 960.0f * 640.0f);
    EXPECT_EQ(f.roundedHeight, 427);
    // Smaller both ways is enlarged the same way.
    f = FitOnPage(100, 141, 30, 20);
    EXPECT_EQ(f.roundedWidth, 100);
    EXPECT_EQ(f.roundedHeight, 67);
    EXPECT_EQ(FitOnPage(0, 640, 30, 20).roundedWidth, 0);
    EXPECT_EQ(FitOnPage(480, 640, 30, 0).roundedHeight, 0);
}

TEST(PrintLayout, SmallPictureIsDoubledThenFittedAndCentred) {
    // 30 × 20 becomes 960 × 640 before the fit: 480 × 320 at 0, 160.
    Specs s = AllSpecs(kPage, 30, 20, 1.0);
    EXPECT_EQ(s.docWidth, 480);
    EXPECT_EQ(s.docHeight, 320);
    EXPECT_EQ(s.x, (ScrollSpec{0, 0, 1}));
    EXPECT_EQ(s.y, (ScrollSpec{160, 320, 40}));
    // The size bar at 50 re-centres.
    s = AllSpecs(kPage, 30, 20, SizeFactorOf(50));
    EXPECT_EQ(s.docWidth, 240);
    EXPECT_EQ(s.docHeight, 160);
    EXPECT_EQ(s.x, (ScrollSpec{120, 240, 30}));
    EXPECT_EQ(s.y, (ScrollSpec{240, 480, 60}));
    // 1 × 1: square, as wide as the page.
    s = AllSpecs(kPage, 1, 1, 1.0);
    EXPECT_EQ(s.docWidth, 480);
    EXPECT_EQ(s.docHeight, 480);
    EXPECT_EQ(s.y, (ScrollSpec{80, 160, 20}));
    // A picture larger than the page is reduced, not doubled.
    s = AllSpecs(kPage, 4000, 3000, 1.0);
    EXPECT_EQ(s.docWidth, 480);
    EXPECT_EQ(s.docHeight, 360);
}

TEST(PrintLayout, PrintedSizeTiesGoToEven) {
    // 1 × 1 on 481 × 1000 fits 481 × 481; half of it is 240.5.
    const Specs s = AllSpecs({481, 1000, 300, 300, false}, 1, 1, 0.5);
    EXPECT_EQ(s.docWidth, 240);
    EXPECT_EQ(s.docHeight, 240);
    EXPECT_EQ(s.x, (ScrollSpec{120, 241, 30}));
}

TEST(PrintLayout, ExtremeShapesKeepOnePixelAndStayOnThePage) {
    // 1 × 20000 fits 0.03 pixels wide: printed one pixel wide, the full height.
    Specs s = AllSpecs(kPage, 1, 20000, 1.0);
    EXPECT_EQ(s.docWidth, 1);
    EXPECT_EQ(s.docHeight, 640);
    EXPECT_EQ(s.x, (ScrollSpec{239, 479, 59}));
    EXPECT_EQ(s.y, (ScrollSpec{0, 0, 1}));
    s = AllSpecs(kPage, 20000, 1, 0.01);
    EXPECT_EQ(s.docWidth, 5);
    EXPECT_EQ(s.docHeight, 1);
    EXPECT_LE(s.y.position + s.docHeight, kPage.height);
    // Tiny page, huge picture.
    s = AllSpecs({3, 2, 300, 300, false}, 100000, 100000, 1.0);
    EXPECT_EQ(s.docWidth, 2);
    EXPECT_EQ(s.docHeight, 2);
    EXPECT_EQ(s.x, (ScrollSpec{0, 1, 1}));
}

TEST(PrintLayout, LandscapePage) {
    const Page landscape{640, 480, 300, 300, true};
    const Specs s = AllSpecs(landscape, 30, 20, 1.0);
    EXPECT_EQ(s.docWidth, 640);
    EXPECT_EQ(s.docHeight, 427);
    EXPECT_EQ(s.y, (ScrollSpec{26, 53, 6}));
    const PositionTexts t =
        UpdateDocPosition(landscape, s.docWidth, s.docHeight, 0, 26, MeasureUnit::Pixels);
    EXPECT_EQ(t.panelSettings, "Landscape: 640 x 480  (300 x 300 dpi)");
}

TEST(PrintLayout, TextsInEveryUnit) {
    PositionTexts t = UpdateDocPosition(kPage, 480, 320, 0, 160, MeasureUnit::Pixels);
    EXPECT_EQ(t.panelSettings, "Portrait : 480 x 640  (300 x 300 dpi)");
    EXPECT_EQ(t.labelDocW, "Width : 480");
    EXPECT_EQ(t.labelDocH, "Height: 320");
    EXPECT_EQ(t.labelXPos, "&X pos : 0");
    EXPECT_EQ(t.labelYpos, "&Y pos : 160");

    t = UpdateDocPosition(kPage, 480, 320, 0, 160, MeasureUnit::Inches);
    EXPECT_EQ(t.panelSettings, "Portrait : 1.6 x 2.1  (300 x 300 dpi)");
    EXPECT_EQ(t.labelDocW, "Width : 1.6");
    EXPECT_EQ(t.labelDocH, "Height: 1.1");
    EXPECT_EQ(t.labelXPos, "&X pos : 0.0");
    EXPECT_EQ(t.labelYpos, "&Y pos : 0.5");

    // 240 / 300 × 2.54 = 2.03.
    t = UpdateDocPosition(kPage, 240, 160, 120, 240, MeasureUnit::Cm);
    EXPECT_EQ(t.labelDocW, "Width : 2.0");
    EXPECT_EQ(t.labelDocH, "Height: 1.4");
    EXPECT_EQ(t.labelXPos, "&X pos : 1.0");
    EXPECT_EQ(t.labelYpos, "&Y pos : 2.0");
    EXPECT_EQ(t.panelSettings, "Portrait : 4.1 x 5.4  (300 x 300 dpi)");

    // Horizontal values use dpi x, vertical ones dpi y.
    t = UpdateDocPosition({600, 300, 600, 150, false}, 300, 300, 600, 150, MeasureUnit::Inches);
    EXPECT_EQ(t.labelDocW, "Width : 0.5");
    EXPECT_EQ(t.labelDocH, "Height: 2.0");
    EXPECT_EQ(t.labelXPos, "&X pos : 1.0");
    EXPECT_EQ(t.labelYpos, "&Y pos : 1.0");
    EXPECT_EQ(t.panelSettings, "Portrait : 1.0 x 2.0  (600 x 150 dpi)");
}

TEST(PrintLayout, OneDecimalTextsRoundTheValueAsItIs) {
    // A quarter inch is an exact half in the second decimal: it goes to the
    // even digit. 6.35 cm is not exactly representable and lies below the half.
    EXPECT_EQ(UpdateDocPosition(kPage, 75, 225, 0, 0, MeasureUnit::Inches).labelDocW,
              "Width : 0.2");
    EXPECT_EQ(UpdateDocPosition(kPage, 75, 225, 0, 0, MeasureUnit::Inches).labelDocH,
              "Height: 0.8");
    EXPECT_EQ(UpdateDocPosition(kPage, 750, 1, 0, 0, MeasureUnit::Cm).labelDocW, "Width : 6.3");
    // Ten and more keep every digit.
    EXPECT_EQ(UpdateDocPosition(kPage, 3300, 1, 0, 0, MeasureUnit::Inches).labelDocW,
              "Width : 11.0");
}

TEST(PrintLayout, MiniaturePaperAndPlaceholder) {
    // A portrait page in a taller panel: full height, centred across.
    EXPECT_EQ(ResizePaper(2479, 3508, 169, 225), (ViewRect{5, 0, 159, 225}));
    // Landscape: full width, centred down.
    EXPECT_EQ(ResizePaper(640, 480, 169, 225), (ViewRect{0, 49, 169, 127}));
    // 30 × 20 on a 120 × 160 paper at 100 % and 50 %.
    EXPECT_EQ(ResizeImage(120, 160, 30, 20, 1.0), (ViewRect{0, 40, 120, 80}));
    EXPECT_EQ(ResizeImage(120, 160, 30, 20, 0.5), (ViewRect{30, 60, 60, 40}));
    // Never smaller than a pixel.
    EXPECT_EQ(ResizeImage(120, 160, 1, 20000, 0.01), (ViewRect{59, 79, 1, 2}));
}

TEST(PrintLayout, MiniatureFollowsTheBarAndCentresWhenItCannotMove) {
    EXPECT_EQ(MiniatureOffset(0, 240, 60), 0);
    EXPECT_EQ(MiniatureOffset(240, 240, 60), 60);
    EXPECT_EQ(MiniatureOffset(120, 240, 61), 30); // 30.5 to even
    // Maximum 0 (the picture spans the page): the middle, no division.
    EXPECT_EQ(MiniatureOffset(0, 0, 41), 20);
    EXPECT_EQ(MiniatureOffset(10, 240, 0), std::nullopt);
}
