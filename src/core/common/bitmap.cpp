#include "core/common/bitmap.h"

#include "core/common/memory.h"

#include <cstring>

namespace core {

Bitmap::Bitmap(const Bitmap& other)
    : width_(other.width_), height_(other.height_), bits_(other.bits_), stride_(other.stride_),
      palette_(other.palette_), ddb_(other.ddb_) {
    if (other.data_) {
        data_.reset(new std::uint8_t[byteSize()]);
        std::memcpy(data_.get(), other.data_.get(), byteSize());
    }
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
    if (this != &other) {
        Bitmap copy(other);
        *this = std::move(copy);
    }
    return *this;
}

std::vector<Rgbq> GrayPalette(int bits) {
    const int n = 1 << bits;
    std::vector<Rgbq> pal(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 255 / (n - 1));
        pal[static_cast<std::size_t>(i)] = Rgbq{v, v, v, 0};
    }
    return pal;
}

Result<Bitmap> Bitmap::Create(int width, int height, int bitsPerPixel) {
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24)
        return Fail("Unsupported depth of %d bits per pixel.", bitsPerPixel);
    if (auto st = CheckPictureSize(width, height, bitsPerPixel); !st) return st.error();
    Bitmap bm;
    bm.width_ = width;
    bm.height_ = height;
    bm.bits_ = bitsPerPixel;
    bm.stride_ = RowStride(width, bitsPerPixel);
    // Zeroed so that padding bytes and rows a decoder leaves out are defined.
    bm.data_.reset(new (std::nothrow) std::uint8_t[bm.byteSize()]());
    if (!bm.data_) return Error{"Insufficient memory."};
    if (bitsPerPixel <= 8) bm.palette_ = GrayPalette(bitsPerPixel);
    return bm;
}

std::uint32_t Bitmap::pixel(int x, int y) const {
    const std::uint8_t* r = row(y);
    switch (bits_) {
    case 1: return (r[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4: return (x & 1) ? (r[x >> 1] & 0x0Fu) : (r[x >> 1] >> 4);
    case 8: return r[x];
    default: {
        const std::uint8_t* p = r + 3 * static_cast<std::size_t>(x);
        return (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    }
    }
}

std::uint32_t Bitmap::rgb(int x, int y) const {
    const std::uint32_t v = pixel(x, y);
    if (bits_ == 24) return v;
    if (v >= palette_.size()) return 0;
    const Rgbq& q = palette_[v];
    return (std::uint32_t{q.red} << 16) | (std::uint32_t{q.green} << 8) | q.blue;
}

} // namespace core
