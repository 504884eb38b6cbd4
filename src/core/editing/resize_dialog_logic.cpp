#include "core/editing/resize_dialog_logic.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace core {

namespace {

constexpr int kSpinLimit = 32760;

// To the nearest integer, ties to even (the default rounding mode).
std::int64_t Nearest(double v) {
    return static_cast<std::int64_t>(std::nearbyint(v));
}

} // namespace

int LeadingInt(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool neg = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) neg = text[i++] == '-';
    std::int64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        v = std::min<std::int64_t>(v * 10 + (text[i] - '0'), 1LL << 31);
    v = neg ? -v : v;
    return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

double LeadingReal(const std::string& text) {
    const char* s = text.c_str();
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    return (end == s || !std::isfinite(v)) ? (end == s ? 0.0 : std::copysign(1e18, v)) : v;
}

ResizeDialogLogic::ResizeDialogLogic(const ResizeRequest& r)
    : selection_(r.bits == 0), bits_(r.bits), x_(r.x), y_(r.y), w_(r.width), h_(r.height), x0_(r.x),
      y0_(r.y), w0_(r.width), h0_(r.height), wMax_(r.maxWidth), hMax_(r.maxHeight) {}

void ResizeDialogLogic::activate() {
    x0_ = x_, y0_ = y_, w0_ = w_, h0_ = h_;
}

void ResizeDialogLogic::reset() {
    x_ = x0_, y_ = y0_, w_ = w0_, h_ = h0_;
}

// Aspect: h from w; if that does not fit, h takes the limit and w follows it,
// and so on alternately. Zero never comes out: a picture needs a row.
void ResizeDialogLogic::heightFollows() {
    if (!keepAspect || w0_ <= 0 || h0_ <= 0) return;
    for (int round = 0; round < 4; ++round) {
        const std::int64_t h = Nearest(static_cast<double>(w_) / w0_ * h0_);
        if (h <= hMax_ && h >= 0) {
            h_ = static_cast<int>(std::max<std::int64_t>(1, h));
            return;
        }
        h_ = hMax_;
        const std::int64_t w = Nearest(static_cast<double>(h_) / h0_ * w0_);
        if (w <= wMax_ && w >= 0) {
            w_ = static_cast<int>(std::max<std::int64_t>(1, w));
            return;
        }
        w_ = wMax_;
    }
}

void ResizeDialogLogic::widthFollows() {
    if (!keepAspect || w0_ <= 0 || h0_ <= 0) return;
    for (int round = 0; round < 4; ++round) {
        const std::int64_t w = Nearest(static_cast<double>(h_) / h0_ * w0_);
        if (w <= wMax_ && w >= 0) {
            w_ = static_cast<int>(std::max<std::int64_t>(1, w));
            return;
        }
        w_ = wMax_;
        const std::int64_t h = Nearest(static_cast<double>(w_) / w0_ * h0_);
        if (h <= hMax_ && h >= 0) {
            h_ = static_cast<int>(std::max<std::int64_t>(1, h));
            return;
        }
        h_ = hMax_;
    }
}

bool ResizeDialogLogic::setWidth(int v) {
    const int c = std::clamp(v, 1, wMax_);
    w_ = c;
    heightFollows();
    return c != v;
}

bool ResizeDialogLogic::setHeight(int v) {
    const int c = std::clamp(v, 1, hMax_);
    h_ = c;
    widthFollows();
    return c != v;
}

// Selection mode: the rectangle stays inside the picture, at least a pixel
// big; the value just changed is the one corrected.
bool ResizeDialogLogic::holdInside(Field changed) {
    const int ox = x_, oy = y_, ow = w_, oh = h_;
    w_ = std::clamp(w_, 1, std::max(1, wMax_));
    h_ = std::clamp(h_, 1, std::max(1, hMax_));
    x_ = std::clamp(x_, 0, std::max(0, wMax_ - 1));
    y_ = std::clamp(y_, 0, std::max(0, hMax_ - 1));
    if (x_ + w_ > wMax_) {
        if (changed == Field::X)
            x_ = wMax_ - w_;
        else
            w_ = wMax_ - x_;
    }
    if (y_ + h_ > hMax_) {
        if (changed == Field::Y)
            y_ = hMax_ - h_;
        else
            h_ = hMax_ - y_;
    }
    return ox != x_ || oy != y_ || ow != w_ || oh != h_;
}

