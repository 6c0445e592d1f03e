// The text rules of the setup program: the mode of a run, the drive part of a destination and
// the uninstall command line.
#include <gtest/gtest.h>

#include "SetupRules.h"

namespace talu::setup {
namespace {

struct ModeCase {
  std::vector<std::u16string> arguments;
  std::u16string program;
  bool uninstall;
};

TEST(SetupRules, DecidesTheModeByFirstArgumentOrProgramName) {
  const ModeCase cases[] = {
      {{}, u"C:\\setupdir\\setup.exe", false},
      {{u"Uninstall"}, u"C:\\setupdir\\setup.exe", true},
      {{u"Uninstall", u"/quiet", u"more"}, u"C:\\setupdir\\setup.exe", true},
      {{u"uninstall"}, u"C:\\setupdir\\setup.exe", false},
      {{u"UNINSTALL"}, u"C:\\setupdir\\setup.exe", false},
      {{u"x", u"Uninstall"}, u"C:\\setupdir\\setup.exe", false},
      {{}, u"D:\\Apps\\Demo\\Uninstall.exe", true},
      {{}, u"D:\\Apps\\Demo\\uninstall.exe", true},
      {{}, u"D:\\Apps\\Demo\\UNINSTALL.EXE", true},
      {{u"uninstall"}, u"D:\\Apps\\Demo\\Uninstall.Exe", true},
      {{}, u"D:\\Apps\\Demo\\Uninstall.exe.bak", false},
      {{}, u"D:\\Uninstall.exe\\setup.exe", false},
      // Only ASCII letters are folded: a dotless capital I is another letter.
      {{}, u"D:\\Apps\\UN\u0130NSTALL.EXE", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsUninstallRun({c.arguments, c.program}), c.uninstall)
        << std::string(c.program.begin(), c.program.end());
  }
}

TEST(SetupRules, ProgramFolderHasNoTrailingBackslash) {
  EXPECT_EQ(ProgramFolder({{}, u"D:\\Apps\\Demo\\Uninstall.exe"}), u"D:\\Apps\\Demo");
  EXPECT_EQ(ProgramFolder({{}, u"D:\\Uninstall.exe"}), u"D:");
}

TEST(SetupRules, RecognisesDrivesAndNetworkShares) {
  const std::pair<std::u16string, bool> cases[] = {
      {u"C:\\Marlo\\Talu", true},
      {u"d:", true},
      {u"Z:relative", true},
      {u"Apps\\Demo", false},
      {u"\\Apps\\Demo", false},
      {u"", false},
      {u"1:\\x", false},
      {u"\\\\server\\share", true},
      {u"\\\\server\\share\\Talu", true},
      {u"\\\\server", false},
      {u"\\\\server\\", false},
      {u"\\\\\\share", false},
  };
  for (const auto& [path, drive] : cases) {
    EXPECT_EQ(HasDrivePart(path), drive) << std::string(path.begin(), path.end());
  }
}

TEST(SetupRules, QuotesTheUninstallerPathOnlyWhenItHasASpace) {
  EXPECT_EQ(UninstallCommand(u"D:\\Apps\\Demo"), u"D:\\Apps\\Demo\\Uninstall.exe Uninstall");
  EXPECT_EQ(UninstallCommand(u"D:\\Apps\\Demo\\"), u"D:\\Apps\\Demo\\Uninstall.exe Uninstall");
  EXPECT_EQ(UninstallCommand(u"C:\\Program Files\\Talu"),
            u"\"C:\\Program Files\\Talu\\Uninstall.exe\" Uninstall");
}

}  // namespace
}  // namespace talu::setup
