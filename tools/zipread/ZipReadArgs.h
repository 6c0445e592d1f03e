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
  std::vector<std::string> operands;    // masks, or the item name of cat and check-password
  std::vector<std::string> exclusions;  // -x
  bool oemNames = true;
  std::string nameCharset;  // -O: the set of names without the UTF-8 flag
  bool openCorrupted = true;
  std::optional<std::string> password;      // -p
  std::optional<std::string> passwordFile;  // --password-file ("-": standard input)
  std::string destination;                  // -d
  char overwrite = 0;                       // 'o' always, 'n' never, 0 ask
  bool extractCorrupted = false;
  bool junkPaths = false;      // -j
  bool caseSensitive = false;  // -C
  bool longList = false;       // -l
  bool verbose = false;        // -v: messages carry the engine's error number
  int quiet = 0;               // -q: no progress or item lines; -qq: no summary either
  std::int64_t offset = 0;
  std::optional<std::int64_t> count;
};

// The parsed command, or nothing when the command line is not valid; `error` then says why
// (empty when the line names no command).
std::optional<TCommand> ParseCommand(const std::vector<std::string>& args, std::string& error);

// The environment variable that may hold the password (used after -p and --password-file).
inline constexpr const char* kPasswordVariable = "ZIPREAD_PASSWORD";

extern const char* const kUsage;
extern const char* const kHelp;

}  // namespace talu::zipread
