#include "ZipRead.h"

#include <optional>

#include "ZipArchiver.h"
#include "ZipConst.h"
#include "ZipExcept.h"
#include "ZipReadArgs.h"
#include "ZipReadExtract.h"
#include "ZipReadOutput.h"
#include "ZipReadVolumes.h"
#include "ZipUtf.h"
#include "platform/ZipPlatform.h"

namespace talu::zipread {
namespace {

void ExecuteListing(const TCommand& command, std::FILE* out, std::FILE* err) {
  zip::TZipArchiver archiver;
  ReportMissingVolumes(archiver, err);
  archiver.Options().OEMFileNames = command.oemNames;
  archiver.SetOpenCorruptedArchives(command.openCorrupted);
  archiver.SetFileName(zip::Utf8ToUtf16(command.archive));
  // Read-only: listing never creates or locks the archive.
  archiver.OpenArchive(zip::platform::kModeReadDenyNone);
  if (command.verb == "list") {
    PrintList(*archiver.DMHandle(), out);
  } else {
    PrintInfo(archiver, out);
  }
  archiver.CloseArchive();
}

}  // namespace

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  const std::optional<TCommand> command = ParseCommand(args);
  if (!command) {
    std::fputs(kUsage, err);
    return kExitUsage;
  }
  try {
    int code = kExitOk;
    if (command->verb == "list" || command->verb == "info")
      ExecuteListing(*command, out, err);
    else
      code = ExecuteDataCommand(*command, out, err);
    return std::fflush(out) == 0 ? code : kExitOtherError;
  } catch (const zip::EZipException& e) {
    std::fprintf(err, "%s\n", e.what());
    return kExitArchiveError;
  } catch (const std::exception& e) {
    std::fprintf(err, "zipread: %s\n", e.what());
    return kExitOtherError;
  }
}

}  // namespace talu::zipread
