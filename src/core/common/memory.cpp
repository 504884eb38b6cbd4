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

std::uint64_t ImageMemSize(std::int64_t width, std::int64_t height, int bits, int screenBits,
                           bool autoReduce) {
    if (width <= 0 || height <= 0) return 0;
    if (bits == 24 && screenBits == 8 && autoReduce) bits = 8;
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    std::uint64_t bytes = 0;
    switch (bits) {
    case 1: bytes = pixels / 8; break;
    case 4: bytes = pixels / 2; break;
    case 8: bytes = pixels; break;
    case 15:
    case 16: bytes = pixels * 2; break;
    case 24: bytes = pixels * 3; break;
    case 32: bytes = pixels * 4; break;
    default: bytes = 0;
    }
    return bytes / 4096 * 4096;
}

bool EnoughMemory(std::uint64_t imageMemSize, int shift) {
    if (shift < 0 || shift > 31) return false;
    // Saturate instead of wrapping: a huge estimate must fail, not pass.
    const std::uint64_t limit = std::uint64_t{1} << (63 - shift);
    if (imageMemSize >= limit) return false;
    return FreePageFile() >= (imageMemSize << shift) + 8192000u;
}

} // namespace core
