#include "ZipReadArgs.h"

#include <charconv>
#include <string_view>

#include "ZipHost.h"

namespace talu::zipread {
namespace {

// What each verb accepts: its options (long names, space-separated) and how many operands
// follow the archive.
struct TVerb {
  std::string_view name;
  std::string_view options;
  std::size_t minOperands, maxOperands;
};

constexpr std::size_t kAny = 1 << 20;
constexpr std::string_view kPasswords = "password password-file ";
constexpr TVerb kVerbs[] = {
    {"list", "long no-oem-names charset no-corrupted verbose", 0, 0},
    {"info", "no-oem-names charset no-corrupted verbose", 0, 0},
    {"test", "quiet exclude case-sensitive no-oem-names charset verbose", 0, kAny},
    {"extract",
     "dir overwrite never-overwrite quiet corrupted exclude junk-paths case-sensitive "
     "no-oem-names charset verbose",
     0, kAny},
    {"cat", "offset count no-oem-names charset verbose", 1, 1},
    {"check-password", "no-oem-names charset verbose", 1, 1},
};

// Every option: its one-letter form (0: none), its long name, whether it takes a value.
struct TOption {
  char letter;
  std::string_view name;
  bool value;
};

constexpr TOption kOptions[] = {
    {'p', "password", true},   {0, "password-file", true},      {'d', "dir", true},
    {'o', "overwrite", false}, {'n', "never-overwrite", false}, {'q', "quiet", false},
    {0, "corrupted", false},   {0, "no-corrupted", false},      {0, "no-oem-names", false},
    {'x', "exclude", true},    {'j', "junk-paths", false},      {'C', "case-sensitive", false},
    {'l', "long", false},      {'v', "verbose", false},         {0, "offset", true},
    {0, "count", true},        {'O', "charset", true},
};

bool Listed(std::string_view list, std::string_view word) {
  while (!list.empty()) {
    const std::size_t end = list.find(' ');
    if (list.substr(0, end) == word) return true;
    list = end == std::string_view::npos ? std::string_view{} : list.substr(end + 1);
  }
  return false;
}

bool Accepts(const TVerb& verb, std::string_view option) {
  return Listed(verb.options, option) ||
         (Listed(kPasswords, option) && verb.name != "list" && verb.name != "info");
}

std::optional<std::int64_t> Number(const std::string& text) {
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

// Applies one option; `value` is its argument for the options that take one.
bool Apply(TCommand& c, std::string_view option, const std::string& value) {
  if (option == "no-oem-names") c.oemNames = false;
  if (option == "charset") return zip::IsKnownCharset(c.nameCharset = value);
  if (option == "no-corrupted") c.openCorrupted = false;
  if (option == "corrupted") c.extractCorrupted = true;
  if (option == "quiet") ++c.quiet;
  if (option == "overwrite") c.overwrite = 'o';
  if (option == "never-overwrite") c.overwrite = 'n';
  if (option == "junk-paths") c.junkPaths = true;
  if (option == "case-sensitive") c.caseSensitive = true;
  if (option == "long") c.longList = true;
  if (option == "verbose") c.verbose = true;
  if (option == "password") c.password = value;
  if (option == "password-file") c.passwordFile = value;
  if (option == "dir") c.destination = value;
  if (option == "exclude") c.exclusions.push_back(value);
  if (option == "offset") return (c.offset = Number(value).value_or(-1)) >= 0;
  if (option == "count") return (c.count = Number(value)).has_value();
  return true;
}

// Reads the command line after the verb: options anywhere, "-qo" clusters, "-dDIR" and
// "--dir=DIR" values, "--" before operands that start with "-". After the archive, the
// operands that follow -x are exclusions too, up to the next option.
class TParser {
 public:
  TParser(const TVerb& verb, TCommand& c, std::string& error) : verb_(verb), c_(c), error_(error) {}

  bool Run(const std::vector<std::string>& args) {
    for (i_ = 1; i_ < args.size(); ++i_) {
      const std::string& arg = args[i_];
      if (arg == "--" && !optionsEnded_) {
        optionsEnded_ = true;
      } else if (optionsEnded_ || arg.size() < 2 || arg[0] != '-') {
        Operand(arg);
      } else if (arg[1] == '-') {
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
        const TOption* option = Find(0, name);
        if (!option) return Fail("unknown option " + arg);
        if (equals != std::string::npos && !option->value)
          return Fail("option --" + name + " takes no value");
        if (!Take(
                *option,
                equals == std::string::npos ? std::nullopt : std::optional(arg.substr(equals + 1)),
                args))
          return false;
      } else if (!Cluster(arg, args)) {
        return false;
      }
    }
    return true;
  }
  std::vector<std::string> positional;

 private:
  void Operand(const std::string& arg) {
    (excluding_ && !positional.empty() ? c_.exclusions : positional).push_back(arg);
  }

  bool Cluster(const std::string& arg, const std::vector<std::string>& args) {
    for (std::size_t at = 1; at < arg.size(); ++at) {
      const TOption* option = Find(arg[at], {});
      if (!option) return Fail(std::string("unknown option -") + arg[at]);
      if (option->value && at + 1 < arg.size()) return Take(*option, arg.substr(at + 1), args);
      if (!Take(*option, std::nullopt, args)) return false;
    }
    return true;
  }

  // Applies `option`; its value is `attached` ("-dDIR", "--dir=DIR") or the next argument.
  bool Take(const TOption& option, std::optional<std::string> attached,
            const std::vector<std::string>& args) {
    const std::string shown = "--" + std::string(option.name);
    if (!Accepts(verb_, option.name))
      return Fail("option " + shown + " does not apply to " + std::string(verb_.name));
    std::string value;
    if (option.value) {
      if (attached)
        value = *attached;
      else if (i_ + 1 < args.size())
        value = args[++i_];
      else
        return Fail("option " + shown + " needs a value");
    }
    excluding_ = option.name == "exclude";
    if (!Apply(c_, option.name, value))
      return Fail("option " + shown +
                  (option.name == "charset" ? ": unknown character set: " : ": not a number: ") +
                  value);
    return true;
  }

  static const TOption* Find(char letter, std::string_view name) {
    for (const TOption& o : kOptions)
      if ((letter && o.letter == letter) || (!letter && o.name == name)) return &o;
    return nullptr;
  }

  bool Fail(const std::string& why) {
    error_ = why;
    return false;
  }

  const TVerb& verb_;
  TCommand& c_;
  std::string& error_;
  std::size_t i_ = 1;
  bool optionsEnded_ = false;
  bool excluding_ = false;
};

}  // namespace

const char* const kUsage =
    "usage: zipread list [-l] [--no-corrupted] [--no-oem-names] [-O CHARSET] ARCHIVE\n"
    "       zipread info [--no-corrupted] [--no-oem-names] [-O CHARSET] ARCHIVE\n"
    "       zipread test [PASSWORD OPTION] [-q] [-C] ARCHIVE [MASK...] [-x MASK...]\n"
    "       zipread extract [PASSWORD OPTION] [-d DIR] [-o | -n] [-j] [-C] [--corrupted] [-q]\n"
    "               ARCHIVE [MASK...] [-x MASK...]\n"
    "       zipread cat [PASSWORD OPTION] [--offset N --count N] ARCHIVE NAME\n"
    "       zipread check-password PASSWORD OPTION ARCHIVE NAME\n"
    "       zipread --help | --version\n"
    "PASSWORD OPTION: -p PASSWORD, or --password-file FILE (see --help).\n"
    "Options may come anywhere, after the archive too.\n";

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
    "  -p, --password PASSWORD  the password (shown in the process list: prefer the next)\n"
    "  --password-file FILE     the password is the first line of FILE (\"-\": standard input)\n"
    "  -d, --dir DIR            extract below DIR (default: the current folder)\n"
    "  -o, --overwrite          overwrite existing files without asking\n"
    "  -n, --never-overwrite    never overwrite existing files\n"
    "  -j, --junk-paths         extract every file into DIR itself, without its folders\n"
    "  -x, --exclude MASK       leave out the items matching MASK; after the archive, every\n"
    "                           operand following -x is such a mask\n"
    "  -C, --case-sensitive     masks match letters in their case only\n"
    "  -q, --quiet              no progress line and no line per item; -qq: no summary\n"
    "  -l, --long               list: a table for people, with totals\n"
    "  -v, --verbose            messages carry the engine's error number\n"
    "  --corrupted              also keep items whose data fails its check (with a warning)\n"
    "  --no-corrupted           do not rebuild a damaged directory from the local headers\n"
    "  --no-oem-names           names without the UTF-8 flag are not in the OEM code page\n"
    "  -O, --charset CHARSET    names without the UTF-8 flag are in CHARSET (e.g. CP866;\n"
    "                           on Windows a code page: cp866)\n"
    "  --offset N --count N     cat only COUNT bytes from OFFSET\n"
    "  --                       what follows is operands, also when it starts with \"-\"\n"
    "  --help, --version        this text; the version\n"
    "\n"
    "Without a password option the password is taken from the environment variable\n"
    "ZIPREAD_PASSWORD; without that, zipread asks on the terminal when an item needs one\n"
    "(an empty line or Ctrl-D skips that item). Without -o or -n it asks before overwriting;\n"
    "without a terminal it keeps the file and says so. Masks use *, ? and [...] classes\n"
    "([a-c], [!a-c]); \"/\" separates folders. Ctrl-C removes the file being written.\n"
    "\n"
    "Exit codes (of several outcomes the gravest, from the mildest: 0 1 11 82 81 2 9 3 50 80 10):\n"
    "  0   every item was fine\n"
    "  1   warning: an item was skipped (existing file kept, unsafe name or link, file not\n"
    "      made) or kept damaged\n"
    "  2   an item failed its check or could not be read or written; output failed\n"
    "  3   the archive cannot be read as a ZIP archive\n"
    "  9   the archive is missing or is not a file\n"
    "  10  the command line is not valid\n"
    "  11  a mask or NAME matches no item\n"
    "  50  the disk is full\n"
    "  80  interrupted by Ctrl-C or SIGTERM\n"
    "  81  an item uses a compression method zipread cannot read\n"
    "  82  an item was skipped: no password, or no correct one\n";

std::optional<TCommand> ParseCommand(const std::vector<std::string>& args, std::string& error) {
  error.clear();
  if (args.empty()) return std::nullopt;
  const TVerb* verb = nullptr;
  for (const TVerb& v : kVerbs)
    if (v.name == args[0]) verb = &v;
  if (!verb) {
    error = "unknown command " + args[0];
    return std::nullopt;
  }
  TCommand c;
  c.verb = args[0];
  TParser parser(*verb, c, error);
  if (!parser.Run(args)) return std::nullopt;
  std::vector<std::string>& positional = parser.positional;
  if (positional.empty()) {
    error = "no archive given";
    return std::nullopt;
  }
  c.archive = positional.front();
  c.operands.assign(positional.begin() + 1, positional.end());
  if (c.operands.size() < verb->minOperands || c.operands.size() > verb->maxOperands) {
    error = "wrong number of operands for " + c.verb;
    return std::nullopt;
  }
  if (c.offset > 0 && !c.count) {
    error = "--offset needs --count";
    return std::nullopt;
  }
  return c;
}

}  // namespace talu::zipread
