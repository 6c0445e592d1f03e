// The message loop of the GUI thread.
#pragma once

#include <windows.h>

namespace gui {

class Form;

// Loads the common controls (progress bar, tooltips); forms call it, repeated calls are free.
void InitControls();

// Dispatches one message, giving the dialog manager of its form the keyboard first (Tab moves
// between controls, Enter and Escape press the default and cancel buttons).
void TranslateAndDispatch(MSG& message);

// Serves every message waiting in the queue, then returns without waiting for more. A quit
// request met on the way stays queued for the main loop.
void ProcessMessages();

// Shows `mainForm` and serves the queue until it is closed. Returns the exit code 0.
int Run(Form& mainForm);

}  // namespace gui
