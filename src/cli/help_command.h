// vistrel-cli --help, --version and COMMAND --help: answered before any
// command parses its arguments, so asking for help never runs a command.
#pragma once

#include <cstdio>

namespace cli {

// The tool's version, as the window's --version prints it.
const char* Version();

// The usage of one command (its synopsis and what each option does); false
// when the tool has no such command.
bool PrintCommandUsage(const char* command, std::FILE* to);

// Answers a request for help or for the version: "--help", "-h", "help
// [COMMAND]", "--version", or "COMMAND --help" (before a "--"). Returns the
// exit status, or -1 when argv asks for neither and the command should run.
// printUsage prints the whole tool's usage, which is also the answer for a
// command without a usage of its own.
int HelpRequest(int argc, char** argv, void (*printUsage)(std::FILE*));

} // namespace cli
