// Runs a row loop in bands across the cores. Every row is computed from an
// unchanged source, so the bands are independent and the result is the same
// for any number of threads.
#pragma once

#include <functional>
#include <vector>

namespace core::editing {

struct RowBand {
    int first = 0, last = 0; // [first, last)
};

// Disjoint bands that together cover [begin, end), one per core; small jobs
// get one band.
std::vector<RowBand> SplitRows(int begin, int end);

// Calls body(first, last) for every band, the first band on the calling thread.
void RunBands(const std::vector<RowBand>& bands,
              const std::function<void(int first, int last)>& body);

inline void ParallelRows(int begin, int end, const std::function<void(int first, int last)>& body) {
    RunBands(SplitRows(begin, end), body);
}

} // namespace core::editing
