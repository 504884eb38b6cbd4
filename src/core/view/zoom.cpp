#include "core/view/zoom.h"

#include <algorithm>

namespace core {

int ZoomUp(int percent) {
    return percent < kZoomMax ? percent + kZoomStep : percent;
}

int ZoomDown(int percent) {
    return percent > kZoomMin ? percent - kZoomStep : percent;
}

int ZoomFromValue(int value) {
    const int v = value - value % kZoomStep;
    return std::clamp(v, kZoomMin, kZoomMax);
}

int ZoomedScrollPosition(const ScrollAxis& before, int newRange, int newClient, int percent) {
    const int relative = MulDiv(before.position, 100, before.range);
    int p = static_cast<int>(std::int64_t{newRange} * relative / 100);
    const int f = percent / 100;
    if (f > 1) {
        if (newClient + p > newRange) p = newRange - newClient;
        p -= p % f;
    }
    return std::max(p, 0);
}

ScrollBoxLayout LayoutScrollBoxBounds(int top, int area, int clientWidth, int pictureWidth,
                                      int pictureHeight, int scrollThumb, int percent, bool fit,
                                      bool media) {
    ScrollBoxLayout out;
    if (media || fit) {
        out.bounds = out.view = {0, top, clientWidth, area};
        return out;
    }
    int extra = 0, a = area;
    if (pictureHeight > area || pictureWidth > clientWidth) {
        out.handScrollable = true;
        // The scroll bars lie beyond the picture area: the hand tool scrolls.
        if (pictureHeight > area) extra = scrollThumb;
        if (pictureWidth > clientWidth) a += scrollThumb;
    }
    int f = percent / 100;
    if (f < 2) f = 0;
    int dv = 0, dh = 0;
    if (f != 0) {
        dv = a % f;
        dh = (extra + clientWidth) % f;
    }
    out.bounds = {dh, top + dv, extra + clientWidth - dh, a - dv};
    out.view = {dh, top + dv, clientWidth - dh, area - dv};
    return out;
}

FitToSize FitWindowTo(int pictureWidth, int pictureHeight, int divisor, int frameWidth,
                      int nonClientHeight, int panelsHeight, const ViewRect& screen) {
    FitToSize s;
    if (divisor < 1) return s;
    s.width = std::min(pictureWidth / divisor + frameWidth, screen.width);
    s.height = std::min(nonClientHeight + pictureHeight / divisor + panelsHeight, screen.height);
    s.ok = s.width >= 64 && s.height >= 64;
    return s;
}

int WinMinWidth(bool toolbarShown, int buttonsWidth, bool comboOnToolbar) {
    if (!toolbarShown) return 360;
    return 16 + buttonsWidth + (comboOnToolbar ? 64 : 0);
}

} // namespace core
