// The whole open pipeline as the window and vistrel-cli run it: the bytes are
// written to a file whose extension (chosen by the last byte) picks the probe
// and the decoder, then probed and decoded with varied window settings.
#include "core/common/memory.h"
#include "core/input/open_pipeline.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool once = [] {
        core::SetFreeMemoryProvider([] { return std::uint64_t{256} << 20; });
        return true;
    }();
    (void)once;
    static const char* const kExt[] = {".jpg", ".jp", ".png", ".bmp", ".dib", ".pcx",
                                       ".dcx", ".tif", ".tga", ".pcd", ".tiff", ".jpeg"};
    const unsigned flags = size > 0 ? data[size - 1] : 0;
    const std::string path = "/tmp/vistrel-fuzz-open-" + std::to_string(getpid()) +
                             kExt[flags % (sizeof kExt / sizeof kExt[0])];
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    core::JpegDecoder jpeg;
    core::OpenPipeline pipeline(jpeg);
    core::DocumentState doc;
    doc.CurrentFile = path;
    doc.PreviousFile = "previous.png";
    core::OpenEnvironment env;
    env.ScreenBits = (flags & 16) ? 8 : 24;
    env.AutoReduce = (flags & 32) != 0;
    env.FitToWindow = (flags & 64) != 0;
    env.FaxQuality = static_cast<int>((flags >> 2) & 3);
    env.clientWidth = 64;
    env.clientHeight = 48;
    const auto probe = pipeline.ProbeFile(doc, env);
    if (probe.result == 1 && std::int64_t{doc.PictureWidth} * doc.PictureHeight <= 4'000'000) {
        auto decoded = pipeline.OpenImage(doc, env, {});
        if (decoded && doc.PageCount > 1)
            (void)pipeline.DecodePage(doc, env, doc.PageCount > 2 ? 2 : 1, {});
    }
    std::remove(path.c_str());
    return 0;
}
