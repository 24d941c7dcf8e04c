#pragma once

#include <optional>

// Reads the command line before any window or display is needed. --help and --version print and end the run
// (exit code 0), a wrong option or argument prints the usage and ends it with 2; data files are never touched.
// Returns the exit code when the run ends here, nothing when the program goes on to start.
std::optional<int> handleCommandLine(int argc, char** argv);
