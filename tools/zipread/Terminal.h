// The terminal the tool talks to: whether there is one, and reading a line from it with or
// without echo. One implementation per system (Terminal_posix.cpp, Terminal_win32.cpp).
#pragma once

#include <string>

namespace talu::zipread {

// Whether questions can be asked: standard input and standard error are a terminal.
bool HasTerminal();
// Whether standard error is a terminal (for the progress bar).
bool StderrIsTerminal();
// Reads one line (without its end) from the terminal, in UTF-8; false at end of input.
bool ReadTerminalLine(std::string& line, bool echo);

}  // namespace talu::zipread
