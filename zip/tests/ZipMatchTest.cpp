// Wildcard masks and attribute sets used to select items.
#include <gtest/gtest.h>

#include <string>

#include "ZipConst.h"
#include "text/ZipMatch.h"

namespace talu::zip {
namespace {

struct MaskCase {
  const char16_t* name;
  const char16_t* mask;
  bool matches;
};

class MaskMatch : public testing::TestWithParam<MaskCase> {};

TEST_P(MaskMatch, AsExpected) {
  const MaskCase& c = GetParam();
  EXPECT_EQ(IsInternalFileMatchMask(c.name, c.mask), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, MaskMatch,
    testing::Values(MaskCase{u"a.txt", u"*.txt", true}, MaskCase{u"sub/a.txt", u"*.txt", true},
                    MaskCase{u"a.txt.bak", u"*.txt", false}, MaskCase{u"readme", u"*.", true},
                    MaskCase{u"readme.txt", u"*.", false}, MaskCase{u"a.c", u"?.c", true},
                    MaskCase{u"ab.c", u"?.c", false}, MaskCase{u"README.TXT", u"*.txt", true},
                    MaskCase{u"\u00C4.txt", u"\u00E4.txt", false},  // only A-Z fold
                    MaskCase{u"anything/at/all", u"*.*", true}, MaskCase{u"x", u"", false},
                    MaskCase{u"ab", u"ab**", false}, MaskCase{u"ab", u"ab*", true},
                    MaskCase{u"abc", u"a*c", true}, MaskCase{u"ac", u"a*c", true},
                    MaskCase{u"dir.x/readme", u"*.", true},  // the extension is the last segment's
                    MaskCase{u"name.", u"name", true}));

struct RuleCase {
  const char16_t* name;
  const char16_t* mask;
  TZipMaskRules rules;
  bool matches;
};

class MaskRules : public testing::TestWithParam<RuleCase> {};

TEST_P(MaskRules, AsExpected) {
  const RuleCase& c = GetParam();
  EXPECT_EQ(IsInternalFileMatchMask(c.name, c.mask, c.rules), c.matches);
}

// Classes and case, each against its near miss; without classes "[" stays a plain character.
constexpr TZipMaskRules kCase{true, false}, kClasses{false, true};
INSTANTIATE_TEST_SUITE_P(
    Rules, MaskRules,
    testing::Values(RuleCase{u"README.TXT", u"*.txt", kCase, false},
                    RuleCase{u"readme.txt", u"*.txt", kCase, true},
                    RuleCase{u"b1.log", u"[ab][0-9].log", kClasses, true},
                    RuleCase{u"c1.log", u"[ab][0-9].log", kClasses, false},
                    RuleCase{u"B1.LOG", u"[ab][0-9].log", kClasses, true},
                    RuleCase{u"B1.log", u"[ab]1.log", TZipMaskRules{true, true}, false},
                    RuleCase{u"x.c", u"[!a-m].c", kClasses, true},
                    RuleCase{u"b.c", u"[^a-m].c", kClasses, false},
                    RuleCase{u"].c", u"[]].c", kClasses, true},
                    RuleCase{u"[a.c", u"[a.c", kClasses, true},  // unclosed: plain
                    RuleCase{u"a.c", u"[a].c", TZipMaskRules{}, false},
                    RuleCase{u"[a].c", u"[a].c", TZipMaskRules{}, true},
                    RuleCase{u"d/x1", u"*[0-9]", kClasses, true}));

TEST(StrMatchPattern, RespectsCaseWhenAsked) {
  EXPECT_FALSE(ZipIsStrMatchPattern(u"ABC", u"abc", false));
  EXPECT_TRUE(ZipIsStrMatchPattern(u"ABC", u"abc", true));
  EXPECT_TRUE(ZipIsStrMatchPattern(u"", u"*", false));
  EXPECT_TRUE(ZipIsStrMatchPattern(u"", u"", false));
  EXPECT_FALSE(ZipIsStrMatchPattern(u"a", u"", false));
}

// Many stars against a long name that almost matches: a backtracking matcher takes forever.
TEST(StrMatchPattern, HostileInputStaysPolynomial) {
  const std::u16string name(20000, u'a');
  EXPECT_FALSE(ZipIsStrMatchPattern(name, u"*a*a*a*a*a*a*a*a*b", false));
  EXPECT_TRUE(ZipIsStrMatchPattern(name + u"b", u"*a*a*a*a*a*a*a*a*b", false));
}

TEST(AttributeMatch, OnlyHiddenSystemVolumeAndFolderBitsCount) {
  EXPECT_TRUE(CheckAttributesMatch(0x10, kZipAllAttributes));
  EXPECT_TRUE(CheckAttributesMatch(0x21, 0x20));   // read-only and archive bits never exclude
  EXPECT_FALSE(CheckAttributesMatch(0x22, 0x20));  // hidden
  EXPECT_FALSE(CheckAttributesMatch(0x24, 0x20));  // system
  EXPECT_FALSE(CheckAttributesMatch(0x10, 0x20));  // folder
}

}  // namespace
}  // namespace talu::zip
