#include "ZipReadArgs.h"

#include <charconv>
#include <string_view>

namespace talu::zipread {
namespace {

// What each verb accepts: its options and how many operands follow the archive.
struct TVerb {
  std::string_view name;
  std::string_view options;  // space-separated
  std::size_t minOperands, maxOperands;
};

constexpr std::size_t kAny = 1 << 20;
constexpr TVerb kVerbs[] = {
    {"list", "--no-oem-names --no-corrupted", 0, 0},
    {"info", "--no-oem-names --no-corrupted", 0, 0},
    {"test", "-p --password-file -q --no-oem-names", 0, kAny},
    {"extract", "-p --password-file -d -o -n -q --corrupted --no-oem-names", 0, kAny},
    {"cat", "-p --password-file --offset --count --no-oem-names", 1, 1},
    {"check-password", "-p --password-file --no-oem-names", 1, 1},
};

bool Accepts(const TVerb& verb, std::string_view option) {
  std::string_view rest = verb.options;
  while (!rest.empty()) {
    const std::size_t end = rest.find(' ');
    if (rest.substr(0, end) == option) return true;
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
  }
  return false;
}

std::optional<std::int64_t> Number(const std::string& text) {
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

// Applies one option; `value` is its argument for the options that take one.
bool Apply(TCommand& c, std::string_view option, const std::string* value) {
  if (option == "--no-oem-names")
    c.oemNames = false;
  else if (option == "--no-corrupted")
    c.openCorrupted = false;
  else if (option == "--corrupted")
    c.extractCorrupted = true;
  else if (option == "-q")
    c.quiet = true;
  else if (option == "-o" || option == "-n")
    c.overwrite = option[1];
  else if (!value)
    return false;
  else if (option == "-p")
    c.password = *value;
  else if (option == "--password-file")
    c.passwordFile = *value;
  else if (option == "-d")
    c.destination = *value;
  else if (option == "--offset")
    return (c.offset = Number(*value).value_or(-1)) >= 0;
  else if (option == "--count")
    return (c.count = Number(*value)).has_value();
  return true;
}

bool TakesValue(std::string_view option) {
  return option == "-p" || option == "--password-file" || option == "-d" || option == "--offset" ||
         option == "--count";
}

}  // namespace

const char* const kUsage =
    "usage: zipread list [--no-oem-names] [--no-corrupted] ARCHIVE\n"
    "       zipread info [--no-oem-names] [--no-corrupted] ARCHIVE\n"
    "       zipread test [PASSWORD OPTION] [-q] ARCHIVE [MASK...]\n"
    "       zipread extract [PASSWORD OPTION] [-d DIR] [-o | -n] [--corrupted] [-q] ARCHIVE "
    "[MASK...]\n"
    "       zipread cat [PASSWORD OPTION] [--offset N --count N] ARCHIVE NAME\n"
    "       zipread check-password PASSWORD OPTION ARCHIVE NAME\n"
    "       zipread --help | --version\n"
    "PASSWORD OPTION: -p PASSWORD, or --password-file FILE (see --help)\n";

const char* const kHelp =
    "zipread reads ZIP archives: split and spanned ones from their last volume, Zip64,\n"
    "self-extracting ones, damaged ones, and items under traditional or AES encryption.\n"
    "\n"
    "Commands:\n"
    "  list             one line per item: index, name, sizes, CRC-32, method, encryption,\n"
    "                   attributes, date and time, local header offset (tab-separated)\n"
    "  info             facts about the archive, one \"key: value\" per line\n"
    "  test             decodes the items matching MASK (default: all) and checks them\n"
    "  extract          writes the items matching MASK (default: all) below DIR\n"
    "  cat              writes the item NAME to standard output\n"
    "  check-password   prints \"valid\" or \"invalid\" for the password on the item NAME\n"
    "\n"
    "Options:\n"
    "  -p PASSWORD            the password (shown in the process list: prefer the next two)\n"
    "  --password-file FILE   the password is the first line of FILE (\"-\": standard input)\n"
    "  -d DIR                 extract below DIR (default: the current folder)\n"
    "  -o                     overwrite existing files without asking\n"
    "  -n                     never overwrite existing files\n"
    "  -q                     no progress line\n"
    "  --corrupted            also keep items whose data fails its check\n"
    "  --no-corrupted         do not rebuild a damaged directory from the local headers\n"
    "  --no-oem-names         names without the UTF-8 flag are not in the OEM code page\n"
    "  --offset N --count N   cat only COUNT bytes from OFFSET\n"
    "  --help, --version      this text; the version\n"
    "\n"
    "Without a password option the password is taken from the environment variable\n"
    "ZIPREAD_PASSWORD; without that, zipread asks on the terminal when an item needs one.\n"
    "Without -o or -n it asks before overwriting. Masks use * and ?; \"/\" separates folders.\n"
    "\n"
    "Exit codes:\n"
    "  0  every item was fine\n"
    "  1  an item failed or was skipped, or the archive could not be read (the message says why)\n"
    "  2  the command line is not valid\n"
    "  3  another error (output could not be written, a password file could not be read)\n";

std::optional<TCommand> ParseCommand(const std::vector<std::string>& args) {
  if (args.empty()) return std::nullopt;
  const TVerb* verb = nullptr;
  for (const TVerb& v : kVerbs)
    if (v.name == args[0]) verb = &v;
  if (!verb) return std::nullopt;

  TCommand c;
  c.verb = args[0];
  std::vector<std::string> positional;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() > 1 && arg[0] == '-' && positional.empty()) {
      if (!Accepts(*verb, arg)) return std::nullopt;
      const std::string* value = TakesValue(arg) && i + 1 < args.size() ? &args[++i] : nullptr;
      if (TakesValue(arg) && !value) return std::nullopt;
      if (!Apply(c, arg, value)) return std::nullopt;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.empty()) return std::nullopt;
  c.archive = positional.front();
  c.operands.assign(positional.begin() + 1, positional.end());
  if (c.operands.size() < verb->minOperands || c.operands.size() > verb->maxOperands)
    return std::nullopt;
  if (c.offset > 0 && !c.count) return std::nullopt;
  return c;
}

}  // namespace talu::zipread
