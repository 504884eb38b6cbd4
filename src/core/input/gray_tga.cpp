#include "core/input/gray_tga.h"

#include "core/imageman/tga_codec.h"

namespace core {

Result<int> ReadTgaImageType(std::span<const std::uint8_t> file) {
    if (file.size() < imageman::tga::kHeaderSize) return Error{"error reading TGA header"};
    return int{file[2]};
}

Result<Bitmap> ReadGrayTGA(std::span<const std::uint8_t> file) {
    auto header = imageman::tga::ParseHeader(file);
    if (!header) return header.error();
    if (header->imageType != 3 || header->pixelBits != 8)
        return Fail("Not an uncompressed 8-bit gray TGA file (image type %d, %d bits).",
                    header->imageType, header->pixelBits);
    return imageman::tga::Decode(file, header.value(), DecodeOptions{});
}

} // namespace core
