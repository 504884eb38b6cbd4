// Rows of packed palette indexes (1, 2, 4 or 8 bits a pixel, high bits first)
// as files hold them, and as pictures hold them (1, 4 or 8 bits).
#pragma once

#include <cstddef>
#include <cstdint>

namespace core {

// One row of `width` indexes of `bits` (1, 2, 4 or 8) into a picture row:
// 1, 4 and 8 bits are copied as they are, 2-bit indexes are widened to 4 bits
// (the picture has no 2-bit depth). Other depths leave dst alone.
void CopyIndexRow(const std::uint8_t* src, int bits, std::size_t width, std::uint8_t* dst);

// Clears the bits past the last of `width` pixels of `bits` in the row's last
// used byte, so that padding the file held does not show.
void ClearSpareBits(std::uint8_t* row, std::size_t width, int bits);

} // namespace core
