// Throughput of our crypto primitives against OpenSSL's libcrypto, on the same buffers in the
// same run; ends with a table of the ratios ours / OpenSSL.
#include <openssl/evp.h>
#include <openssl/params.h>

#include <cstdio>
#include <string>

#include "CpuFeatures.h"
#include "Pbkdf2.h"
#include "RatioTable.h"
#include "ZipCipher.h"
#include "ZipHmac.h"
#include "ZipSha1.h"

using namespace talu::crypto;

namespace {

constexpr std::size_t kBufferSize = 1 << 20;  // what the archive engine decrypts per read
constexpr int kPbkdf2Iterations = 1000;       // what AES archive items use

TBytes& SharedBuffer() {
  static TBytes buffer(kBufferSize, 0x5A);
  return buffer;
}

const TBytes kKey = TBytes(32, 0x42);
const char kPassword[] = "a password of typical length";
const std::uint8_t kSalt[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

void CountBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferSize));
}

void OursAesCtr(benchmark::State& state, std::size_t keyLen) {
  TBytes key(kKey.begin(), kKey.begin() + static_cast<std::ptrdiff_t>(keyLen));
  TCipher_Rijndael aes(key);
  aes.SetMode(cmCTR);
  TBytes& buffer = SharedBuffer();
  for (auto _ : state) aes.DecodeBuffer(buffer.data(), buffer.data(), buffer.size());
  CountBytes(state);
}

void OpenSslAesCtr(benchmark::State& state, const EVP_CIPHER* cipher) {
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_EncryptInit_ex(ctx, cipher, nullptr, kKey.data(), kSalt);
  TBytes& buffer = SharedBuffer();
  int len = 0;
  for (auto _ : state) {
    EVP_EncryptUpdate(ctx, buffer.data(), &len, buffer.data(), static_cast<int>(buffer.size()));
  }
  EVP_CIPHER_CTX_free(ctx);
  CountBytes(state);
}

void OursSha1(benchmark::State& state) {
  THashContext ctx;
  THashDigest digest;
  for (auto _ : state) {
    SHA1Init(ctx);
    SHA1UpdateXL(ctx, SharedBuffer().data(), kBufferSize);
    SHA1Final(ctx, digest);
    benchmark::DoNotOptimize(digest);
  }
  CountBytes(state);
}

void OpenSslSha1(benchmark::State& state) {
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  EVP_MD* sha1 = EVP_MD_fetch(nullptr, "SHA1", nullptr);
  unsigned char digest[EVP_MAX_MD_SIZE];
  for (auto _ : state) {
    EVP_DigestInit_ex(ctx, sha1, nullptr);
    EVP_DigestUpdate(ctx, SharedBuffer().data(), kBufferSize);
    EVP_DigestFinal_ex(ctx, digest, nullptr);
    benchmark::DoNotOptimize(digest);
  }
  EVP_MD_free(sha1);
  EVP_MD_CTX_free(ctx);
  CountBytes(state);
}

void OursHmacSha1(benchmark::State& state) {
  THMAC_Context ctx;
  THashDigest mac;
  for (auto _ : state) {
    hmac_init(ctx, FindHash_by_ID(haSHA1), kKey.data(), 20);
    hmac_updateXL(ctx, SharedBuffer().data(), kBufferSize);
    hmac_final(ctx, mac);
    benchmark::DoNotOptimize(mac);
  }
  CountBytes(state);
}

void OpenSslHmacSha1(benchmark::State& state) {
  EVP_MAC* hmac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  EVP_MAC_CTX* ctx = EVP_MAC_CTX_new(hmac);
  char digest_name[] = "SHA1";
  const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string("digest", digest_name, 0),
                               OSSL_PARAM_construct_end()};
  unsigned char mac[EVP_MAX_MD_SIZE];
  std::size_t mac_len = 0;
  for (auto _ : state) {
    EVP_MAC_init(ctx, kKey.data(), 20, params);
    EVP_MAC_update(ctx, SharedBuffer().data(), kBufferSize);
    EVP_MAC_final(ctx, mac, &mac_len, sizeof mac);
    benchmark::DoNotOptimize(mac);
  }
  EVP_MAC_CTX_free(ctx);
  EVP_MAC_free(hmac);
  CountBytes(state);
}

void OursPbkdf2(benchmark::State& state, std::uint16_t length) {
  std::uint8_t key[128];
  for (auto _ : state) {
    Pbkdf2HmacSha1(kPassword, sizeof kPassword - 1, kSalt, sizeof kSalt, kPbkdf2Iterations, key,
                   length);
    benchmark::DoNotOptimize(key);
  }
  state.SetItemsProcessed(state.iterations());
}

void OpenSslPbkdf2(benchmark::State& state, std::uint16_t length) {
  std::uint8_t key[128];
  for (auto _ : state) {
    PKCS5_PBKDF2_HMAC_SHA1(kPassword, sizeof kPassword - 1, kSalt, sizeof kSalt, kPbkdf2Iterations,
                           length, key);
    benchmark::DoNotOptimize(key);
  }
  state.SetItemsProcessed(state.iterations());
}

template <typename Ours, typename Theirs>
TComparedPrimitive Compare(const std::string& name, const char* unit, double goal, Ours ours,
                           Theirs theirs) {
  benchmark::RegisterBenchmark((name + "/ours").c_str(), ours);
  benchmark::RegisterBenchmark((name + "/OpenSSL").c_str(), theirs);
  return {name, unit, goal};
}

std::vector<TComparedPrimitive> RegisterAll() {
  const auto pbkdf2 = [](std::uint16_t length) {
    return Compare(
        "PBKDF2-HMAC-SHA1 1000 it, " + std::to_string(length) + " bytes", "/s", 0.8,
        [length](benchmark::State& s) { OursPbkdf2(s, length); },
        [length](benchmark::State& s) { OpenSslPbkdf2(s, length); });
  };
  return {
      Compare(
          "AES-128-CTR", "MB/s", 0.7, [](benchmark::State& s) { OursAesCtr(s, 16); },
          [](benchmark::State& s) { OpenSslAesCtr(s, EVP_aes_128_ctr()); }),
      Compare(
          "AES-256-CTR", "MB/s", 0.7, [](benchmark::State& s) { OursAesCtr(s, 32); },
          [](benchmark::State& s) { OpenSslAesCtr(s, EVP_aes_256_ctr()); }),
      Compare("SHA-1", "MB/s", 0.7, OursSha1, OpenSslSha1),
      Compare("HMAC-SHA1", "MB/s", 0.7, OursHmacSha1, OpenSslHmacSha1),
      pbkdf2(66),
      pbkdf2(20),
  };
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::vector<TComparedPrimitive> primitives = RegisterAll();
  const TCpuFeatures cpu = CpuFeatures();
  std::printf("Our fast paths: AES-NI %s, SHA-NI %s. Buffers of %zu bytes; MB = 10^6 bytes.\n",
              cpu.Aes ? "on" : "off", cpu.Sha ? "on" : "off", kBufferSize);
  RatioTable table;
  benchmark::RunSpecifiedBenchmarks(&table);
  const bool met = table.Print(primitives);
  benchmark::Shutdown();
  std::printf("%s\n", met ? "All goals met." : "Some goals missed.");
  return 0;
}
