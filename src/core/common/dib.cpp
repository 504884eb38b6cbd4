#include "core/common/dib.h"

#include <cstring>

namespace core {

void WriteInfoHeader(std::uint8_t* out, const BitmapInfoHeader& h) {
    std::memset(out, 0, kInfoHeaderSize);
    WriteLE32(out + 0, kInfoHeaderSize);
    WriteLE32(out + 4, static_cast<std::uint32_t>(h.biWidth));
    WriteLE32(out + 8, static_cast<std::uint32_t>(h.biHeight));
    WriteLE16(out + 12, h.biPlanes);
    WriteLE16(out + 14, h.biBitCount);
    WriteLE32(out + 16, h.biCompression);
    WriteLE32(out + 20, h.biSizeImage);
    WriteLE32(out + 24, static_cast<std::uint32_t>(h.biXPelsPerMeter));
    WriteLE32(out + 28, static_cast<std::uint32_t>(h.biYPelsPerMeter));
    WriteLE32(out + 32, h.biClrUsed);
    WriteLE32(out + 36, h.biClrImportant);
}

Result<PackedDib> PictureToPackedDIB(const Bitmap& picture) {
    if (picture.empty()) return Error{"No picture."};
    const int bits = picture.bits();
    const std::size_t colours = bits <= 8 ? (std::size_t{1} << bits) : 0;
    const std::size_t stride = picture.stride();
    const std::size_t imageSize = stride * static_cast<std::size_t>(picture.height());
    PackedDib dib;
    try {
        dib.resize(kInfoHeaderSize + colours * 4 + imageSize);
    } catch (const std::bad_alloc&) {
        return Error{"Insufficient memory."};
    }
    BitmapInfoHeader h;
    h.biWidth = picture.width();
    h.biHeight = picture.height();
    h.biBitCount = static_cast<std::uint16_t>(bits);
    h.biSizeImage = static_cast<std::uint32_t>(imageSize);
    h.biClrUsed = static_cast<std::uint32_t>(colours);
    WriteInfoHeader(dib.data(), h);
    std::uint8_t* table = dib.data() + kInfoHeaderSize;
    for (std::size_t i = 0; i < colours; ++i) {
        const Rgbq q = i < picture.palette().size() ? picture.palette()[i] : Rgbq{};
        table[4 * i + 0] = q.blue;
        table[4 * i + 1] = q.green;
        table[4 * i + 2] = q.red;
        table[4 * i + 3] = 0;
    }
    std::uint8_t* rows = table + colours * 4;
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(rows + stride * static_cast<std::size_t>(picture.height() - 1 - y),
                    picture.row(y), stride);
    return dib;
}

void RemovePaletteGap(PackedDib& dib) {
    constexpr std::size_t kGapEnd = kInfoHeaderSize + 1024;
    if (dib.size() < kGapEnd) return;
    dib.erase(dib.begin() + kInfoHeaderSize, dib.begin() + kGapEnd);
    WriteLE32(dib.data() + 32, 0); // no colour table any more
}

void RGBQuadsToPalette(std::span<Rgbq> entries) {
    for (Rgbq& q : entries) {
        const std::uint8_t blue = q.blue;
        q.blue = q.red; // the first member now holds red
        q.red = blue;
        q.reserved = 0;
    }
}

} // namespace core
