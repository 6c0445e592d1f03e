#include <gtest/gtest.h>

#include <array>

#include "platform/ZipPlatform.h"
#include "text/ZipStrFunc.h"
#include "text/ZipUtf.h"

namespace talu::zip {
namespace {

TEST(ZipCodePages, OemAndAnsiCharacters) {
  std::string oem = "a\x84\x94\x81\x8E\xE1";
  platform::ConvertOemToAnsi(oem.data(), oem.size());
  EXPECT_EQ(oem, "a\xE4\xF6\xFC\xC4\xDF");
  char16_t out[4];
  ASSERT_EQ(platform::AnsiToUtf16("\x80\xE9z", 3, out), 3u);
  EXPECT_EQ(std::u16string(out, 3), u"\u20AC\u00E9z");
}

TEST(ZipUtf8, AcceptsOnlyWellFormedText) {
  const std::pair<std::string, std::ptrdiff_t> cases[] = {
      {"plain", 5},         {"\xC3\x84", 1}, {"\xF0\x9F\x98\x80", 2},  {"\xC0\x80", -1},
      {"\xED\xA0\x80", -1}, {"\xC3", -1},    {"\xF4\x90\x80\x80", -1}, {"\xE4\xB8\x96", 1}};
  for (const auto& [bytes, units] : cases) {
    char16_t out[8];
    EXPECT_EQ(DecodeUtf8(bytes, out), units) << bytes;
  }
  EXPECT_EQ(Utf16ToUtf8(u"\u00C4\U0001F600"), "\xC3\x84\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToUtf16("a\xFFz"), u"a\uFFFDz");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'z'}),
            "a\xEF\xBF\xBDz");  // a lone surrogate
}

// The setup program and the shell utilities split Windows paths with these too.
TEST(ZipPathParts, CutAtTheLastBackslashSlashOrDriveColon) {
  const std::array<std::u16string_view, 3> cases[] = {
      // path, folder part, name part
      {u"C:\\dir\\a.exe", u"C:\\dir\\", u"a.exe"},
      {u"C:/dir/a.exe", u"C:/dir/", u"a.exe"},
      {u"C:a.exe", u"C:", u"a.exe"},
      {u"dir\\", u"dir\\", u""},
      {u"a.exe", u"", u"a.exe"},
  };
  for (const auto& [path, folder, name] : cases) {
    EXPECT_EQ(ExtractFilePath(path), folder);
    EXPECT_EQ(ExtractFileName(path), name);
  }
}

}  // namespace
}  // namespace talu::zip
