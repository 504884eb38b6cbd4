// Splits rows of work over a few threads. The bodies write disjoint rows and
// must not throw; a failure is reported through the returned flag.
#pragma once

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace core::imageman {

// Calls body(begin, end) on consecutive row ranges that cover 0..rows, each
// at most `band` rows (0: one range a thread), handed out to the threads in
// turn. Returns false when a body threw (the rows it had not done are undefined).
template <class Body> bool ParallelRows(int rows, Body&& body, int band = 0) {
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
    if (band <= 0) band = (rows + parts - 1) / parts;
    // Bands are taken from a shared counter, so a slow thread does fewer.
    std::atomic<int> next{0};
    auto worker = [&] {
        for (int b; (b = next.fetch_add(band)) < rows;)
            run(b, std::min(rows, b + band));
    };
    std::vector<std::thread> threads;
    try {
        for (int p = 1; p < parts; ++p)
            threads.emplace_back(worker);
    } catch (...) {
        // No further thread to be had: this one does the rest.
    }
    worker();
    for (auto& t : threads)
        t.join();
    return ok;
}

} // namespace core::imageman
