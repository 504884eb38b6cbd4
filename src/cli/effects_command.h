// vistrel-cli effects | effect | effect-selection: the transition-effect
// catalogue, the draws a show makes for an entry, and the stored selection.
#pragma once

#include <cstdio>

// True when argv[1] names one of these commands.
bool IsEffectsCommand(const char* command);

// Runs it. Exit 0, 2 for a wrong call.
int EffectsCommand(int argc, char** argv);

// The usage lines of these commands.
void PrintEffectsUsage(std::FILE* to);
