#include "ZipCryptoTransform.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>

#include "ZipCipher.h"
#include "ZipPBKDF2.h"

namespace talu::zip {

void TZipCryptoTransform::Initialize(TCryptoTransformMode mode, const TDirItem&) {
  FTransformMode = mode;
}

namespace {

struct TDerivation {
  std::string password;
  TZipBytes salt;
  TZipBytes material;
};

// The last few derivations, newest first. Derivations cost a millisecond each and reading one
// item asks for the same one up to three times.
class TDerivationCache {
 public:
  TZipBytes Get(const std::string& password, const TZipBytes& salt, std::uint16_t length) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = 0; i < used_; ++i) {
      TDerivation& d = entries_[i];
      if (d.material.size() == length && d.salt == salt && d.password == password) {
        std::rotate(entries_.begin(), entries_.begin() + i, entries_.begin() + i + 1);
        return entries_[0].material;
      }
    }
    TPBKDF2 generator(password, TAESCryptoTransform::kIterations,
                      static_cast<std::uint16_t>(salt.size()), salt.data());
    TZipBytes material = generator.GetKeyBytes(length);
    std::rotate(entries_.begin(), entries_.end() - 1, entries_.end());
    entries_[0] = {password, salt, material};
    used_ = std::min(used_ + 1, entries_.size());
    return material;
  }

 private:
  std::mutex mutex_;
  std::array<TDerivation, 4> entries_;
  size_t used_ = 0;
};

TDerivationCache gDerivations;

}  // namespace

bool ZipAesPasswordUsable(const std::string& password) {
  return password.size() <= TPBKDF2::kMaxPasswordLen;
}

TZipBytes ZipDeriveAesKeyMaterial(const std::string& password, const TZipBytes& salt,
                                  std::uint16_t length) {
  return gDerivations.Get(password, salt, length);
}

TAESCryptoTransform::TAESCryptoTransform(int strengthBits, std::uint16_t cryptVersion,
                                         std::uint16_t actualCompMethod)
    : FKeyLengthBytes(static_cast<std::uint16_t>(strengthBits / 8)),
      FVersion(cryptVersion),
      FActualCompressionMethod(actualCompMethod),
      FPHash(FindHash_by_Name("SHA1")) {}

TAESCryptoTransform::~TAESCryptoTransform() {
  Reset();
}

void TAESCryptoTransform::GenerateKey(const std::string& password) {
  FPassword = password;
  if (!(FTransformMode == Decryption && !FSaltValue.empty()))
    FSaltValue = TPBKDF2(FPassword, kIterations, FKeyLengthBytes / 2).GetSaltValue();
  FKeysStale = true;
}

void TAESCryptoTransform::UpdateKeys() {
  const TZipBytes material =
      ZipDeriveAesKeyMaterial(FPassword, FSaltValue, std::uint16_t(2 * FKeyLengthBytes + 2));
  const auto keyEnd = material.begin() + FKeyLengthBytes;
  FEncryptionKey.assign(material.begin(), keyEnd);
  FHashKey.assign(keyEnd, keyEnd + FKeyLengthBytes);
  FPasswordVerificationValue.assign(material.end() - 2, material.end());
  hmac_init(FHMAC_Context, FPHash, FHashKey.data(), FHashKey.size());
  TZipBytes key = FEncryptionKey;
  FCryptor = std::make_unique<TCipher_Rijndael>(key);
  FCryptor->SetMode(cmCTR);
  FEncryptionKey = key;  // the cipher's protected copy
  FKeysStale = false;
}

void TAESCryptoTransform::EnsureKeys() {
  if (FKeysStale || !FCryptor) UpdateKeys();
}

void TAESCryptoTransform::LoadFileStorageStartBlock(TStream& stream, std::int64_t offset) {
  stream.Seek(offset, TSeekOrigin::soCurrent);
  FSaltValue.assign(FKeyLengthBytes / 2, 0);
  stream.Read(FSaltValue.data(), static_cast<std::int64_t>(FSaltValue.size()));
  UpdateKeys();
  FPasswordVerificationValue.assign(2, 0);
  stream.Read(FPasswordVerificationValue.data(), 2);
}

