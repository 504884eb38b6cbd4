#include "core/bookmarks/compact_path.h"

#include <vector>

namespace core {

namespace {

bool IsSep(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

// The byte count of the last UTF-8 character of s, so text is never cut
// inside a character.
std::size_t LastCharLength(const std::string& s) {
    std::size_t n = 1;
    while (n < s.size() && (static_cast<unsigned char>(s[s.size() - n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

} // namespace

std::string CompactPath(const std::string& path, int maxWidth, const TextWidthFn& width) {
    if (width(path) <= maxWidth) return path;
    std::string p = path;
    while (p.size() > 1 && IsSep(p.back()))
        p.pop_back();

    // Drive ("C:" on Windows; none on Linux), the folders, and the last name.
    std::string drive;
    std::size_t pos = 0;
    if (p.size() >= 2 && p[1] == ':') {
        drive = p.substr(0, 2);
        pos = 2;
    }
    const char sep = (pos < p.size() && IsSep(p[pos])) ? p[pos] : '/';
    const bool rooted = pos < p.size() && IsSep(p[pos]);
    std::vector<std::string> parts;
    std::string current;
    for (std::size_t i = pos; i < p.size(); ++i) {
        if (IsSep(p[i])) {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current += p[i];
        }
    }
    const std::string name = current;
    if (parts.empty()) return name.empty() ? p : name;

    const std::string lead = drive + (rooted ? std::string(1, sep) : std::string());
    // One folder more replaced by "..." each step, then the drive, then all.
    for (std::size_t dropped = 1; dropped <= parts.size(); ++dropped) {
        std::string candidate = lead + "..." + sep;
        for (std::size_t i = dropped; i < parts.size(); ++i)
            candidate += parts[i] + sep;
        candidate += name;
        if (width(candidate) <= maxWidth) return candidate;
    }
    const std::string tail = std::string("...") + sep + name;
    if (width(tail) <= maxWidth) return tail;
    return name;
}

std::string CompactText(const std::string& text, int maxWidth, const TextWidthFn& width) {
    if (width(text) <= maxWidth) return text;
    std::string t = text;
    while (!t.empty()) {
        t.erase(t.size() - LastCharLength(t));
        if (width(t + "...") <= maxWidth) return t + "...";
    }
    return "...";
}

} // namespace core
