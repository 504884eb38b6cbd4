// What every decoder is told: where to report progress and what colour shows
// through transparent pixels.
#pragma once

#include "core/common/progress.h"

#include <cstdint>

namespace core {

struct DecodeOptions {
    // Alpha is composited over this colour, 0x00RRGGBB (the window's background;
    // white in the headless tool).
    std::uint32_t background = 0xFFFFFF;
    ProgressFn progress;
    // Set to true by a decoder that gives back a picture its data did not
    // fill (the file ends early or is damaged): the rows it has, the rest blank.
    bool* incomplete = nullptr;

    void MarkIncomplete() const {
        if (incomplete) *incomplete = true;
    }
};

// Composite one channel value with alpha over a background channel value.
constexpr std::uint8_t BlendOver(unsigned value, unsigned alpha, unsigned background) {
    return static_cast<std::uint8_t>((value * alpha + background * (255 - alpha) + 127) / 255);
}

// A 16-bit sample as 8 bits: round(v / 257).
constexpr std::uint8_t Sample16To8(unsigned v) {
    return static_cast<std::uint8_t>((v + 128) / 257);
}

} // namespace core
