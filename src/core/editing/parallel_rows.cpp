#include "core/editing/parallel_rows.h"

#include <algorithm>
#include <thread>

namespace core::editing {

std::vector<RowBand> SplitRows(int begin, int end) {
    std::vector<RowBand> bands;
    const int rows = end - begin;
    if (rows <= 0) return bands;
    const unsigned hw = std::max(1u, std::thread::hardware_concurrency());
    // Below a few dozen rows the thread start costs more than it saves.
    const int count =
        static_cast<int>(std::min<unsigned>(hw, static_cast<unsigned>(rows / 32 + 1)));
    const int step = (rows + count - 1) / count;
    for (int first = begin; first < end; first += step)
        bands.push_back({first, std::min(end, first + step)});
    return bands;
}

void RunBands(const std::vector<RowBand>& bands, const std::function<void(int, int)>& body) {
    if (bands.empty()) return;
    std::vector<std::thread> workers;
    workers.reserve(bands.size() - 1);
    for (std::size_t b = 1; b < bands.size(); ++b)
        workers.emplace_back(body, bands[b].first, bands[b].last);
    body(bands[0].first, bands[0].last);
    for (std::thread& t : workers)
        t.join();
}

} // namespace core::editing
