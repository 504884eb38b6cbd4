// BMP files and DIBs: every header size in use (OS/2 core and 2.x, Windows
// v3 to v5), indexed depths with colour tables, RLE4/RLE8, bit fields and
// 24-bit. 16- and 32-bit pictures become 24-bit pictures.
#include "core/imageman/bmp.h"

#include "core/common/dib.h"
#include "core/common/memory.h"
#include "core/imageman/document.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

namespace core::imageman {

namespace {

enum Compression : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitfields = 3,
    kJpeg = 4,
    kPng = 5,
    kAlphaBitfields = 6,
};

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;

bool KnownHeaderSize(std::uint32_t size) {
    return size == kCoreHeaderSize || (size >= 16 && size <= 64) || size == 108 || size == 124;
}

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0; // mask >> shift

    static Channel From(std::uint32_t mask) {
        Channel c;
        c.mask = mask;
        if (mask == 0) return c;
        c.shift = std::countr_zero(mask);
        c.max = mask >> c.shift;
        return c;
    }
    std::uint8_t scale(std::uint32_t pixel) const {
        if (max == 0) return 0;
        const std::uint64_t v = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
    }
};

// What the info header says, with the offsets worked out.
struct DibLayout {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0, height = 0;
    bool topDown = false;
    bool os2 = false; // OS/2 core or 2.x header
    int bits = 0;
    std::uint32_t compression = kRgb;
    std::size_t entrySize = 4;      // colour-table entry: RGBTRIPLE for OS/2 core, else RGBQUAD
    std::size_t tableOffset = 0;    // after the header and any masks behind it
    std::uint64_t tableEnd = 0;     // where the pixels start when nothing else says
    std::size_t paletteEntries = 0; // entries to read for 1/4/8 bits, at most 2^bits
    std::uint32_t masks[4] = {};    // red, green, blue, alpha for 16/32 bits
};

Result<DibLayout> ParseDib(std::span<const std::uint8_t> dib) {
    if (dib.size() < 4) return Error{"The file is too short to be a BMP."};
    DibLayout d;
    d.headerSize = ReadLE32(dib.data());
    if (!KnownHeaderSize(d.headerSize))
        return Fail("Unsupported BMP header size of %u bytes.", d.headerSize);
    if (dib.size() < d.headerSize) return Error{"The BMP header is truncated."};
    const std::uint8_t* h = dib.data();
    std::uint32_t clrUsed = 0;
    if (d.headerSize == kCoreHeaderSize) {
        d.os2 = true;
        d.entrySize = 3;
        d.width = ReadLE16(h + 4);
        d.height = ReadLE16(h + 6);
        d.bits = ReadLE16(h + 10);
    } else {
        // Shorter OS/2 2.x headers simply leave out the later fields.
        auto field32 = [&](std::size_t off) -> std::uint32_t {
            return off + 4 <= d.headerSize ? ReadLE32(h + off) : 0;
        };
        d.width = static_cast<std::int32_t>(field32(4));
        d.height = static_cast<std::int32_t>(field32(8));
        d.bits = ReadLE16(h + 14);
        d.compression = field32(16);
        clrUsed = field32(32);
        d.os2 =
            d.headerSize != 40 && d.headerSize != 52 && d.headerSize != 56 && d.headerSize < 108;
    }
    if (d.height < 0) {
        d.topDown = true;
        d.height = -d.height;
    }
    if (d.width <= 0 || d.height <= 0)
        return Fail("Bad image size %lldx%lld.", static_cast<long long>(d.width),
                    static_cast<long long>(d.height));
    if (d.bits != 1 && d.bits != 4 && d.bits != 8 && d.bits != 16 && d.bits != 24 && d.bits != 32)
        return Fail("Unsupported BMP depth of %d bits per pixel.", d.bits);

    // OS/2 2.x reuses 3 and 4 for Huffman 1D and RLE24, which we do not read.
    const bool bitfields =
        !d.os2 && (d.compression == kBitfields || d.compression == kAlphaBitfields);
    const bool valid = d.compression == kRgb || (d.compression == kRle8 && d.bits == 8) ||
                       (d.compression == kRle4 && d.bits == 4) ||
                       (bitfields && (d.bits == 16 || d.bits == 32));
    if (!valid)
        return Fail("Unsupported BMP compression %u at %d bits per pixel.", d.compression, d.bits);

    d.tableOffset = d.headerSize;
    if (bitfields) {
        if (d.headerSize == 40) {
            // v3 header: the masks follow it.
            const std::size_t n = d.compression == kAlphaBitfields ? 4 : 3;
            if (dib.size() < d.headerSize + 4 * n) return Error{"The BMP header is truncated."};
            for (std::size_t i = 0; i < n; ++i)
                d.masks[i] = ReadLE32(h + 40 + 4 * i);
            d.tableOffset += 4 * n;
        } else {
            for (std::size_t i = 0; i < 3; ++i)
                d.masks[i] = ReadLE32(h + 40 + 4 * i);
            if (d.headerSize >= 56) d.masks[3] = ReadLE32(h + 52);
        }
        if (d.bits == 16)
            for (auto& m : d.masks)
                m &= 0xFFFFu;
    }
    if (d.bits == 16 || d.bits == 32) {
        if ((d.masks[0] | d.masks[1] | d.masks[2]) == 0) {
            if (d.bits == 16) {
                d.masks[0] = 0x7C00, d.masks[1] = 0x03E0, d.masks[2] = 0x001F;
            } else {
                d.masks[0] = 0xFF0000, d.masks[1] = 0xFF00, d.masks[2] = 0xFF;
            }
        }
        // v4/v5 headers may name an alpha channel even for plain 32-bit pixels.
        if (!bitfields && d.bits == 32 && d.headerSize >= 108) d.masks[3] = ReadLE32(h + 52);
        if (d.masks[3] & (d.masks[0] | d.masks[1] | d.masks[2])) d.masks[3] = 0;
    }

    if (d.bits <= 8) {
        const std::size_t full = std::size_t{1} << d.bits;
        const std::uint64_t declared = (d.os2 && d.headerSize == kCoreHeaderSize) || clrUsed == 0
                                           ? full
                                           : std::min<std::uint64_t>(clrUsed, full);
        d.paletteEntries = static_cast<std::size_t>(declared);
        d.tableEnd = d.tableOffset + declared * d.entrySize;
    } else {
        // A colour table beside direct colours is only a hint; skip it.
        d.tableEnd = d.tableOffset + std::uint64_t{clrUsed} * d.entrySize;
    }
    return d;
}

