#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>

#include "Terminal.h"
#include "text/ZipUtf.h"

namespace talu::zipread {

bool HasTerminal() {
  return isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
}
bool StderrIsTerminal() {
  return isatty(STDERR_FILENO);
}

std::string ShownName(const std::u16string& name) {
  std::u16string stored = name;
  std::replace(stored.begin(), stored.end(), u'\\', u'/');
  return zip::Utf16ToUtf8(stored);
}

bool ReadTerminalLine(std::string& line, bool echo) {
  termios saved{};
  const bool quiet = !echo && tcgetattr(STDIN_FILENO, &saved) == 0;
  if (quiet) {
    termios silent = saved;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
  }
  const bool ok = static_cast<bool>(std::getline(std::cin, line));
  if (quiet) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::cerr << '\n';
  }
  return ok;
}

}  // namespace talu::zipread
