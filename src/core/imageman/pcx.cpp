#include "core/imageman/pcx_codec.h"

#include "core/common/dib.h"
#include "core/common/packed_rows.h"
#include "core/imageman/pcx_tga_alpha.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace core::imageman::pcx {

namespace {

constexpr std::uint8_t kManufacturer = 0x0A;
constexpr std::uint8_t kPaletteMarker = 0x0C;
constexpr std::size_t kVgaPaletteSize = 769; // the marker and 256 RGB triples

// The 16 colours of the EGA, for files that carry no palette of their own.
constexpr std::uint8_t kEgaDefault[48] = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x00, 0xAA, 0x00, 0x00, 0xAA, 0xAA, 0xAA, 0x00, 0x00, 0xAA,
    0x00, 0xAA, 0xAA, 0x55, 0x00, 0xAA, 0xAA, 0xAA, 0x55, 0x55, 0x55, 0x55, 0x55, 0xFF, 0x55, 0xFF,
    0x55, 0x55, 0xFF, 0xFF, 0xFF, 0x55, 0x55, 0xFF, 0x55, 0xFF, 0xFF, 0xFF, 0x55, 0xFF, 0xFF, 0xFF,
};

bool SupportedLayout(int bits, int planes) {
    switch (bits) {
    case 1:
        return planes >= 1 && planes <= 4;
    case 2:
    case 4:
        return planes == 1;
    case 8:
        return planes == 1 || planes == 3 || planes == 4;
    default:
        return false;
    }
}

int OutputBits(const Header& h) {
    if (h.bitsPerPlane == 8) return h.planes == 1 ? 8 : 24;
    return h.depth() == 1 ? 1 : 4;
}

// The coded lines as one stream of bytes. A run may go on from the end of one
// plane or line into the next, as some encoders write them; what would lie
// past the last line is never asked for.
class LineReader {
  public:
    LineReader(std::span<const std::uint8_t> data, bool rle) : data_(data), rle_(rle) {}

    // Fills n bytes; false when the data ends first.
    bool read(std::uint8_t* out, std::size_t n) {
        if (!rle_) {
            if (data_.size() - pos_ < n) return false;
            std::memcpy(out, data_.data() + pos_, n);
            pos_ += n;
            return true;
        }
        std::size_t i = 0;
        while (i < n) {
            if (runLeft_ > 0) {
                const std::size_t k = std::min<std::size_t>(runLeft_, n - i);
                std::memset(out + i, runValue_, k);
                i += k;
                runLeft_ -= static_cast<unsigned>(k);
                continue;
            }
            if (pos_ >= data_.size()) return false;
            const std::uint8_t b = data_[pos_++];
            if ((b & 0xC0) != 0xC0) {
                out[i++] = b;
                continue;
            }
            if (pos_ >= data_.size()) return false;
            runLeft_ = b & 0x3Fu;
            runValue_ = data_[pos_++];
        }
        return true;
    }

  private:
    std::span<const std::uint8_t> data_;
    bool rle_;
    std::size_t pos_ = 0;
    unsigned runLeft_ = 0;
    std::uint8_t runValue_ = 0;
};

Rgbq Entry(const std::uint8_t* rgb) {
    return Rgbq{rgb[2], rgb[1], rgb[0], 0};
}

// Palettes of the 1- to 4-bit layouts come from the header. Version 3 says
// "no palette", and writers that left the header palette empty mean the
// default: black and white for one bit, the EGA colours otherwise.
void SetSmallPalette(Bitmap& picture, const Header& h) {
    const bool empty = std::all_of(std::begin(h.egaPalette), std::end(h.egaPalette),
                                   [](std::uint8_t v) { return v == 0; });
    const bool useHeader = h.version != 3 && !empty;
    auto& pal = picture.palette();
    if (h.depth() == 1) {
        const bool distinct = std::memcmp(h.egaPalette, h.egaPalette + 3, 3) != 0;
        if (useHeader && distinct) {
            pal[0] = Entry(h.egaPalette);
            pal[1] = Entry(h.egaPalette + 3);
        } else {
            pal[0] = Rgbq{0, 0, 0, 0};
            pal[1] = Rgbq{255, 255, 255, 0};
        }
        return;
    }
    const std::uint8_t* src = useHeader ? h.egaPalette : kEgaDefault;
    std::fill(pal.begin(), pal.end(), Rgbq{});
    const int n = 1 << h.depth();
    for (int i = 0; i < n; ++i)
        pal[static_cast<std::size_t>(i)] = Entry(src + 3 * i);
}

// The 256-colour palette follows the pixels, behind a 0x0C marker; without
// it the picture is taken for gray (the gray ramp Bitmap::Create made).
void SetVgaPalette(Bitmap& picture, std::span<const std::uint8_t> data) {
    if (data.size() < kHeaderSize + kVgaPaletteSize) return;
    const std::uint8_t* p = data.data() + data.size() - kVgaPaletteSize;
    if (*p++ != kPaletteMarker) return;
    for (auto& e : picture.palette()) {
        e = Entry(p);
        p += 3;
    }
}

