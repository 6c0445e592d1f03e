#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <ctime>

#include "ItemMaker.h"
#include "platform/ZipPlatform.h"
#include "stream/ZipFileStream.h"
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

#ifndef _WIN32
// DOS times land as the local time they name, as mktime reads it, also around the changes of
// daylight saving time (ctest runs this in such a zone, zip_dos_times_dst), and read back.
TEST(DosTimes, LandAsTheLocalTimeTheyName) {
  struct Moment {
    int year, month, day, hour, minute;
  };
  const Moment moments[] = {{2024, 1, 1, 12, 0}, {2024, 7, 1, 12, 0},   {2024, 3, 31, 1, 58},
                            {2024, 3, 31, 3, 0}, {2024, 10, 27, 1, 58}, {2024, 10, 27, 3, 0},
                            {1980, 1, 1, 0, 0},  {2107, 12, 31, 23, 58}};
  test::TempFolder temp("dos-times");
  for (const Moment& m : moments) {
    const auto date = static_cast<std::uint16_t>((m.year - 1980) << 9 | m.month << 5 | m.day);
    const auto time = static_cast<std::uint16_t>(m.hour << 11 | m.minute << 5);
    const std::u16string path = (temp.Out() / "f").u16string();
    TFileStream::CreateExclusive(path)->SetLastWriteDos(date, time);
    std::tm fields{};
    fields.tm_year = m.year - 1900;
    fields.tm_mon = m.month - 1;
    fields.tm_mday = m.day;
    fields.tm_hour = m.hour;
    fields.tm_min = m.minute;
    fields.tm_isdst = -1;
    struct stat st {};
    ASSERT_EQ(stat((temp.Out() / "f").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, std::mktime(&fields)) << m.year << "-" << m.month << "-" << m.day;
    EXPECT_EQ(platform::FileAgeDos(path), date << 16 | time);
    platform::RemoveFile(path);
  }
}
#endif

}  // namespace
}  // namespace talu::zip
