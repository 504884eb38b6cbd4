// Splits rows of work over a few threads. The bodies write disjoint rows and
// must not throw; a failure is reported through the returned flag.
#pragma once

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace core::imageman {

// Calls body(begin, end) on consecutive row ranges that cover 0..rows.
// Returns false when a body threw (the rows it had not done are undefined).
template <class Body> bool ParallelRows(int rows, Body&& body) {
    const unsigned hw = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    std::atomic<bool> ok{true};
    auto run = [&](int b, int e) {
        try {
            body(b, e);
        } catch (...) {
            ok = false;
        }
    };
    if (hw == 1 || rows < 64) {
        run(0, rows);
        return ok;
    }
    const int parts = static_cast<int>(hw);
    std::vector<std::thread> threads;
    try {
        for (int p = 1; p < parts; ++p)
            threads.emplace_back(run, rows * p / parts, rows * (p + 1) / parts);
    } catch (...) {
        // No thread to be had: do the remaining parts here.
        for (int p = static_cast<int>(threads.size()) + 1; p < parts; ++p)
            run(rows * p / parts, rows * (p + 1) / parts);
    }
    run(0, rows / parts);
    for (auto& t : threads) t.join();
    return ok;
}

} // namespace core::imageman
