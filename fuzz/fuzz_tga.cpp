// TGA: the bytes opened as a document and decoded, and read by the gray TGA reader.
#include "core/common/memory.h"
#include "core/input/gray_tga.h"
#include "core/imageman/document.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A fixed budget keeps the memory guard's answer independent of the machine.
    static const bool once = [] {
        core::SetFreeMemoryProvider([] { return std::uint64_t{256} << 20; });
        return true;
    }();
    (void)once;
    const core::imageman::Bytes bytes(data, data + size);
    if (auto doc = core::imageman::OpenTgaDocument(bytes)) {
        (void)doc.value()->facts(0);
        auto picture = doc.value()->decode(0, {});
        if (picture && picture->empty()) __builtin_trap();
    }
    (void)core::ReadTgaImageType(bytes);
    auto gray = core::ReadGrayTGA(bytes);
    if (gray && gray->bits() != 8) __builtin_trap();
    return 0;
}
