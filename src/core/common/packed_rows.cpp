#include "core/common/packed_rows.h"

#include <cstring>

namespace core {

void CopyIndexRow(const std::uint8_t* src, int bits, std::size_t width, std::uint8_t* dst) {
    switch (bits) {
    case 1:
        std::memcpy(dst, src, (width + 7) / 8);
        return;
    case 4:
        std::memcpy(dst, src, (width + 1) / 2);
        return;
    case 8:
        std::memcpy(dst, src, width);
        return;
    case 2:
        for (std::size_t x = 0; x < width; ++x) {
            const unsigned v = (src[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
            dst[x >> 1] = static_cast<std::uint8_t>((x & 1) ? (dst[x >> 1] | v) : (v << 4));
        }
        return;
    }
}

void ClearSpareBits(std::uint8_t* row, std::size_t width, int bits) {
    const std::size_t used = width * static_cast<std::size_t>(bits);
    const int spare = static_cast<int>((8 - used % 8) % 8);
    if (spare) row[used / 8] &= static_cast<std::uint8_t>(0xFF << spare);
}

} // namespace core
