#include "ZipRead.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "Terminal.h"
#include "ZipArchiver.h"
#include "ZipConst.h"
#include "ZipExcept.h"
#include "ZipHost.h"
#include "ZipReadArgs.h"
#include "ZipReadExit.h"
#include "ZipReadExtract.h"
#include "ZipReadOutcome.h"
#include "ZipReadOutput.h"
#include "ZipReadVolumes.h"
#include "text/ZipUtf.h"

namespace talu::zipread {
namespace {

void ExecuteListing(const TCommand& command, std::FILE* out, std::FILE* err) {
  zip::TZipArchiver archiver;
  ReportMissingVolumes(archiver, err);
  archiver.Options().OEMFileNames = command.oemNames;
  archiver.Options().NameCharset = command.nameCharset;
  archiver.SetOpenCorruptedArchives(command.openCorrupted);
  archiver.SetFileName(zip::Utf8ToUtf16(command.archive));
  // Read-only: listing never creates or locks the archive.
  archiver.OpenArchive(zip::kOpenReadOnly);
  if (command.verb == "list" && command.longList) {
    PrintTable(*archiver.DMHandle(), out);
  } else if (command.verb == "list") {
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

// Why the archive cannot be opened before the engine tries: missing, unreadable or a folder.
std::optional<std::string> ArchiveProblem(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status =
      std::filesystem::status(std::filesystem::u8path(path), error);
  if (error) return error.message();
  if (std::filesystem::is_directory(status)) return "is a folder, not an archive";
  return std::nullopt;
}

int UsageError(const std::string& why, std::FILE* err) {
  if (!why.empty()) std::fprintf(err, "zipread: %s\n", why.c_str());
  std::fputs(kUsage, err);
  return kExitUsage;
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
  std::string why;
  std::optional<TCommand> command = ParseCommand(args, why);
  if (!command) return UsageError(why, err);
  const bool verbose = command->verbose;
  try {
    ResolvePassword(*command);
    if (command->verb == "check-password" && !command->password)
      return UsageError("check-password needs a password", err);
    if (const std::optional<std::string> problem = ArchiveProblem(command->archive)) {
      std::fprintf(err, "zipread: %s: %s\n", command->archive.c_str(), problem->c_str());
      return kExitNotFound;
    }
    CatchInterrupts();
    int code = kExitOk;
    if (command->verb == "list" || command->verb == "info")
      ExecuteListing(*command, out, err);
    else
      code = ExecuteDataCommand(*command, out, err);
    return std::fflush(out) == 0 ? code : kExitError;
  } catch (const zip::EZipException& e) {
    std::fprintf(err, "zipread: %s: %s\n", command->archive.c_str(),
                 MessageText(e.Message(), verbose).c_str());
    return Interrupted() ? kExitInterrupted : ExitForNativeError(e.NativeError());
  } catch (const std::exception& e) {
    std::fprintf(err, "zipread: %s\n", e.what());
    return Interrupted() ? kExitInterrupted : kExitError;
  }
}

}  // namespace talu::zipread
