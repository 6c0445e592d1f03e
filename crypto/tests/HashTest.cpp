// SHA-1 (FIPS 180), HMAC-SHA1 (RFC 2202) and the hash registry.
#include "CryptoTestUtil.h"
#include "ZipHmac.h"
#include "ZipSha1.h"

namespace talu::crypto {
namespace {

std::string Sha1Hex(const TBytes& message, std::size_t split) {
  THashContext ctx;
  THashDigest digest;
  SHA1Init(ctx);
  SHA1UpdateXL(ctx, message.data(), split);
  SHA1UpdateXL(ctx, message.data() + split, message.size() - split);
  SHA1Final(ctx, digest);
  return ToHex(digest.data(), kSha1DigestLen);
}

struct TSha1Vector {
  const char* Name;
  TBytes Message;
  const char* Digest;
};

const TSha1Vector kSha1Vectors[] = {
    {"empty", {}, "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
    {"abc", Text("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d"},
    {"two blocks", Text("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
     "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
    {"padding spills", Repeat('a', 56), "c2db330f6083854c99d4b5bfb6e8f29f201be699"},
    {"one block", Repeat('a', 64), "0098ba824b5c16427bd7a1122a5a442a25ec644d"},
};

using Sha1Test = CodePathTest;

TEST_P(Sha1Test, StandardVectorsAtEverySplit) {
  for (const auto& v : kSha1Vectors) {
    SCOPED_TRACE(v.Name);
    for (std::size_t split = 0; split <= v.Message.size(); ++split) {
      ASSERT_EQ(Sha1Hex(v.Message, split), v.Digest) << "split at " << split;
    }
  }
}

TEST_P(Sha1Test, MillionLettersInUnevenPieces) {
  const TBytes piece = Repeat('a', 999);
  THashContext ctx;
  THashDigest digest;
  SHA1Init(ctx);
  std::size_t left = 1000000;
  for (std::size_t n = 1; left > 0; n = n * 7 % 998 + 1) {
    const std::size_t take = std::min(n, left);
    SHA1UpdateXL(ctx, piece.data(), take);
    left -= take;
  }
  SHA1Final(ctx, digest);
  EXPECT_EQ(ToHex(digest.data(), kSha1DigestLen), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

INSTANTIATE_CODE_PATHS(Sha1Test);

struct THmacVector {
  TBytes Key;
  TBytes Data;
  const char* Mac;
};

// RFC 2202, section 3, test cases 1 to 7.
const THmacVector kHmacVectors[] = {
    {Repeat(0x0B, 20), Text("Hi There"), "b617318655057264e28bc0b6fb378c8ef146be00"},
    {Text("Jefe"), Text("what do ya want for nothing?"),
     "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
    {Repeat(0xAA, 20), Repeat(0xDD, 50), "125d7342b9ac11cd91a39af48aa17b4f63f175d3"},
    {Hex("0102030405060708090a0b0c0d0e0f10111213141516171819"), Repeat(0xCD, 50),
     "4c9007f4026250c6bc8414f9bf50c86c2d7235da"},
    {Repeat(0x0C, 20), Text("Test With Truncation"), "4c1a03424b55e07fe7f27be1d58bb9324a9a5a04"},
    {Repeat(0xAA, 80), Text("Test Using Larger Than Block-Size Key - Hash Key First"),
     "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
    {Repeat(0xAA, 80),
     Text("Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data"),
     "e8e99d0f45237d786d6bbaa7965c7808bbff1a91"},
};

using HmacTest = CodePathTest;

TEST_P(HmacTest, Rfc2202VectorsAtEverySplit) {
  const PHashDesc sha1 = FindHash_by_ID(haSHA1);
  for (std::size_t i = 0; i < std::size(kHmacVectors); ++i) {
    const auto& v = kHmacVectors[i];
    SCOPED_TRACE("RFC 2202 case " + std::to_string(i + 1));
    for (std::size_t split = 0; split <= v.Data.size(); ++split) {
      THMAC_Context ctx;
      THashDigest mac;
      hmac_init(ctx, sha1, v.Key.data(), v.Key.size());
      hmac_updateXL(ctx, v.Data.data(), split);
      hmac_updateXL(ctx, v.Data.data() + split, v.Data.size() - split);
      hmac_final(ctx, mac);
      ASSERT_EQ(ToHex(mac.data(), kSha1DigestLen), v.Mac) << "split at " << split;
      ASSERT_EQ(ctx.hmacbuf, decltype(ctx.hmacbuf){}) << "the key block is wiped";
    }
    THMAC_KeyedStates keyed;
    THashDigest mac;
    hmac_keyed_states(keyed, sha1, v.Key.data(), v.Key.size());
    hmac_from_states(keyed, {v.Data}, mac);
    EXPECT_EQ(ToHex(mac.data(), kSha1DigestLen), v.Mac) << "from keyed states";
  }
}

INSTANTIATE_CODE_PATHS(HmacTest);

TEST(HashRegistryTest, FindsSha1ByNameInAnyCaseAndById) {
  for (const char* name : {"SHA1", "sha1", "Sha1"}) {
    const PHashDesc desc = FindHash_by_Name(name);
    ASSERT_NE(desc, nullptr) << name;
    EXPECT_EQ(desc->HAlgNum, haSHA1);
    EXPECT_EQ(desc->HBlockLen, 64);
    EXPECT_EQ(desc->HDigestlen, 20);
    EXPECT_EQ(desc, FindHash_by_ID(haSHA1));
  }
}

TEST(HashRegistryTest, FindsNoOtherAlgorithm) {
  for (const char* name : {"MD4", "MD5", "RIPEMD160", "SHA224", "SHA256", "SHA384", "SHA512",
                           "Whirlpool", "", "SHA", "SHA1 "}) {
    EXPECT_EQ(FindHash_by_Name(name), nullptr) << name;
  }
  for (THashAlgorithm id : {haMD4, haMD5, haRIPEMD160, haSHA224, haSHA256, haSHA512, haWhirlpool}) {
    EXPECT_EQ(FindHash_by_ID(id), nullptr) << int{id};
  }
}

TEST(HashRegistryTest, RefusesDescriptorsOfAnotherLayoutOrNumber) {
  const THashDesc good = SHA1Descriptor();
  THashDesc wrong_sig = good, wrong_size = good, wrong_version = good;
  wrong_sig.HSig ^= 1;
  wrong_size.HDSize -= 1;
  wrong_version.HDVersion += 1;
  for (const THashDesc* bad : {&wrong_sig, &wrong_size, &wrong_version}) {
    EXPECT_FALSE(RegisterHash(haSHA1, *bad));
  }
  EXPECT_FALSE(RegisterHash(haMD5, good)) << "registered under another number than its own";
  EXPECT_EQ(FindHash_by_ID(haMD5), nullptr);
  EXPECT_TRUE(RegisterHash(haSHA1, SHA1Descriptor()));
  EXPECT_EQ(FindHash_by_ID(haSHA1), &SHA1Descriptor());
}

}  // namespace
}  // namespace talu::crypto
