// The JPEG decoder object: holds one compressed file for the whole run of an
// open (the probe reads it once) and decodes it with libjpeg-turbo at full,
// 1/2, 1/4 or 1/8 scale, to 24-bit pictures or to 8-bit pictures quantised to
// 236 colours. libjpeg errors never leave this object as anything but a failed
// result: the caller then falls back to the tolerant decoder.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/progress.h"
#include "core/common/result.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace core {

struct JpegHeader {
    int width = 0; // at the decoder's current scale
    int height = 0;
    int fullWidth = 0; // as stored in the file
    int fullHeight = 0;
    int components = 0; // 1 gray, 3 YCbCr/RGB, 4 CMYK/YCCK
    bool progressive = false;
    bool adobeInverted = false; // CMYK written by Adobe programs (inverted values)
    int bits() const { return components == 1 ? 8 : 24; }
};

// Dither modes of one decode: 0 ordered, 2 none, 1 and 3 Floyd–Steinberg.
enum JpegDither : int { kDitherOrdered = 0, kDitherFs = 1, kDitherNone = 2, kDitherFsOptimal = 3 };

class JpegDecoder {
  public:
    JpegDecoder();
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    Status LoadFile(const std::string& path);
    void LoadBytes(std::vector<std::uint8_t> data);
    bool loaded() const { return !data_.empty(); }
    void Clear() {
        data_.clear();
        data_.shrink_to_fit();
    }
    std::span<const std::uint8_t> bytes() const { return data_; }

    // Settings.
    void setScale(int denominator) { scale_ = denominator; } // 1, 2, 4, 8
    int scale() const { return scale_; }
    void setEightBit(bool on) { eightBit_ = on; }
    bool eightBit() const { return eightBit_; }
    void setSpeed(bool speed) { speed_ = speed; } // speed: fast IDCT, one-pass quantisation
    bool speed() const { return speed_; }

    // Reads the header; the size is that of the current scale.
    Result<JpegHeader> ReadHeader();

    // Rows are handed out in strips, top row first. A strip is `rows` rows of
    // `stride` bytes: 24-bit rows blue, green, red; 8-bit rows palette indexes.
    // Returning false from the sink stops the decode (a failure).
    struct Strip {
        int firstRow = 0;
        int rows = 0;
        const std::uint8_t* data = nullptr;
        std::size_t stride = 0;
    };
    using StripSink = std::function<bool(const Strip&)>;

    // Decodes with the current settings. The palette (8-bit output) is filled
    // before the first strip. Progress is reported as rows done × 100 / rows.
    Status DecodeStrips(int ditherMode, int stripRows, const StripSink& sink,
                        std::vector<Rgbq>* palette, const ProgressFn& progress);

    // Decodes straight into a new picture (24-bit, or 8-bit with the palette;
    // a gray file always gives an 8-bit picture with a 256-level gray palette).
    Result<Bitmap> Decode(int ditherMode, const ProgressFn& progress);

  private:
    std::vector<std::uint8_t> data_;
    int scale_ = 1;
    bool eightBit_ = false;
    bool speed_ = true;
};

// The box rule of the scaled decode: starting at 1, halve width and height and
// double the step while twice the client height is below the height or twice
// the client width is below the width, up to 8.
int JpegScaleStep(int width, int height, int clientWidth, int clientHeight);

// "Loaded 1.1s": elapsed milliseconds, above 200 less 100, as seconds and tenths.
std::string LoadTimeText(std::int64_t elapsedMs);

} // namespace core
