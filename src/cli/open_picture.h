// Opening a picture file as the window opens it on a 24-bit screen with the
// default settings: the probe, then the decode of the page asked for.
#pragma once

#include "core/input/open_pipeline.h"

#include <optional>
#include <string>
#include <utility>

namespace cli {

struct OpenOptions {
    int page = 1;
    int faxQuality = 1;
    int pcdStep = 3; // the Photo CD resolution, 0..6
    // Decode as in fit-to-window mode with a picture area of this size.
    std::optional<std::pair<int, int>> decodeBox;
};

struct Opened {
    core::DocumentState doc;
    core::DecodedPicture decoded;
};

// Opens a file through the pipeline; prints why on stderr on failure.
std::optional<Opened> OpenPicture(const std::string& path, const OpenOptions& o);

} // namespace cli
