// The PCX writer (version 5, RLE): 1 bit in one plane, 4 bits as four 1-bit
// planes with the palette in the header, 8 bits in one plane with the
// 256-colour palette after the pixels, 24 bits as three 8-bit planes (red,
// green, blue). Every plane line has an even number of bytes and is coded on
// its own, so no run crosses a plane or a line.
#include "core/imagelib/atomic_file.h"
#include "core/imagelib/imagelib.h"

#include "core/common/dib.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace core::imagelib {

namespace {

constexpr std::size_t kPcxHeaderSize = 128;
constexpr int kMaxRun = 63;

// Appends the RLE coding of one plane line.
void EncodeLine(const std::uint8_t* line, std::size_t n, std::vector<std::uint8_t>& out) {
    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t v = line[i];
        std::size_t run = 1;
        while (i + run < n && line[i + run] == v && run < kMaxRun)
            ++run;
        // A single byte with both top bits set would read as a count.
        if (run > 1 || (v & 0xC0) == 0xC0) out.push_back(static_cast<std::uint8_t>(0xC0 | run));
        out.push_back(v);
        i += run;
    }
}

int Luma(const Rgbq& q) {
    return 299 * q.red + 587 * q.green + 114 * q.blue;
}

// One-bit files are read by some programs as "set bit = black" whatever the
// header says, so the darker colour always goes out as 1 and the header
// palette says so for the readers that honour it.
bool InvertOneBit(const Bitmap& picture) {
    const auto& pal = picture.palette();
    return picture.bits() == 1 && pal.size() >= 2 && Luma(pal[0]) < Luma(pal[1]);
}

// Splits picture row y into the file's plane lines (planes × bytesPerLine).
void PlaneLines(const Bitmap& picture, int y, bool asRgb, std::size_t bpl,
                std::vector<std::uint8_t>& lines) {
    std::fill(lines.begin(), lines.end(), 0);
    const int w = picture.width();
    const std::uint8_t* row = picture.row(y);
    if (asRgb) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = picture.bits() == 24 && !picture.deviceDependent()
                                        ? (std::uint32_t{row[3 * x + 2]} << 16) |
                                              (std::uint32_t{row[3 * x + 1]} << 8) | row[3 * x]
                                        : picture.rgb(x, y);
            lines[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(c >> 16);
            lines[bpl + static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(c >> 8);
            lines[2 * bpl + static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(c);
        }
        return;
    }
    switch (picture.bits()) {
    case 1: {
        const std::size_t n = (static_cast<std::size_t>(w) + 7) / 8;
        std::memcpy(lines.data(), row, n);
        if (InvertOneBit(picture))
            for (std::size_t i = 0; i < n; ++i)
                lines[i] = static_cast<std::uint8_t>(~lines[i]);
        if (w & 7) lines[n - 1] &= static_cast<std::uint8_t>(0xFF00 >> (w & 7));
        return;
    }
    case 4:
        for (int x = 0; x < w; ++x) {
            const unsigned index = (x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4;
            const auto bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
            for (std::size_t p = 0; p < 4; ++p)
                if (index & (1u << p)) lines[p * bpl + (static_cast<std::size_t>(x) >> 3)] |= bit;
        }
        return;
    default:
        std::memcpy(lines.data(), row, static_cast<std::size_t>(w));
    }
}

Status WritePcxTo(std::FILE* f, const Bitmap& picture, const ProgressFn& progress) {
    const bool asRgb = picture.bits() == 24 || picture.deviceDependent();
    const int w = picture.width(), h = picture.height();
    if (w > 65535 || h > 65535) return Error{"The picture is too large for a PCX file."};
    int bitsPerPlane = 8, planes = 3;
    if (!asRgb) {
        bitsPerPlane = picture.bits() == 8 ? 8 : 1;
        planes = picture.bits() == 4 ? 4 : 1;
    }
    std::size_t bpl = (static_cast<std::size_t>(w) * bitsPerPlane + 7) / 8;
    bpl += bpl & 1;
    if (bpl > 65535) return Error{"The picture is too large for a PCX file."};

    std::uint8_t head[kPcxHeaderSize] = {};
    head[0] = 0x0A;
    head[1] = 5;
    head[2] = 1;
    head[3] = static_cast<std::uint8_t>(bitsPerPlane);
    WriteLE16(head + 8, static_cast<std::uint16_t>(w - 1));
    WriteLE16(head + 10, static_cast<std::uint16_t>(h - 1));
    WriteLE16(head + 12, 72);
    WriteLE16(head + 14, 72);
    const auto& pal = picture.palette();
    if (!asRgb && picture.bits() <= 4) {
        const std::size_t n = std::size_t{1} << picture.bits();
        const std::size_t flip = InvertOneBit(picture) ? 1 : 0;
        for (std::size_t i = 0; i < n && i < pal.size(); ++i) {
            head[16 + 3 * i] = pal[i ^ flip].red;
            head[17 + 3 * i] = pal[i ^ flip].green;
            head[18 + 3 * i] = pal[i ^ flip].blue;
        }
    }
    head[65] = static_cast<std::uint8_t>(planes);
    WriteLE16(head + 66, static_cast<std::uint16_t>(bpl));
    WriteLE16(head + 68, 1); // colour or black and white
    if (std::fwrite(head, 1, sizeof head, f) != sizeof head) return Error{std::strerror(errno)};

    std::vector<std::uint8_t> lines(bpl * static_cast<std::size_t>(planes));
    std::vector<std::uint8_t> coded;
    coded.reserve(lines.size() * 2);
    PercentProgress rowsDone(progress, static_cast<std::uint64_t>(h));
    for (int y = 0; y < h; ++y) {
        PlaneLines(picture, y, asRgb, bpl, lines);
        coded.clear();
        for (int p = 0; p < planes; ++p)
            EncodeLine(lines.data() + static_cast<std::size_t>(p) * bpl, bpl, coded);
        if (std::fwrite(coded.data(), 1, coded.size(), f) != coded.size())
            return Error{std::strerror(errno)};
        if (!rowsDone.at(static_cast<std::uint64_t>(y) + 1)) return Error{"Stopped."};
    }
    if (!asRgb && picture.bits() == 8) {
        std::uint8_t tail[769] = {0x0C};
        for (std::size_t i = 0; i < 256 && i < pal.size(); ++i) {
            tail[1 + 3 * i] = pal[i].red;
            tail[2 + 3 * i] = pal[i].green;
            tail[3 + 3 * i] = pal[i].blue;
        }
        if (std::fwrite(tail, 1, sizeof tail, f) != sizeof tail) return Error{std::strerror(errno)};
    }
    return Ok();
}

} // namespace

int WritePCX(const std::string& fileName, const Bitmap& picture, const ProgressFn& progress) {
    const int bits = picture.bits();
    if (picture.empty() || !picture.data()) {
        SetLastError("No picture to write.");
        return -1;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) {
        SetLastError("Cannot write a " + std::to_string(bits) + "-bit picture as PCX.");
        return -1;
    }
    const Status st = WriteFileAtomically(
        fileName, [&](std::FILE* f) { return WritePcxTo(f, picture, progress); });
    if (!st) {
        SetLastError(st.message());
        return -1;
    }
    return 1;
}

} // namespace core::imagelib
