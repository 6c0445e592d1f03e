// Exit codes of the tool, and how the outcomes of one run combine into one of them.
#pragma once

namespace talu::zipread {

enum TExit : int {
  kExitOk = 0,
  kExitWarning = 1,       // items skipped or kept damaged; the rest is fine
  kExitError = 2,         // an item failed, or output could not be written
  kExitSevere = 3,        // the archive cannot be read as an archive
  kExitNotFound = 9,      // the archive is missing or not a file
  kExitUsage = 10,        // the command line is not valid
  kExitNoMatch = 11,      // a mask matches no item
  kExitDiskFull = 50,     // the destination is full
  kExitInterrupted = 80,  // Ctrl-C or SIGTERM
  kExitUnsupported = 81,  // a compression method the engine does not read
  kExitPassword = 82,     // an item was skipped for want of its password
};

// The graver of two outcomes: the one that leaves the user with less of what was asked.
TExit Graver(TExit a, TExit b);

// The outcome of an item error of the engine, from its native error number.
TExit ExitForNativeError(int nativeError);

}  // namespace talu::zipread
