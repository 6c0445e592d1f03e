#include "ZipRead.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "ZipArchiver.h"
#include "ZipConst.h"
#include "ZipExcept.h"
#include "ZipHost.h"
#include "ZipReadArgs.h"
#include "ZipReadExtract.h"
#include "ZipReadOutput.h"
#include "ZipReadVolumes.h"
#include "text/ZipUtf.h"

namespace talu::zipread {
namespace {

void ExecuteListing(const TCommand& command, std::FILE* out, std::FILE* err) {
  zip::TZipArchiver archiver;
  ReportMissingVolumes(archiver, err);
  archiver.Options().OEMFileNames = command.oemNames;
  archiver.SetOpenCorruptedArchives(command.openCorrupted);
  archiver.SetFileName(zip::Utf8ToUtf16(command.archive));
  // Read-only: listing never creates or locks the archive.
  archiver.OpenArchive(zip::kOpenReadOnly);
  if (command.verb == "list") {
    PrintList(*archiver.DMHandle(), out);
  } else {
    PrintInfo(archiver, out);
  }
  archiver.CloseArchive();
}

// The first line of the file, without its line end ("-": standard input).
std::string ReadPasswordFile(const std::string& path) {
  std::ifstream file;
  if (path != "-") {
    file.open(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read the password file " + path);
  }
  std::string line;
  std::getline(path == "-" ? std::cin : file, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// The password from -p, else from --password-file, else from the environment.
void ResolvePassword(TCommand& command) {
  if (command.password) return;
  if (command.passwordFile) {
    command.password = ReadPasswordFile(*command.passwordFile);
  } else if (const char* value = std::getenv(kPasswordVariable)) {
    command.password = value;
  }
}

}  // namespace

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, out);
    std::fputs("\n", out);
    std::fputs(kHelp, out);
    return kExitOk;
  }
  if (args.size() == 1 && args[0] == "--version") {
    std::fprintf(out, "zipread " ZIPREAD_VERSION " (inflate: %s)\n", zip::InflaterName());
    return kExitOk;
  }
  std::optional<TCommand> command = ParseCommand(args);
  if (!command) {
    std::fputs(kUsage, err);
    return kExitUsage;
  }
  try {
    ResolvePassword(*command);
    if (command->verb == "check-password" && !command->password) {
      std::fputs(kUsage, err);
      return kExitUsage;
    }
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
