#include "core/view/selection.h"

#include <gtest/gtest.h>

using core::SelRect;

TEST(ViewSelection, AnchorSnapsToWholePicturePixels) {
    const int s300 = core::SnapStep(24, 300, true);
    EXPECT_EQ(core::SnapDown(10, s300), 9);
    EXPECT_EQ(core::SnapDown(17, s300), 15);
    // A two-colour picture snaps to bytes of 8 pixels when the press begins.
    const int s1 = core::SnapStep(1, 100, true);
    EXPECT_EQ(core::SnapDown(10, s1), 8);
    EXPECT_EQ(core::SnapDown(17, s1), 16);
    // While moving, 4-bit pictures snap to 8 too, 8-bit ones do not at 100 %.
    EXPECT_EQ(core::SnapStep(4, 100, false), 8);
    EXPECT_EQ(core::SnapStep(4, 100, true), 1);
    EXPECT_EQ(core::SnapDown(13, core::SnapStep(8, 100, false)), 13);
    EXPECT_EQ(core::SnapDown(13, core::SnapStep(24, 50, false)), 13); // step 0
}

TEST(ViewSelection, SmallSelectionsAreDiscarded) {
    EXPECT_FALSE(core::SelectionKept(core::SpanRect(5, 5, 7, 40))); // 2 wide
    EXPECT_FALSE(core::SelectionKept(core::SpanRect(5, 5, 40, 8))); // 3 high
    EXPECT_TRUE(core::SelectionKept(core::SpanRect(40, 40, 5, 5))); // dragged up-left
    EXPECT_EQ(core::SpanRect(40, 9, 5, 30), (SelRect{5, 9, 40, 30}));
    EXPECT_FALSE(core::SelectionKept(SelRect{}));
}

TEST(ViewSelection, ViewToPictureAndBack) {
    // 200 % outside fit mode.
    const SelRect view{20, 10, 60, 50};
    EXPECT_EQ(core::AdjustSelection(view, false, 200, 100, 100, 200, 200),
              (SelRect{10, 5, 31, 26}));
    // Clamped to the bitmap on the right and bottom.
    EXPECT_EQ(core::AdjustSelection({0, 0, 199, 199}, false, 200, 100, 100, 200, 200),
              (SelRect{0, 0, 100, 100}));
    // Fit mode: a 1000 × 500 picture shown at 400 × 200.
    EXPECT_EQ(core::AdjustSelection({40, 20, 80, 60}, true, 100, 1000, 500, 400, 200),
              (SelRect{100, 50, 201, 151}));
    EXPECT_EQ(core::DisplaySelection({100, 50, 200, 150}, true, 100, 1000, 500, 400, 200),
              (SelRect{40, 20, 80, 60}));
    EXPECT_EQ(core::DisplaySelection({10, 5, 31, 26}, false, 300, 100, 100, 300, 300),
              (SelRect{30, 15, 93, 78}));
    // A shown size of 0 (2 × 2 at 25 %) does not divide by zero.
    EXPECT_EQ(core::AdjustSelection({0, 0, 0, 0}, true, 100, 2, 2, 0, 0), (SelRect{0, 0, 1, 1}));
}

TEST(ViewSelection, HandDragNeverPullsThePictureFromTheCorner) {
    // Scrolled to 100: dragging 30 to the left scrolls on to 130.
    auto s = core::HandDrag(100, 70, 100);
    EXPECT_EQ(s.position, 130);
    EXPECT_EQ(s.anchor, 100);
    // At the left edge, dragging right keeps it there and re-anchors.
    s = core::HandDrag(0, 150, 100);
    EXPECT_EQ(s.position, 0);
    EXPECT_EQ(s.anchor, 150);
    // Dragging right by more than the scroll position stops at 0.
    s = core::HandDrag(20, 150, 100);
    EXPECT_EQ(s.position, 0);
    EXPECT_EQ(s.anchor, 150);
}