std::string Describe(const DibLayout& d) {
    std::string s = "BMP " + std::to_string(d.bits) + "-bit";
    if (d.compression == kRle8) s += " RLE8";
    if (d.compression == kRle4) s += " RLE4";
    if (d.os2) s += " OS/2";
    return s;
}

const Error kStopped{"Stopped."};

// Copies n pixels of 1, 4 or 8 bits; bits past the last pixel stay zero.
void CopyIndexedRow(std::uint8_t* dst, const std::uint8_t* src, std::int64_t n, int bits) {
    const std::uint64_t totalBits = static_cast<std::uint64_t>(n) * bits;
    const std::size_t full = static_cast<std::size_t>(totalBits / 8);
    std::memcpy(dst, src, full);
    if (const unsigned rest = totalBits % 8; rest != 0)
        dst[full] = static_cast<std::uint8_t>(src[full] & (0xFF00u >> rest));
}

Status DecodeRaw(Bitmap& out, const DibLayout& d, std::span<const std::uint8_t> pixels,
                 const DecodeOptions& options) {
    const std::size_t srcStride = RowStride(d.width, d.bits);
    const std::size_t bytesPerPixel = static_cast<std::size_t>(d.bits / 8);
    const Channel red = Channel::From(d.masks[0]), green = Channel::From(d.masks[1]),
                  blue = Channel::From(d.masks[2]);
    Channel alpha = Channel::From(d.masks[3]);
    auto readPixel = [&](const std::uint8_t* p) -> std::uint32_t {
        return d.bits == 16 ? ReadLE16(p) : ReadLE32(p);
    };
    auto availablePixels = [&](std::int64_t r) -> std::int64_t {
        const std::uint64_t start = static_cast<std::uint64_t>(r) * srcStride;
        if (start >= pixels.size()) return 0;
        const std::uint64_t avail = std::min<std::uint64_t>(srcStride, pixels.size() - start);
        return std::min<std::int64_t>(d.width, static_cast<std::int64_t>(avail * 8 / d.bits));
    };

    // Writers that fill the alpha byte with zeros mean an opaque picture.
    if (alpha.max != 0) {
        bool anyAlpha = false;
        for (std::int64_t r = 0; r < d.height && !anyAlpha; ++r) {
            const std::uint8_t* src = pixels.data() + static_cast<std::size_t>(r) * srcStride;
            const std::int64_t n = availablePixels(r);
            if (n == 0) break;
            for (std::int64_t x = 0; x < n && !anyAlpha; ++x)
                anyAlpha = (readPixel(src + x * bytesPerPixel) & alpha.mask) != 0;
        }
        if (!anyAlpha) alpha = Channel{};
    }
    const unsigned bgRed = (options.background >> 16) & 255,
                   bgGreen = (options.background >> 8) & 255, bgBlue = options.background & 255;

    PercentProgress progress(options.progress, static_cast<std::uint64_t>(d.height));
    for (std::int64_t r = 0; r < d.height; ++r) {
        const std::int64_t n = availablePixels(r);
        if (n < d.width) options.MarkIncomplete();
        if (n == 0) break; // the data ends here; the remaining rows stay black
        const std::uint8_t* src = pixels.data() + static_cast<std::size_t>(r) * srcStride;
        std::uint8_t* dst = out.row(static_cast<int>(d.topDown ? r : d.height - 1 - r));
        if (d.bits <= 8) {
            CopyIndexedRow(dst, src, n, d.bits);
        } else if (d.bits == 24) {
            std::memcpy(dst, src, static_cast<std::size_t>(n) * 3);
        } else {
            for (std::int64_t x = 0; x < n; ++x, dst += 3) {
                const std::uint32_t px = readPixel(src + x * bytesPerPixel);
                std::uint8_t b = blue.scale(px), g = green.scale(px), rr = red.scale(px);
                if (alpha.max != 0) {
                    const unsigned a = alpha.scale(px);
                    b = BlendOver(b, a, bgBlue);
                    g = BlendOver(g, a, bgGreen);
                    rr = BlendOver(rr, a, bgRed);
                }
                dst[0] = b, dst[1] = g, dst[2] = rr;
            }
        }
        if (!progress.at(static_cast<std::uint64_t>(r + 1))) return kStopped;
    }
    return Ok();
}

