// vistrel-cli transition: one slide's transition as a show draws it, on a
// virtual clock, frame by frame; and --bench, the render speed of every
// entry at every speed.
#pragma once

#include <cstdio>

namespace cli {

// Runs `transition` (argv[1]). Exit 0 done, 1 a file could not be read or
// written, 2 a wrong call.
int TransitionCommand(int argc, char** argv);

void PrintTransitionUsage(std::FILE* to);

} // namespace cli
