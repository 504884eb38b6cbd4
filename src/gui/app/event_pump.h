// Waiting on the user-interface thread while work finishes elsewhere: the
// events keep being delivered (a worker's result arrives as one).
#pragma once

#include "core/common/progress.h"

#include <atomic>
#include <functional>

namespace gui {

struct WindowContext;

// The progress callback of work running on a worker thread: each step is
// posted to the window's status bar, and dropped there once `generation` has
// moved on from `generationAtStart` (the work was cancelled or replaced). It
// asks the work to stop when `stop` is set.
core::ProgressFn PostedProgress(WindowContext& ctx, const int& generation, int generationAtStart,
                                const std::atomic<bool>& stop);

// Delivers events while `busy` says so, at most `timeoutMs`; then the events
// already posted. Returns !busy().
bool PumpEventsWhile(const std::function<bool()>& busy, int timeoutMs);

} // namespace gui
