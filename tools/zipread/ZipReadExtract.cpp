#include "ZipReadExtract.h"

#include <algorithm>
#include <vector>

#include "Terminal.h"
#include "TerminalPrompts.h"
#include "ZipArchiver.h"
#include "ZipConst.h"
#include "ZipHost.h"
#include "ZipPrompts.h"
#include "ZipReadOutcome.h"
#include "ZipReadProgress.h"
#include "ZipReadVolumes.h"
#include "stream/ZipStream.h"
#include "text/ZipMatch.h"
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

std::u16string Mask(const std::string& operand) {
  std::u16string mask = zip::Utf8ToUtf16(operand);
  std::replace(mask.begin(), mask.end(), u'/', u'\\');
  return mask;
}

zip::TStringList Masks(const std::vector<std::string>& operands) {
  zip::TStringList masks;
  for (const std::string& m : operands) masks.Add(Mask(m));
  return masks;
}

// Says which masks select no item at all; true when one does not.
bool ReportUnmatched(zip::TZipArchiver& archiver, const TCommand& c, std::FILE* err) {
  const zip::TZipDirArray& dir = archiver.DMHandle()->CDir;
  bool unmatched = false;
  for (const std::string& operand : c.operands) {
    const std::u16string mask = Mask(operand);
    bool hit = false;
    for (int i = 0; i < dir.Count() && !hit; ++i) {
      std::u16string name(dir[i].Name);
      std::replace(name.begin(), name.end(), u'/', u'\\');
      hit = zip::IsInternalFileMatchMask(name, mask, {c.caseSensitive, true});
    }
    if (!hit) std::fprintf(err, "zipread: no item matches %s\n", operand.c_str());
    unmatched = unmatched || !hit;
  }
  return unmatched;
}

// -j: every file lands in the destination itself, and no folder is made.
void JunkPaths(zip::TZipArchiver& archiver) {
  archiver.OnExtractFile = [](zip::TZipBaseArchiver&, std::u16string& name, std::uint32_t&,
                              const std::string&) {
    const std::size_t cut = name.find_last_of(u"\\/");
    if (cut != std::u16string::npos) name.erase(0, cut + 1);  // a folder's name becomes empty
  };
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
  archiver.Options().NameCharset = c.nameCharset;
  archiver.SetFileName(zip::Utf8ToUtf16(c.archive));
  if (c.password) archiver.SetPassword(*c.password);
  archiver.SetExtractCorruptedFiles(c.extractCorrupted);
  archiver.OpenArchive(zip::kOpenReadOnly);

  TExit code = kExitOk;
  if (c.verb == "check-password") {
    const bool valid =
        archiver.IsFilePasswordValid(zip::Utf8ToUtf16(c.operands.front()), *c.password);
    std::fputs(valid ? "valid\n" : "invalid\n", out);
  } else if (c.verb == "cat") {
    TOutcome outcome(archiver, c, out, err);
    RunCat(archiver, c, out);
    code = outcome.Finish();
  } else {
    TProgressBar bar(archiver, err, c.quiet == 0 && StderrIsTerminal());
    TOutcome outcome(archiver, c, out, err, &bar);
    archiver.FileMasks().Assign(c.operands.empty() ? Masks({"*.*"}) : Masks(c.operands));
    archiver.ExclusionMasks().Assign(Masks(c.exclusions));
    archiver.SetMaskRules(c.caseSensitive, true);
    if (ReportUnmatched(archiver, c, err)) outcome.Add(kExitNoMatch);
    if (c.verb == "test") {
      archiver.TestFiles();
    } else {
      if (c.junkPaths) JunkPaths(archiver);
      archiver.SetBaseDir(zip::Utf8ToUtf16(c.destination));
      archiver.ExtractFiles();
    }
    code = outcome.Finish();
  }
  archiver.CloseArchive();
  zip::SetZipPrompts(nullptr);
  if (prompts.Unanswered()) code = Graver(code, kExitWarning);
  if (Interrupted()) {
    std::fputs("zipread: interrupted\n", err);
    code = kExitInterrupted;
  }
  return code;
}

}  // namespace talu::zipread
