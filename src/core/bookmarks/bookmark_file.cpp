#include "core/bookmarks/bookmark_file.h"

#include "core/imagelib/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace core {

std::vector<std::string> ParseBookmarkText(std::string_view bytes) {
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    std::vector<std::string> lines;
    std::size_t start = 0, i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.emplace_back(bytes.substr(start, i - start));
        // CR LF is one line end; LF CR is two.
        i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

std::string FormatBookmarkText(const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& e : entries) {
        text += e;
        text += "\r\n";
    }
    return text;
}

Result<std::vector<std::string>> ReadBookmarkFile(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!f) return Fail("Cannot read %s: %s", path.c_str(), std::strerror(errno));
    std::string bytes;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0)
        bytes.append(buf, n);
    if (std::ferror(f.get())) return Fail("Cannot read %s: %s", path.c_str(), std::strerror(errno));
    return ParseBookmarkText(bytes);
}

Status WriteBookmarkFile(const std::string& path, const std::vector<std::string>& entries) {
    const std::string text = FormatBookmarkText(entries);
    return imagelib::WriteFileAtomically(path, [&](std::FILE* f) -> Status {
        if (!text.empty() && std::fwrite(text.data(), 1, text.size(), f) != text.size())
            return Fail("Cannot write %s: %s", path.c_str(), std::strerror(errno));
        return Ok();
    });
}

} // namespace core