// RLE4/RLE8. Runs that leave the row are clipped, moves past the picture end
// the decoding, and whatever the data leaves out stays index 0.
Status DecodeRle(Bitmap& out, const DibLayout& d, std::span<const std::uint8_t> data,
                 const DecodeOptions& options) {
    const std::int64_t width = d.width, height = d.height;
    const bool four = d.bits == 4;
    std::int64_t x = 0, y = 0; // y counts rows in file order
    PercentProgress progress(options.progress, static_cast<std::uint64_t>(height));
    auto put = [&](std::uint8_t index) {
        if (x < width && y < height) {
            std::uint8_t* row = out.row(static_cast<int>(d.topDown ? y : height - 1 - y));
            if (four) {
                std::uint8_t& b = row[x >> 1];
                b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (index & 0x0F))
                            : static_cast<std::uint8_t>((b & 0x0F) | (index << 4));
            } else {
                row[x] = index;
            }
        }
        ++x;
    };
    auto advanceRows = [&](std::int64_t rows) -> bool {
        const std::int64_t before = y;
        y += rows;
        return y == before || progress.at(static_cast<std::uint64_t>(std::min(y, height)));
    };

    std::size_t pos = 0;
    while (pos + 2 <= data.size() && y < height) {
        const unsigned count = data[pos], value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            // Pixels past the row's end are dropped; x never runs past width + 1.
            const std::int64_t n =
                std::min<std::int64_t>(count, std::max<std::int64_t>(width - x, 0));
            for (std::int64_t i = 0; i < n; ++i)
                put(static_cast<std::uint8_t>(four ? ((i & 1) ? value & 0x0F : value >> 4)
                                                   : value));
            if (n < count) x = width;
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            if (!advanceRows(1)) return kStopped;
            break;
        case 1: // end of bitmap
            return progress.at(static_cast<std::uint64_t>(height)) ? Ok() : Status{kStopped};
        case 2: // delta
            if (pos + 2 > data.size()) {
                options.MarkIncomplete();
                return Ok();
            }
            x += data[pos];
            if (!advanceRows(data[pos + 1])) return kStopped;
            pos += 2;
            break;
        default: { // absolute run, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            const std::size_t take = std::min(bytes, data.size() - pos);
            if (take < bytes) options.MarkIncomplete();
            for (unsigned i = 0; i < value; ++i) {
                const std::size_t at = four ? i / 2 : i;
                if (at >= take) break;
                const std::uint8_t v = data[pos + at];
                if (x >= width) break;
                put(four ? static_cast<std::uint8_t>((i & 1) ? v & 0x0F : v >> 4) : v);
            }
            pos += take + (bytes & 1);
            break;
        }
        }
    }
    // The data ran out before the end-of-bitmap code and the last row.
    if (y < height) options.MarkIncomplete();
    return progress.at(static_cast<std::uint64_t>(height)) ? Ok() : Status{kStopped};
}

} // namespace

