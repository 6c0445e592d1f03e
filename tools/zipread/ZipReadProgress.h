// A one-line progress bar on standard error: overall percent, the current item and the speed.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace talu::zip {
class TZipBaseArchiver;
}

namespace talu::zipread {

class TProgressBar {
 public:
  // Hooks the bar to the archiver's progress events; shows nothing when `enabled` is false.
  TProgressBar(zip::TZipBaseArchiver& archiver, std::FILE* err, bool enabled);
  ~TProgressBar();
  // Ends the progress line, so that a message starts on a line of its own.
  void EndLine();

 private:
  using Clock = std::chrono::steady_clock;
  void Draw(double percent, bool force);

  std::FILE* err_;
  std::string item_;
  Clock::time_point start_;
  Clock::time_point lastDraw_{};
  std::int64_t bytesBefore_ = 0;  // uncompressed bytes of finished items
  std::int64_t itemBytes_ = 0;    // size of the current item
  double itemPercent_ = 0;
  bool drawn_ = false;
};

}  // namespace talu::zipread
