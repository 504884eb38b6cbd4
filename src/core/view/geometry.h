// View geometry without widgets: the platform's MulDiv rounding, the
// aspect-keeping fit, where the display control draws its bitmap, which part
// of the bitmap an exposed region shows, and where the window goes on screen.
#pragma once

#include <cstdint>

namespace core {

struct ViewRect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const ViewRect&) const = default;
};

struct ViewSize {
    int width = 0, height = 0;
    bool operator==(const ViewSize&) const = default;
};

// a × b / c rounded to the nearest integer (halves away from zero), computed
// in 64 bits; c = 0 gives −1 as the original platform did.
int MulDiv(int a, int b, int c);

// Fits width × height into the box keeping the aspect ratio, enlarging or
// reducing so that it fills the box in at least one direction. Zero or negative
// sizes give 0 × 0.
ViewSize ScaleToFit(int width, int height, int maxWidth, int maxHeight);

// The display control's drawing rectangle for a bitmap of bw × bh in a
// control of cw × ch: the whole control when stretched, centred (negative
// offsets when larger), or at the top left.
ViewRect DestRect(int bw, int bh, int cw, int ch, bool stretch, bool center);

// The exposed part of a stretched view widened to whole bitmap pixels: the
// bitmap rectangle under the exposed rectangle (rounded outwards) so that an
// enlarged picture is drawn without seams between separately painted strips.
ViewRect ExposedSourceRect(const ViewRect& exposed, int bw, int bh, int cw, int ch);

// The magnified picture size: size × percent / 100 rounded to nearest, exact
// halves to the even neighbour (2 × 25 % gives 0, 6 × 25 % gives 2).
int MagnifiedLength(int length, int percent);

// Where the window goes for a new size w × h (PlaceWindow): kept on the
// screen with Auto Size, centred with Auto Center; never left of or above the
// screen's top-left corner.
ViewRect PlaceWindowRect(const ViewRect& screen, int currentLeft, int currentTop, int w, int h,
                         bool autoSize, bool autoCenter);

// The window rectangle restored from the settings (RestoreWindowRect) onto
// `screen` (the screen the saved rectangle lies on, else the window's own): a
// saved size below 64 in either direction gives half the screen, placed by
// PlaceWindowRect from the current position; otherwise the rectangle is
// limited to the screen and moved wholly onto it.
ViewRect RestoredWindowRect(const ViewRect& screen, const std::int32_t saved[4], int currentLeft,
                            int currentTop, bool autoSize, bool autoCenter);

// The normal window's rectangle kept while in full screen: a corner that
// lies on no screen (a window pushed a few pixels off the desktop) is taken
// by its absolute values; negative corners on a screen are kept.
ViewRect FullScreenSavedRect(const ViewRect& bounds, bool onSomeScreen);

// The window size that shows the picture at 100 % (SizeWindowToPicture):
// frame plus picture plus the visible bars, limited to the screen, at least
// minWidth wide.
ViewSize WindowSizeForPicture(int pictureWidth, int pictureHeight, int frameWidth,
                              int nonClientHeight, int panelsHeight, int minWidth,
                              const ViewRect& screen);

} // namespace core
