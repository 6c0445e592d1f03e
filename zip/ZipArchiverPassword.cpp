// Testing a password against one item, traditional or AES, without extracting it to disk.
#include "ZipArchiver.h"
#include "ZipExcept.h"
#include "ZipScopedValue.h"
#include "decode/ZipCryptoTransform.h"
#include "decode/ZipTradCrypt.h"

namespace talu::zip {
namespace {

int AesStrengthBits(TZipCryptoAlgorithm algorithm) {
  return algorithm == caAES_128   ? 128
         : algorithm == caAES_192 ? 192
         : algorithm == caAES_256 ? 256
                                  : 0;
}

}  // namespace

std::unique_ptr<TAESCryptoTransform> TZipBaseArchiver::AesTransformFor(
    const TDirItem& item, const std::string& password) {
  const int bits = AesStrengthBits(item.ZipEncryptionAlgorithm);
  if (bits == 0) return nullptr;
  auto aes = std::make_unique<TAESCryptoTransform>(bits, 2, FCompressionMethod);
  aes->UseKeyCache(FKeyCache);
  aes->Initialize(Decryption, item);
  aes->GenerateKey(password);
  return aes;
}

// A quick check of the encryption header first; a password that passes it is confirmed by
// testing the whole item, so that a lucky check byte or verifier is not taken for the password.
bool TZipBaseArchiver::IsFilePasswordValid(const std::u16string& fileName,
                                           const std::string& password) {
  CheckInactive();
  const TCallGuard call(*this);
  TZipArchiveItem found;
  if (!FindFirst(fileName, found, kZipAllAttributes, u""))
    throw EZipException(kNePasswordItemNotFound, {fileName}, this);
  const int index = found.Handle.ItemNo;
  const TDirItem& item = DMHandle()->CDir[index];
  if (!item.IsEncrypted()) return true;

  SeekToLocalHeader(item);
  TStream& source = *FCompressedStream;
  ReadLocalHeaderAt(source);
  if (item.CompressionMethod != 0 && item.CompressionMethod != 8) return false;

  bool result = false;
  if (AesStrengthBits(item.ZipEncryptionAlgorithm) > 0) {
    if (!ZipAesPasswordUsable(password)) return false;
    const std::unique_ptr<TAESCryptoTransform> aes = AesTransformFor(item, password);
    aes->LoadFileStorageStartBlock(source, 0);
    result = aes->CheckPassword(password, item);
  } else if (FSpanningMode == smNone) {
    std::uint8_t header[kZipEncryptionHeaderSize];
    if (source.Read(header, kZipEncryptionHeaderSize) == kZipEncryptionHeaderSize) {
      TZipKeys keys;
      result = ZipPasswordFits(password, keys, header, item.CentralDir.genPurposeFlag,
                               item.CentralDir.lastModTime, item.CentralDir.crc32);
    }
  }
  if (!result && FSpanningMode == smNone) return false;

  // The full test runs without progress events and uncancelled: only a complete, checked item
  // confirms the password.
  const TScopedValue<bool> noPasswordEvent(FSuppressPasswordEvent, true);
  const TScopedValue<bool> strict(FExtractCorruptedFiles, false);
  const TScopedValue<bool> quiet(FProgressEnabled, false);
  const std::string saved = FPassword;
  FProgressCancel = false;
  SetPassword(password);
  try {
    TestTaggedFile(index, std::u16string(item.Name));
    result = !FProgressCancel;
  } catch (...) {
    result = false;
  }
  SetPassword(saved);
  return result;
}

}  // namespace talu::zip
