#include "core/view/selection.h"

#include <algorithm>
#include <cstdint>

namespace core {

int SnapStep(int bits, int percent, bool begin) {
    if (begin ? bits == 1 : bits < 8) return 8;
    return percent / 100;
}

int SnapDown(int value, int step) {
    if (step <= 1) return value;
    return value - value % step;
}

SelRect SpanRect(int ax, int ay, int x, int y) {
    return {std::min(ax, x), std::min(ay, y), std::max(ax, x), std::max(ay, y)};
}

bool SelectionKept(const SelRect& view) {
    return view.exists() && view.width() > 3 && view.height() > 3;
}

namespace {
// a × b div c in 64 bits, truncating toward zero; 0 for an empty divisor.
int Scale(int a, int b, int c) {
    if (c == 0) return 0;
    return static_cast<int>(std::int64_t{a} * b / c);
}
} // namespace

SelRect AdjustSelection(const SelRect& view, bool fit, int percent, int bw, int bh, int W, int H) {
    SelRect r;
    if (fit) {
        r = {Scale(bw, view.left, W), Scale(bh, view.top, H), Scale(bw, view.right, W) + 1,
             Scale(bh, view.bottom, H) + 1};
    } else {
        r = {Scale(view.left, 100, percent), Scale(view.top, 100, percent),
             Scale(view.right, 100, percent) + 1, Scale(view.bottom, 100, percent) + 1};
    }
    r.right = std::min(r.right, bw);
    r.bottom = std::min(r.bottom, bh);
    return r;
}

SelRect DisplaySelection(const SelRect& picture, bool fit, int percent, int bw, int bh, int W,
                         int H) {
    if (fit)
        return {Scale(W, picture.left, bw), Scale(H, picture.top, bh), Scale(W, picture.right, bw),
                Scale(H, picture.bottom, bh)};
    return {Scale(picture.left, percent, 100), Scale(picture.top, percent, 100),
            Scale(picture.right, percent, 100), Scale(picture.bottom, percent, 100)};
}

HandStep HandDrag(int position, int pointer, int anchor) {
    int left = -position + (pointer - anchor);
    if (left > 0) {
        left = 0;
        anchor = pointer;
    }
    return {-left, anchor};
}

} // namespace core
