// Facts of a TIFF file: size, depth, pages and the compression's name.
#pragma once

#include "core/common/result.h"

#include <cstdint>
#include <span>
#include <string>

namespace core {

struct TiffFacts {
    int width = 0, height = 0, bits = 0, planes = 1, pages = 0;
    std::string compressionText; // "None", "PackBits", "LZW", "CCITT G4", ...
};

Result<TiffFacts> ReadTiffFacts(std::span<const std::uint8_t> file);

} // namespace core
