#include "gui/tests/window_probe.h"

#include <thread>

#include "gui/text.h"

namespace gui::probe {
namespace {

constexpr milliseconds kPollInterval{50};
constexpr UINT kSendTimeoutMs = 5000;

struct Search {
  const std::u16string* caption;
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (!IsWindowVisible(window) || (search.processId != 0 && owner != search.processId)) {
    return TRUE;
  }
  if (ReadText(window) != *search.caption) return TRUE;
  search.found = window;
  return FALSE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::u16string ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return FromWide(name);
}

// Polls `probe` until it returns something or the time is up.
template <typename Probe>
auto Poll(milliseconds timeout, Probe probe) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    auto result = probe();
    if (result || std::chrono::steady_clock::now() >= deadline) return result;
    std::this_thread::sleep_for(kPollInterval);
  }
}

// The colon of a "Class:N" selector (a name, a colon, a number), or npos.
size_t ClassSelectorColon(const std::u16string& selector) {
  const size_t colon = selector.rfind(u':');
  if (colon == std::u16string::npos || colon == 0 || colon + 1 == selector.size()) {
    return std::u16string::npos;
  }
  const bool number = selector.find_first_not_of(u"0123456789", colon + 1) == std::u16string::npos;
  return number ? colon : std::u16string::npos;
}

HWND ByClassAndIndex(const std::vector<HWND>& controls, const std::u16string& selector,
                     size_t colon) {
  const std::u16string className = selector.substr(0, colon);
  int wanted = std::stoi(Utf16ToUtf8(selector.substr(colon + 1)));
  for (HWND control : controls) {
    if (lstrcmpiW(Wide(ClassOf(control)), Wide(className)) == 0 && --wanted == 0) return control;
  }
  return nullptr;
}

}  // namespace

HWND FindVisibleWindow(const std::u16string& caption, DWORD processId) {
  Search search{&caption, processId, nullptr};
  EnumWindows(&MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(const std::u16string& caption, milliseconds timeout, DWORD processId) {
  return Poll(timeout, [&] { return FindVisibleWindow(caption, processId); });
}

bool WaitUntilGone(const std::u16string& caption, milliseconds timeout, DWORD processId) {
  return Poll(timeout, [&] { return FindVisibleWindow(caption, processId) == nullptr; });
}

std::vector<HWND> Controls(HWND top) {
  std::vector<HWND> controls;
  EnumChildWindows(top, &CollectChild, reinterpret_cast<LPARAM>(&controls));
  return controls;
}

HWND FindControl(HWND top, const std::u16string& selector) {
  const std::vector<HWND> controls = Controls(top);
  if (selector.size() > 1 && selector[0] == u'#') {
    const int id = std::stoi(Utf16ToUtf8(selector.substr(1)));
    for (HWND control : controls) {
      if (GetDlgCtrlID(control) == id) return control;
    }
    return nullptr;
  }
  if (const size_t colon = ClassSelectorColon(selector); colon != std::u16string::npos) {
    return ByClassAndIndex(controls, selector, colon);
  }
  const std::u16string wanted = WithoutAccessKeys(selector);
  for (HWND control : controls) {
    if (WithoutAccessKeys(ReadText(control)) == wanted) return control;
  }
  return nullptr;
}

HWND WaitForControl(HWND top, const std::u16string& selector, milliseconds timeout, bool usable) {
  return Poll(timeout, [&]() -> HWND {
    HWND control = FindControl(top, selector);
    if (control == nullptr || (usable && !(IsWindowVisible(control) && IsWindowEnabled(control)))) {
      return nullptr;
    }
    return control;
  });
}

std::u16string ReadText(HWND control) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &length)) {
    return {};
  }
  std::u16string text(length + 1, u'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied);
  text.resize(copied);
  return text;
}

bool WriteText(HWND control, const std::u16string& text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text)),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) != 0 &&
         result != 0;
}

// A radio button or check box changes its state only when it is clicked itself; a push button's
// notification is posted to its parent, so that a modal box it opens does not hold us up.
void PostClick(HWND button) {
  const LONG kind = GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
  if (kind == BS_AUTORADIOBUTTON || kind == BS_AUTOCHECKBOX || kind == BS_AUTO3STATE) {
    PostMessageW(button, BM_CLICK, 0, 0);
    return;
  }
  PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

std::u16string Describe(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  const auto number = [](long value) { return Utf8ToUtf16(std::to_string(value)); };
  return ClassOf(control) + u"\t" + number(GetDlgCtrlID(control)) + u"\t" +
         (IsWindowVisible(control) ? u"visible" : u"hidden") + u"\t" +
         (IsWindowEnabled(control) ? u"enabled" : u"disabled") + u"\t" + number(rect.left) + u"," +
         number(rect.top) + u"," + number(rect.right - rect.left) + u"," +
         number(rect.bottom - rect.top) + u"\t" + ReadText(control);
}

}  // namespace gui::probe
