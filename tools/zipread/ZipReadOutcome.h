// What a batch (test, extract) tells the user: a line per extracted item, a message per item
// that failed, was skipped or was kept damaged, a summary of a test, and the exit code that the
// gravest of them gives. It answers the engine's password and overwrite questions itself, so
// that no question goes unanswered in silence.
#pragma once

#include <cstdio>
#include <string>

#include "ZipReadArgs.h"
#include "ZipReadExit.h"

namespace talu::zip {
class TZipBaseArchiver;
struct TDirItem;
}  // namespace talu::zip

namespace talu::zipread {

class TProgressBar;

class TOutcome {
 public:
  // Hooks the archiver's events; the progress bar's own hooks, if any, are kept and run first.
  TOutcome(zip::TZipBaseArchiver& archiver, const TCommand& command, std::FILE* out, std::FILE* err,
           TProgressBar* bar = nullptr);
  // Records an outcome that is not an item's (a mask without a match, an interrupt).
  void Add(TExit code) { exit_ = Graver(exit_, code); }
  // Prints the summary of a test; returns the exit code of the run.
  TExit Finish();

 private:
  void Hook(zip::TZipBaseArchiver& archiver);
  void Report(const std::u16string& name, const std::string& text, TExit code);
  void AskPassword(const std::u16string& name, std::string& password, bool& skip);
  bool MayOverwrite(const std::u16string& name);
  void Failed(const std::u16string& name, int nativeError, const std::u16string& message);

  zip::TZipBaseArchiver& archiver_;
  const TCommand& command_;
  std::FILE* out_;
  std::FILE* err_;
  TProgressBar* bar_;
  TExit exit_ = kExitOk;
  char overwrite_;            // 'o', 'n', 0: ask
  bool itemSkipped_ = false;  // the current item was skipped or failed
  int passwordTries_ = 0;     // passwords asked for the current item
  int items_ = 0, failed_ = 0, skipped_ = 0;
};

// A message of the engine with paths as the system writes them, without its
// " - Native error: NNNNN" unless `verbose`.
std::string MessageText(const std::u16string& message, bool verbose);
// The directory entry of an item named as the engine's events name it ("\\" or "/").
const zip::TDirItem* EventItem(zip::TZipBaseArchiver& archiver, const std::u16string& name);

}  // namespace talu::zipread
