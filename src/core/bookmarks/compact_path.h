// Fitting a path into a status line of a given width. The width of a text is
// measured by the caller (a font on screen, a character count in tests).
#pragma once

#include <functional>
#include <string>

namespace core {

using TextWidthFn = std::function<int(const std::string&)>;

// A folder path loses its leading folders one at a time, keeping the drive
// (where there is one) and the last name: "/home/a/b/c/d" → "/.../a/b/c/d"
// → "/.../b/c/d" → "/.../c/d" → "/.../d" → ".../d" → "d". The first form
// that fits is returned; the last name alone when nothing fits.
std::string CompactPath(const std::string& path, int maxWidth, const TextWidthFn& width);

// Any other text loses characters from its end, with "..." appended, until
// it fits ("..." alone when nothing does).
std::string CompactText(const std::string& text, int maxWidth, const TextWidthFn& width);

} // namespace core
