#include "cli/bookmarks_command.h"

#include "core/bookmarks/bookmark_file.h"

#include <cstdio>

int BookmarksCommand(const std::vector<std::string>& files) {
    if (files.size() != 1) {
        std::fputs("usage: vistrel-cli bookmarks FILE.vsl\n", stderr);
        return 2;
    }
    const auto entries = core::ReadBookmarkFile(files[0]);
    if (!entries) {
        std::fprintf(stderr, "vistrel-cli: %s\n", entries.message().c_str());
        return 1;
    }
    // Entries are the file's bytes (UTF-8 on this system), written unchanged.
    const std::vector<std::string>& lines = entries.value();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::printf("%zu\t", i);
        std::fwrite(lines[i].data(), 1, lines[i].size(), stdout);
        std::fputc('\n', stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
