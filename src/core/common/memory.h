// Free memory and the guard every decoder passes before it allocates a picture.
#pragma once

#include "core/common/result.h"

#include <cstdint>
#include <functional>

namespace core {

// Available memory plus free swap, in bytes (64-bit). On Linux from /proc/meminfo.
std::uint64_t FreePageFile();

// Tests make the reading deterministic; an empty function restores the real one.
void SetFreeMemoryProvider(std::function<std::uint64_t()> provider);

// Largest picture accepted whatever the free memory says.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 30;

// Refuses sizes that are not positive, over kMaxPicturePixels, or whose bytes
// (at bitsPerPixel, rows padded to 4 bytes) do not fit in free memory.
Status CheckPictureSize(std::int64_t width, std::int64_t height, int bitsPerPixel);

// The size estimate the memory guard uses: width × height × bytes a pixel
// (1/8, 1/2, 1, 2, 3 or 4 for 1, 4, 8, 15/16, 24, 32 bits; 0 for others), a
// 24-bit picture counting as 8-bit on an 8-bit screen with Auto Reduce on,
// cut down to a multiple of 4096.
std::uint64_t ImageMemSize(std::int64_t width, std::int64_t height, int bits, int screenBits,
                           bool autoReduce);

// The memory guard: free memory at least the estimate shifted left by `shift`
// plus 8,192,000 bytes. 64-bit throughout.
bool EnoughMemory(std::uint64_t imageMemSize, int shift);

} // namespace core
