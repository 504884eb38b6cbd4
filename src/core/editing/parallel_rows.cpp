#include "core/editing/parallel_rows.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace core::editing {

void ParallelRows(int begin, int end, const std::function<void(int, int)>& body) {
    const int rows = end - begin;
    if (rows <= 0) return;
    const unsigned hw = std::max(1u, std::thread::hardware_concurrency());
    // Below a few dozen rows the thread start costs more than it saves.
    const int bands = static_cast<int>(std::min<unsigned>(hw, static_cast<unsigned>(rows / 32 + 1)));
    if (bands <= 1) {
        body(begin, end);
        return;
    }
    std::vector<std::thread> workers;
    workers.reserve(static_cast<std::size_t>(bands - 1));
    const int step = (rows + bands - 1) / bands;
    for (int b = 1; b < bands; ++b) {
        const int first = begin + b * step;
        const int last = std::min(end, first + step);
        if (first < last) workers.emplace_back(body, first, last);
    }
    body(begin, std::min(end, begin + step));
    for (std::thread& t : workers) t.join();
}

} // namespace core::editing
