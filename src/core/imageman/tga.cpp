#include "core/imageman/tga_codec.h"

#include "core/common/dib.h"
#include "core/imageman/pcx_tga_alpha.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace core::imageman::tga {

namespace {

bool SupportedDepth(int baseType, int bits) {
    switch (baseType) {
    case 1:
        return bits == 8 || bits == 16;
    case 2:
        return bits == 15 || bits == 16 || bits == 24 || bits == 32;
    case 3:
        return bits == 8 || bits == 16;
    default:
        return false;
    }
}

constexpr std::uint8_t Expand5(unsigned v) {
    return static_cast<std::uint8_t>((v << 3) | (v >> 2));
}

// A colour of the map or a pixel: blue, green, red and alpha.
struct Bgra {
    std::uint8_t b = 0, g = 0, r = 0, a = 255;
};

// 15/16-bit values are ARRRRRGG GGGBBBBB, little-endian; 24 and 32 bits are
// blue, green, red (and alpha) bytes.
Bgra ReadColour(const std::uint8_t* p, int bits, bool withAlpha) {
    Bgra c;
    if (bits <= 16) {
        const unsigned v = ReadLE16(p);
        c.b = Expand5(v & 31);
        c.g = Expand5((v >> 5) & 31);
        c.r = Expand5((v >> 10) & 31);
        if (withAlpha && bits == 16) c.a = (v & 0x8000) ? 255 : 0;
    } else {
        c.b = p[0];
        c.g = p[1];
        c.r = p[2];
        if (withAlpha && bits == 32) c.a = p[3];
    }
    return c;
}

// The colour map as a table of mapFirst + mapLength entries; entries the map
// does not cover (and indexes past its end) are black. Map entries with alpha
// are composited over the background, unless every one of them is zero.
std::vector<Rgbq> ReadColourMap(std::span<const std::uint8_t> file, const Header& h,
                                std::uint32_t background) {
    const std::size_t entryBytes = static_cast<std::size_t>(h.mapEntryBits + 7) / 8;
    const bool alpha = h.alphaBits > 0;
    std::vector<Bgra> entries(static_cast<std::size_t>(h.mapLength));
    bool anyAlpha = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i] = ReadColour(file.data() + h.mapOffset + i * entryBytes, h.mapEntryBits, alpha);
        anyAlpha |= alpha && entries[i].a != 0;
    }
    std::vector<Rgbq> map(static_cast<std::size_t>(h.mapFirst) + entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Bgra& c = entries[i];
        Rgbq& q = map[static_cast<std::size_t>(h.mapFirst) + i];
        if (!anyAlpha || c.a == 255) {
            q = Rgbq{c.b, c.g, c.r, 0};
        } else {
            q = Rgbq{BlendOver(c.b, c.a, background & 0xFF),
                     BlendOver(c.g, c.a, (background >> 8) & 0xFF),
                     BlendOver(c.r, c.a, (background >> 16) & 0xFF), 0};
        }
    }
    return map;
}

// The pixels as one stream: stored, or in packets of up to 128 pixels (a run
// of one repeated pixel or raw pixels) that may reach from one row into the
// next. Nothing past the last row is ever asked for.
class PixelReader {
  public:
    PixelReader(std::span<const std::uint8_t> data, std::size_t pixelBytes, bool rle)
        : data_(data), pixelBytes_(pixelBytes), rle_(rle) {}

    // Fills count pixels; false when the data ends first.
    bool read(std::uint8_t* out, std::size_t count) {
        if (!rle_) return copy(out, count * pixelBytes_);
        while (count > 0) {
            if (left_ == 0) {
                if (pos_ >= data_.size()) return false;
                const std::uint8_t b = data_[pos_++];
                left_ = (b & 0x7Fu) + 1;
                run_ = (b & 0x80) != 0;
                if (run_ && !copy(runPixel_, pixelBytes_)) return false;
            }
            const std::size_t k = std::min<std::size_t>(left_, count);
            if (run_) {
                for (std::size_t i = 0; i < k; ++i, out += pixelBytes_)
                    std::memcpy(out, runPixel_, pixelBytes_);
            } else {
                if (!copy(out, k * pixelBytes_)) return false;
                out += k * pixelBytes_;
            }
            left_ -= static_cast<unsigned>(k);
            count -= k;
        }
        return true;
    }

  private:
    bool copy(std::uint8_t* out, std::size_t n) {
        if (data_.size() - pos_ < n) return false;
        std::memcpy(out, data_.data() + pos_, n);
        pos_ += n;
        return true;
    }

    std::span<const std::uint8_t> data_;
    std::size_t pixelBytes_;
    bool rle_;
    std::size_t pos_ = 0;
    unsigned left_ = 0;
    bool run_ = false;
    std::uint8_t runPixel_[4] = {};
};

} // namespace

