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

// How jobs are cut into bands and run. The defaults are for speed; tests set
// small bands, run one after another in either order, so that a band that
// reads rows another band has written shows every time.
struct BandPolicy {
    enum class Order { Parallel, Forward, Backward };
    int minRows = 32; // rows a band needs before another band is worth its thread
    int maxBands = 0; // 0: one band a core
    Order order = Order::Parallel;
};
BandPolicy CurrentBandPolicy();
void SetBandPolicy(const BandPolicy& policy);

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
