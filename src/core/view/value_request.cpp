#include "core/view/value_request.h"

#include "core/view/zoom.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace core {

namespace {

// A whole number with optional blanks around it and an optional sign.
std::optional<long long> ParseWhole(const std::string& text) {
    const char* s = text.c_str();
    while (*s == ' ' || *s == '\t')
        ++s;
    if (*s == '\0') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(s, &end, 10);
    if (end == s) return std::nullopt;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0') return std::nullopt;
    // Beyond 64 bits strtoll saturates, which still says which end it is past.
    return v;
}

} // namespace

ValueRequest ZoomValueRequest(int current) {
    ValueRequest r;
    r.minimum = kZoomMin;
    r.maximum = kZoomMax;
    r.initial = current;
    r.pageStep = 100;
    r.arrowStep = 25;
    r.presets = {50, 75, 100, 200, 300, 400};
    r.showPresets = true;
    return r;
}

ValueCorrection CorrectValueText(const std::string& text, const ValueRequest& request) {
    ValueCorrection c;
    if (text.empty()) return c;
    const std::optional<long long> v = ParseWhole(text);
    if (!v) {
        c.text = std::to_string(request.minimum);
        c.position = request.initial;
        return c;
    }
    long long n = *v;
    if (n > request.maximum) {
        n = request.maximum;
        c.text = std::to_string(n);
    } else if (n < request.minimum) {
        n = request.minimum;
        c.text = std::to_string(n);
    }
    c.position = static_cast<int>(n);
    return c;
}

std::optional<int> TypedPosition(const std::string& text, const ValueRequest& request) {
    const std::optional<long long> v = ParseWhole(text);
    if (!v) return std::nullopt;
    // No std::clamp: a request with minimum above maximum must not be undefined.
    return static_cast<int>(
        std::max<long long>(request.minimum, std::min<long long>(*v, request.maximum)));
}

ViewRect ValueDialogPlacement(const ViewRect& screen, int pointerX, int pointerY, int width,
                              int height) {
    int left = pointerX - width / 2;
    int top = pointerY - height / 2;
    left = std::min(left, screen.right() - width);
    top = std::min(top, screen.bottom() - height);
    left = std::max(left, screen.left);
    top = std::max(top, screen.top);
    return {left, top, width, height};
}

} // namespace core
