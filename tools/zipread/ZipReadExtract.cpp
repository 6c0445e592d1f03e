#include "ZipReadExtract.h"

#include <algorithm>
#include <vector>

#include "Terminal.h"
#include "TerminalPrompts.h"
#include "ZipArchiver.h"
#include "ZipConst.h"
#include "ZipHost.h"
#include "ZipPrompts.h"
#include "ZipReadProgress.h"
#include "ZipReadVolumes.h"
#include "stream/ZipStream.h"
#include "text/ZipUtf.h"

namespace talu::zipread {
namespace {

// Item bytes written to a C stream (cat).
class TFileOutStream final : public zip::TStream {
 public:
  explicit TFileOutStream(std::FILE* out) : out_(out) {}
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    return static_cast<std::int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), out_));
  }
  std::int64_t Seek(std::int64_t, zip::TSeekOrigin) override { return 0; }
  void SetSize(std::int64_t) override {}

 private:
  std::FILE* out_;
};

// Reports failed and skipped items instead of asking about them, and counts them. A message
// starts on a line of its own, below the progress line when there is one.
class TOutcome {
 public:
  TOutcome(zip::TZipArchiver& archiver, std::FILE* err, TProgressBar* bar = nullptr)
      : err_(err), bar_(bar) {
    archiver.OnProcessFileFailure = [this](zip::TZipBaseArchiver&, const std::u16string& name,
                                           zip::TZipProcessOperation, std::int32_t, std::int32_t,
                                           const std::u16string& message, zip::TZipAction& action) {
      Report(name, zip::Utf16ToUtf8(message));
      action = zip::fxaIgnore;
    };
    // The default password box, with a skipped item remembered.
    archiver.OnPassword = [this](zip::TZipBaseArchiver&, const std::u16string& name,
                                 std::string& password, bool& skip) {
      std::u16string typed;
      skip = !zip::ZipPrompts().PasswordInputQuery(zip::Format(zip::kTextPasswordCaption, {name}),
                                                   std::u16string(zip::kTextPasswordPrompt), typed);
      if (skip)
        Report(name, "skipped: no password");
      else
        password = zip::PasswordBytes(typed);
    };
  }
  int ExitCode(const TerminalPrompts& prompts) const {
    return failures_ > 0 || prompts.Unanswered() ? 1 : 0;
  }

 private:
  void Report(const std::u16string& name, const std::string& text) {
    if (bar_) bar_->EndLine();
    std::fprintf(err_, "%s: %s\n", ShownName(name).c_str(), text.c_str());
    ++failures_;
  }
  std::FILE* err_;
  TProgressBar* bar_;
  int failures_ = 0;
};

zip::TStringList Masks(const std::vector<std::string>& operands) {
  zip::TStringList masks;
  for (const std::string& m : operands) {
    std::u16string mask = zip::Utf8ToUtf16(m);
    std::replace(mask.begin(), mask.end(), u'/', u'\\');
    masks.Add(mask);
  }
  if (masks.Count() == 0) masks.Add(u"*.*");
  return masks;
}

void RunCat(zip::TZipArchiver& archiver, const TCommand& c, std::FILE* out) {
  const std::u16string name = zip::Utf8ToUtf16(c.operands.front());
  if (!c.count) {
    TFileOutStream stream(out);
    archiver.ExtractToStream(name, stream);
    return;
  }
  std::vector<char> window(static_cast<size_t>(*c.count));
  archiver.ExtractToBuffer(name, window.data(), static_cast<std::int32_t>(*c.count), c.offset);
  std::fwrite(window.data(), 1, window.size(), out);
}

}  // namespace

int ExecuteDataCommand(const TCommand& c, std::FILE* out, std::FILE* err) {
  TerminalPrompts prompts;
  zip::SetZipPrompts(&prompts);
  zip::TZipArchiver archiver;
  ReportMissingVolumes(archiver, err);
  archiver.Options().OEMFileNames = c.oemNames;
  archiver.SetFileName(zip::Utf8ToUtf16(c.archive));
  if (c.password) archiver.SetPassword(*c.password);
  archiver.SetExtractCorruptedFiles(c.extractCorrupted);
  archiver.OpenArchive(zip::kOpenReadOnly);

  int code = 0;
  if (c.verb == "check-password") {
    const bool valid =
        archiver.IsFilePasswordValid(zip::Utf8ToUtf16(c.operands.front()), *c.password);
    std::fputs(valid ? "valid\n" : "invalid\n", out);
  } else if (c.verb == "cat") {
    TOutcome outcome(archiver, err);
    RunCat(archiver, c, out);
    code = outcome.ExitCode(prompts);
  } else {
    TProgressBar bar(archiver, err, !c.quiet && StderrIsTerminal());
    TOutcome outcome(archiver, err, &bar);
    archiver.FileMasks().Assign(Masks(c.operands));
    if (c.verb == "test") {
      archiver.TestFiles();
    } else {
      archiver.Options().OverwriteMode = c.overwrite == 'o'   ? zip::omAlways
                                         : c.overwrite == 'n' ? zip::omNever
                                                              : zip::omPrompt;
      archiver.SetBaseDir(zip::Utf8ToUtf16(c.destination));
      archiver.ExtractFiles();
    }
    code = outcome.ExitCode(prompts);
  }
  archiver.CloseArchive();
  zip::SetZipPrompts(nullptr);
  return code;
}

}  // namespace talu::zipread
