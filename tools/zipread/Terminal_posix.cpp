#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "Terminal.h"
#include "ZipReadExit.h"
#include "text/ZipUtf.h"

namespace talu::zipread {
namespace {

volatile sig_atomic_t gInterrupted = 0;
volatile sig_atomic_t gEchoOff = 0;  // gSaved holds the terminal's settings to restore
termios gSaved{};

void OnInterrupt(int) {
  if (gEchoOff) tcsetattr(STDIN_FILENO, TCSANOW, &gSaved);
  if (gInterrupted) _exit(kExitInterrupted);
  gInterrupted = 1;
}

}  // namespace

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

void CatchInterrupts() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no restart: a read at a prompt ends
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool Interrupted() {
  return gInterrupted != 0;
}

bool ReadTerminalLine(std::string& line, bool echo) {
  const bool quiet = !echo && tcgetattr(STDIN_FILENO, &gSaved) == 0;
  if (quiet) {
    termios silent = gSaved;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    gEchoOff = 1;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
  }
  const bool ok = !Interrupted() && static_cast<bool>(std::getline(std::cin, line));
  if (quiet) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &gSaved);
    gEchoOff = 0;
    std::cerr << '\n';
  }
  // Ctrl-D ends this answer only: the next question reads again.
  std::cin.clear();
  std::clearerr(stdin);
  return ok;
}

}  // namespace talu::zipread
