// Feeds arbitrary bytes to the TIFF facts probe and the TIFF document.
#include "core/common/memory.h"
#include "core/imageman/document.h"
#include "core/imagelib/tiff_facts.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A small memory budget keeps absurd sizes from turning into slow decodes.
    static const bool once =
        (core::SetFreeMemoryProvider([] { return std::uint64_t{64} << 20; }), true);
    (void)once;
    (void)core::ReadTiffFacts({data, size});
    auto doc = core::imageman::OpenTiffDocument(core::imageman::Bytes(data, data + size));
    if (!doc) return 0;
    const int pages = (*doc)->pageCount();
    for (int p = 0; p < pages && p < 4; ++p) {
        (void)(*doc)->facts(p);
        (void)(*doc)->decode(p, core::DecodeOptions{});
    }
    return 0;
}