void StoreRow(const Header& h, const std::uint8_t* line, Bitmap& picture, int y,
              AlphaPlane* alpha) {
    std::uint8_t* out = picture.row(y);
    const int w = h.width;
    const std::size_t bpl = static_cast<std::size_t>(h.bytesPerLine);
    switch (h.bitsPerPlane) {
    case 1:
        if (h.planes == 1) {
            CopyIndexRow(line, 1, static_cast<std::size_t>(w), out);
            ClearSpareBits(out, static_cast<std::size_t>(w), 1);
            return;
        }
        for (int x = 0; x < w; ++x) {
            const std::size_t byte = static_cast<std::size_t>(x) >> 3;
            const int shift = 7 - (x & 7);
            unsigned index = 0;
            for (int p = 0; p < h.planes; ++p)
                index |= ((line[p * bpl + byte] >> shift) & 1u) << p;
            out[x >> 1] |= static_cast<std::uint8_t>((x & 1) ? index : index << 4);
        }
        return;
    case 2:
        CopyIndexRow(line, 2, static_cast<std::size_t>(w), out);
        return;
    case 4:
        CopyIndexRow(line, 4, static_cast<std::size_t>(w), out);
        ClearSpareBits(out, static_cast<std::size_t>(w), 4);
        return;
    default:
        if (h.planes == 1) {
            std::memcpy(out, line, static_cast<std::size_t>(w));
            return;
        }
        for (int x = 0; x < w; ++x, out += 3) {
            out[0] = line[2 * bpl + x];
            out[1] = line[bpl + x];
            out[2] = line[x];
            if (alpha) alpha->set(x, y, line[3 * bpl + x]);
        }
    }
}

} // namespace

Result<Header> ParseHeader(std::span<const std::uint8_t> data) {
    if (data.size() < kHeaderSize) return Error{"File too short for a PCX header."};
    const std::uint8_t* p = data.data();
    if (p[0] != kManufacturer) return Error{"Not a PCX file."};
    Header h;
    h.version = p[1];
    if (h.version > 5) return Fail("Unknown PCX version %d.", h.version);
    if (p[2] > 1) return Fail("Unknown PCX encoding %d.", p[2]);
    h.rle = p[2] == 1;
    h.bitsPerPlane = p[3];
    h.planes = p[65];
    if (!SupportedLayout(h.bitsPerPlane, h.planes))
        return Fail("Unsupported PCX layout: %d bits per pixel in %d planes.", h.bitsPerPlane,
                    h.planes);
    const int xMin = ReadLE16(p + 4), yMin = ReadLE16(p + 6);
    const int xMax = ReadLE16(p + 8), yMax = ReadLE16(p + 10);
    if (xMax < xMin || yMax < yMin)
        return Fail("Bad PCX window (%d,%d)-(%d,%d).", xMin, yMin, xMax, yMax);
    h.width = xMax - xMin + 1;
    h.height = yMax - yMin + 1;
    std::memcpy(h.egaPalette, p + 16, sizeof h.egaPalette);
    h.bytesPerLine = ReadLE16(p + 66);
    if (static_cast<std::int64_t>(h.bytesPerLine) * 8 <
        static_cast<std::int64_t>(h.width) * h.bitsPerPlane)
        return Fail("The file is damaged: its header gives lines of %d bytes, too short for a "
                    "picture %d pixels wide.",
                    h.bytesPerLine, h.width);
    return h;
}

PageFacts Facts(const Header& header, const char* format) {
    PageFacts f;
    f.width = header.width;
    f.height = header.height;
    f.bits = header.bitsPerPlane;
    f.planes = header.planes;
    char text[64];
    std::snprintf(text, sizeof text, "%s %d-bit %s", format, header.depth(),
                  header.rle ? "RLE" : "uncompressed");
    f.description = text;
    return f;
}

Result<Bitmap> Decode(std::span<const std::uint8_t> data, const Header& h,
                      const DecodeOptions& options) {
    if (data.size() < kHeaderSize) return Error{"File too short for a PCX header."};
    // A run pair gives at most 63 bytes, so a file too short to hold the
    // picture is refused before anything is allocated.
    const std::size_t lineBytes = static_cast<std::size_t>(h.bytesPerLine) * h.planes;
    const std::uint64_t need = static_cast<std::uint64_t>(lineBytes) * h.height;
    const std::uint64_t avail = data.size() - kHeaderSize;
    if (need > (h.rle ? avail * 32 : avail))
        return Fail("PCX file too short for a %dx%d picture.", h.width, h.height);

    auto created = Bitmap::Create(h.width, h.height, OutputBits(h));
    if (!created) return created.error();
    Bitmap picture = std::move(created.value());
    auto plane = AlphaPlane::CreateIf(h.planes == 4 && h.bitsPerPlane == 8, h.width, h.height);
    if (!plane) return plane.error();
    std::optional<AlphaPlane>& alpha = plane.value();
    if (picture.bits() == 8)
        SetVgaPalette(picture, data);
    else if (picture.bits() < 8)
        SetSmallPalette(picture, h);

    std::vector<std::uint8_t> line(lineBytes);
    LineReader reader(data.subspan(kHeaderSize), h.rle);
    PercentProgress progress(options.progress, static_cast<std::uint64_t>(h.height));
    for (int y = 0; y < h.height; ++y) {
        if (!progress.at(static_cast<std::uint64_t>(y))) return Error{"Decoding stopped."};
        if (!reader.read(line.data(), lineBytes))
            return Fail("PCX data ends early, in row %d of %d.", y + 1, h.height);
        StoreRow(h, line.data(), picture, y, alpha ? &*alpha : nullptr);
    }
    return AlphaPlane::Finish(std::move(picture), alpha, options.background);
}

} // namespace core::imageman::pcx

namespace core::imageman {

Result<DocumentPtr> OpenPcxDocument(Bytes file) {
    return OpenWithHeader(
        std::move(file), pcx::ParseHeader, [](const pcx::Header& h) { return pcx::Facts(h); },
        pcx::Decode);
}

} // namespace core::imageman
