// The selection mask and the hand tool without widgets: snapping the
// pointer, converting the selection between the view and the picture, and
// one step of dragging the picture.
#pragma once

namespace core {

// A selection. In picture pixels (SelectionRect) left and top are the first
// pixel inside and right and bottom one past the last (width = right − left).
// In view coordinates (SelectionView) it is the rectangle spanned by the
// drag; bottom = −1 means no selection.
struct SelRect {
    int left = 0, top = 0, right = 0, bottom = -1;
    bool exists() const { return bottom != -1; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const SelRect&) const = default;
};

// The step pointer positions snap down to: 8 for two-colour pictures when a
// drag begins and for pictures under 8 bits while it moves; else the whole
// magnification factor.
int SnapStep(int bits, int percent, bool begin);
int SnapDown(int value, int step);

// The rectangle spanned by the anchor and the pointer, normalised.
SelRect SpanRect(int ax, int ay, int x, int y);
// Kept on release only when more than 3 pixels wide and high.
bool SelectionKept(const SelRect& view);

// View → picture. W × H is the display control's size, bw × bh the bitmap's.
SelRect AdjustSelection(const SelRect& view, bool fit, int percent, int bw, int bh, int W, int H);
// Picture → view (for a selection set by numbers).
SelRect DisplaySelection(const SelRect& picture, bool fit, int percent, int bw, int bh, int W,
                         int H);

// One hand-tool step. The control's top-left is at -position (it never moves
// right of or below the view's corner); the anchor follows when it would.
struct HandStep {
    int position; // the new scroll position
    int anchor;   // the anchor for the next step
};
HandStep HandDrag(int position, int pointer, int anchor);

} // namespace core
