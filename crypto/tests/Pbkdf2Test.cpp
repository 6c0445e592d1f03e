// PBKDF2-HMAC-SHA1 (RFC 6070) through Pbkdf2, Pbkdf2HmacSha1 and TSaltedPassword.
#include <algorithm>
#include <stdexcept>

#include "CryptoTestUtil.h"
#include "Pbkdf2.h"
#include "SaltedPassword.h"

namespace talu::crypto {
namespace {

struct TPbkdf2Vector {
  std::string Password;
  std::string Salt;
  std::uint32_t Iterations;
  const char* Key;
};

// RFC 6070, section 2, but for the case of 16,777,216 iterations (below).
const TPbkdf2Vector kRfc6070[] = {
    {"password", "salt", 1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
    {"password", "salt", 2, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
    {"password", "salt", 4096, "4b007901b765489abead49d926f721d065a429c1"},
    {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
     "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
    {std::string("pass\0word", 9), std::string("sa\0lt", 5), 4096,
     "56fa6aa75548099dcc37d7f03425e0c3"},
};

using Pbkdf2Test = CodePathTest;

TEST_P(Pbkdf2Test, Rfc6070Vectors) {
  for (const auto& v : kRfc6070) {
    SCOPED_TRACE(v.Password + " / " + std::to_string(v.Iterations));
    const auto length = static_cast<std::uint16_t>(std::string_view(v.Key).size() / 2);
    TBytes key(length);
    Pbkdf2HmacSha1(v.Password.data(), static_cast<std::uint16_t>(v.Password.size()), v.Salt.data(),
                   static_cast<std::uint16_t>(v.Salt.size()), v.Iterations, key.data(), length);
    EXPECT_EQ(ToHex(key), v.Key);
    const TSaltedPassword generator(v.Password, static_cast<int>(v.Iterations),
                                    static_cast<std::uint16_t>(v.Salt.size()),
                                    reinterpret_cast<const std::uint8_t*>(v.Salt.data()));
    EXPECT_EQ(ToHex(generator.GetKeyBytes(length)), v.Key);
  }
}

// RFC 6070's case of 16,777,216 iterations takes seconds on the fast path and far longer on the
// portable one, so it runs on the fast path only.
TEST_P(Pbkdf2Test, Rfc6070SixteenMillionIterations) {
  if (GetParam() == TCodePath::Portable) GTEST_SKIP() << "too slow without SHA instructions";
  if (!DetectCpuFeatures().Sha) GTEST_SKIP() << "the processor has no SHA instructions";
  TBytes key(20);
  Pbkdf2HmacSha1("password", 8, "salt", 4, 16777216, key.data(), 20);
  EXPECT_EQ(ToHex(key), "eefe3d61cd4da4e4e9945b3d6ba2158c2634e984");
}

INSTANTIATE_CODE_PATHS(Pbkdf2Test);

TEST(Pbkdf2AnyHashTest, ReportsMissingHashAndZeroDigestLength) {
  std::uint8_t out[20];
  EXPECT_EQ(Pbkdf2(nullptr, "pw", 2, "salt", 4, 1, out, sizeof out), kdf_err_nil_pointer);
  THashDesc no_digest = *FindHash_by_ID(haSHA1);
  no_digest.HDigestlen = 0;
  EXPECT_EQ(Pbkdf2(&no_digest, "pw", 2, "salt", 4, 1, out, sizeof out), kdf_err_digestlen);
}

TEST(Pbkdf2AnyHashTest, ZeroIterationsCountAsOne) {
  std::uint8_t zero[20], one[20];
  ASSERT_EQ(Pbkdf2(FindHash_by_ID(haSHA1), "password", 8, "salt", 4, 0, zero, 20), kdf_err_OK);
  ASSERT_EQ(Pbkdf2(FindHash_by_ID(haSHA1), "password", 8, "salt", 4, 1, one, 20), kdf_err_OK);
  EXPECT_EQ(ToHex(zero, 20), ToHex(one, 20));
}

TEST(SaltedPasswordTest, SaltValueIsAFreshCopyEachTime) {
  const TBytes salt = Hex("0102030405060708");
  const TSaltedPassword generator("pw", 1000, 8, salt.data());
  TBytes first = generator.GetSaltValue();
  EXPECT_EQ(first, salt);
  first[0] ^= 0xFF;
  EXPECT_EQ(generator.GetSaltValue(), salt);
  EXPECT_EQ(generator.IterationCount(), 1000);
}

TEST(SaltedPasswordTest, RandomSaltsDifferAndNeverHoldByte255) {
  const TSaltedPassword a("pw", 1000, 4096), b("pw", 1000, 4096);
  const TBytes salt_a = a.GetSaltValue(), salt_b = b.GetSaltValue();
  EXPECT_EQ(salt_a.size(), 4096u);
  EXPECT_NE(salt_a, salt_b);
  EXPECT_EQ(std::count(salt_a.begin(), salt_a.end(), 255), 0);
  EXPECT_EQ(*std::max_element(salt_a.begin(), salt_a.end()), 254) << "all of 0..254 used";
}

TEST(SaltedPasswordTest, RefusesPasswordsBeyondTheWorkArea) {
  const std::string longest(TSaltedPassword::kMaxPasswordLen, 'p');
  EXPECT_EQ(TSaltedPassword(longest, 1, 0).GetKeyBytes(4).size(), 4u);
  EXPECT_THROW(TSaltedPassword(longest + 'p', 1, 0).GetKeyBytes(4), std::length_error);
}

}  // namespace
}  // namespace talu::crypto
