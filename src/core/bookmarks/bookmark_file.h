// Bookmark list files (".vsl"): plain text, one path a line, every line
// ended by CR LF, no header. Paths are bytes in the system's 8-bit encoding
// (UTF-8 here) and are taken as they stand, without checking that they exist.
#pragma once

#include "core/common/result.h"

#include <string>
#include <string_view>
#include <vector>

namespace core {

// The entries of a file's contents. CR LF, CR alone and LF alone each end a
// line (LF CR is two line ends); a last line without an end still counts; an
// empty line is an empty entry; everything from the first NUL byte on is ignored.
std::vector<std::string> ParseBookmarkText(std::string_view bytes);

// The file contents for a list: each entry followed by CR LF; empty for none.
std::string FormatBookmarkText(const std::vector<std::string>& entries);

// Reads a bookmark file; "Cannot read <path>: <reason>" on failure.
Result<std::vector<std::string>> ReadBookmarkFile(const std::string& path);

// Writes a bookmark file through a temporary file beside it, so a failed
// write leaves an existing file as it was.
Status WriteBookmarkFile(const std::string& path, const std::vector<std::string>& entries);

} // namespace core
