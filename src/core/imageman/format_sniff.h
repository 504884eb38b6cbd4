// Which reader a file needs, told by its first bytes (TGA has no signature:
// the name decides there).
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace core::imageman {

enum class FileKind { Unknown, Bmp, Dib, Pcx, Dcx, Tga, Tiff, Png, Jpeg, PhotoCd };

FileKind SniffFile(std::span<const std::uint8_t> head, const std::string& nameHint);
const char* FileKindName(FileKind kind);

} // namespace core::imageman
