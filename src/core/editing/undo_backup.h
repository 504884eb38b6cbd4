// The one-level undo backup: a copy of the picture as it was, with its
// palette and colour depth, held as a bitmap or as a DIB file image in memory
// (the form the ImageLib colour reduction reads).
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace core::editing {

// A DIB file image: the 14-byte file header, then the packed DIB.
inline constexpr std::size_t kFileHeaderSize = 14;
Result<std::vector<std::uint8_t>> PictureToDibFile(const Bitmap& picture);
Result<Bitmap> DibFileToPicture(const std::vector<std::uint8_t>& file);

// Moves the pixel array of a DIB file image down to the offset its file
// header names when the stream holds a gap before the pixels (a colour table
// longer than the one the header counts); colours-used and colours-important
// are then zeroed. Streams too short to hold the headers are left alone.
void PackDIBStream(std::vector<std::uint8_t>& stream);

struct RestoredPicture {
    Bitmap picture;
    int depth = 0; // PictureBits when the backup was taken
};

class UndoBackup {
  public:
    bool held() const { return held_; }
    bool inStream() const { return held_ && inStream_; }
    int savedDepth() const { return depth_; }
    // The DIB file image while the backup is held as a stream.
    const std::vector<std::uint8_t>& stream() const { return stream_; }

    // Takes a copy of the picture. `keepPalette`: also keep a copy of its
    // palette (8-bit screens and indexed pictures). A failure leaves no backup.
    Status Take(const Bitmap& picture, int depth, bool asStream, bool keepPalette);

    // The picture as it was; the backup is released whether or not it works.
    Result<RestoredPicture> Restore();

    void Clear();

  private:
    Bitmap bitmap_;
    std::vector<std::uint8_t> stream_;
    std::optional<std::vector<Rgbq>> palette_;
    bool held_ = false;
    bool inStream_ = false;
    int depth_ = 0;
};

} // namespace core::editing
