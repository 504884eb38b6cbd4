// vistrel-cli bookmarks FILE.vsl: the entries of a bookmark file as the
// program loads them, one "index<TAB>entry" line each, index from 0.
#pragma once

#include <string>
#include <vector>

// Exit 0, 1 when the file cannot be read, 2 for a wrong call.
int BookmarksCommand(const std::vector<std::string>& files);
