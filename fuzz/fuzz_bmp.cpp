// BMP files and packed DIBs from arbitrary bytes: open, read the facts,
// decode; the same bytes as a packed DIB.
#include "core/common/dib.h"
#include "core/common/memory.h"
#include "core/imageman/document.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Keep pictures small so the fuzzer spends its time in the decoders.
    static const bool once = [] {
        core::SetFreeMemoryProvider([] { return std::uint64_t{64} << 20; });
        return true;
    }();
    (void)once;
    auto doc = core::imageman::OpenBmpDocument(core::imageman::Bytes(data, data + size));
    if (doc) {
        (void)(*doc)->facts(0);
        (void)(*doc)->decode(0, core::DecodeOptions{});
    }
    (void)core::DIBToPicture(std::span<const std::uint8_t>(data, size));
    return 0;
}
