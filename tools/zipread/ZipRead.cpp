#include "ZipRead.h"

#include <optional>
#include <string_view>

#include "ZipArchiver.h"
#include "ZipConst.h"
#include "ZipExcept.h"
#include "ZipReadOutput.h"
#include "ZipUtf.h"

namespace talu::zipread {
namespace {

constexpr std::string_view kUsage =
    "usage: zipread list [--no-oem-names] [--no-corrupted] ARCHIVE\n"
    "       zipread info [--no-oem-names] [--no-corrupted] ARCHIVE\n";

struct TCommand {
  std::string verb;
  std::string archive;
  bool oemNames = true;
  bool openCorrupted = true;
};

std::optional<TCommand> Parse(const std::vector<std::string>& args) {
  if (args.empty() || (args[0] != "list" && args[0] != "info")) return std::nullopt;
  TCommand command{args[0], {}, true, true};
  bool haveArchive = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--no-oem-names") {
      command.oemNames = false;
    } else if (args[i] == "--no-corrupted") {
      command.openCorrupted = false;
    } else if (haveArchive || (args[i].size() > 1 && args[i][0] == '-')) {
      return std::nullopt;
    } else {
      command.archive = args[i];
      haveArchive = true;
    }
  }
  return haveArchive ? std::optional(command) : std::nullopt;
}

void Execute(const TCommand& command, std::FILE* out) {
  zip::TZipArchiver archiver;
  archiver.Options().OEMFileNames = command.oemNames;
  archiver.SetOpenCorruptedArchives(command.openCorrupted);
  archiver.SetFileName(zip::Utf8ToUtf16(command.archive));
  // Read-only: listing never creates or locks the archive.
  archiver.OpenArchive(zip::kFileModeReadOnlyDenyNone);
  if (command.verb == "list") {
    PrintList(*archiver.DMHandle(), out);
  } else {
    PrintInfo(archiver, out);
  }
  archiver.CloseArchive();
}

}  // namespace

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  const std::optional<TCommand> command = Parse(args);
  if (!command) {
    std::fputs(kUsage.data(), err);
    return kExitUsage;
  }
  try {
    Execute(*command, out);
    return std::fflush(out) == 0 ? kExitOk : kExitOtherError;
  } catch (const zip::EZipException& e) {
    std::fprintf(err, "%s\n", e.what());
    return kExitArchiveError;
  } catch (const std::exception& e) {
    std::fprintf(err, "zipread: %s\n", e.what());
    return kExitOtherError;
  }
}

}  // namespace talu::zipread
