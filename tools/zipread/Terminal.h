// The terminal the tool talks to: whether there is one, reading a line from it with or without
// echo, and how item names are shown there. One implementation per system (Terminal_posix.cpp,
// Terminal_win32.cpp).
#pragma once

#include <string>

namespace talu::zipread {

// Whether questions can be asked: standard input and standard error are a terminal.
bool HasTerminal();
// Whether standard error is a terminal (for the progress bar).
bool StderrIsTerminal();
// Reads one line (without its end) from the terminal, in UTF-8; false at end of input (which
// ends only this question) or when interrupted.
bool ReadTerminalLine(std::string& line, bool echo);
// From now on Ctrl-C (and SIGTERM) only set Interrupted(), after giving the terminal its echo
// back; the run then cancels its work, removes the file it was writing and ends. A second one
// ends the program at once.
void CatchInterrupts();
bool Interrupted();
// An item name of the engine's events (folders separated by "\\") as the system writes paths,
// in UTF-8: as stored ("d/text.txt") on POSIX systems.
std::string ShownName(const std::u16string& name);

}  // namespace talu::zipread
