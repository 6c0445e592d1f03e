#include "gui/form.h"

#include <vector>

#include "gui/application.h"
#include "gui/button.h"
#include "gui/dialogs.h"
#include "gui/text.h"

namespace gui {
namespace {

struct FrameStyle {
  DWORD style;
  DWORD exStyle;
};

FrameStyle StyleOf(const FormOptions& options) {
  FrameStyle frame{WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0};
  if (options.border == BorderStyle::Single) {
    frame.style |= WS_OVERLAPPED | WS_MINIMIZEBOX;
  } else {
    frame.style |= WS_POPUP;
    frame.exStyle |= WS_EX_DLGMODALFRAME;
  }
  if (options.topMost) frame.exStyle |= WS_EX_TOPMOST;
  return frame;
}

Bounds FrameBounds(const FormOptions& options, const FrameStyle& frame) {
  RECT rect{0, 0, options.clientWidth, options.clientHeight};
  AdjustWindowRectEx(&rect, frame.style, FALSE, frame.exStyle);
  Bounds bounds{CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left, rect.bottom - rect.top};
  if (options.placement == Placement::ScreenCenter) {
    bounds.left = (GetSystemMetrics(SM_CXSCREEN) - bounds.width) / 2;
    bounds.top = (GetSystemMetrics(SM_CYSCREEN) - bounds.height) / 2;
  }
  return bounds;
}

// Disables the enabled, visible top-level windows of this thread except one, for the time of
// a modal run.
class OtherWindowsDisabled {
 public:
  explicit OtherWindowsDisabled(HWND keep) : keep_(keep) {
    EnumThreadWindows(GetCurrentThreadId(), &OtherWindowsDisabled::Visit,
                      reinterpret_cast<LPARAM>(this));
    for (HWND window : disabled_) EnableWindow(window, FALSE);
  }
  ~OtherWindowsDisabled() {
    for (HWND window : disabled_) EnableWindow(window, TRUE);
  }
  OtherWindowsDisabled(const OtherWindowsDisabled&) = delete;
  OtherWindowsDisabled& operator=(const OtherWindowsDisabled&) = delete;

 private:
  static BOOL CALLBACK Visit(HWND window, LPARAM self) {
    auto& run = *reinterpret_cast<OtherWindowsDisabled*>(self);
    if (window != run.keep_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
      run.disabled_.push_back(window);
    }
    return TRUE;
  }

  HWND keep_;
  std::vector<HWND> disabled_;
};

}  // namespace

Form::Form(const FormOptions& options) : Container(COLOR_BTNFACE) {
  InitControls();
  const FrameStyle frame = StyleOf(options);
  Create({L"TaluForm", frame.style, frame.exStyle, FrameBounds(options, frame), options.owner, 0,
          options.caption},
         this, std::make_shared<const Font>(options.font));
}

void Form::Show() {
  ShowWindow(Handle(), SW_SHOW);
  UpdateWindow(Handle());
}

void Form::Close() {
  if (busy_ > 0) {
    closeRequested_ = true;
  } else if (modal_) {
    modalResult_ = kModalClosed;
  } else if (!closed_) {
    DestroyWindow(Handle());
  }
}

int Form::ShowModal() {
  modalResult_ = 0;
  modal_ = true;
  {
    OtherWindowsDisabled others(Handle());
    Show();
    MSG message{};
    while (modalResult_ == 0 && !closed_) {
      if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
        PostQuitMessage(static_cast<int>(message.wParam));  // the quit belongs to the main loop
        modalResult_ = kModalClosed;
        break;
      }
      TranslateAndDispatch(message);
    }
  }  // the other windows are enabled again before this one hides, so one of them gets activated
  Hide();
  modal_ = false;
  return closed_ ? kModalClosed : modalResult_;
}

void Form::SetTabOrder(std::initializer_list<const Window*> controls) {
  HWND previous = HWND_TOP;
  for (const Window* control : controls) {
    SetWindowPos(control->Handle(), previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = control->Handle();
  }
}

void Form::SetDefaultButton(Button& button) {
  if (defaultButton_ != nullptr) defaultButton_->SetDefaultLook(false);
  defaultButton_ = &button;
  button.SetDefaultLook(true);
}

void Form::SetActiveControl(const Window& control) {
  lastFocus_ = control.Handle();
  if (GetActiveWindow() == Handle()) SetFocus(lastFocus_);
}

void Form::Dispatch(const std::function<void()>& handler) {
  ++busy_;
  try {
    handler();
  } catch (const std::exception& error) {
    CurrentDialogs().ShowError(Utf8ToUtf16(error.what()));
  } catch (...) {
    CurrentDialogs().ShowError(u"Unexpected error.");
  }
  if (--busy_ == 0 && closeRequested_) {
    closeRequested_ = false;
    Close();
  }
}

LRESULT Form::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam == 0) {
        OnDialogCommand(LOWORD(wParam));
        return 0;
      }
      break;
    case DM_GETDEFID:
      if (defaultButton_ == nullptr) return 0;
      return MAKELRESULT(GetDlgCtrlID(defaultButton_->Handle()), DC_HASDEFID);
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_CLOSE:
      // The close box of a modal form answers like Escape.
      if (modal_) {
        OnDialogCommand(IDCANCEL);
      } else {
        Close();
      }
      return 0;
    case WM_DESTROY:
      closed_ = true;
      if (quitOnClose_) PostQuitMessage(0);
      break;
  }
  return Container::WindowProc(message, wParam, lParam);
}

// Commands without a control: Enter and Escape from the dialog manager, and clicks posted by
// id from outside.
void Form::OnDialogCommand(int id) {
  if (id == IDOK) {
    if (defaultButton_ != nullptr) defaultButton_->Click();
  } else if (id == IDCANCEL) {
    if (cancelButton_ != nullptr) {
      cancelButton_->Click();
    } else if (modal_) {
      Close();
    }
  } else if (Window* control = FromHandle(GetDlgItem(Handle(), id))) {
    control->OnCommand(BN_CLICKED);
  }
}

void Form::OnActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(Handle(), focus)) lastFocus_ = focus;
    return;
  }
  if (lastFocus_ == nullptr || !IsWindow(lastFocus_)) {
    lastFocus_ = GetNextDlgTabItem(Handle(), nullptr, FALSE);
  }
  if (lastFocus_ != nullptr) SetFocus(lastFocus_);
  if (onActivate_) Dispatch(onActivate_);
}

}  // namespace gui
