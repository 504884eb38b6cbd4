// Photo CD packs: the first byte chooses the input's use. 0: the rest is the
// whole pack. Otherwise the rest fills the header sectors and, from sector 388
// on, the residual tables and rows of a pack whose plain planes are gray, so
// that short inputs reach the Huffman reader.
#include "core/common/memory.h"
#include "core/photocd/image_pac.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace core::photocd;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool once = [] {
        core::SetFreeMemoryProvider([] { return std::uint64_t{256} << 20; });
        return true;
    }();
    (void)once;
    if (size < 1) return 0;
    std::vector<std::uint8_t> pack;
    if (data[0] == 0) {
        pack.assign(data + 1, data + size);
    } else {
        constexpr std::size_t kHeader = 0x2000, kResiduals = 388 * 2048;
        const std::size_t rest = size - 1;
        const std::size_t header = rest < kHeader ? rest : kHeader;
        pack.assign(kResiduals + (rest - header), 0x80);
        std::memset(pack.data(), 0, kHeader);
        std::memcpy(pack.data(), data + 1, header);
        std::memcpy(pack.data() + 0x800, "PCD_IPI", 7);
        std::memcpy(pack.data() + kResiduals, data + 1 + header, rest - header);
    }
    // The gray plain levels of a composed pack hold nothing to find: one of them is enough.
    const int lowest = data[0] == 0 ? 0 : 3;
    PCDhandle h = 0;
    if (!PCDopenBytes(std::move(pack), &h)) return 0;
    std::uint16_t mask = 0, count = 0;
    std::uint8_t attributes[2];
    std::int32_t value = 0;
    PCDimageInfo info;
    if (!PCDgetAttributes(h, attributes, &value) || !PCDgetCount(h, &mask, &count) ||
        !PCDreadImageInfo(h, &info))
        __builtin_trap();
    for (int index = count - 1; index >= lowest; --index) {
        PCDrect rect;
        if (!PCDsetResolution(h, index) || !PCDgetSize(h, &rect)) __builtin_trap();
        auto picture = PCDloadImage(h, rect, {});
        if (picture && (picture->width() != rect.right || picture->height() != rect.bottom))
            __builtin_trap();
    }
    PCDclose(h);
    return 0;
}
