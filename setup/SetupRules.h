// The decisions of the setup program that rest on text alone: the mode of a run, the drive
// part of a destination, the uninstall command line and the files of the language editions.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace talu::setup {

// What a run starts from: its command-line arguments (the program's own name not included)
// and the full path of the program file.
struct TSetupContext {
  std::vector<std::u16string> arguments;
  std::u16string programPath;

  static TSetupContext FromProcess();
};

// Uninstall mode: the first argument is exactly "Uninstall", or the program file is named
// uninstall.exe in any mix of ASCII letter case.
bool IsUninstallRun(const TSetupContext& context);

// The folder of the program file, without a trailing backslash.
std::u16string ProgramFolder(const TSetupContext& context);

// A drive letter with a colon ("C:...") or a network share ("\\server\share...").
bool HasDrivePart(const std::u16string& path);

// A drive letter with a colon and no separator after it ("C:Talu", "C:"): a folder relative to
// the current folder of that drive, not a full path.
bool IsDriveRelative(const std::u16string& path);

// The uninstall entry's command: the uninstaller in `folder` with the argument "Uninstall".
// A path with a space is quoted, or Windows could start a program named by its first word.
std::u16string UninstallCommand(const std::u16string& folder);

// The program files of the four editions, in the order of the language choice.
inline constexpr std::array<const char16_t*, 4> kEditionFiles{
    u"Talu_Demo_0107B.exe", u"Talu_Demo_0107G.exe", u"Talu_Demo_0107V.exe", u"Talu_Demo_0107J.exe"};

// The chosen edition's file and the three others, in the order they are deleted.
struct TEdition {
  const char16_t* kept;
  std::array<const char16_t*, 3> deleted;
};

// The edition of a language choice (0 Basic, 1 Greek, 2 Vietnamese, 3 Japanese); nullptr for
// any other index, such as -1 when nothing is selected.
const TEdition* EditionAt(int index);

}  // namespace talu::setup
