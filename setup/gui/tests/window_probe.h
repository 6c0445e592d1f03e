// Finding and driving the windows of a GUI from outside: from another thread of the test, or
// from another process (gui_driver). Uses only what works across processes: window captions,
// classes and ids, WM_GETTEXT/WM_SETTEXT and posted clicks.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace gui::probe {

using std::chrono::milliseconds;

// A visible top-level window with exactly this caption, of process `processId` unless it is 0.
HWND FindVisibleWindow(const std::u16string& caption, DWORD processId = 0);
HWND WaitForWindow(const std::u16string& caption, milliseconds timeout, DWORD processId = 0);
bool WaitUntilGone(const std::u16string& caption, milliseconds timeout, DWORD processId = 0);

// The descendants of `top` in drawing (and tab) order, depth first.
std::vector<HWND> Controls(HWND top);

// A control by selector: "#ID" (its control id), "Class:N" (the N-th control of that window
// class, from 1) or else its text, access-key markers ignored ("Yes" finds "&Yes").
HWND FindControl(HWND top, const std::u16string& selector);
// Waits until the control exists and, when `usable`, is visible and enabled.
HWND WaitForControl(HWND top, const std::u16string& selector, milliseconds timeout, bool usable);

std::u16string ReadText(HWND control);
bool WriteText(HWND control, const std::u16string& text);
// Posts the click of a button to its parent, so that a modal box it opens blocks nobody.
void PostClick(HWND button);
// "class<TAB>id<TAB>visible<TAB>enabled<TAB>left,top,width,height<TAB>text", the place in the
// client area of its parent.
std::u16string Describe(HWND control);

}  // namespace gui::probe
