// Helpers of the GUI tests: unique captions, answering this process's dialogs from another
// thread, and running gui_driver while this thread serves its windows.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace gui::test {

// `base` made unique to this process, so that parallel tests never find each other's windows.
std::u16string UniqueCaption(const std::u16string& base);

// Waits on its own thread for a visible window of this process with `caption`, then runs
// `act` on it. If none appears in time, or it is still there a while after `act`, it posts
// WM_QUIT to the creating thread, so that a modal run waiting for an answer ends and the test
// fails instead of hanging.
class Answerer {
 public:
  Answerer(std::u16string caption, std::function<void(HWND)> act);
  ~Answerer() { thread_.join(); }
  Answerer(const Answerer&) = delete;
  Answerer& operator=(const Answerer&) = delete;
  bool Found() const { return found_; }

 private:
  std::atomic<bool> found_{false};
  std::thread thread_;
};

// The texts of a window's buttons in tab order.
std::vector<std::u16string> ButtonTexts(HWND window);

struct DriverRun {
  DWORD exitCode;
  std::string output;  // UTF-8
};

// Runs gui_driver.exe (beside the test program) with `args`, serving this thread's messages
// meanwhile.
DriverRun RunDriver(const std::vector<std::u16string>& args);

}  // namespace gui::test
