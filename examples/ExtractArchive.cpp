// Extracts every item of an archive into a folder: the names on standard output, a progress
// line, a password offered once, failed items reported and skipped, and Ctrl+C ending the run
// after the current chunk. Exits with 1 when an item failed or was skipped.
// Usage: extract_archive ARCHIVE FOLDER [PASSWORD]
#include <talu/zip/ZipArchiver.h>
#include <talu/zip/ZipHost.h>
#include <talu/zip/ZipPrompts.h>
#include <talu/zip/text/ZipUtf.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

using namespace talu::zip;

namespace {

// Answers the questions that the engine asks when no event handler does: here, with no one at
// a terminal, "No" to replacing a file and "Cancel" to a password.
class TUnattendedPrompts : public IZipPrompts {
 public:
  TZipButton Confirm(const std::u16string& text, const TZipButtons& buttons) override {
    std::fprintf(stderr, "%s? no\n", Utf16ToUtf8(text).c_str());
    const bool hasNo = std::find(buttons.begin(), buttons.end(), TZipButton::No) != buttons.end();
    return hasNo ? TZipButton::No : TZipButton::Cancel;
  }
  bool PasswordInputQuery(const std::u16string&, const std::u16string&, std::u16string&) override {
    return false;
  }
};

std::atomic<bool> stopRequested{false};

std::string Shown(const std::u16string& name) {
  return Utf16ToUtf8(name);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fputs("usage: extract_archive ARCHIVE FOLDER [PASSWORD]\n", stderr);
    return 2;
  }
  TUnattendedPrompts prompts;
  SetZipPrompts(&prompts);
  TZipArchiver archiver;
  archiver.SetFileName(Utf8ToUtf16(argv[1]));
  archiver.SetBaseDir(Utf8ToUtf16(argv[2]));
  archiver.Options().OverwriteMode = omPrompt;

  // A signal handler, like any other thread, only sets a flag; the next progress event, on
  // the thread running the batch, turns it into a cancel.
  std::signal(SIGINT, [](int) { stopRequested = true; });
  archiver.OnOverallProgress = [](TZipBaseArchiver&, double percent, TZipProcessOperation,
                                  TZipProgressPhase phase, bool& cancel) {
    std::fprintf(stderr, "\r%5.1f%%%s", percent, phase == ppEnd ? "\n" : "");
    cancel = stopRequested;
  };
  archiver.OnFileProgress = [](TZipBaseArchiver&, const std::u16string& fileName, double,
                               TZipProcessOperation, TZipProgressPhase phase, bool&) {
    if (phase == ppStart) std::printf("%s\n", Shown(fileName).c_str());
  };

  // Asked when the password in use does not open an item: offer ours, unless it just failed.
  const std::string password = argc == 4 ? argv[3] : "";
  int failures = 0;
  archiver.OnPassword = [&](TZipBaseArchiver&, const std::u16string& fileName,
                            std::string& newPassword, bool& skipFile) {
    skipFile = password.empty() || newPassword == password;
    if (!skipFile) newPassword = password;
    if (skipFile) {
      std::fprintf(stderr, "\n%s: skipped, no password opens it\n", Shown(fileName).c_str());
      ++failures;
    }
  };

  // An item that fails is reported and skipped; fxaRetry would run it again, fxaAbort end the
  // batch.
  archiver.OnProcessFileFailure = [&failures](TZipBaseArchiver&, const std::u16string& fileName,
                                              TZipProcessOperation, std::int32_t nativeError,
                                              std::int32_t, const std::u16string& message,
                                              TZipAction& action) {
    std::fprintf(stderr, "\n%s: failed (native error %d): %s\n", Shown(fileName).c_str(),
                 nativeError, Shown(message).c_str());
    ++failures;
    action = fxaIgnore;
  };

  try {
    archiver.OpenArchive(kOpenReadOnly);
    archiver.FileMasks().Add(u"*.*");
    archiver.ExclusionMasks().Add(u"*.tmp");
    archiver.ExtractFiles();
    if (archiver.Cancelled()) std::fputs("stopped\n", stderr);
    archiver.CloseArchive();
  } catch (const std::exception& e) {
    // Errors outside an item reach the caller: no such archive, a damaged directory, a
    // cancelled volume request. The engine's messages end with their native error number.
    std::fprintf(stderr, "error: %s\n", e.what());
    return 1;
  }
  return failures > 0 || archiver.Cancelled() ? 1 : 0;
}
