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

} // namespace core
