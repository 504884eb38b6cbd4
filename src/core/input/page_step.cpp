#include "core/input/page_step.h"

#include <algorithm>

namespace core {

int StepPage(int page, int count, int step) {
    if (count <= 0) return 0;
    const int last = count - 1;
    page = std::clamp(page, 0, last);
    switch (step) {
    case kPageStepPrevious:
        return page < 1 ? last : page - 1;
    case kPageStepNext:
        return page >= last ? 0 : page + 1;
    case kPageStepLast:
        return last;
    case kPageStepFirst:
    default:
        return 0;
    }
}

std::string PageStatusText(int page, int count) {
    return "Page " + std::to_string(page + 1) + " of " + std::to_string(count);
}

} // namespace core
