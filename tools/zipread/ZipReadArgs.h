// The tool's command line: a verb, its options and its operands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace talu::zipread {

struct TCommand {
  std::string verb;
  std::string archive;
  std::vector<std::string> operands;  // masks, or the item name of cat and check-password
  bool oemNames = true;
  bool openCorrupted = true;
  std::optional<std::string> password;      // -p
  std::optional<std::string> passwordFile;  // --password-file ("-": standard input)
  std::string destination;                  // -d
  char overwrite = 0;                       // 'o' always, 'n' never, 0 ask
  bool extractCorrupted = false;
  bool quiet = false;
  std::int64_t offset = 0;
  std::optional<std::int64_t> count;
};

// The parsed command, or nothing when the command line is not valid.
std::optional<TCommand> ParseCommand(const std::vector<std::string>& args);

// The environment variable that may hold the password (used after -p and --password-file).
inline constexpr const char* kPasswordVariable = "ZIPREAD_PASSWORD";

extern const char* const kUsage;
extern const char* const kHelp;

}  // namespace talu::zipread
