// PCX and DCX: the bytes opened as either, every page (up to four) described and decoded.
#include "core/common/memory.h"
#include "core/imageman/document.h"

#include <cstddef>
#include <cstdint>

namespace {

void DecodeAll(core::Result<core::imageman::DocumentPtr> doc) {
    if (!doc) return;
    const int pages = doc.value()->pageCount() < 4 ? doc.value()->pageCount() : 4;
    for (int page = 0; page < pages; ++page) {
        (void)doc.value()->facts(page);
        auto picture = doc.value()->decode(page, {});
        if (picture && picture->empty()) __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A fixed budget keeps the memory guard's answer independent of the machine.
    static const bool once = [] {
        core::SetFreeMemoryProvider([] { return std::uint64_t{256} << 20; });
        return true;
    }();
    (void)once;
    const core::imageman::Bytes bytes(data, data + size);
    DecodeAll(core::imageman::OpenPcxDocument(bytes));
    DecodeAll(core::imageman::OpenDcxDocument(bytes));
    return 0;
}
