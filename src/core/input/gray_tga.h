// The small reader for uncompressed 8-bit gray TGA files (image type 3).
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"

#include <cstdint>
#include <span>

namespace core {

Result<Bitmap> ReadGrayTGA(std::span<const std::uint8_t> file);
// The header's image-type byte; files shorter than 18 bytes: "error reading TGA header".
Result<int> ReadTgaImageType(std::span<const std::uint8_t> file);

} // namespace core
