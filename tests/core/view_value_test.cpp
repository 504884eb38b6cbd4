#include "core/view/value_request.h"

#include <gtest/gtest.h>

namespace {
core::ValueRequest Zoom() {
    return core::ZoomValueRequest(100);
}
} // namespace

TEST(ViewValue, EditBoxCorrections) {
    const auto r = Zoom();
    auto c = core::CorrectValueText("900", r);
    EXPECT_EQ(c.text, "800");
    EXPECT_EQ(c.position, 800);
    c = core::CorrectValueText("10", r);
    EXPECT_EQ(c.text, "25");
    EXPECT_EQ(c.position, 25);
    // Not a number: the minimum in the box, the bar back at the initial value.
    c = core::CorrectValueText("12x", r);
    EXPECT_EQ(c.text, "25");
    EXPECT_EQ(c.position, 100);
    // In range: the box stays, the bar takes it.
    c = core::CorrectValueText(" 300 ", r);
    EXPECT_FALSE(c.text);
    EXPECT_EQ(c.position, 300);
    // Empty text is left alone.
    c = core::CorrectValueText("", r);
    EXPECT_FALSE(c.text);
    EXPECT_FALSE(c.position);
    // Far beyond 32 bits is still just "above the maximum".
    EXPECT_EQ(core::CorrectValueText("99999999999999999999999", r).position, 800);
    EXPECT_EQ(core::CorrectValueText("-99999999999999999999999", r).position, 25);
}

TEST(ViewValue, TypingDoesNotCorrectHalfANumber) {
    const auto r = Zoom();
    // "1" on the way to "100": the bar follows (clamped) but nothing is rewritten.
    EXPECT_EQ(core::TypedPosition("1", r), 25);
    EXPECT_EQ(core::TypedPosition("100", r), 100);
    EXPECT_FALSE(core::TypedPosition("", r));
    EXPECT_FALSE(core::TypedPosition("-", r));
    core::ValueTyping t;
    EXPECT_FALSE(t.End());
    t.KeyDown();
    EXPECT_TRUE(t.typing());
    EXPECT_TRUE(t.End());
    EXPECT_FALSE(t.typing());
}

TEST(ViewValue, PlacementCentredOnThePointerAndOnTheScreen) {
    const core::ViewRect screen{0, 0, 1024, 768};
    EXPECT_EQ(core::ValueDialogPlacement(screen, 500, 400, 300, 200),
              (core::ViewRect{350, 300, 300, 200}));
    // Pointer in the bottom-right corner: flush with the right and bottom edges.
    EXPECT_EQ(core::ValueDialogPlacement(screen, 1023, 767, 300, 200),
              (core::ViewRect{724, 568, 300, 200}));
    EXPECT_EQ(core::ValueDialogPlacement(screen, 0, 0, 300, 200), (core::ViewRect{0, 0, 300, 200}));
    // A second screen at negative coordinates.
    EXPECT_EQ(core::ValueDialogPlacement({-1280, 0, 1280, 1024}, -1270, 10, 300, 200),
              (core::ViewRect{-1280, 0, 300, 200}));
}
