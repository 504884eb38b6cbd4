// Runs a row loop in bands across the cores. Every row is computed from an
// unchanged source, so the bands are independent and the result is the same
// for any number of threads.
#pragma once

#include <functional>

namespace core::editing {

// Calls body(first, last) for disjoint bands that together cover [begin, end).
// Small jobs stay on the calling thread.
void ParallelRows(int begin, int end, const std::function<void(int first, int last)>& body);

} // namespace core::editing