Result<Bitmap> DecodeDib(std::span<const std::uint8_t> dib, std::size_t pixelOffset,
                         const DecodeOptions& options) {
    auto parsed = ParseDib(dib);
    if (!parsed) return parsed.error();
    const DibLayout& d = *parsed;

    const int outBits = d.bits <= 8 ? d.bits : 24;
    if (auto st = CheckPictureSize(d.width, d.height, outBits); !st) return st.error();

    // A stated offset is trusted when it lies between the header and the end;
    // a colour table cut short by it is padded with black.
    std::uint64_t pixelStart = d.tableEnd;
    if (pixelOffset >= d.tableOffset && pixelOffset < dib.size()) pixelStart = pixelOffset;
    if (pixelStart >= dib.size()) return Error{"The BMP file is truncated: it has no pixel data."};
    auto created = Bitmap::Create(static_cast<int>(d.width), static_cast<int>(d.height), outBits);
    if (!created) return created.error();
    Bitmap out = std::move(created).value();

    if (d.bits <= 8) {
        std::vector<Rgbq> palette(std::size_t{1} << d.bits); // black beyond the table
        const std::uint64_t tableBytes = std::min<std::uint64_t>(pixelStart, d.tableEnd) -
                                         std::min<std::uint64_t>(pixelStart, d.tableOffset);
        const std::size_t entries = std::min<std::size_t>(
            d.paletteEntries, static_cast<std::size_t>(tableBytes / d.entrySize));
        for (std::size_t i = 0; i < entries; ++i) {
            const std::uint8_t* e = dib.data() + d.tableOffset + i * d.entrySize;
            palette[i] = Rgbq{e[0], e[1], e[2], 0};
        }
        out.palette() = std::move(palette);
    }

    const auto pixels = dib.subspan(static_cast<std::size_t>(pixelStart));
    const Status st = d.compression == kRle8 || d.compression == kRle4
                          ? DecodeRle(out, d, pixels, options)
                          : DecodeRaw(out, d, pixels, options);
    if (!st) return st.error();
    return out;
}

Result<DocumentPtr> OpenBmpDocument(Bytes file) {
    std::size_t dibStart = 0, pixelOffset = 0;
    if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') {
        if (file.size() < kFileHeaderSize + 4) return Error{"The file is too short to be a BMP."};
        const std::uint32_t offBits = ReadLE32(file.data() + 10);
        dibStart = kFileHeaderSize;
        // Checked against the header and the data when decoding.
        pixelOffset = offBits > kFileHeaderSize ? offBits - kFileHeaderSize : 0;
    } else if (file.size() < 4 || !KnownHeaderSize(ReadLE32(file.data()))) {
        return Error{"Not a BMP file."};
    }
    auto layout = ParseDib(std::span<const std::uint8_t>(file).subspan(dibStart));
    if (!layout) return layout.error();
    PageFacts facts;
    facts.width = static_cast<int>(layout->width);
    facts.height = static_cast<int>(layout->height);
    facts.bits = layout->bits;
    facts.planes = 1;
    facts.description = Describe(*layout);
    return DocumentPtr(std::make_unique<SinglePageDocument>(
        std::move(file), std::move(facts),
        [dibStart, pixelOffset](std::span<const std::uint8_t> data, const DecodeOptions& options) {
            return DecodeDib(data.subspan(dibStart), pixelOffset, options);
        }));
}

} // namespace core::imageman
