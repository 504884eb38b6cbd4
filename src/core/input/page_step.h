// Stepping through the pages of a multi-page document.
#pragma once

#include <string>

namespace core {

// The page steps of the page commands (the menu items' tags).
constexpr int kPageStepPrevious = -1;
constexpr int kPageStepNext = 1;
constexpr int kPageStepFirst = 0;
constexpr int kPageStepLast = 999;

// The 0-based page a step leads to from `page` in a document of `count`
// pages: Next after the last page and Previous before the first wrap around.
// A count of 0 or less (paging ended, or a library that reports nothing)
// always gives page 0, never a negative page; a page outside the document
// is treated as the nearest one.
int StepPage(int page, int count, int step);

// The status text "Page 2 of 3" for the 0-based page 1.
std::string PageStatusText(int page, int count);

} // namespace core
