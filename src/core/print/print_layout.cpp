#include "core/print/print_layout.h"

#include <algorithm>
#include <cfenv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace core::print {

int RoundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    // nearbyint follows the current rounding mode, which is to-nearest-even
    // unless someone changed it.
    const int saved = std::fegetround();
    if (saved != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    if (saved != FE_TONEAREST) std::fesetround(saved);
    if (r >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (r <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(r);
}

namespace {

// Every step in float: the results, ties included, are those of single precision.
Fit FitInFloat(float a, float b, float c, float d) {
    float w = 0, h = 0;
    if (a >= c && b <= d) {
        h = b;
        w = (b / d) * c;
    } else if (a <= c && b >= d) {
        w = a;
        h = (a / c) * d;
    } else {
        if (std::fabs(a - c) > std::fabs(b - d)) {
            w = a;
            h = (a / c) * d;
        } else {
            h = b;
            w = (b / d) * c;
        }
        if (w > a) {
            h = (a / w) * h;
            w = a;
        }
        if (h > b) {
            w = (b / h) * w;
            h = b;
        }
    }
    return {w, h, RoundHalfEven(w), RoundHalfEven(h)};
}

} // namespace

Fit FitOnPage(int pageWidth, int pageHeight, int pictureWidth, int pictureHeight) {
    if (pageWidth <= 0 || pageHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return {};
    return FitInFloat(static_cast<float>(pageWidth), static_cast<float>(pageHeight),
                      static_cast<float>(pictureWidth), static_cast<float>(pictureHeight));
}

double SizeFactorOf(int position) {
    return position * 0.01;
}

namespace {

ScrollSpec Bar(int pageLength, int docLength) {
    ScrollSpec s;
    s.maximum = std::max(0, pageLength - docLength);
    s.largeStep = std::max(1, s.maximum / 8);
    s.position = s.maximum / 2;
    return s;
}

} // namespace

Specs AllSpecs(const Page& page, int pictureWidth, int pictureHeight, double sizeFactor) {
    Specs s;
    if (page.width <= 0 || page.height <= 0 || pictureWidth <= 0 || pictureHeight <= 0) {
        s.x = Bar(page.width, 1);
        s.y = Bar(page.height, 1);
        return s;
    }
    // Taken at least as large as the page in both directions, so that the fit fills it.
    std::int64_t w = pictureWidth, h = pictureHeight;
    while (w < page.width || h < page.height) {
        w *= 2;
        h *= 2;
    }
    // The doubled picture of an extreme shape may pass the range of int, not that of float.
    const Fit fit = FitInFloat(static_cast<float>(page.width), static_cast<float>(page.height),
                               static_cast<float>(w), static_cast<float>(h));
    // A sliver of a picture still prints as one pixel, never as none.
    s.docWidth = std::max(1, RoundHalfEven(static_cast<double>(fit.width) * sizeFactor));
    s.docHeight = std::max(1, RoundHalfEven(static_cast<double>(fit.height) * sizeFactor));
    s.x = Bar(page.width, s.docWidth);
    s.y = Bar(page.height, s.docHeight);
    return s;
}

namespace {

std::string OneDecimal(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%3.1f", value);
    return buf;
}

} // namespace

PositionTexts UpdateDocPosition(const Page& page, int docWidth, int docHeight, int x, int y,
                                MeasureUnit unit) {
    const std::string orientation = page.landscape ? "Landscape" : "Portrait ";
    PositionTexts t;
    std::string pageText;
    if (unit == MeasureUnit::Pixels) {
        pageText = orientation + ": " + std::to_string(page.width) + " x " +
                   std::to_string(page.height);
        t.labelDocW = "Width : " + std::to_string(docWidth);
        t.labelDocH = "Height: " + std::to_string(docHeight);
        t.labelXPos = "&X pos : " + std::to_string(x);
        t.labelYpos = "&Y pos : " + std::to_string(y);
    } else {
        const double factor = unit == MeasureUnit::Cm ? 2.54 : 1.0;
        const double dx = std::max(1, page.dpiX), dy = std::max(1, page.dpiY);
        auto across = [&](int v) { return OneDecimal(v / dx * factor); };
        auto down = [&](int v) { return OneDecimal(v / dy * factor); };
        t.labelDocW = "Width : " + across(docWidth);
        t.labelDocH = "Height: " + down(docHeight);
        t.labelXPos = "&X pos : " + across(x);
        t.labelYpos = "&Y pos : " + down(y);
        pageText = orientation + ": " + across(page.width) + " x " + down(page.height);
    }
    t.panelSettings = pageText + "  (" + std::to_string(page.dpiX) + " x " +
                      std::to_string(page.dpiY) + " dpi)";
    return t;
}

std::string ZoomLabel(int position) {
    return "  Si&ze : " + std::to_string(position) + "%";
}

ViewRect ResizePaper(int pageWidth, int pageHeight, int panelWidth, int panelHeight) {
    const ViewSize s = ScaleToFit(pageWidth, pageHeight, panelWidth, panelHeight);
    ViewRect r{0, 0, s.width, s.height};
    if (s.width < panelWidth) r.left = (panelWidth - s.width) / 2;
    if (s.height < panelHeight) r.top = (panelHeight - s.height) / 2;
    return r;
}

ViewRect ResizeImage(int paperWidth, int paperHeight, int pictureWidth, int pictureHeight,
                     double sizeFactor) {
    const Fit fit = FitOnPage(paperWidth, paperHeight, pictureWidth, pictureHeight);
    ViewRect r;
    r.width = std::max(1, RoundHalfEven(static_cast<double>(fit.width) * sizeFactor));
    r.height = std::max(1, RoundHalfEven(static_cast<double>(fit.height) * sizeFactor));
    if (r.width < paperWidth) r.left = (paperWidth - r.width) / 2;
    if (r.height < paperHeight) r.top = (paperHeight - r.height) / 2;
    return r;
}

std::optional<int> MiniatureOffset(int position, int maximum, int room) {
    if (room <= 0) return std::nullopt;
    // A bar that cannot move (the picture fills the page along it) has no
    // proportion to show: the placeholder stays in the middle.
    if (maximum <= 0) return room / 2;
    const double share = std::clamp(static_cast<double>(position) / maximum, 0.0, 1.0);
    return RoundHalfEven(share * room);
}

} // namespace core::print

namespace core::print {

std::string LayoutLines(const LayoutReport& r) {
    std::string out;
    auto line = [&out](const char* name, const std::string& value) {
        out += name;
        out += '\t';
        out += value;
        out += '\n';
    };
    auto bar = [](const ScrollSpec& s) {
        return std::to_string(s.position) + '\t' + std::to_string(s.maximum) + '\t' +
               std::to_string(s.largeStep);
    };
    line("DocWidth", std::to_string(r.docWidth));
    line("DocHeight", std::to_string(r.docHeight));
    line("x", std::to_string(r.x));
    line("y", std::to_string(r.y));
    line("XScroll", bar(r.xScroll));
    line("YScroll", bar(r.yScroll));
    line("PanelSettings", r.panelSettings);
    line("LabelDocW", r.labelDocW);
    line("LabelDocH", r.labelDocH);
    line("LabelXPos", r.labelXPos);
    line("LabelYpos", r.labelYpos);
    line("ZoomLabel", r.zoomLabel);
    return out;
}

} // namespace core::print

namespace core::print {

LayoutReport LayoutAfter(const Page& page, int pictureWidth, int pictureHeight,
                         std::optional<int> size, MeasureUnit unit) {
    LayoutReport r;
    const double factor = size ? SizeFactorOf(*size) : 1.0;
    const Specs s = AllSpecs(page, pictureWidth, pictureHeight, factor);
    r.docWidth = s.docWidth;
    r.docHeight = s.docHeight;
    r.xScroll = s.x;
    r.yScroll = s.y;
    r.x = s.x.position;
    r.y = s.y.position;
    const PositionTexts t = UpdateDocPosition(page, r.docWidth, r.docHeight, r.x, r.y, unit);
    r.panelSettings = t.panelSettings;
    r.labelDocW = t.labelDocW;
    r.labelDocH = t.labelDocH;
    r.labelXPos = t.labelXPos;
    r.labelYpos = t.labelYpos;
    r.zoomLabel = size ? ZoomLabel(*size) : kZoomLabelAtOpening;
    return r;
}

} // namespace core::print
