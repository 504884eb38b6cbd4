// Progress reports from long work: a percentage in, false back means "stop".
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>

namespace core {

using ProgressFn = std::function<bool(int percent)>;

// Calls the callback when one is set; true means go on.
inline bool ReportProgress(const ProgressFn& fn, int percent) {
    return !fn || fn(percent);
}

// Work done out of a total (rows, rows × passes) as a percentage: calls the
// callback only when the percentage moves. false means "stop".
class PercentProgress {
  public:
    PercentProgress(const ProgressFn& fn, std::uint64_t total)
        : fn_(fn), total_(std::max<std::uint64_t>(total, 1)) {}
    bool at(std::uint64_t done) {
        if (!fn_) return true;
        const int percent = static_cast<int>(done * 100 / total_);
        if (percent == last_) return true;
        last_ = percent;
        return fn_(percent);
    }

  private:
    const ProgressFn& fn_;
    std::uint64_t total_;
    int last_ = -1;
};

} // namespace core