Result<Header> ParseHeader(std::span<const std::uint8_t> file) {
    if (file.size() < kHeaderSize) return Error{"error reading TGA header"};
    const std::uint8_t* p = file.data();
    Header h;
    h.imageType = p[2];
    if (h.imageType == 0) return Error{"The TGA file holds no picture (image type 0)."};
    if (h.baseType() < 1 || h.baseType() > 3 || (h.imageType > 3 && h.imageType < 9) ||
        h.imageType > 11)
        return Fail("Unsupported TGA image type %d.", h.imageType);
    const int mapType = p[1];
    if (mapType > 1) return Fail("Unknown TGA colour-map type %d.", mapType);
    if (mapType == 1) {
        h.mapFirst = ReadLE16(p + 3);
        h.mapLength = ReadLE16(p + 5);
        h.mapEntryBits = p[7];
        if (h.mapLength > 0 && h.mapEntryBits != 15 && h.mapEntryBits != 16 &&
            h.mapEntryBits != 24 && h.mapEntryBits != 32)
            return Fail("Unsupported TGA colour-map entries of %d bits.", h.mapEntryBits);
    }
    if (h.baseType() == 1 && h.mapLength == 0)
        return Error{"Colour-mapped TGA file without a colour map."};
    h.width = ReadLE16(p + 12);
    h.height = ReadLE16(p + 14);
    if (h.width == 0 || h.height == 0) return Fail("Bad image size %dx%d.", h.width, h.height);
    h.pixelBits = p[16];
    if (!SupportedDepth(h.baseType(), h.pixelBits))
        return Fail("Unsupported TGA image type %d with %d bits per pixel.", h.imageType,
                    h.pixelBits);
    h.alphaBits = p[17] & 0x0F;
    h.rightToLeft = (p[17] & 0x10) != 0;
    h.topToBottom = (p[17] & 0x20) != 0;
    h.mapOffset = kHeaderSize + p[0];
    h.dataOffset = h.mapOffset + static_cast<std::size_t>(h.mapLength) *
                                     static_cast<std::size_t>((h.mapEntryBits + 7) / 8);
    if (h.dataOffset > file.size())
        return Error{"The TGA image ID or colour map runs past the end of the file."};
    return h;
}

PageFacts Facts(const Header& header) {
    PageFacts f;
    f.width = header.width;
    f.height = header.height;
    f.bits = header.pixelBits;
    f.planes = 1;
    char text[64];
    std::snprintf(text, sizeof text, "TGA type %d %d-bit%s", header.imageType, header.pixelBits,
                  header.rle() ? " RLE" : "");
    f.description = text;
    return f;
}

Result<Bitmap> Decode(std::span<const std::uint8_t> file, const Header& h,
                      const DecodeOptions& options) {
    // A run packet of 1 + pixel bytes gives at most 128 pixels, so a file
    // too short to hold the picture is refused before anything is allocated.
    const std::size_t pixelBytes = static_cast<std::size_t>(h.pixelBits + 7) / 8;
    const std::uint64_t pixels = std::uint64_t(h.width) * std::uint64_t(h.height);
    const std::uint64_t avail = file.size() - h.dataOffset;
    if (h.rle() ? pixels * (1 + pixelBytes) > avail * 128 : pixels * pixelBytes > avail)
        return Fail("TGA file too short for a %dx%d picture.", h.width, h.height);

    const bool indexed = h.baseType() == 1;
    const bool eightBit = h.pixelBits == 8; // 8-bit indexes or 8-bit gray
    auto created = Bitmap::Create(h.width, h.height, eightBit ? 8 : 24);
    if (!created) return created.error();
    Bitmap picture = std::move(created.value());

    std::vector<Rgbq> map;
    if (indexed) {
        map = ReadColourMap(file, h, options.background);
        for (std::size_t i = 0; i < picture.palette().size(); ++i)
            picture.palette()[i] = i < map.size() ? map[i] : Rgbq{};
    }
    const bool pixelAlpha = !indexed && h.alphaBits > 0 && (h.pixelBits == 16 || h.pixelBits == 32);
    auto plane = AlphaPlane::CreateIf(pixelAlpha, h.width, h.height);
    if (!plane) return plane.error();
    std::optional<AlphaPlane>& alpha = plane.value();

    std::vector<std::uint8_t> line(static_cast<std::size_t>(h.width) * pixelBytes);
    PixelReader reader(file.subspan(h.dataOffset), pixelBytes, h.rle());
    PercentProgress progress(options.progress, static_cast<std::uint64_t>(h.height));
    for (int y = 0; y < h.height; ++y) {
        if (!progress.at(static_cast<std::uint64_t>(y))) return Error{"Decoding stopped."};
        if (!reader.read(line.data(), static_cast<std::size_t>(h.width)))
            return Fail("TGA data ends early, in row %d of %d.", y + 1, h.height);
        const int row = h.topToBottom ? y : h.height - 1 - y;
        std::uint8_t* out = picture.row(row);
        for (int x = 0; x < h.width; ++x) {
            const std::uint8_t* s = line.data() + static_cast<std::size_t>(x) * pixelBytes;
            const int col = h.rightToLeft ? h.width - 1 - x : x;
            if (eightBit) {
                out[col] = s[0];
                continue;
            }
            Bgra c;
            if (indexed) {
                const std::size_t index = ReadLE16(s);
                if (index < map.size()) c = Bgra{map[index].blue, map[index].green, map[index].red};
            } else if (h.baseType() == 3) {
                c = Bgra{s[0], s[0], s[0], pixelAlpha ? s[1] : std::uint8_t{255}};
            } else {
                c = ReadColour(s, h.pixelBits, pixelAlpha);
            }
            std::uint8_t* d = out + 3 * static_cast<std::size_t>(col);
            d[0] = c.b;
            d[1] = c.g;
            d[2] = c.r;
            if (alpha) alpha->set(col, row, c.a);
        }
    }
    return AlphaPlane::Finish(std::move(picture), alpha, options.background);
}

} // namespace core::imageman::tga

namespace core::imageman {

Result<DocumentPtr> OpenTgaDocument(Bytes file) {
    return OpenWithHeader(std::move(file), tga::ParseHeader, tga::Facts, tga::Decode);
}

} // namespace core::imageman
