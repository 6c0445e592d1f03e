#include <gtest/gtest.h>

#include "TestArchive.h"
#include "text/ZipHashedList.h"

namespace talu::zip {
namespace {

TEST(ZipStringHash, HashOfRotatesAndXors) {
  TZipStringHash hash(10);
  EXPECT_EQ(hash.HashOf(u""), 0u);
  EXPECT_EQ(hash.HashOf(u"a"), 0x61u);
  EXPECT_EQ(hash.HashOf(u"ab"), 0x1E6u);
  hash.Add(u"k", 1);
  hash.Add(u"k", 2);
  EXPECT_EQ(hash.ValueOf(u"k"), 2);
  EXPECT_TRUE(hash.Modify(u"k", 3));
  hash.Remove(u"k");
  EXPECT_EQ(hash.ValueOf(u"k"), 1);
  EXPECT_FALSE(hash.Modify(u"none", 1));
}

TEST(ZipHashedStringList, FindsTheHighestOfEqualLinesIgnoringAsciiCase) {
  TZipHashedStringList list;
  for (const char16_t* line : {u"a", u"b", u"abc.txt", u"c", u"d", u"ABC.TXT", u"\u00C4"}) {
    list.Add(line);
  }
  EXPECT_EQ(list.IndexOf(u"abc.txt"), 5);
  EXPECT_EQ(list.IndexOf(u"Abc.Txt"), 5);
  EXPECT_EQ(list.IndexOf(u"\u00E4"), -1);  // only A to Z fold
  list.Update(5, u"x");
  EXPECT_EQ(list.IndexOf(u"abc.txt"), 2);
  list.Delete(0);
  EXPECT_EQ(list.IndexOf(u"x"), 4);
  list.Clear();
  EXPECT_EQ(list.IndexOf(u"x"), -1);
}

TEST(ZipHashedStringList, DropsAnOverfullHashAndRebuildsItLarger) {
  TZipHashedStringList list;
  list.IndexOf(u"");
  EXPECT_EQ(list.ValueHashSize(), 1000u);
  for (int i = 0; i < 5000; ++i) list.Add(u"n" + std::u16string(1, char16_t(u'0' + i % 10)));
  EXPECT_EQ(list.ValueHashSize(), 1000u);
  list.Add(u"last");
  EXPECT_EQ(list.ValueHashSize(), 0u);
  EXPECT_EQ(list.IndexOf(u"LAST"), 5000);
  EXPECT_EQ(list.ValueHashSize(), 5001u);
}

TEST(ZipHashedStringList, IndexOfNameLooksAtNameValueLines) {
  TZipHashedStringList list;
  list.Add(u"x");
  list.Add(u"X=1");
  EXPECT_EQ(list.IndexOfName(u"x"), 1);
  list.Add(u"y=2");
  EXPECT_EQ(list.IndexOfName(u"Y"), 2);
}

TEST(ZipDirArray, NamingKeepsTheIndexInStep) {
  TZipDirArray dir;
  for (const char16_t* name : {u"a.txt", u"B.TXT", u"a.txt"}) {
    dir.Append();
    dir.SetItemName(dir.Count() - 1, name);
  }
  int found = -1;
  EXPECT_TRUE(dir.FileExists(u"A.TXT", found));
  EXPECT_EQ(found, 2);
  dir.SetItemName(2, u"c.txt");  // a rename finds the item's own entry
  EXPECT_TRUE(dir.FileExists(u"a.txt", found));
  EXPECT_EQ(found, 0);
  EXPECT_TRUE(dir.FileExists(u"b.txt", found));
  EXPECT_FALSE(dir.FileExists(u"d.txt", found));
  EXPECT_EQ(found, -1);
  EXPECT_EQ(test::NativeErrorOf([&] { dir.GetItem(3); }), kNeGetItemIndex);
  EXPECT_EQ(test::NativeErrorOf([&] { dir.GetItemPtr(-1); }), kNeGetItemPtrIndex);
}

TEST(ZipDirArray, AnEmptyNameMakesTheNextItemFailWith59) {
  TZipDirArray dir;
  dir.Append();
  dir.SetItemName(0, u"");
  dir.Append();
  EXPECT_EQ(test::NativeErrorOf([&] { dir.SetItemName(1, u"b"); }), kNeNameTakenInIndex);
}

TEST(ZipDirArray, ManyNamesStayFindable) {
  TZipDirArray dir;
  for (int i = 0; i < 20000; ++i) {
    dir.Append();
    const std::string digits = std::to_string(i);
    dir.SetItemName(i, u"dir/File" + std::u16string(digits.begin(), digits.end()));
  }
  int found = -1;
  EXPECT_TRUE(dir.FileExists(u"DIR/FILE12345", found));
  EXPECT_EQ(found, 12345);
  EXPECT_EQ(dir[19999].Name, u"dir/File19999");
}

}  // namespace
}  // namespace talu::zip
