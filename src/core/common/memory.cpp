#include "core/common/memory.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#endif

namespace core {

namespace {
std::mutex g_providerMutex;
std::function<std::uint64_t()> g_provider;

std::uint64_t SystemFreeMemory() {
#ifdef _WIN32
    MEMORYSTATUSEX st{};
    st.dwLength = sizeof st;
    if (!GlobalMemoryStatusEx(&st)) return 0;
    return st.ullAvailPageFile;
#else
    std::FILE* f = std::fopen("/proc/meminfo", "r");
    if (!f) return 0;
    std::uint64_t available = 0, swapFree = 0, memFree = 0;
    bool haveAvailable = false;
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
        unsigned long long kb = 0;
        if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) {
            available = kb * 1024;
            haveAvailable = true;
        } else if (std::sscanf(line, "MemFree: %llu kB", &kb) == 1) {
            memFree = kb * 1024;
        } else if (std::sscanf(line, "SwapFree: %llu kB", &kb) == 1) {
            swapFree = kb * 1024;
        }
    }
    std::fclose(f);
    return (haveAvailable ? available : memFree) + swapFree;
#endif
}
} // namespace

std::uint64_t FreePageFile() {
    std::lock_guard lock(g_providerMutex);
    return g_provider ? g_provider() : SystemFreeMemory();
}

void SetFreeMemoryProvider(std::function<std::uint64_t()> provider) {
    std::lock_guard lock(g_providerMutex);
    g_provider = std::move(provider);
}

Status CheckPictureSize(std::int64_t width, std::int64_t height, int bitsPerPixel) {
    if (width <= 0 || height <= 0)
        return Fail("Bad image size %lldx%lld.", static_cast<long long>(width),
                    static_cast<long long>(height));
    if (width > kMaxPicturePixels || height > kMaxPicturePixels ||
        width * height > kMaxPicturePixels)
        return Fail("Picture too large (%lldx%lld pixels).", static_cast<long long>(width),
                    static_cast<long long>(height));
    const std::int64_t stride = ((width * bitsPerPixel + 31) / 32) * 4;
    const std::uint64_t bytes = static_cast<std::uint64_t>(stride) * height;
    if (bytes > FreePageFile()) return Error{"Insufficient memory."};
    return Ok();
}

} // namespace core
