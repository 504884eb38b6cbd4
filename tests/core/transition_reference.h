// A plain per-pixel renderer of transition states, to hold the fast one to.
#pragma once

#include "core/imageman/transition_plan.h"

#include <cstdint>
#include <vector>

namespace reference {

// The target at `step` of the effect, every pixel worked out on its own.
// `order` is the block order of mosaics and tiles (ignored otherwise).
std::vector<std::uint32_t> TransitionState(const core::imageman::FxParams& p, int width, int height,
                                           const std::vector<std::uint32_t>& oldPix,
                                           const std::vector<std::uint32_t>& newPix, int step,
                                           const std::vector<std::uint32_t>& order);

} // namespace reference
