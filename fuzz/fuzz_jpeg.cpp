// JPEG decoder and tolerant decoder on arbitrary bytes.
#include "core/common/memory.h"
#include "core/imagelib/imagelib.h"
#include "core/input/jpeg_decoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool init = [] {
        core::SetFreeMemoryProvider([] { return std::uint64_t{256} << 20; });
        return true;
    }();
    (void)init;
    std::vector<std::uint8_t> bytes(data, data + size);
    core::JpegDecoder dec;
    dec.LoadBytes(bytes);
    auto header = dec.ReadHeader();
    // Huge but valid frames only cost time; keep runs short.
    if (header && std::int64_t{header->fullWidth} * header->fullHeight > 4'000'000) return 0;
    const int flags = size > 0 ? data[size - 1] : 0;
    dec.setScale(1 << (flags & 3));
    dec.setEightBit(flags & 4);
    dec.setSpeed(!(flags & 8));
    (void)dec.Decode((flags >> 4) & 3, {});
    (void)dec.DecodeStrips(core::kDitherNone, 4,
                           [](const core::JpegDecoder::Strip&) { return true; }, nullptr, {});
    (void)core::imagelib::DecodeJpegTolerant(bytes, {});
    return 0;
}
