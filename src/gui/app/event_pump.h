// Waiting on the user-interface thread while work finishes elsewhere: the
// events keep being delivered (a worker's result arrives as one).
#pragma once

#include <functional>

namespace gui {

// Delivers events while `busy` says so, at most `timeoutMs`; then the events
// already posted. Returns !busy().
bool PumpEventsWhile(const std::function<bool()>& busy, int timeoutMs);

} // namespace gui
