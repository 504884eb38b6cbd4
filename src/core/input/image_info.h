// The text of the Info box: what the picture is, where it came from, the
// memory it takes and the memory left. The window and vistrel-cli share it.
#pragma once

#include "core/common/bitmap.h"
#include "core/input/open_pipeline.h"

#include <cstdint>
#include <optional>
#include <string>

namespace core {

// The bytes a picture's pixels take by its pixel format: 1 bit w·h/8, 4 bits
// w·h/2, 8 bits w·h, 15/16 bits w·h·2, 24 bits w·h·3, 32 bits w·h·4 (64-bit
// integer arithmetic); −1 for any other depth.
std::int64_t PictureMemoryBytes(std::int64_t width, std::int64_t height, int bits);

// A file's modification date and time in the user's short format (the
// LC_TIME locale's date, then hours and minutes); nullopt when the file
// cannot be read (deleted since it was opened).
std::optional<std::string> FileDateText(const std::string& path);

struct ImageInfoInput {
    std::string description; // the status bar's picture description
    std::string currentFile; // "Untitled" for a picture without a file
    int pageCount = 1;
    int width = 0, height = 0;
    int bits = 0; // the bitmap's own pixel format
    std::uint64_t freeBytes = 0;
    int screenBits = 24;
    // The file's date as FileDateText gives it; nullopt leaves the line out.
    std::optional<std::string> dateText;
    // A Photo CD pack's description, appended after a blank line.
    std::string packDescription;
};

// The facts of the picture shown: description, name, bits and the date read now.
ImageInfoInput ImageInfoOf(const DocumentState& doc, const Bitmap& picture, bool untitled,
                           int screenBits);

// "640x480x16m ddb\nName: a.png\nPath: /pics/\nDate: …\nUses: 921600 bytes\n
//  Free: … bytes\n\nVideo: 24 bpp", plus "\n\n" and the pack description.
std::string ImageInfoText(const ImageInfoInput& in);

} // namespace core