bool ResizeDialogLogic::typeWidth(const std::string& text) {
    if (!selection_) return setWidth(LeadingInt(text));
    w_ = LeadingInt(text);
    return holdInside(Field::W);
}

bool ResizeDialogLogic::typeHeight(const std::string& text) {
    if (!selection_) return setHeight(LeadingInt(text));
    h_ = LeadingInt(text);
    return holdInside(Field::H);
}

bool ResizeDialogLogic::percentToSize(const std::string& text, bool xAxis) {
    const double q = LeadingReal(text);
    const auto t = static_cast<std::int64_t>(std::clamp(std::trunc(q * 100), -1e12, 1e12));
    const int base = xAxis ? w0_ : h0_, limit = xAxis ? wMax_ : hMax_;
    bool corrected = false;
    std::int64_t v;
    if (t * base < 0) {
        v = limit;
        corrected = true;
    } else {
        v = (t * base + 5000) / 10000;
        if (v > limit) v = limit, corrected = true;
    }
    if (v <= 0) v = 1, corrected = true;
    if (xAxis) {
        w_ = static_cast<int>(v);
        heightFollows();
    } else {
        h_ = static_cast<int>(v);
        widthFollows();
    }
    return corrected;
}

bool ResizeDialogLogic::typeXBox(const std::string& text) {
    if (!selection_) return percentToSize(text, true);
    x_ = LeadingInt(text);
    return holdInside(Field::X);
}

bool ResizeDialogLogic::typeYBox(const std::string& text) {
    if (!selection_) return percentToSize(text, false);
    y_ = LeadingInt(text);
    return holdInside(Field::Y);
}

bool ResizeDialogLogic::spinWidth(bool up) {
    if (selection_) {
        if (up ? w_ >= kSpinLimit : w_ <= 1) return false;
        w_ += up ? 1 : -1;
        holdInside(Field::W);
        return true;
    }
    if (up ? w_ >= wMax_ : w_ <= 1) return false;
    w_ += up ? 1 : -1;
    heightFollows();
    return true;
}

bool ResizeDialogLogic::spinHeight(bool up) {
    if (selection_) {
        if (up ? h_ >= kSpinLimit : h_ <= 1) return false;
        h_ += up ? 1 : -1;
        holdInside(Field::H);
        return true;
    }
    if (up ? h_ >= hMax_ : h_ <= 1) return false;
    h_ += up ? 1 : -1;
    widthFollows();
    return true;
}

bool ResizeDialogLogic::spinXPos(bool up) {
    if (up ? x_ >= kSpinLimit : x_ <= 0) return false;
    x_ += up ? 1 : -1;
    holdInside(Field::X);
    return true;
}

bool ResizeDialogLogic::spinYPos(bool up) {
    if (up ? y_ >= kSpinLimit : y_ <= 0) return false;
    y_ += up ? 1 : -1;
    holdInside(Field::Y);
    return true;
}

std::optional<std::string> ResizeDialogLogic::spinPercent(const std::string& current, bool up,
                                                          bool xAxis) const {
    const auto whole = static_cast<std::int64_t>(std::trunc(LeadingReal(current)));
    if (!up) return std::to_string(std::max<std::int64_t>(0, whole - 1));
    if (whole >= (xAxis ? wMax_ : hMax_)) return std::nullopt;
    // ".9" so that the size reached rounds up into the next whole percent.
    return std::to_string(whole + 1) + ".9";
}

int ResizeDialogLogic::percent(bool xAxis) const {
    const int base = xAxis ? w0_ : h0_;
    if (base <= 0) return 0;
    return static_cast<int>(std::trunc(static_cast<double>(xAxis ? w_ : h_) / base * 100));
}

std::optional<std::string> ResizeDialogLogic::percentText(bool xAxis, const std::string& current,
                                                          bool focused) const {
    const int p = percent(xAxis);
    if (focused && std::llabs(static_cast<long long>(LeadingInt(current)) - p) <= 1)
        return std::nullopt;
    return std::to_string(p);
}

bool ResizeDialogLogic::acceptable() const {
    return w_ >= 1 && h_ >= 1 && w_ <= wMax_ && h_ <= hMax_ &&
           (!selection_ || (x_ >= 0 && y_ >= 0 && x_ + w_ <= wMax_ && y_ + h_ <= hMax_));
}

} // namespace core
