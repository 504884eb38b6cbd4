// The BMP writer: uncompressed, bottom-up rows, a 14-byte file header and a
// 40-byte info header, colour tables of 2, 16 or 256 entries. Rows are
// streamed one at a time so a large picture is never held twice.
#include "core/common/dib.h"
#include "core/common/expand_row.h"
#include "core/imagelib/atomic_file.h"
#include "core/imagelib/imagelib.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

namespace core::imagelib {

namespace {

constexpr std::size_t kFileHeaderSize = 14;

Status WriteBytes(std::FILE* f, const void* data, std::size_t size) {
    errno = 0;
    if (size != 0 && std::fwrite(data, 1, size, f) != size)
        return Error{std::strerror(errno ? errno : EIO)};
    return Ok();
}

} // namespace

// Writes the picture as a BMP file to an open stream. Progress counts rows.
Status WriteBmpTo(std::FILE* f, const Bitmap& picture, const ProgressFn& progress) {
    if (picture.empty()) return Error{"No picture."};
    // A device-dependent picture goes out in device-independent 24-bit form.
    const bool expand = picture.deviceDependent() && picture.bits() != 24;
    const int bits = expand ? 24 : picture.bits();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return Fail("Cannot write a %d-bit picture as BMP.", bits);
    const std::size_t colours = bits <= 8 ? std::size_t{1} << bits : 0;
    const std::size_t stride = RowStride(picture.width(), bits);
    const std::uint64_t imageSize = std::uint64_t{stride} * picture.height();
    const std::uint64_t offBits = kFileHeaderSize + kInfoHeaderSize + colours * 4;
    if (offBits + imageSize > std::numeric_limits<std::uint32_t>::max())
        return Error{"The picture is too large for a BMP file."};

    std::uint8_t head[kFileHeaderSize + kInfoHeaderSize] = {};
    head[0] = 'B';
    head[1] = 'M';
    WriteLE32(head + 2, static_cast<std::uint32_t>(offBits + imageSize));
    WriteLE32(head + 10, static_cast<std::uint32_t>(offBits));
    BitmapInfoHeader h;
    h.biWidth = picture.width();
    h.biHeight = picture.height(); // positive: bottom row first
    h.biBitCount = static_cast<std::uint16_t>(bits);
    h.biSizeImage = static_cast<std::uint32_t>(imageSize);
    h.biClrUsed = static_cast<std::uint32_t>(colours);
    WriteInfoHeader(head + kFileHeaderSize, h);
    if (auto st = WriteBytes(f, head, sizeof head); !st) return st;

    std::vector<std::uint8_t> table(colours * 4); // missing entries are black
    for (std::size_t i = 0; i < colours && i < picture.palette().size(); ++i) {
        const Rgbq& q = picture.palette()[i];
        table[4 * i + 0] = q.blue;
        table[4 * i + 1] = q.green;
        table[4 * i + 2] = q.red;
    }
    if (auto st = WriteBytes(f, table.data(), table.size()); !st) return st;

    std::vector<std::uint8_t> expanded(expand ? stride : 0);
    const int height = picture.height();
    PercentProgress rowsDone(progress, static_cast<std::uint64_t>(height));
    for (int done = 0; done < height; ++done) {
        const int y = height - 1 - done;
        const std::uint8_t* row = picture.row(y);
        if (expand) {
            ExpandRowToBgr(picture, y, expanded.data());
            row = expanded.data();
        }
        if (auto st = WriteBytes(f, row, stride); !st) return st;
        if (!rowsDone.at(static_cast<std::uint64_t>(done) + 1)) return Error{"Stopped."};
    }
    return Ok();
}

int WriteBMP(const std::string& fileName, const Bitmap& picture, const ProgressFn& progress) {
    if (picture.empty()) {
        SetLastError("No picture to write.");
        return -1;
    }
    const Status st = WriteFileAtomically(
        fileName, [&](std::FILE* f) { return WriteBmpTo(f, picture, progress); });
    if (!st) {
        SetLastError(st.message());
        return -1;
    }
    return 1;
}

} // namespace core::imagelib