bool TAESCryptoTransform::CheckPassword(const std::string& password, const TDirItem&) {
  const TZipBytes material =
      ZipDeriveAesKeyMaterial(password, FSaltValue, std::uint16_t(2 * FKeyLengthBytes + 2));
  return FPasswordVerificationValue.size() == 2 &&
         std::equal(material.end() - 2, material.end(), FPasswordVerificationValue.begin());
}

// The code covers the encrypted bytes, so it is fed before decryption and after encryption.
int TAESCryptoTransform::DecryptBuffer(const std::uint8_t* input, int inputOffset, int inputCount,
                                       std::uint8_t* output, int outputOffset) {
  EnsureKeys();
  hmac_updateXL(FHMAC_Context, input + inputOffset, static_cast<std::size_t>(inputCount));
  FCryptor->DecodeBuffer(input + inputOffset, output + outputOffset,
                         static_cast<std::size_t>(inputCount));
  return inputCount;
}

int TAESCryptoTransform::EncryptBuffer(const std::uint8_t* input, int inputOffset, int inputCount,
                                       std::uint8_t* output, int outputOffset) {
  EnsureKeys();
  FCryptor->EncodeBuffer(input + inputOffset, output + outputOffset,
                         static_cast<std::size_t>(inputCount));
  hmac_updateXL(FHMAC_Context, output + outputOffset, static_cast<std::size_t>(inputCount));
  return inputCount;
}

TZipBytes TAESCryptoTransform::GetFileStorageStartBlock() {
  EnsureKeys();
  TZipBytes block = FSaltValue;
  block.insert(block.end(), FPasswordVerificationValue.begin(), FPasswordVerificationValue.end());
  return block;
}

TZipBytes TAESCryptoTransform::FinishCode() {
  EnsureKeys();
  THashDigest mac{};
  hmac_final(FHMAC_Context, mac);
  return TZipBytes(mac.begin(), mac.begin() + FAuthenticationCodeSize);
}

TZipBytes TAESCryptoTransform::GetFileStorageEndBlock() {
  if (FVersion == 1) return {};
  FAuthenticationCode = FinishCode();
  return FAuthenticationCode;
}

void TAESCryptoTransform::LoadFileStorageEndBlock(TStream& stream, std::int64_t offset) {
  if (FVersion == 1) return;
  stream.Seek(offset, TSeekOrigin::soCurrent);
  FAuthenticationCode.assign(FAuthenticationCodeSize, 0);
  stream.Read(FAuthenticationCode.data(), FAuthenticationCodeSize);
}

bool TAESCryptoTransform::IsDirItemCorrupted(const TDirItem& item, std::uint32_t crc32) {
  if (FVersion == 1) return item.CentralDir.crc32 != crc32;
  return FinishCode() != FAuthenticationCode;
}

TZipOwnedExtraField TAESCryptoTransform::GetExtraFieldData() const {
  const std::uint8_t strength = static_cast<std::uint8_t>(FKeyLengthBytes / 8 - 1);
  return {0x9901,
          {static_cast<std::uint8_t>(FVersion), static_cast<std::uint8_t>(FVersion >> 8), 'A', 'E',
           strength, static_cast<std::uint8_t>(FActualCompressionMethod),
           static_cast<std::uint8_t>(FActualCompressionMethod >> 8)}};
}

void TAESCryptoTransform::Reset() {
  for (TZipBytes* b : {&FHashKey, &FEncryptionKey, &FPasswordVerificationValue, &FSaltValue})
    if (!b->empty()) ProtectBuffer(b->data(), b->size());
  FPassword.clear();
  FHashKey.clear();
  FEncryptionKey.clear();
  FPasswordVerificationValue.clear();
  FSaltValue.clear();
  FCryptor.reset();
  FKeyLengthBytes = 0;
}

}  // namespace talu::zip
