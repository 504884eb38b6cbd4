// vistrel-cli avl: the play plan of one pass of a slideshow script.
#pragma once

#include <cstdio>

namespace cli {

// Exit 0 with the plan, 1 for a script the show refuses, 2 for a wrong call.
int AvlCommand(int argc, char** argv);
void PrintAvlUsage(std::FILE* to);

} // namespace cli
