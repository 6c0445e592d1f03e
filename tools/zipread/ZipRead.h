// The command-line tool over the archive engine, independent of the system's entry point.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace talu::zipread {

// Runs the tool with its arguments (UTF-8, without the program name); output goes to `out`,
// messages to `err`. Returns the exit code (ZipReadExit.h).
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace talu::zipread
