// Truevision TGA pictures: the 18-byte header, the image ID, the colour map
// and the pixels, stored or run-length coded (image types 1, 2, 3, 9, 10, 11).
// Shared by the TGA reader and the small gray TGA reader.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/decode_options.h"
#include "core/common/result.h"
#include "core/imageman/document.h"

#include <cstdint>
#include <span>

namespace core::imageman::tga {

inline constexpr std::size_t kHeaderSize = 18;

struct Header {
    int imageType = 0;    // 1/9 colour-mapped, 2/10 truecolour, 3/11 gray; 9-11 run-length coded
    int mapFirst = 0;     // index of the first colour-map entry
    int mapLength = 0;    // entries in the colour map (0 = none)
    int mapEntryBits = 0; // 15, 16, 24 or 32
    int width = 0;
    int height = 0;
    int pixelBits = 0; // 8 or 16 (indexes, gray), 15, 16, 24, 32 (truecolour)
    int alphaBits = 0; // attribute bits of the descriptor
    bool rightToLeft = false;
    bool topToBottom = false;
    std::size_t mapOffset = 0;  // after the header and the image ID
    std::size_t dataOffset = 0; // after the colour map

    bool rle() const { return imageType >= 9; }
    int baseType() const { return imageType & 7; }
};

// Reads and checks the header: a supported type and depth, a colour map for
// the colour-mapped types, image ID and colour map inside the file.
Result<Header> ParseHeader(std::span<const std::uint8_t> file);

// Width, height, pixel bits as stored, one plane; "TGA type 10 24-bit RLE".
PageFacts Facts(const Header& header);

// Decodes the picture: 8-bit indexes → 8-bit picture with the colour map as
// palette, 8-bit gray → 8-bit picture with a gray palette, everything else →
// 24 bits (alpha composited over options.background). A file too short for
// its pixels is refused.
Result<Bitmap> Decode(std::span<const std::uint8_t> file, const Header& header,
                      const DecodeOptions& options);

} // namespace core::imageman::tga
