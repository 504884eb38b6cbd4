// The JPEG encoder of Save As and the compression wizard, over libjpeg-turbo.
// It always encodes into memory first; the bytes are then written to a file
// (or kept by the wizard to show and save later).
#pragma once

#include "core/common/bitmap.h"
#include "core/common/progress.h"
#include "core/common/result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace core::output {

struct JpegSettings {
    bool subsample = false;   // off: no chroma subsampling (1×1 for every component)
    bool optimize = true;     // optimised Huffman tables
    int smoothing = 0;        // libjpeg's smoothing factor, 0..100 (larger values are capped)
    int scale = 50;           // linear quality scale, percent of the standard tables (1..5000)
    bool highAccuracy = true; // floating-point DCT
    bool gray = false;        // one gray-scale component
    bool progressive = false; // simple progression
};

// Encodes the picture at any depth (indexed pictures go through their
// palette). Progress counts rows; false back stops with "Stopped.".
Result<std::vector<std::uint8_t>> CompressJPEG(const Bitmap& picture, const JpegSettings& settings,
                                               const ProgressFn& progress = {});

// Encodes and writes the file; the target is replaced only when complete.
Status SaveJPEG(const std::string& path, const Bitmap& picture, const JpegSettings& settings,
                const ProgressFn& progress = {});

// Writes bytes already encoded, the same way.
Status WriteBytesToFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace core::output
