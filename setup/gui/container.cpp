#include "gui/container.h"

#include <set>
#include <string>

#include "gui/text.h"

namespace gui {

Container::Container(Container& parent, const Bounds& bounds, DWORD exStyle, int backgroundColor,
                     const std::u16string& caption)
    : backgroundColor_(backgroundColor) {
  Create({L"TaluPanel", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, exStyle | WS_EX_CONTROLPARENT,
          bounds, parent.Handle(), parent.NextChildId(), caption},
         &parent.OwnerForm(), parent.SharedFont());
}

void Container::RegisterClassOnce(const wchar_t* className) {
  static std::set<std::wstring> registered;
  if (!registered.insert(className).second) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Container::Procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.lpszClassName = className;
  RegisterClassExW(&windowClass);
}

void Container::Create(const Creation& creation, Form* form, std::shared_ptr<const Font> font) {
  RegisterClassOnce(creation.className);
  const Bounds& b = creation.bounds;
  HWND handle = CreateWindowExW(creation.exStyle, creation.className, Wide(creation.caption),
                                creation.style, b.left, b.top, b.width, b.height, creation.parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(creation.id)),
                                GetModuleHandleW(nullptr), nullptr);
  Attach(handle, form, std::move(font));
}

LRESULT CALLBACK Container::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Messages sent while the window is being created reach the default procedure.
  auto* self = static_cast<Container*>(FromHandle(window));
  return self != nullptr ? self->WindowProc(message, wParam, lParam)
                         : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Container::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (Window* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
        child->OnCommand(HIWORD(wParam));
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (Window* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
        if (HBRUSH brush = child->OnColor(reinterpret_cast<HDC>(wParam))) {
          return reinterpret_cast<LRESULT>(brush);
        }
      }
      break;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (Window* child = FromHandle(item.hwndItem)) {
        child->OnDrawItem(item);
        return TRUE;
      }
      break;
    }
    case WM_SETCURSOR:
      if (Window* child = FromHandle(reinterpret_cast<HWND>(wParam));
          child != nullptr && child->Cursor() != nullptr && LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(child->Cursor());
        return TRUE;
      }
      break;
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(Handle(), &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, BackgroundBrush());
      return TRUE;
    }
  }
  return DefWindowProcW(Handle(), message, wParam, lParam);
}

}  // namespace gui
