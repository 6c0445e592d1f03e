// Splitting the pending-operations value into entries and finding the deletion to withdraw.
#include <gtest/gtest.h>

#include "MultiSz.h"
#include "Wininit.h"

namespace talu {
namespace {

using Entries = std::vector<std::u16string>;

// The units of `strings`, each zero-terminated, then the closing zero.
std::u16string Value(const Entries& strings) {
  std::u16string units;
  for (const auto& s : strings) units += s + u'\0';
  return units + u'\0';
}

Entries Split(std::u16string_view buffer) {
  Entries entries{u"kept"};  // the list is appended to, not cleared
  const int count = ExtractREG_MULTI_SZ(buffer, entries);
  EXPECT_EQ(count + 1u, entries.size());
  entries.erase(entries.begin());
  return entries;
}

const std::u16string Z(1, u'\0');  // the zero unit a deletion entry ends with

TEST(ExtractREG_MULTI_SZ, KeepsDeletionPairsTogetherAndRenamePairsApart) {
  EXPECT_EQ(Split(Value({u"\\??\\C:\\a.txt", u"", u"\\??\\C:\\b.txt", u""})),
            (Entries{u"\\??\\C:\\a.txt" + Z, u"\\??\\C:\\b.txt" + Z}));
  EXPECT_EQ(Split(Value({u"\\??\\C:\\src", u"!\\??\\C:\\target", u"\\??\\C:\\del", u""})),
            (Entries{u"\\??\\C:\\src", u"!\\??\\C:\\target", u"\\??\\C:\\del" + Z}));
  // A rename target that is the last string meets the closing zero.
  EXPECT_EQ(Split(Value({u"\\??\\C:\\src", u"\\??\\C:\\target"})),
            (Entries{u"\\??\\C:\\src", u"\\??\\C:\\target" + Z}));
  EXPECT_EQ(Split(Value({})), Entries{});
}

TEST(ExtractREG_MULTI_SZ, StopsAtTheEndOfTheUnits) {
  const std::u16string units(26101, u'x');
  const Entries entries = Split(units);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].size(), units.size());
}

TEST(FindPendingDeletion, MatchesTheWholePathOfADeletionOnly) {
  const Entries entries{
      u"\\??\\C:\\Marlo\\Talu\\CSTALU\\data.bin" + Z,
      u"\\??\\C:\\Marlo\\Talu\\CSTALU",      // a rename source ...
      u"\\??\\C:\\Marlo\\Talu\\CSTALU" + Z,  // ... whose target looks like a deletion
      u"\\??\\C:\\Marlo\\Talu\\cstalu" + Z,
      u"\\??\\C:\\Marlo\\Talu\\CSTALU" + Z,
      u"C:\\plain.txt" + Z,
      u"\\??\\C:\\M\u00dcLLER.txt" + Z,
  };
  EXPECT_EQ(FindPendingDeletion(entries, u"C:\\Marlo\\Talu\\CSTALU"), 3u);
  EXPECT_EQ(FindPendingDeletion(entries, u"c:\\marlo\\talu\\cstalu\\DATA.BIN"), 0u);
  EXPECT_EQ(FindPendingDeletion(entries, u"C:\\plain.txt"), 5u);
  EXPECT_EQ(FindPendingDeletion(entries, u"C:\\m\u00fcller.TXT"), 6u);
  EXPECT_EQ(FindPendingDeletion(entries, u"C:\\Marlo\\Talu"), std::nullopt);
  EXPECT_EQ(FindPendingDeletion(entries, u"Talu\\CSTALU"), std::nullopt);
}

TEST(FindPendingDeletion, NeverPicksEitherHalfOfARename) {
  const Entries entries{u"\\??\\C:\\src", u"\\??\\C:\\target" + Z};
  EXPECT_EQ(FindPendingDeletion(entries, u"C:\\src"), std::nullopt);
  EXPECT_EQ(FindPendingDeletion(entries, u"C:\\target"), std::nullopt);
}

TEST(JoinEntries, GivesBackTheStrings) {
  EXPECT_EQ(JoinEntries({u"a" + Z, u"src", u"dst"}), u"a" + Z + Z + u"src" + Z + u"dst" + Z);
  EXPECT_EQ(JoinEntries({}), u"");
}

TEST(WininitPathIn, AddsNoBackslashAfterADriveRoot) {
  EXPECT_EQ(WininitPathIn(u"C:\\windows"), u"C:\\windows\\wininit.ini");
  EXPECT_EQ(WininitPathIn(u"C:\\"), u"C:\\wininit.ini");
}

}  // namespace
}  // namespace talu
