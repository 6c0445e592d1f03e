// gui_driver: drives the windows of another program, for end-to-end tests.
//
//   gui_driver [--timeout SECONDS] COMMAND ARGS... [COMMAND ARGS...]...
//
// Commands run in order; each waits up to the timeout (default 20 s) for what it needs:
//   wait TITLE                    a visible top-level window with this caption
//   wait-closed TITLE             no visible window with this caption any more
//   click TITLE CONTROL           press a button, posted: a modal box it opens blocks nobody
//                                 (answering a message box is a click in the box)
//   set TITLE CONTROL TEXT        set a control's text (an edit box)
//   get TITLE CONTROL             print a control's text
//   wait-text TITLE CONTROL TEXT  until the control shows exactly TEXT
//   list TITLE                    one line per control: class, id, visible, enabled, place, text
//   close TITLE                   ask the window to close (as its close box would)
//   size TITLE                    print the window's outer size, "WIDTHxHEIGHT"
// CONTROL is "#ID", "Class:N" (N-th control of that class, from 1) or the control's text with
// or without its '&' markers. Output is UTF-8. Exit code 0, 1 when something did not appear
// in time (the failed step is named on stderr), 2 for a usage error.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "gui/tests/window_probe.h"
#include "gui/text.h"

namespace {

using gui::FromWide;
using gui::Utf16ToUtf8;
namespace probe = gui::probe;
using Args = std::vector<std::u16string>;

struct Driver {
  probe::milliseconds timeout{20000};

  HWND Window(const std::u16string& title) const { return probe::WaitForWindow(title, timeout); }
  HWND Control(const std::u16string& title, const std::u16string& selector, bool usable) const {
    HWND top = Window(title);
    return top != nullptr ? probe::WaitForControl(top, selector, timeout, usable) : nullptr;
  }
};

void PrintLine(const std::u16string& text) {
  const std::string line = Utf16ToUtf8(text) + "\n";
  fwrite(line.data(), 1, line.size(), stdout);
  fflush(stdout);
}

bool WaitText(const Driver& d, const Args& a) {
  HWND control = d.Control(a[0], a[1], false);
  if (control == nullptr) return false;
  const auto deadline = GetTickCount64() + static_cast<ULONGLONG>(d.timeout.count());
  while (probe::ReadText(control) != a[2]) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(50);
  }
  return true;
}

bool List(const Driver& d, const Args& a) {
  HWND top = d.Window(a[0]);
  if (top == nullptr) return false;
  for (HWND control : probe::Controls(top)) PrintLine(probe::Describe(control));
  return true;
}

struct Command {
  size_t arity;
  std::function<bool(const Driver&, const Args&)> run;
};

const std::map<std::u16string, Command>& Commands() {
  static const std::map<std::u16string, Command> commands{
      {u"wait", {1, [](const Driver& d, const Args& a) { return d.Window(a[0]) != nullptr; }}},
      {u"wait-closed",
       {1, [](const Driver& d, const Args& a) { return probe::WaitUntilGone(a[0], d.timeout); }}},
      {u"click",
       {2,
        [](const Driver& d, const Args& a) {
          HWND button = d.Control(a[0], a[1], true);
          if (button != nullptr) probe::PostClick(button);
          return button != nullptr;
        }}},
      {u"set",
       {3,
        [](const Driver& d, const Args& a) {
          HWND control = d.Control(a[0], a[1], false);
          return control != nullptr && probe::WriteText(control, a[2]);
        }}},
      {u"get",
       {2,
        [](const Driver& d, const Args& a) {
          HWND control = d.Control(a[0], a[1], false);
          if (control != nullptr) PrintLine(probe::ReadText(control));
          return control != nullptr;
        }}},
      {u"wait-text", {3, WaitText}},
      {u"list", {1, List}},
      {u"size",
       {1,
        [](const Driver& d, const Args& a) {
          RECT rect{};
          HWND top = d.Window(a[0]);
          if (top == nullptr || !GetWindowRect(top, &rect)) return false;
          PrintLine(gui::Utf8ToUtf16(std::to_string(rect.right - rect.left) + "x" +
                                     std::to_string(rect.bottom - rect.top)));
          return true;
        }}},
      {u"close",
       {1,
        [](const Driver& d, const Args& a) {
          HWND top = d.Window(a[0]);
          return top != nullptr && PostMessageW(top, WM_CLOSE, 0, 0);
        }}},
  };
  return commands;
}

int Usage() {
  fputs(
      "usage: gui_driver [--timeout SECONDS] COMMAND ARGS... [COMMAND ARGS...]...\n"
      "commands: wait T | wait-closed T | click T C | set T C TEXT | get T C |\n"
      "          wait-text T C TEXT | list T | close T\n",
      stderr);
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // "\n" line ends, as Linux tools read them
  Args words;
  for (int i = 1; i < argc; ++i) words.push_back(FromWide(argv[i]));
  Driver driver;
  size_t next = 0;
  if (words.size() >= 2 && words[0] == u"--timeout") {
    const int seconds = _wtoi(argv[2]);
    if (seconds <= 0) return Usage();
    driver.timeout = probe::milliseconds(seconds * 1000);
    next = 2;
  }
  if (next >= words.size()) return Usage();
  while (next < words.size()) {
    const auto command = Commands().find(words[next]);
    if (command == Commands().end() || next + 1 + command->second.arity > words.size()) {
      return Usage();
    }
    const Args args(words.begin() + static_cast<long>(next) + 1,
                    words.begin() + static_cast<long>(next + 1 + command->second.arity));
    if (!command->second.run(driver, args)) {
      fprintf(stderr, "gui_driver: %s failed:", Utf16ToUtf8(words[next]).c_str());
      for (const auto& arg : args) fprintf(stderr, " \"%s\"", Utf16ToUtf8(arg).c_str());
      fputs("\n", stderr);
      return 1;
    }
    next += 1 + command->second.arity;
  }
  return 0;
}
