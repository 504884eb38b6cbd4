// BMP files and DIBs.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/decode_options.h"
#include "core/common/result.h"

#include <cstdint>
#include <span>

namespace core::imageman {

// Decodes a DIB (info header of any known size, colour table, pixels).
// pixelOffset counts from the start of `dib`; 0 means "right after the colour table".
// 16- and 32-bit pictures (bit fields) become 24-bit pictures.
Result<Bitmap> DecodeDib(std::span<const std::uint8_t> dib, std::size_t pixelOffset,
                         const DecodeOptions& options);

} // namespace core::imageman
