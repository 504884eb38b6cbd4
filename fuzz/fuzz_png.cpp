// Feeds arbitrary bytes to the PNG document and decoder, and writes back what
// decodes so that the writer sees every depth.
#include "core/common/memory.h"
#include "core/imagelib/imagelib.h"
#include "core/imageman/document.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool once =
        (core::SetFreeMemoryProvider([] { return std::uint64_t{64} << 20; }), true);
    (void)once;
    auto doc = core::imageman::OpenPngDocument(core::imageman::Bytes(data, data + size));
    if (doc) (void)(*doc)->facts(0);
    auto pic = core::imagelib::DecodePng({data, size}, core::DecodeOptions{});
    if (pic && pic->width() * static_cast<std::int64_t>(pic->height()) < 4096) {
        static const std::string out = "/tmp/fuzz_png_" + std::to_string(::getpid()) + ".png";
        (void)core::imagelib::WritePNG(out, *pic, (size & 1) != 0);
    }
    return 0;
}
