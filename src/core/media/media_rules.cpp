#include "core/media/media_rules.h"

#include "core/view/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace core::media {

int ZoomUpSize(int ds) {
    if (ds == kOwnSize) return kDoubleSize;
    if (ds == kHalfSize) return kOwnSize;
    return ds;
}

int ZoomDownSize(int ds) {
    if (ds == kOwnSize) return kHalfSize;
    if (ds == kDoubleSize) return kOwnSize;
    return ds;
}

namespace {

// A clip's picture at the own, half or double display size.
core::ViewSize SizedClip(int ds, int clipW, int clipH) {
    if (ds == kHalfSize) return {std::max(1, clipW / 2), std::max(1, clipH / 2)};
    if (ds == kDoubleSize) return {clipW * 2, clipH * 2};
    return {clipW, clipH};
}

} // namespace

Box VideoBox(int ds, int clipW, int clipH, int areaW, int areaH) {
    if (clipW <= 0 || clipH <= 0 || areaW <= 0 || areaH <= 0) return {};
    const core::ViewSize s =
        ds == kFitSize ? core::ScaleToFit(clipW, clipH, areaW, areaH) : SizedClip(ds, clipW, clipH);
    return {(areaW - s.width) / 2, (areaH - s.height) / 2, s.width, s.height};
}

Box SlideBounds(const SlideClip& s) {
    int w = s.clipW, h = s.clipH;
    const bool sized = s.script || s.autoSizeVideo || s.clipW > s.boxW || s.clipH > s.boxH;
    if (sized) {
        const core::ViewSize f = core::ScaleToFit(s.clipW, s.clipH, s.boxW, s.boxH);
        w = f.width;
        h = f.height;
        auto smaller = [&](long long cw, long long ch) { return cw < s.boxW && ch < s.boxH; };
        if (s.script && s.zoom > 0) {
            const long long zw = 1LL * s.clipW * s.zoom / 100, zh = 1LL * s.clipH * s.zoom / 100;
            if (smaller(zw, zh)) {
                w = int(zw);
                h = int(zh);
            }
        } else if (smaller(4LL * s.clipW, 4LL * s.clipH)) {
            w = 4 * s.clipW;
            h = 4 * s.clipH;
        } else if (smaller(2LL * s.clipW, 2LL * s.clipH)) {
            w = 2 * s.clipW;
            h = 2 * s.clipH;
        }
    }
    Box b{0, 0, w, h};
    if (s.script && s.x >= 0 && s.y >= 0 && s.x + w <= s.boxW && s.y + h <= s.boxH) {
        b.left = s.x;
        b.top = s.y;
    } else {
        b.left = std::abs(s.boxW - w) / 2;
        b.top = std::abs(s.boxH - h) / 2;
    }
    return b;
}

PlayerParts PartsFor(bool statusLine, bool tracker, bool controls, bool avMaxFullScreen,
                     bool fullScreen) {
    if (avMaxFullScreen && fullScreen) return {false, false, false};
    return {statusLine, tracker, controls};
}

bool NeedMeasure(int storedPpi, int screenPpi, int baseHeight) {
    return storedPpi != screenPpi || baseHeight <= 0;
}

WindowSize ClipWindowSize(const ClipWindow& c) {
    const int d = c.partsHeight;
    int w, h;
    if (c.fit) {
        int wi = c.clientWidth, hi = 0;
        if (c.clipH != 0) {
            const core::ViewSize f =
                core::ScaleToFit(c.clipW, c.clipH, std::max(c.clientWidth, c.minWidth),
                                 std::max(1, c.playerHeight - d));
            wi = f.width;
            hi = f.height;
        }
        w = c.frameWidth + wi;
        h = c.nonClientHeight + hi + d;
    } else {
        const core::ViewSize s = c.clipH != 0 ? SizedClip(c.displaySize, c.clipW, c.clipH)
                                              : core::ViewSize{c.clipW, c.clipH};
        w = s.width + c.frameWidth;
        h = s.height + c.nonClientHeight + d;
    }
    if (c.clipH == 0) h -= 2;
    if (!c.fullScreenButton) w = std::max(w, c.minWidth);
    h += c.panelsHeight;
    if (c.screenW > 0) w = std::min(w, c.screenW);
    if (c.screenH > 0) h = std::min(h, c.screenH);
    return {w, h};
}

double PlayerGain(int playerVolume) {
    if (playerVolume >= 0) return 1.0;
    return std::pow(10.0, playerVolume / 2000.0);
}

std::vector<CommandState> MediaCommandStates(bool video, bool fit, bool fullScreen) {
    std::vector<CommandState> s;
    // The picture's own commands are off for every clip.
    for (const char* n :
         {"mnuCompress", "mnuSave", "mnuImageInfo", "mnuFitWinTo", "mnuPrint", "mnuSelect",
          "mnuRegion", "mnuCopyMenu", "mnuCopy", "mnuColors", "mnuImage", "mnuZoom", "mnuTWAIN",
          "mnuEdit", "mnuSlideshowMenu", "btnHand", "btnSelect"})
        s.push_back({n, false});
    s.push_back({"mnuFullscrn", true});
    s.push_back({"btnFullScreen", true});
    s.push_back({"mnuOptimizeWindow", !fullScreen});
    s.push_back({"btnAdjust", !fullScreen});
    // Fit and zoom only where there is a picture to size.
    s.push_back({"mnuFitWindow", video});
    s.push_back({"btnFitWindow", video});
    s.push_back({"btnZoomUp", video && !fit});
    s.push_back({"btnZoomDn", video && !fit});
    return s;
}

} // namespace core::media
