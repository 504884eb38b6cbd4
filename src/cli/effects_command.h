// vistrel-cli effects | effect | effect-selection: the transition-effect
// catalogue, the draws a show makes for an entry, and the stored selection.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>

namespace cli {

// The argument parsers these commands share; nullopt or false for bad text.
std::optional<long long> ParseNumber(const char* text, long long lo, long long hi);
std::optional<std::uint64_t> ParseSeed(const char* text);
// A catalogue entry, 0..173.
std::optional<int> ParseEntry(const char* text);
// EffectsSpeed as stored (0..255; the resolution clamps it) or its name.
std::optional<int> ParseSpeed(const char* text);
// WxH, both at least 1.
bool ParseSize(const char* text, int* w, int* h);

} // namespace cli

// True when argv[1] names one of these commands.
bool IsEffectsCommand(const char* command);

// Runs it. Exit 0, 2 for a wrong call.
int EffectsCommand(int argc, char** argv);

// The usage lines of these commands.
void PrintEffectsUsage(std::FILE* to);
