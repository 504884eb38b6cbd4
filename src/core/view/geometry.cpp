#include "core/view/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace core {

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const std::int64_t n = std::int64_t{a} * b;
    const std::int64_t q = n / c, r = n % c;
    std::int64_t out = q;
    // Round half away from zero.
    if (2 * std::llabs(r) >= std::llabs(std::int64_t{c})) out += ((n < 0) != (c < 0)) ? -1 : 1;
    return static_cast<int>(out);
}

ViewSize ScaleToFit(int width, int height, int maxWidth, int maxHeight) {
    if (width <= 0 || height <= 0 || maxWidth <= 0 || maxHeight <= 0) return {};
    ViewSize s;
    if (height < width) {
        s.width = maxWidth;
        s.height = MulDiv(height, maxWidth, width);
    } else {
        s.height = maxHeight;
        s.width = MulDiv(width, maxHeight, height);
    }
    if (s.width > maxWidth) {
        s.height = MulDiv(s.height, maxWidth, s.width);
        s.width = maxWidth;
    }
    if (s.height > maxHeight) {
        s.width = MulDiv(s.width, maxHeight, s.height);
        s.height = maxHeight;
    }
    return s;
}

ViewRect DestRect(int bw, int bh, int cw, int ch, bool stretch, bool center) {
    if (stretch) return {0, 0, cw, ch};
    if (center) return {(cw - bw) / 2, (ch - bh) / 2, bw, bh};
    return {0, 0, bw, bh};
}

ViewRect ExposedSourceRect(const ViewRect& exposed, int bw, int bh, int cw, int ch) {
    if (bw <= 0 || bh <= 0 || cw <= 0 || ch <= 0) return {};
    // Floor of the left/top edge and ceiling of the right/bottom edge.
    auto floorMap = [](int v, int b, int c) {
        return static_cast<int>(std::int64_t{std::max(v, 0)} * b / c);
    };
    auto ceilMap = [](int v, int b, int c) {
        return static_cast<int>((std::int64_t{std::max(v, 0)} * b + c - 1) / c);
    };
    const int x0 = std::clamp(floorMap(exposed.left, bw, cw), 0, bw);
    const int y0 = std::clamp(floorMap(exposed.top, bh, ch), 0, bh);
    const int x1 = std::clamp(ceilMap(exposed.right(), bw, cw), 0, bw);
    const int y1 = std::clamp(ceilMap(exposed.bottom(), bh, ch), 0, bh);
    return {x0, y0, x1 - x0, y1 - y0};
}

int MagnifiedLength(int length, int percent) {
    const std::int64_t n = std::int64_t{length} * percent;
    std::int64_t q = n / 100;
    const std::int64_t r = n % 100;
    if (r > 50 || (r == 50 && (q % 2) != 0)) ++q;
    return static_cast<int>(q);
}

ViewRect PlaceWindowRect(const ViewRect& screen, int currentLeft, int currentTop, int w, int h,
                         bool autoSize, bool autoCenter) {
    int left = currentLeft, top = currentTop;
    if (autoSize) {
        if (left + w > screen.right()) left = screen.right() - w;
        if (top + h > screen.bottom()) top = screen.bottom() - h;
    }
    if (autoCenter) {
        left = screen.left + (screen.width - w) / 2;
        top = screen.top + (screen.height - h) / 2;
    }
    left = std::max(left, screen.left);
    top = std::max(top, screen.top);
    return {left, top, w, h};
}

ViewRect RestoredWindowRect(const ViewRect& screen, const std::int32_t saved[4], int currentLeft,
                            int currentTop, bool autoSize, bool autoCenter) {
    // "Negative taken as 0" means: not left of or above the screen it goes on,
    // which may itself lie at negative coordinates on a multi-monitor desktop.
    int left = std::max(saved[0], screen.left), top = std::max(saved[1], screen.top);
    // 64 bits: a damaged settings record may hold any corners.
    const int w =
        static_cast<int>(std::min<std::int64_t>(std::int64_t{saved[2]} - left, screen.width));
    const int h =
        static_cast<int>(std::min<std::int64_t>(std::int64_t{saved[3]} - top, screen.height));
    if (w < 64 || h < 64)
        return PlaceWindowRect(screen, currentLeft, currentTop, screen.width / 2,
                               screen.height / 2, autoSize, autoCenter);
    if (left + w > screen.right()) left = screen.right() - w;
    if (top + h > screen.bottom()) top = screen.bottom() - h;
    return {std::max(left, screen.left), std::max(top, screen.top), w, h};
}

ViewSize WindowSizeForPicture(int pictureWidth, int pictureHeight, int frameWidth,
                              int nonClientHeight, int panelsHeight, int minWidth,
                              const ViewRect& screen) {
    int w = std::min(frameWidth + pictureWidth, screen.width);
    const int h = std::min(nonClientHeight + pictureHeight + panelsHeight, screen.height);
    w = std::max(w, std::min(minWidth, screen.width));
    return {w, h};
}

ViewRect FullScreenSavedRect(const ViewRect& bounds, bool onSomeScreen) {
    if (onSomeScreen) return bounds;
    return {std::abs(bounds.left), std::abs(bounds.top), bounds.width, bounds.height};
}

} // namespace core
