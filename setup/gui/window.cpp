#include "gui/window.h"

#include "gui/container.h"
#include "gui/form.h"
#include "gui/text.h"

namespace gui {
namespace {

constexpr wchar_t kObjectProperty[] = L"TaluGuiWindow";

}  // namespace

Window::~Window() {
  if (handle_ == nullptr || FromHandle(handle_) != this) return;  // already destroyed
  RemovePropW(handle_, kObjectProperty);
  DestroyWindow(handle_);
}

Window* Window::FromHandle(HWND window) {
  return static_cast<Window*>(GetPropW(window, kObjectProperty));
}

void Window::Attach(HWND handle, Form* form, std::shared_ptr<const Font> font) {
  handle_ = handle;
  form_ = form;
  font_ = std::move(font);
  SetPropW(handle_, kObjectProperty, this);
  SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), FALSE);
}

std::u16string Window::Caption() const {
  return WindowText(handle_);
}

void Window::SetCaption(const std::u16string& text) {
  SetWindowTextW(handle_, Wide(text));
}

Bounds Window::GetBounds() const {
  RECT rect{};
  GetWindowRect(handle_, &rect);
  if (HWND parent = GetParent(handle_); parent != nullptr && (Style() & WS_CHILD)) {
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  }
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void Window::SetBounds(const Bounds& bounds) {
  SetWindowPos(handle_, nullptr, bounds.left, bounds.top, bounds.width, bounds.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::SetFont(const FontSpec& params) {
  font_ = std::make_shared<const Font>(params);
  SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), TRUE);
}

Control::Control(Container& parent, const wchar_t* className, DWORD style, const Bounds& bounds,
                 const std::u16string& caption, DWORD exStyle)
    : parent_(parent) {
  const auto id = static_cast<INT_PTR>(parent.NextChildId());
  HWND handle =
      CreateWindowExW(exStyle, className, Wide(caption), WS_CHILD | WS_VISIBLE | style, bounds.left,
                      bounds.top, bounds.width, bounds.height, parent.Handle(),
                      reinterpret_cast<HMENU>(id), GetModuleHandleW(nullptr), nullptr);
  Attach(handle, &parent.OwnerForm(), parent.SharedFont());
}

void Control::PressAsUser(WORD notification) const {
  if (!Enabled() || !Visible()) return;
  SendMessageW(parent_.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Handle()), notification),
               reinterpret_cast<LPARAM>(Handle()));
}

}  // namespace gui
