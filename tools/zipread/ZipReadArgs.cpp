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
    {"test", "-p -q --no-oem-names", 0, kAny},
    {"extract", "-p -d -o -n -q --corrupted --no-oem-names", 0, kAny},
    {"cat", "-p --offset --count --no-oem-names", 1, 1},
    {"check-password", "-p --no-oem-names", 1, 1},
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
  else if (option == "-d")
    c.destination = *value;
  else if (option == "--offset")
    return (c.offset = Number(*value).value_or(-1)) >= 0;
  else if (option == "--count")
    return (c.count = Number(*value)).has_value();
  return true;
}

bool TakesValue(std::string_view option) {
  return option == "-p" || option == "-d" || option == "--offset" || option == "--count";
}

}  // namespace

const char* const kUsage =
    "usage: zipread list [--no-oem-names] [--no-corrupted] ARCHIVE\n"
    "       zipread info [--no-oem-names] [--no-corrupted] ARCHIVE\n"
    "       zipread test [-p PASSWORD] [-q] ARCHIVE [MASK...]\n"
    "       zipread extract [-p PASSWORD] [-d DIR] [-o | -n] [--corrupted] [-q] ARCHIVE [MASK...]\n"
    "       zipread cat [-p PASSWORD] [--offset N --count N] ARCHIVE NAME\n"
    "       zipread check-password -p PASSWORD ARCHIVE NAME\n";

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
  if (c.verb == "check-password" && !c.password) return std::nullopt;
  if (c.offset > 0 && !c.count) return std::nullopt;
  return c;
}

}  // namespace talu::zipread
