// The resize and selection dialog's arithmetic.
#include "core/editing/resize_dialog_logic.h"

#include <gtest/gtest.h>

using core::ResizeDialogLogic;
using core::ResizeRequest;

namespace {
ResizeDialogLogic Resize(int w, int h, int bits = 24) {
    ResizeDialogLogic d(ResizeRequest{0, 0, w, h, bits, 16384, 16384});
    d.activate();
    return d;
}
} // namespace

TEST(ResizeDialogLogic, PercentagesAndAspect) {
    auto d = Resize(640, 480);
    EXPECT_FALSE(d.typeXBox("50"));
    EXPECT_EQ(d.width(), 320);
    EXPECT_EQ(d.height(), 240);
    EXPECT_EQ(d.percent(true), 50);
    // Hundredths count: 33.33 % of 640 is 213.3 → 213; height follows by rounding.
    d.typeXBox("33.33");
    EXPECT_EQ(d.width(), 213);
    EXPECT_EQ(d.height(), 160);
    EXPECT_TRUE(d.typeXBox("-5")); // negative: the limit, beep
    EXPECT_EQ(d.width(), 16384);
    EXPECT_TRUE(d.typeYBox("0"));
    EXPECT_EQ(d.height(), 1);
    d.keepAspect = false;
    d.typeWidth("100");
    EXPECT_EQ(d.height(), 1);
    d.reset();
    EXPECT_EQ(d.width(), 640);
    EXPECT_EQ(d.height(), 480);
}

TEST(ResizeDialogLogic, LimitsAndAlternation) {
    auto d = Resize(640, 480);
    EXPECT_TRUE(d.typeWidth("20000"));
    EXPECT_EQ(d.width(), 16384);
    EXPECT_EQ(d.height(), 12288);
    EXPECT_TRUE(d.typeWidth("abc")); // no digits: 0, corrected to 1
    EXPECT_EQ(d.width(), 1);
    // A tall picture: the height would pass its limit, so it takes the limit
    // and the width follows it instead.
    auto tall = Resize(100, 1000);
    tall.typeWidth("5000");
    EXPECT_EQ(tall.height(), 16384);
    EXPECT_EQ(tall.width(), 1638);
    EXPECT_TRUE(tall.acceptable());
    // Spin buttons stop at the limit and at 1.
    auto s = Resize(16384, 2);
    EXPECT_FALSE(s.spinWidth(true));
    auto one = Resize(1, 1);
    EXPECT_FALSE(one.spinHeight(false));
    EXPECT_TRUE(one.spinHeight(true));
    EXPECT_EQ(one.width(), 2);
}

TEST(ResizeDialogLogic, PercentSpinAndBoxTexts) {
    auto d = Resize(640, 480);
    EXPECT_EQ(d.spinPercent("100", true, true).value(), "101.9");
    EXPECT_EQ(d.spinPercent("101.9", false, true).value(), "100");
    EXPECT_EQ(d.spinPercent("0", false, true).value(), "0");
    EXPECT_FALSE(d.spinPercent("16384", true, true).has_value());
    d.typeXBox("101.9");
    EXPECT_EQ(d.width(), 652); // 10190 × 640 / 10000 = 652.16
    // A focused box keeps what is typed while it is within 1 of the percentage.
    EXPECT_FALSE(d.percentText(true, "101.9", true).has_value());
    EXPECT_EQ(d.percentText(true, "101.9", false).value(), "101");
    EXPECT_EQ(d.percentText(true, "150", true).value(), "101");
}

TEST(ResizeDialogLogic, SelectionStaysInsideThePicture) {
    ResizeDialogLogic d(ResizeRequest{600, 10, 30, 30, 0, 640, 480});
    d.activate();
    EXPECT_TRUE(d.selectionMode());
    EXPECT_TRUE(d.typeWidth("100"));
    EXPECT_EQ(d.width(), 40);
    EXPECT_TRUE(d.typeXBox("630"));
    EXPECT_EQ(d.x(), 600);
    EXPECT_TRUE(d.spinWidth(true)); // spun, then held inside
    EXPECT_EQ(d.width(), 40);
    EXPECT_TRUE(d.typeYBox("-3"));
    EXPECT_EQ(d.y(), 0);
    EXPECT_TRUE(d.acceptable());
    d.reset();
    EXPECT_EQ(d.x(), 600);
    EXPECT_EQ(d.width(), 30);
    EXPECT_EQ(d.initialCopyMode(), 1);
    EXPECT_EQ(core::LeadingInt("  42px"), 42);
    EXPECT_EQ(core::LeadingInt("x"), 0);
    EXPECT_DOUBLE_EQ(core::LeadingReal("12.5%"), 12.5);
}
