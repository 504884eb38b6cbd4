// TIFF files held in memory, opened through libtiff with per-handle error
// handlers and a bound on libtiff's allocations, and the facts the probe
// reports about them (size, depth, pages, compression).
#pragma once

#include "core/common/result.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

typedef struct tiff TIFF;

namespace core {

struct TiffFacts {
    int width = 0;
    int height = 0;
    int bits = 0; // bits per sample × samples per pixel of the first page
    int planes = 1;
    int pages = 0;
    std::string compressionText; // "None", "LZW", "CCITT G4", ... or "Compression N"
};

Result<TiffFacts> ReadTiffFacts(std::span<const std::uint8_t> file);

// Refuses sample layouts no reader handles (1, 2, 4, 8 or 16 bits per sample,
// 1 to 8 samples per pixel), before the two tag values are ever multiplied.
Status CheckTiffSampleLayout(unsigned bitsPerSample, unsigned samplesPerPixel);

// The text for a TIFF compression tag value.
std::string TiffCompressionText(unsigned compression);

// A libtiff error in plain words first, the library's detail after it (its
// function names dropped, a negative count shown with its sign).
std::string TiffUserMessage(const std::string& raw);

// One libtiff handle over bytes the caller keeps alive. libtiff's errors and
// warnings land in this object instead of on stderr.
class TiffMemory {
  public:
    static Result<std::unique_ptr<TiffMemory>> Open(std::span<const std::uint8_t> file);
    TiffMemory() = default;
    ~TiffMemory();
    TiffMemory(const TiffMemory&) = delete;
    TiffMemory& operator=(const TiffMemory&) = delete;

    TIFF* tif() const { return tif_; }
    // Number of pages; libtiff stops at an IFD that loops back, and the count
    // is capped so that it always ends.
    int countPages();
    // The last libtiff error, or the fallback text when there was none.
    std::string lastError(const char* fallback) const;
    void clearError() { error_.clear(); }

    // Internal: used by the libtiff callbacks.
    std::span<const std::uint8_t> data_;
    std::uint64_t pos_ = 0;
    std::string error_;
    std::string warning_;

  private:
    TIFF* tif_ = nullptr;
};

inline constexpr int kMaxTiffPages = 65535;

} // namespace core
