// Traditional cipher against data written by an independent archiver (stored item, flag bit 3).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CpuFeatures.h"
#include "decode/ZipCrc32.h"
#include "decode/ZipTradCrypt.h"

namespace talu::zip {
namespace {

// "hello.txt" stored with password "qarvu-tn.pzo"; general-purpose flag 0x9, time 0x1883.
const uint8_t kEncrypted[] = {0x20, 0xa9, 0xcd, 0x85, 0x02, 0x31, 0xa4, 0xfc, 0x2c, 0xeb,
                              0x81, 0x4c, 0xb0, 0x2e, 0xda, 0x70, 0x3a, 0xd8, 0x12, 0xee,
                              0xc2, 0xa9, 0x0e, 0xc5, 0xd1, 0x54, 0xe8, 0xff, 0x88, 0xb9,
                              0xd0, 0x8b, 0x12, 0x23, 0xb6, 0x4e, 0xab, 0x28, 0x73};
constexpr uint16_t kFlags = 0x9, kTime = 0x1883;
constexpr uint32_t kCrc = 0xe23ebcab;
const std::string kPlain = "Hello, traditional cipher!\n";

TEST(TraditionalCipher, DecryptsAnIndependentlyWrittenItem) {
  uint8_t header[kZipEncryptionHeaderSize];
  std::memcpy(header, kEncrypted, sizeof header);
  TZipKeys keys;
  ZipKeyInit("qarvu-tn.pzo", keys, header);
  EXPECT_EQ(header[11], ZipExpectedCheckByte(kFlags, kTime, kCrc));

  std::string data(reinterpret_cast<const char*>(kEncrypted) + 12, sizeof kEncrypted - 12);
  ZipDecryptBuffer(reinterpret_cast<uint8_t*>(data.data()), data.size(), keys);
  EXPECT_EQ(data, kPlain);
  EXPECT_EQ(~CRC32(0xFFFFFFFFu, data.data(), data.size()), kCrc);
}

TEST(TraditionalCipher, ChunkedDecryptionEqualsOneCall) {
  for (size_t split = 0; split <= sizeof kEncrypted - 12; ++split) {
    uint8_t header[kZipEncryptionHeaderSize];
    std::memcpy(header, kEncrypted, sizeof header);
    TZipKeys keys;
    ZipKeyInit("qarvu-tn.pzo", keys, header);
    std::string data(reinterpret_cast<const char*>(kEncrypted) + 12, sizeof kEncrypted - 12);
    auto* bytes = reinterpret_cast<uint8_t*>(data.data());
    ZipDecryptBuffer(bytes, split, keys);
    ZipDecryptBuffer(bytes + split, data.size() - split, keys);
    EXPECT_EQ(data, kPlain) << "split at " << split;
  }
}

TEST(TraditionalCipher, CheckByteSourceFollowsFlagBit3) {
  EXPECT_EQ(ZipExpectedCheckByte(0x0, 0x1883, 0xe23ebcab), 0xe2);
  EXPECT_EQ(ZipExpectedCheckByte(0x8, 0x1883, 0xe23ebcab), 0x18);
}

TEST(TraditionalCipher, WrongPasswordFailsTheCheckByte) {
  uint8_t header[kZipEncryptionHeaderSize];
  std::memcpy(header, kEncrypted, sizeof header);
  TZipKeys keys;
  ZipKeyInit("wrong", keys, header);
  EXPECT_NE(header[11], ZipExpectedCheckByte(kFlags, kTime, kCrc));
}

// The folding method against the tables at every length around its steps, from every
// alignment, with and without the processor's carry-less multiply.
TEST(Crc32, FoldingEqualsTablesAtEveryLengthAndAlignment) {
  std::string data;
  for (int i = 0; i < 700; ++i) data.push_back(static_cast<char>(i * 131 + 7));
  const crypto::TCpuFeatures detected = crypto::DetectCpuFeatures();
  for (bool clmul : {true, false}) {
    crypto::TCpuFeatures wanted = detected;
    wanted.Clmul = clmul;
    crypto::SetCpuFeaturesForTesting(wanted);
    for (size_t start = 0; start < 16; ++start)
      for (size_t len = 0; start + len <= data.size(); len += (len < 200 ? 1 : 37))
        ASSERT_EQ(CRC32(0x1234567u, data.data() + start, len),
                  CRC32Tables(0x1234567u, data.data() + start, len))
            << start << "+" << len;
  }
  crypto::SetCpuFeaturesForTesting(detected);
}

TEST(Crc32, BulkEqualsByteSteps) {
  std::string data;
  for (int i = 0; i < 1000; ++i) data.push_back(static_cast<char>(i * 7));
  uint32_t stepped = 0xFFFFFFFFu;
  for (char c : data) stepped = UpdCRC(static_cast<uint8_t>(c), stepped);
  EXPECT_EQ(CRC32(0xFFFFFFFFu, data.data(), data.size()), stepped);
  EXPECT_EQ(UpdCRC(1, 0), 0x77073096u);
  EXPECT_EQ(~CRC32(0xFFFFFFFFu, "123456789", 9), 0xCBF43926u);  // the standard check value
}

}  // namespace
}  // namespace talu::zip
