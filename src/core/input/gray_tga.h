// The small reader for uncompressed 8-bit gray TGA files (image type 3), which
// the open pipeline and the open dialog's preview use instead of the imaging
// library, and the image-type probe that picks it.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"

#include <cstdint>
#include <span>

namespace core {

// The header's image-type byte (its third). A file shorter than the 18-byte
// header gives the error "error reading TGA header".
Result<int> ReadTgaImageType(std::span<const std::uint8_t> file);

// An 8-bit picture with the gray palette (entry i = i, i, i). The image ID is
// skipped, the origin flag of the descriptor honoured (rows bottom-up unless it
// says top-down), and a file too short for its pixels is refused.
Result<Bitmap> ReadGrayTGA(std::span<const std::uint8_t> file);

} // namespace core
