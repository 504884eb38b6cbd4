// Magnification without widgets: the zoom steps, where the view scrolls to
// after a zoom, and how the scroll box is laid out between the bars.
#pragma once

#include "core/view/geometry.h"

namespace core {

inline constexpr int kZoomMin = 25, kZoomMax = 800, kZoomStep = 25;

// "Zoom +" and "Zoom -": one step, nothing beyond the ends.
int ZoomUp(int percent);
int ZoomDown(int percent);
// A typed magnification: down to a multiple of 25, within 25..800.
int ZoomFromValue(int value);

// One direction of the scroll box: the position of its view and the range
// (the content's length; the position runs from 0 to range − client).
struct ScrollAxis {
    int position = 0;
    int range = 0;
    int client = 0;
};

// The new position after a zoom: the same relative place (MulDiv per cent of
// the old range, so an empty range gives −1 % and position 0), and at integer
// magnifications of 2 and more pulled back inside the range and down to a
// multiple of the factor f = percent div 100, so that whole picture pixels
// stay on the view's edge.
int ZoomedScrollPosition(const ScrollAxis& before, int newRange, int newClient, int percent);

// The scroll box between the bars. top = height of the bars above it, area =
// the picture area's height, clientWidth = the window's client width.
struct ScrollBoxLayout {
    ViewRect bounds; // the box with its scroll bars
    ViewRect view;   // what shows of it: the bounds without the bars beyond the area
    bool handScrollable = false;
};
ScrollBoxLayout LayoutScrollBoxBounds(int top, int area, int clientWidth, int pictureWidth,
                                      int pictureHeight, int scrollThumb, int percent, bool fit,
                                      bool media);

// The visible window parts whose heights add to the window around a picture.
struct FitToSize {
    int width = 0, height = 0;
    bool ok = false; // false when below 64 in either direction
};
// "Fit to" 1:N: the window that shows the picture at 1/N.
FitToSize FitWindowTo(int pictureWidth, int pictureHeight, int divisor, int frameWidth,
                      int nonClientHeight, int panelsHeight, const ViewRect& screen);

// The smallest window width that shows the whole tool bar: 360 without it,
// else 16 + the buttons after the first separator (+64 for the bookmark box on it).
int WinMinWidth(bool toolbarShown, int buttonsWidth, bool comboOnToolbar);

} // namespace core
