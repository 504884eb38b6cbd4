// Packed DIBs back into pictures. The offsets come from the header, so the
// DIBs we make (pixels at 48, 104, 1064 or 40) and foreign ones with longer
// headers or short colour tables are both read right.
#include "core/common/dib.h"

#include "core/imageman/bmp.h"

namespace core {

Result<Bitmap> DIBToPicture(std::span<const std::uint8_t> dib) {
    return imageman::DecodeDib(dib, 0, DecodeOptions{});
}

} // namespace core
