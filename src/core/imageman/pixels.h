// Small pixel helpers shared by the library's transforms: indexed pixels read
// and written in place, rows of any depth expanded to blue, green, red bytes.
#pragma once

#include "core/common/bitmap.h"

#include <cstdint>
#include <cstring>

namespace core::imageman {

inline std::uint32_t GetIndex(const std::uint8_t* row, int x, int bits) {
    switch (bits) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
        return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    default:
        return row[x];
    }
}

inline void SetIndex(std::uint8_t* row, int x, int bits, std::uint32_t v) {
    switch (bits) {
    case 1: {
        const auto mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<std::uint8_t>(v ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask));
        break;
    }
    case 4:
        row[x >> 1] = (x & 1) ? static_cast<std::uint8_t>((row[x >> 1] & 0xF0) | (v & 0x0F))
                              : static_cast<std::uint8_t>((row[x >> 1] & 0x0F) | (v << 4));
        break;
    default:
        row[x] = static_cast<std::uint8_t>(v);
    }
}

// Row y of any depth as width × (blue, green, red); indices past the palette read black.
inline void ExpandRowBGR(const Bitmap& src, int y, std::uint8_t* out) {
    const std::uint8_t* in = src.row(y);
    if (src.bits() == 24) {
        std::memcpy(out, in, 3 * static_cast<std::size_t>(src.width()));
        return;
    }
    const auto& pal = src.palette();
    for (int x = 0; x < src.width(); ++x) {
        const std::uint32_t i = GetIndex(in, x, src.bits());
        const Rgbq q = i < pal.size() ? pal[i] : Rgbq{};
        out[3 * x] = q.blue;
        out[3 * x + 1] = q.green;
        out[3 * x + 2] = q.red;
    }
}

// Luminance 0..255 of an RGB colour (integer BT.601 weights).
inline int Luma(int r, int g, int b) {
    return (77 * r + 150 * g + 29 * b + 128) >> 8;
}

} // namespace core::imageman
