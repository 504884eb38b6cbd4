// The writing side of vistrel-cli: `convert` writes every format the Save As
// command writes, chosen by OUT's extension, and `jpeg` runs the compression
// wizard's encoder with its settings.
#pragma once

#include "core/common/bitmap.h"

#include <string>

namespace cli {

struct OutputOptions {
    int jpegCompression = 50; // the save dialog's 1..100
    bool jpegGray = false;
    bool progressive = false;
    int depth = 0; // 0: keep the picture's depth
    // The wizard's encoder (`jpeg`).
    int scale = -1; // -1: not given
    bool subsample = false;
    bool optimize = true;
    bool highAccuracy = true;
    int smoothing = 0;
};

// Takes the option at argv[*i] when it is one of ours (moving *i past its
// value): 1 taken, 0 not ours, -1 bad (a message went to stderr).
int ParseOutputOption(int argc, char** argv, int* i, OutputOptions* o);

// True when OUT's extension is one `convert` writes.
bool WritableExtension(const std::string& path);

// Writes the picture as convert does; prints why on failure. Exit status.
int WriteConverted(const std::string& out, const core::Bitmap& picture, const OutputOptions& o);

// Writes the picture with the wizard's encoder settings. Exit status.
int WriteWizardJpeg(const std::string& out, const core::Bitmap& picture, const OutputOptions& o);

} // namespace cli
