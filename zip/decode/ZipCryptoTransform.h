// Item decryptors: the operations item extraction calls on any of them, and the AES one.
//
// Usage (reading): TAESCryptoTransform t(256, 2, 8); t.Initialize(Decryption, item);
//   t.GenerateKey(pw); t.LoadFileStorageStartBlock(src, 0); if (t.CheckPassword(pw, item)) {
//   t.DecryptBuffer(...) per chunk; t.LoadFileStorageEndBlock(src, 0);
//   corrupted = t.IsDirItemCorrupted(item, crc); }
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ZipHmac.h"
#include "directory/ZipDirItem.h"
#include "stream/ZipStream.h"

namespace talu::crypto {
class TCipher_Rijndael;
}

namespace talu::zip {

class TZipKeyCache;
using TZipBytes = std::vector<std::uint8_t>;

enum TCryptoTransformMode { Encryption, Decryption };

// An extra block that owns its data (GetExtraFieldData of the writing side).
struct TZipOwnedExtraField {
  std::uint16_t headerID = 0;
  TZipBytes data;
};

class TZipCryptoTransform {
 public:
  virtual ~TZipCryptoTransform() = default;

  virtual void GenerateKey(const std::string& password) = 0;
  virtual bool CheckPassword(const std::string& password, const TDirItem& item) = 0;
  virtual const TZipBytes& GetKey() const = 0;
  virtual const std::string& GetPassword() const = 0;
  virtual void Initialize(TCryptoTransformMode mode, const TDirItem& item);
  virtual void Reset() = 0;
  virtual int DecryptBuffer(const std::uint8_t* input, int inputOffset, int inputCount,
                            std::uint8_t* output, int outputOffset) = 0;
  virtual int EncryptBuffer(const std::uint8_t* input, int inputOffset, int inputCount,
                            std::uint8_t* output, int outputOffset) = 0;
  virtual TZipBytes GetFileStorageStartBlock() = 0;
  virtual void LoadFileStorageStartBlock(TStream& stream, std::int64_t offset) = 0;
  virtual int GetFileStorageStartBlockSize() const = 0;
  virtual TZipBytes GetFileStorageEndBlock() = 0;
  virtual void LoadFileStorageEndBlock(TStream& stream, std::int64_t offset) = 0;
  virtual int GetFileStorageEndBlockSize() const = 0;
  virtual bool IsDirItemCorrupted(const TDirItem& item, std::uint32_t crc32) = 0;
  virtual TZipOwnedExtraField GetExtraFieldData() const = 0;

 protected:
  TCryptoTransformMode FTransformMode = Encryption;
};

// AES in the AE-1/AE-2 item format: PBKDF2-HMAC-SHA1 keys (1000 iterations), AES-CTR content,
// a 2-byte password verifier and a 10-byte HMAC-SHA1 code over the encrypted content.
class TAESCryptoTransform final : public TZipCryptoTransform {
 public:
  static constexpr int kIterations = 1000;
  static constexpr int kAuthenticationCodeSize = 10;

  TAESCryptoTransform(int strengthBits, std::uint16_t cryptVersion, std::uint16_t actualCompMethod);
  ~TAESCryptoTransform() override;

  void GenerateKey(const std::string& password) override;
  bool CheckPassword(const std::string& password, const TDirItem& item) override;
  const TZipBytes& GetKey() const override { return FEncryptionKey; }
  const std::string& GetPassword() const override { return FPassword; }
  void Reset() override;
  int DecryptBuffer(const std::uint8_t* input, int inputOffset, int inputCount,
                    std::uint8_t* output, int outputOffset) override;
  int EncryptBuffer(const std::uint8_t* input, int inputOffset, int inputCount,
                    std::uint8_t* output, int outputOffset) override;
  TZipBytes GetFileStorageStartBlock() override;
  void LoadFileStorageStartBlock(TStream& stream, std::int64_t offset) override;
  int GetFileStorageStartBlockSize() const override { return FKeyLengthBytes / 2 + 2; }
  TZipBytes GetFileStorageEndBlock() override;
  void LoadFileStorageEndBlock(TStream& stream, std::int64_t offset) override;
  int GetFileStorageEndBlockSize() const override {
    return FVersion == 1 ? 0 : FAuthenticationCodeSize;
  }
  bool IsDirItemCorrupted(const TDirItem& item, std::uint32_t crc32) override;
  TZipOwnedExtraField GetExtraFieldData() const override;
  // Derivations go through `cache` (the archiver's) instead of being made afresh each time.
  void UseKeyCache(TZipKeyCache& cache) { FKeyCache = &cache; }

 private:
  TZipBytes DeriveMaterial(const std::string& password) const;
  void UpdateKeys();
  void EnsureKeys();
  TZipBytes FinishCode();

  std::uint16_t FKeyLengthBytes;
  std::uint16_t FVersion;
  std::uint16_t FActualCompressionMethod;
  int FAuthenticationCodeSize = kAuthenticationCodeSize;
  crypto::PHashDesc FPHash;
  crypto::THMAC_Context FHMAC_Context{};
  std::unique_ptr<crypto::TCipher_Rijndael> FCryptor;
  TZipBytes FHashKey, FEncryptionKey, FPasswordVerificationValue, FSaltValue, FAuthenticationCode;
  std::string FPassword;
  // Keys are derived when first needed: on the reading side the random salt of GenerateKey is
  // replaced by the item's salt before any key is used, so deriving from it would be wasted.
  bool FKeysStale = false;
  TZipKeyCache* FKeyCache = nullptr;
};

// Whether AES keys can be derived from `password` (PBKDF2 takes at most 32767 bytes).
bool ZipAesPasswordUsable(const std::string& password);

// PBKDF2-HMAC-SHA1 output for AES items.
TZipBytes ZipDeriveAesKeyMaterial(const std::string& password, const TZipBytes& salt,
                                  std::uint16_t length);

}  // namespace talu::zip
