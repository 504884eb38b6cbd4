// Packed DIBs: a BITMAPINFOHEADER, the colour table and the rows bottom-up,
// each padded to 4 bytes. The library layers exchange pictures in this form,
// and the undo stream and the clipboard use it.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"

#include <cstdint>
#include <span>
#include <vector>

namespace core {

using PackedDib = std::vector<std::uint8_t>;

inline constexpr std::size_t kInfoHeaderSize = 40;

struct BitmapInfoHeader {
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

// Little-endian helpers shared by the codecs.
inline std::uint16_t ReadLE16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t ReadLE32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}
inline void WriteLE16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void WriteLE32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Writes the 40-byte header for a picture of this size and depth.
void WriteInfoHeader(std::uint8_t* out, const BitmapInfoHeader& h);

// The picture as a packed DIB: 40-byte header, 2/16/256 colour entries for
// 1/4/8 bits, rows bottom-up.
Result<PackedDib> PictureToPackedDIB(const Bitmap& picture);

// A packed DIB back into a picture. Offsets come from the header (biSize,
// biClrUsed), so foreign DIBs with other headers or short tables are read
// right; 16- and 32-bit DIBs become 24-bit pictures.
Result<Bitmap> DIBToPicture(std::span<const std::uint8_t> dib);

// A 24-bit DIB delivered with an empty 256-entry colour table loses the table:
// everything from offset 1064 moves down to offset 40.
void RemovePaletteGap(PackedDib& dib);

// Colour-table entries (blue, green, red, reserved) to palette entries (red,
// green, blue, flags 0), in place, every entry including the first.
void RGBQuadsToPalette(std::span<Rgbq> entries);

} // namespace core
