// vistrel-cli print-layout: the print layout dialog's numbers and texts for a
// page, a printer resolution and a picture size, without a printer.
#pragma once

#include <cstdio>

namespace cli {

// Exit 0, 2 for a wrong call.
int PrintLayoutCommand(int argc, char** argv);
void PrintLayoutUsage(std::FILE* to);

} // namespace cli
