// The AES item decryptor against items written by an independent archiver (AE-2, stored).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/ZipCryptoTransform.h"
#include "stream/ZipMemoryStreams.h"

namespace talu::zip {
namespace {

const std::string kPassword = "qarvu-tn.pzo";
const std::string kPlain = "AES content from an independent writer, more than sixteen bytes.\n";

struct Vector {
  int bits;
  std::vector<std::uint8_t> stored;  // salt, verifier, content, code
};

const Vector kVectors[] = {
    {128, {0x35, 0x8e, 0x8f, 0x3a, 0x5f, 0x82, 0xae, 0x80, 0xb0, 0xe9, 0x44, 0x8f, 0x6e, 0x5d, 0x7f,
           0xa4, 0x9d, 0x26, 0xca, 0x11, 0xd2, 0xab, 0x0b, 0xe6, 0xad, 0x7e, 0x68, 0x94, 0x80, 0x0e,
           0x19, 0x97, 0xeb, 0x57, 0xa8, 0xc3, 0x8f, 0x8c, 0x02, 0x68, 0xa1, 0x0d, 0xe3, 0xef, 0xf8,
           0xba, 0xcb, 0xaa, 0x5a, 0xac, 0xee, 0x08, 0xf6, 0xa8, 0x34, 0xea, 0xe0, 0xd2, 0xbd, 0xa3,
           0xb6, 0xec, 0x03, 0x80, 0x05, 0x3f, 0x54, 0x81, 0x10, 0x47, 0xd7, 0xc8, 0xe7, 0x42, 0x59,
           0x87, 0x44, 0x5f, 0xf4, 0x1d, 0xc8, 0x5b, 0xe3, 0x1d, 0x1c}},
    {256, {0x3a, 0x17, 0xd2, 0x3f, 0xd8, 0x40, 0x15, 0x86, 0xba, 0x09, 0xb2, 0x00, 0x8c, 0xe6,
           0x70, 0x1d, 0x65, 0x80, 0x3d, 0x7b, 0x04, 0xd7, 0xfa, 0x5b, 0x84, 0xfa, 0x2e, 0xfb,
           0xb3, 0x06, 0x9d, 0x4c, 0x67, 0x56, 0xcf, 0xd4, 0x08, 0x6a, 0x5d, 0x0f, 0x41, 0xb1,
           0xae, 0xc0, 0x5c, 0xf1, 0xbe, 0x57, 0x71, 0xc5, 0x28, 0xc7, 0x73, 0x84, 0xc1, 0x9e,
           0x80, 0xc5, 0x6d, 0xc9, 0x08, 0x5d, 0xa9, 0x6a, 0x87, 0x94, 0xc4, 0x70, 0x36, 0xc4,
           0xab, 0x7a, 0x32, 0x0b, 0xa4, 0x96, 0x96, 0x7e, 0x96, 0x68, 0xf6, 0xe7, 0xe4, 0xb1,
           0xaa, 0xc1, 0x16, 0x02, 0xf0, 0x5d, 0xe7, 0x8b, 0x79}},
};

// Runs the reading side's calling order over `stored`, decrypting in pieces of `piece` bytes.
// Returns the plaintext, and whether the item was judged corrupted.
std::string Read(const Vector& v, const std::string& password, size_t piece, bool& corrupted,
                 bool& passwordOk) {
  TStringStream source(std::string(v.stored.begin(), v.stored.end()));
  TDirItem item{};
  TAESCryptoTransform t(v.bits, 2, 8);
  t.Initialize(Decryption, item);
  t.GenerateKey(password);
  t.LoadFileStorageStartBlock(source, 0);
  passwordOk = t.CheckPassword(password, item);
  const size_t content =
      v.stored.size() - t.GetFileStorageStartBlockSize() - t.GetFileStorageEndBlockSize();
  std::string data(content, '\0');
  source.ReadBuffer(data.data(), static_cast<std::int64_t>(content));
  auto* bytes = reinterpret_cast<std::uint8_t*>(data.data());
  for (size_t at = 0; at < content; at += piece) {
    const int n = static_cast<int>(std::min(piece, content - at));
    t.DecryptBuffer(bytes, static_cast<int>(at), n, bytes, static_cast<int>(at));
  }
  t.LoadFileStorageEndBlock(source, 0);
  corrupted = t.IsDirItemCorrupted(item, 0);
  return data;
}

TEST(AesTransform, DecryptsAndAuthenticatesIndependentItemsInAnyPieces) {
  for (const Vector& v : kVectors) {
    for (size_t piece : {size_t(1), size_t(15), size_t(16), size_t(17), size_t(4096)}) {
      bool corrupted = true, passwordOk = false;
      EXPECT_EQ(Read(v, kPassword, piece, corrupted, passwordOk), kPlain) << v.bits << "/" << piece;
      EXPECT_TRUE(passwordOk);
      EXPECT_FALSE(corrupted);
    }
  }
}

TEST(AesTransform, WrongPasswordFailsTheVerifier) {
  bool corrupted = false, passwordOk = true;
  Read(kVectors[1], "wrong", 4096, corrupted, passwordOk);
  EXPECT_FALSE(passwordOk);
  EXPECT_TRUE(corrupted);
}

TEST(AesTransform, AnyFlippedContentOrCodeByteIsCaught) {
  for (const Vector& v : kVectors) {
    const size_t start = v.bits / 16 + 2;
    for (size_t at = start; at < v.stored.size(); ++at) {
      Vector damaged = v;
      damaged.stored[at] ^= 0x01;
      bool corrupted = false, passwordOk = false;
      Read(damaged, kPassword, 4096, corrupted, passwordOk);
      EXPECT_TRUE(corrupted) << v.bits << " byte " << at;
    }
  }
}

TEST(AesTransform, WritingSideRoundTrips) {
  TDirItem item{};
  TAESCryptoTransform writer(192, 2, 8);
  writer.Initialize(Encryption, item);
  writer.GenerateKey(kPassword);
  std::string stored;
  for (std::uint8_t b : writer.GetFileStorageStartBlock()) stored.push_back(static_cast<char>(b));
  std::string content = kPlain;
  auto* bytes = reinterpret_cast<std::uint8_t*>(content.data());
  writer.EncryptBuffer(bytes, 0, static_cast<int>(content.size()), bytes, 0);
  stored += content;
  for (std::uint8_t b : writer.GetFileStorageEndBlock()) stored.push_back(static_cast<char>(b));

  const Vector v{192, std::vector<std::uint8_t>(stored.begin(), stored.end())};
  bool corrupted = true, passwordOk = false;
  EXPECT_EQ(Read(v, kPassword, 7, corrupted, passwordOk), kPlain);
  EXPECT_TRUE(passwordOk);
  EXPECT_FALSE(corrupted);

  const TZipOwnedExtraField extra = writer.GetExtraFieldData();
  EXPECT_EQ(extra.headerID, 0x9901);
  EXPECT_EQ(extra.data, (TZipBytes{2, 0, 'A', 'E', 2, 8, 0}));
}

}  // namespace
}  // namespace talu::zip
