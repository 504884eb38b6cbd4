// The print layout without widgets: the fit of the picture onto the
// printable area, the printed size and the position bars, the texts of the
// layout dialog, and where its page miniature and picture placeholder go.
// Sizes and positions are in printer pixels unless said otherwise.
#pragma once

#include "core/view/geometry.h"

#include <optional>
#include <string>

namespace core::print {

// Rounds to the nearest integer, exact halves to the even neighbour, limited
// to the range of int.
int RoundHalfEven(double value);

// The largest size of a picture's shape on the page, computed in single
// precision as the layout always has been; the rounded values beside the reals.
struct Fit {
    float width = 0, height = 0;
    int roundedWidth = 0, roundedHeight = 0;
};
// Zero or negative sizes give 0 × 0.
Fit FitOnPage(int pageWidth, int pageHeight, int pictureWidth, int pictureHeight);

enum class MeasureUnit { Pixels = 0, Inches = 1, Cm = 2 };

// The printable area of the current printer.
struct Page {
    int width = 0, height = 0; // device pixels
    int dpiX = 0, dpiY = 0;
    bool landscape = false;
};

// A position bar: its position, maximum (minimum 0) and large step.
struct ScrollSpec {
    int position = 0, maximum = 0, largeStep = 1;
    bool operator==(const ScrollSpec&) const = default;
};

struct Specs {
    int docWidth = 1, docHeight = 1; // the printed picture, at least 1 × 1
    ScrollSpec x, y;                 // x and y are the bars' positions
};

// The printed size for `sizeFactor` (0.01 to 1) and the bars that place it,
// centred: the picture is doubled until it covers the page, fitted, scaled
// by the factor and kept at least one pixel in each direction.
Specs AllSpecs(const Page& page, int pictureWidth, int pictureHeight, double sizeFactor);

// The size bar's factor for its position (1 to 100).
double SizeFactorOf(int position);

// The dialog's texts for a placement, in the chosen unit.
struct PositionTexts {
    std::string panelSettings; // "Portrait : 8.3 x 11.7  (300 x 300 dpi)"
    std::string labelDocW, labelDocH, labelXPos, labelYpos;
};
PositionTexts UpdateDocPosition(const Page& page, int docWidth, int docHeight, int x, int y,
                                MeasureUnit unit);

// The size label as the dialog opens, and after the size bar moved.
inline constexpr const char* kZoomLabelAtOpening = "  Si&ze: 100%";
std::string ZoomLabel(int position);

// The page miniature inside the preview panel: the page's shape fitted
// into the panel and centred in it.
ViewRect ResizePaper(int pageWidth, int pageHeight, int panelWidth, int panelHeight);

// The picture's placeholder on the miniature: the picture fitted onto the
// paper, scaled by the size factor (at least 1 × 1), centred.
ViewRect ResizeImage(int paperWidth, int paperHeight, int pictureWidth, int pictureHeight,
                     double sizeFactor);

// Where the placeholder goes along one axis for a bar at `position` of
// `maximum`, with `room` = paper length − placeholder length: nothing when
// there is no room; the middle when the bar cannot move (maximum 0).
std::optional<int> MiniatureOffset(int position, int maximum, int room);

} // namespace core::print

namespace core::print {

// What the layout dialog shows, as the headless tools print it: one
// "NAME<TAB>VALUE" line each (a bar's line holds its position, maximum and
// large step, tab-separated).
struct LayoutReport {
    int docWidth = 0, docHeight = 0, x = 0, y = 0;
    ScrollSpec xScroll, yScroll;
    std::string panelSettings, labelDocW, labelDocH, labelXPos, labelYpos, zoomLabel;
};
std::string LayoutLines(const LayoutReport& report);

} // namespace core::print

namespace core::print {

// The dialog as it opens on `page` (unit Inches, size 100 %), after the size
// bar was moved to `size` when given and the unit chosen: what it then shows.
LayoutReport LayoutAfter(const Page& page, int pictureWidth, int pictureHeight,
                         std::optional<int> size, MeasureUnit unit);

} // namespace core::print
