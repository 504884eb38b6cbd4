// Progress reports from long work: a percentage in, false back means "stop".
#pragma once

#include <functional>

namespace core {

using ProgressFn = std::function<bool(int percent)>;

// Calls the callback when one is set; true means go on.
inline bool ReportProgress(const ProgressFn& fn, int percent) { return !fn || fn(percent); }

} // namespace core
