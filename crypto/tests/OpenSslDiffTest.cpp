// Differential tests against OpenSSL's libcrypto on random keys, lengths and piece sizes, on the
// fast path and the portable path.
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>

#include <random>

#include "CryptoTestUtil.h"
#include "Pbkdf2.h"
#include "ZipCipher.h"
#include "ZipHmac.h"
#include "ZipSha1.h"

namespace talu::crypto {
namespace {

class OpenSslDiffTest : public CodePathTest {
 protected:
  TBytes RandomBytes(std::size_t size) {
    TBytes bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random_());
    return bytes;
  }
  std::size_t RandomSize(std::size_t max) { return random_() % (max + 1); }

  std::mt19937 random_{20240611};
};

const EVP_CIPHER* OpenSslAes(std::size_t keyLen, bool cbc) {
  switch (keyLen) {
    case 16:
      return cbc ? EVP_aes_128_cbc() : EVP_aes_128_ecb();
    case 24:
      return cbc ? EVP_aes_192_cbc() : EVP_aes_192_ecb();
    default:
      return cbc ? EVP_aes_256_cbc() : EVP_aes_256_ecb();
  }
}

// OpenSSL encryption without padding, in one call.
TBytes OpenSslEncrypt(const EVP_CIPHER* cipher, const TBytes& key, const std::uint8_t* iv,
                      const TBytes& data) {
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  TBytes out(data.size() + 16);
  int len = 0, tail = 0;
  EVP_EncryptInit_ex(ctx, cipher, nullptr, key.data(), iv);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  EVP_EncryptUpdate(ctx, out.data(), &len, data.data(), static_cast<int>(data.size()));
  EVP_EncryptFinal_ex(ctx, out.data() + len, &tail);
  EVP_CIPHER_CTX_free(ctx);
  out.resize(static_cast<std::size_t>(len + tail));
  return out;
}

TEST_P(OpenSslDiffTest, Sha1InRandomPieces) {
  for (int round = 0; round < 200; ++round) {
    const TBytes message = RandomBytes(RandomSize(3000));
    THashContext ctx;
    THashDigest ours;
    SHA1Init(ctx);
    for (std::size_t done = 0; done < message.size();) {
      const std::size_t piece = std::min(RandomSize(200), message.size() - done);
      SHA1UpdateXL(ctx, message.data() + done, piece);
      done += piece;
    }
    SHA1Final(ctx, ours);
    std::uint8_t theirs[SHA_DIGEST_LENGTH];
    SHA1(message.data(), message.size(), theirs);
    ASSERT_EQ(ToHex(ours.data(), 20), ToHex(theirs, 20)) << "length " << message.size();
  }
}

TEST_P(OpenSslDiffTest, HmacSha1WithRandomKeys) {
  for (int round = 0; round < 200; ++round) {
    const TBytes key = RandomBytes(RandomSize(200)), data = RandomBytes(RandomSize(1000));
    THMAC_Context ctx;
    THashDigest ours;
    hmac_init(ctx, FindHash_by_ID(haSHA1), key.data(), key.size());
    hmac_updateXL(ctx, data.data(), data.size());
    hmac_final(ctx, ours);
    std::uint8_t theirs[EVP_MAX_MD_SIZE];
    unsigned theirs_len = 0;
    HMAC(EVP_sha1(), key.data(), static_cast<int>(key.size()), data.data(), data.size(), theirs,
         &theirs_len);
    ASSERT_EQ(ToHex(ours.data(), 20), ToHex(theirs, theirs_len)) << "key length " << key.size();
  }
}

// Up to ten output blocks, so that groups of four, three, two and one are computed side by side.
TEST_P(OpenSslDiffTest, Pbkdf2HmacSha1) {
  for (int round = 0; round < 40; ++round) {
    const TBytes password = RandomBytes(RandomSize(100)), salt = RandomBytes(RandomSize(40));
    const auto iterations = static_cast<std::uint32_t>(1 + RandomSize(60));
    const auto length = static_cast<std::uint16_t>(1 + RandomSize(200));
    TBytes ours(length), theirs(length);
    Pbkdf2HmacSha1(password.data(), static_cast<std::uint16_t>(password.size()), salt.data(),
                   static_cast<std::uint16_t>(salt.size()), iterations, ours.data(), length);
    PKCS5_PBKDF2_HMAC_SHA1(reinterpret_cast<const char*>(password.data()),
                           static_cast<int>(password.size()), salt.data(),
                           static_cast<int>(salt.size()), static_cast<int>(iterations), length,
                           theirs.data());
    ASSERT_EQ(ours, theirs) << "iterations " << iterations << ", length " << length;
  }
}

TEST_P(OpenSslDiffTest, AesBlocksWithRandomKeys) {
  for (int round = 0; round < 60; ++round) {
    const TBytes key = RandomBytes(16 + 8 * (round % 3)), block = RandomBytes(16);
    TCipher_Rijndael aes;
    aes.Init(key.data(), key.size(), nullptr);
    TBytes ours = block;
    aes.Encode(ours.data());
    ASSERT_EQ(ours, OpenSslEncrypt(OpenSslAes(key.size(), false), key, nullptr, block));
    aes.Decode(ours.data());
    ASSERT_EQ(ours, block);
  }
}

TEST_P(OpenSslDiffTest, CounterModeAgainstEncryptedCounterBlocks) {
  for (int round = 0; round < 60; ++round) {
    const TBytes key = RandomBytes(16 + 8 * (round % 3)), data = RandomBytes(RandomSize(5000));
    TBytes key_copy = key, ours(data.size());
    TCipher_Rijndael aes(key_copy);
    aes.SetMode(cmCTR);
    for (std::size_t done = 0; done < data.size();) {
      const std::size_t piece = std::min(RandomSize(300), data.size() - done);
      aes.DecodeBuffer(data.data() + done, ours.data() + done, piece);
      done += piece;
    }
    TBytes counters((data.size() + 15) / 16 * 16, 0);
    for (std::size_t b = 0; b < counters.size() / 16; ++b) StoreLE64(&counters[16 * b], b + 1);
    const TBytes stream = OpenSslEncrypt(OpenSslAes(key.size(), false), key, nullptr, counters);
    TBytes theirs(data.size());
    XORBuffers(data.data(), stream.data(), data.size(), theirs.data());
    ASSERT_EQ(ours, theirs) << "key length " << key.size() << ", data length " << data.size();
  }
}

TEST_P(OpenSslDiffTest, CbcOverWholeBlocks) {
  for (int round = 0; round < 60; ++round) {
    const TBytes key = RandomBytes(16 + 8 * (round % 3)), iv = RandomBytes(16);
    const TBytes data = RandomBytes(16 * RandomSize(40));
    TCipher_Rijndael aes;
    aes.Init(key.data(), key.size(), iv.data());
    aes.SetMode(cmCBC);
    TBytes ours = data;
    aes.EncodeBuffer(ours.data(), ours.data(), ours.size());
    ASSERT_EQ(ours, OpenSslEncrypt(OpenSslAes(key.size(), true), key, iv.data(), data));
  }
}

INSTANTIATE_CODE_PATHS(OpenSslDiffTest);

}  // namespace
}  // namespace talu::crypto
