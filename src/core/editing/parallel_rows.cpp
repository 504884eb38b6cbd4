#include "core/editing/parallel_rows.h"

#include <algorithm>
#include <mutex>
#include <thread>

namespace core::editing {

namespace {

std::mutex policyLock;
BandPolicy policy;

} // namespace

BandPolicy CurrentBandPolicy() {
    std::lock_guard<std::mutex> hold(policyLock);
    return policy;
}

void SetBandPolicy(const BandPolicy& p) {
    std::lock_guard<std::mutex> hold(policyLock);
    policy = p;
}

std::vector<RowBand> SplitRows(int begin, int end) {
    std::vector<RowBand> bands;
    const int rows = end - begin;
    if (rows <= 0) return bands;
    const BandPolicy p = CurrentBandPolicy();
    const unsigned most = p.maxBands > 0 ? static_cast<unsigned>(p.maxBands)
                                         : std::max(1u, std::thread::hardware_concurrency());
    // Below a few dozen rows the thread start costs more than it saves.
    const int count = static_cast<int>(
        std::min<unsigned>(most, static_cast<unsigned>(rows / std::max(1, p.minRows) + 1)));
    const int step = (rows + count - 1) / count;
    for (int first = begin; first < end; first += step)
        bands.push_back({first, std::min(end, first + step)});
    return bands;
}

void RunBands(const std::vector<RowBand>& bands, const std::function<void(int, int)>& body) {
    if (bands.empty()) return;
    switch (CurrentBandPolicy().order) {
    case BandPolicy::Order::Forward:
        for (const RowBand& b : bands)
            body(b.first, b.last);
        return;
    case BandPolicy::Order::Backward:
        for (auto b = bands.rbegin(); b != bands.rend(); ++b)
            body(b->first, b->last);
        return;
    case BandPolicy::Order::Parallel:
        break;
    }
    std::vector<std::thread> workers;
    workers.reserve(bands.size() - 1);
    for (std::size_t b = 1; b < bands.size(); ++b)
        workers.emplace_back(body, bands[b].first, bands[b].last);
    body(bands[0].first, bands[0].last);
    for (std::thread& t : workers)
        t.join();
}

} // namespace core::editing
