// vistrel-cli scan: the scanner's devices, and one scan written as a picture
// file, as the window's Acquire makes it.
#pragma once

#include <cstdio>

namespace cli {

int ScanCommand(int argc, char** argv);
void PrintScanUsage(std::FILE* to);

} // namespace cli
