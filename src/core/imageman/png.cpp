// PNG as a one-page document: the facts come from the IHDR chunk, the pixels
// from the PNG decoder of the codec library.
#include "core/common/dib.h"
#include "core/imagelib/imagelib.h"
#include "core/imageman/document.h"

#include <algorithm>
#include <cstring>

namespace core::imageman {

namespace {

std::uint32_t ReadBE32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

} // namespace

Result<DocumentPtr> OpenPngDocument(Bytes file) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    // Signature, IHDR length and type, then 13 bytes of header.
    if (file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0)
        return Fail("The file is not a PNG picture.");
    if (file.size() < 8 + 8 + 13 || std::memcmp(file.data() + 12, "IHDR", 4) != 0 ||
        ReadBE32(file.data() + 8) != 13)
        return Fail("The file is damaged: its PNG header cannot be read.");
    const std::uint8_t* ihdr = file.data() + 16;
    const std::uint32_t width = ReadBE32(ihdr), height = ReadBE32(ihdr + 4);
    const int depth = ihdr[8], colorType = ihdr[9];
    int channels = 0;
    const char* kind = "";
    switch (colorType) {
    case 0:
        channels = 1, kind = " gray";
        break;
    case 2:
        channels = 3;
        break;
    case 3:
        channels = 1, kind = " palette";
        break;
    case 4:
        channels = 2, kind = " gray+alpha";
        break;
    case 6:
        channels = 4;
        break;
    default:
        return Fail("Bad PNG colour type %d.", colorType);
    }
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16)
        return Fail("Bad PNG bit depth %d.", depth);
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX)
        return Fail("Bad PNG image size %ux%u.", width, height);

    PageFacts facts;
    facts.width = static_cast<int>(width);
    facts.height = static_cast<int>(height);
    // 16-bit samples are shown as 8, so a 48-bit RGB file says 24.
    facts.bits = std::min(depth, 8) * channels;
    facts.planes = 1;
    facts.description = "PNG " + std::to_string(facts.bits) + "-bit" + kind;
    if (ihdr[12] == 1) facts.description += " interlaced";
    return DocumentPtr(std::make_unique<SinglePageDocument>(
        std::move(file), std::move(facts),
        [](std::span<const std::uint8_t> data, const DecodeOptions& options) {
            return imagelib::DecodePng(data, options);
        }));
}

} // namespace core::imageman
