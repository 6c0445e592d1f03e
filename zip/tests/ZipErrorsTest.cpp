#include <gtest/gtest.h>

#include "ZipArchiver.h"
#include "ZipConst.h"
#include "ZipExcept.h"

namespace talu::zip {
namespace {

struct MessageCase {
  int native;
  std::u16string expected;
};

class ZipErrorMessages : public testing::TestWithParam<MessageCase> {};

TEST_P(ZipErrorMessages, AreBuiltFromTheTableWithFiveDigitNumbers) {
  EXPECT_EQ(EZipException(GetParam().native, nullptr).Message(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ZipErrorMessages,
    testing::Values(
        MessageCase{kNeUnknown, u"Unknown error - Native error: 00000"},
        MessageCase{kNeWriteIndex24, u"Index out of bounds - Native error: 00024"},
        MessageCase{kNeNoLocalHeader, u"Invalid archive file. - Native error: 00035"},
        MessageCase{kNeArchiveIsOpen,
                    u"Archive is open. You should close it beore performing this operation. - "
                    u"Native error: 00037"},
        MessageCase{kNeSizesExceedStream, u"Archive is damaged. Open failed - Native error: 00057"},
        MessageCase{kNeDiskFull66,
                    u"Disk is full. There is not enough free space on disk. - Native error: 00066"},
        MessageCase{kNeInvalidPassword,
                    u"Invalid password. Cannot decompress encrypted file. - Native error: 00067"},
        MessageCase{kNeArchiverBusy,
                    u"Archiver is busy. It cannot open, extract or test from an event of its "
                    u"running operation - Native error: 00068"},
        MessageCase{kNeUnsafeLink,
                    u"Link \"%s\" is not created: its target leads out of the destination "
                    u"folder - Native error: 00070"},
        MessageCase{71, u"Unknown error - Native error: 00071"},
        MessageCase{-1, u"Unknown error - Native error: 000-1"},
        MessageCase{123456, u"Unknown error - Native error: 123456"}));

TEST(ZipErrors, EveryNativeErrorMapsToItsCode) {
  const std::vector<std::pair<int, std::vector<int>>> codes = {
      {1, {1, 2, 3, 4, 7, 16, 21, 24}},
      {5, {9, 10, 29}},
      {6, {11, 12, 15, 18, 30, 31, 38, 42, 53, 54}},
      {7, {13, 14}},
      {9, {19, 23}},
      {11, {22, 25}},
      {23, {41, 43}},
      {24, {44, 45}},
      {27, {48, 57}},
      {34, {58, 59}},
      {38, {63, 64}},
      {39, {65, 66}},
      {40, {67}},
      {41, {68}},
      {42, {69}},
      {43, {70}}};
  for (const auto& [code, natives] : codes) {
    for (int native : natives) EXPECT_EQ(ZipNativeToErrorCode(native), code) << native;
  }
  int mapped = 0;
  for (int native = 0; native < kNativeErrorCount; ++native)
    mapped += ZipNativeToErrorCode(native) > 0;
  EXPECT_EQ(mapped, kNativeErrorCount - 1);  // only native error 0 has code 0
}

TEST(ZipErrors, ArgumentsAndComponentNameGoIntoTheMessage) {
  EXPECT_EQ(
      EZipException(kNeArchiveFileNotFound, {std::u16string(u"C:\\a.zip")}, nullptr).Message(),
      u"File \"C:\\a.zip\" not found - Native error: 00012");
  EXPECT_EQ(
      EZipException(kNeCompressedSize, {std::int64_t{10}, std::int64_t{-3}}, nullptr).Message(),
      u"Invalid compressed size, rfs.size = 10, count = -3 - Native error: 00034");
  TZipArchiver named;
  named.SetName(u"ZIP");
  const EZipException e(kNeArchiveNotOpen, &named);
  EXPECT_EQ(e.Message(), u"ZIP: Archive is not open - Native error: 00013");
  EXPECT_EQ(e.ErrorCode(), 7);
  EXPECT_EQ(e.NativeError(), kNeArchiveNotOpen);
  TZipArchiver unnamed;
  EXPECT_EQ(EZipException(kNeArchiveNotOpen, &unnamed).Message(),
            u"Archive is not open - Native error: 00013");
  EXPECT_STREQ(EZipException(kNeNameTooLong, {std::u16string(u"x")}, nullptr).what(),
               "File name is too long: \r\n\"x\" - Native error: 00061");
}

}  // namespace
}  // namespace talu::zip
