// The commands that read item data: test, extract, cat and check-password.
#pragma once

#include <cstdio>

#include "ZipReadArgs.h"

namespace talu::zipread {

// Runs one of them; returns the exit code (ZipReadExit.h).
// Archive exceptions that end the run pass on to the caller.
int ExecuteDataCommand(const TCommand& command, std::FILE* out, std::FILE* err);

}  // namespace talu::zipread
