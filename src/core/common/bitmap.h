// The picture: width, height, 1/4/8/24 bits per pixel, a palette for the
// indexed depths, rows padded to 4 bytes, 24-bit pixels stored blue, green, red.
// Rows are kept top row first in memory; packed DIBs (bottom-up) are made from
// it on demand.
#pragma once

#include "core/common/result.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace core {

struct Rgbq {
    std::uint8_t blue = 0, green = 0, red = 0, reserved = 0;
    bool operator==(const Rgbq&) const = default;
};

// Bytes in one row: (width × bits + 31) rounded down to a multiple of 32, / 8.
constexpr std::size_t RowStride(std::int64_t width, int bitsPerPixel) {
    return static_cast<std::size_t>(((width * bitsPerPixel + 31) / 32) * 4);
}

class Bitmap {
  public:
    Bitmap() = default;
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    Bitmap(Bitmap&&) noexcept = default;
    Bitmap& operator=(Bitmap&&) noexcept = default;

    // A new picture with zeroed pixels. Checks the memory guard first.
    // Palettes of indexed depths start as gray ramps of 2, 16 or 256 entries.
    static Result<Bitmap> Create(int width, int height, int bitsPerPixel);

    bool empty() const { return width_ == 0; }
    int width() const { return width_; }
    int height() const { return height_; }
    int bits() const { return bits_; }
    std::size_t stride() const { return stride_; }
    std::size_t byteSize() const { return stride_ * static_cast<std::size_t>(height_); }

    // Row y counted from the top.
    std::uint8_t* row(int y) { return data_.get() + stride_ * static_cast<std::size_t>(y); }
    const std::uint8_t* row(int y) const {
        return data_.get() + stride_ * static_cast<std::size_t>(y);
    }
    std::uint8_t* data() { return data_.get(); }
    const std::uint8_t* data() const { return data_.get(); }

    std::vector<Rgbq>& palette() { return palette_; }
    const std::vector<Rgbq>& palette() const { return palette_; }

    // Device-dependent: held in the screen's format (shown as "ddb").
    bool deviceDependent() const { return ddb_; }
    void setDeviceDependent(bool ddb) { ddb_ = ddb; }

    // Pixel value at (x, y): the palette index for indexed depths, 0x00RRGGBB for 24 bits.
    std::uint32_t pixel(int x, int y) const;
    // The colour at (x, y) as 0x00RRGGBB whatever the depth.
    std::uint32_t rgb(int x, int y) const;

  private:
    int width_ = 0, height_ = 0, bits_ = 0;
    std::size_t stride_ = 0;
    std::unique_ptr<std::uint8_t[]> data_;
    std::vector<Rgbq> palette_;
    bool ddb_ = false;
};

// A gray ramp of 2^bits entries (2, 16 or 256).
std::vector<Rgbq> GrayPalette(int bits);

} // namespace core
