// Extraction of one item to a stream: local header, password check, the chunk loop, and the
// size, CRC and authentication checks; plus the single-item calls built on it.
#include <algorithm>
#include <limits>
#include <memory>

#include "ZipArchiver.h"
#include "ZipDecodeAhead.h"
#include "ZipExcept.h"
#include "ZipScopedValue.h"
#include "decode/ZipCryptoTransform.h"
#include "decode/ZipItemDecoder.h"
#include "decode/ZipTradCrypt.h"
#include "decode/ZipVolumeReader.h"
#include "directory/ZipByteCursor.h"
#include "platform/ZipPlatform.h"
#include "stream/ZipMemoryStreams.h"
#include "stream/ZipNullStream.h"

namespace talu::zip {
namespace {

class TTraditionalDecryptor final : public IZipItemDecryptor {
 public:
  TZipKeys keys{};
  void DecryptBuffer(std::uint8_t* data, std::size_t count) override {
    ZipDecryptBuffer(data, count, keys);
  }
};

// Whether an item's whole data decoded to its stated size and, where the rules of its version
// ask for one, its CRC-32.
bool DecodedWhole(const TDirItem& item, const TZipDecodeResult& result) {
  return result.ok && static_cast<std::uint64_t>(result.totalOut) == item.UncompressedSize() &&
         (item.CentralDir.extractVersion >= kNoEncryptionRulesVersion ||
          ~result.crc == item.CentralDir.crc32);
}

class TAesDecryptor final : public IZipItemDecryptor {
 public:
  explicit TAesDecryptor(TZipCryptoTransform& transform) : transform_(transform) {}
  void DecryptBuffer(std::uint8_t* data, std::size_t count) override {
    transform_.DecryptBuffer(data, 0, static_cast<int>(count), data, 0);
  }

 private:
  TZipCryptoTransform& transform_;
};

}  // namespace

// The archiver's side of the chunk loop: progress events and writes that ask about a full disk.
class TZipBaseArchiver::TExtractSink final : public IZipDecodeSink {
 public:
  TExtractSink(TZipBaseArchiver& arc, const TDirItem& item) : arc_(arc), item_(item) {}

  bool Progress(std::int64_t done) override {
    arc_.FProgress = done;
    if (arc_.FProgressEnabled) {
      const double share = double(arc_.FProgress) / double(arc_.FProgressMax);
      arc_.DoOnFileProgress(std::u16string(item_.Name), share * 100, item_.Operation, ppProcess,
                            arc_.FProgressCancel);
      if (!arc_.FProgressCancel) {
        const double count = std::max(arc_.FProcessedFileCount, 1);
        arc_.DoOnOverallProgress((share + arc_.FProcessedFileNo) / count * 100, item_.Operation,
                                 ppProcess, arc_.FProgressCancel);
      }
    }
    return !arc_.FProgressCancel;
  }

  // WriteToStreamWithOnDiskFull: a short write asks the disk-full event, then writes again from
  // where the piece started; a cancelled event gives up.
  bool Write(TStream& dest, const void* data, std::int64_t count) override {
    for (;;) {
      const std::int64_t written = dest.Write(data, count);
      if (written == count) return true;
      bool cancel = false;
      arc_.DoOnDiskFull(-1, arc_.FFileName, cancel);
      if (cancel) {
        arc_.FProgressCancel = true;
        return false;
      }
      if (written > 0) dest.Seek(-written, TSeekOrigin::soCurrent);
    }
  }

 private:
  TZipBaseArchiver& arc_;
  const TDirItem& item_;
};

// Opens the volume that holds the item's local header (asking for it in a multi-volume archive)
// and goes to the header; returns that volume.
TZipVolumeNumberInfo TZipBaseArchiver::SeekToLocalHeader(const TDirItem& item) {
  TZipVolumeNumberInfo volume;
  const std::uint16_t disk = item.CentralDir.diskNumberStart;
  volume.FLastVolumeNumber = DMHandle()->LastVolumeNumber();
  volume.SetVolumeNumber(
      disk == 0xFFFF
          ? (DMHandle()->FZip64 ? static_cast<std::int32_t>(item.Zip64ExtInfo.diskNumberStart) : 0)
          : disk);
  OpenVolume(volume);
  FCompressedStream->SetPosition(static_cast<std::int64_t>(item.LocalHeaderOffset()));
  return volume;
}

void TZipBaseArchiver::ExtractItem(int index, TStream& dest, std::int32_t count,
                                   std::int64_t offset) {
  if (index < 0 || index >= DMHandle()->CDir.Count()) throw EZipException(kNeItemIndex, this);
  TDirItem& item = DMHandle()->CDir.GetItemPtr(index);
  // An item decoded ahead needs neither the archive stream nor its local header again.
  const std::unique_ptr<TZipDecodedItem> decoded =
      FDecodeAhead && count == 0 && offset == 0 ? FDecodeAhead->Take(index) : nullptr;
  bool fits;
  if (decoded) {
    fits = ReplayDecoded(*decoded, dest, item);
  } else {
    // In a multi-volume archive the item's data may run on into the following volumes.
    TZipVolumeReader volumes(*this, SeekToLocalHeader(item));
    TStream& source = FSpanningMode == smNone ? *FCompressedStream : volumes;
    fits = InternalDecompressFile(source, dest, item, count, offset);
  }
  const bool damaged = !fits && !FProgressCancel && !FSkipFile;
  FLastItemKeptDamaged = damaged && FExtractCorruptedFiles;
  if (damaged && !FExtractCorruptedFiles) throw EZipException(kNeItemFailed, this);
}

TZipLocalHeader ReadLocalHeaderAt(TStream& source) {
  unsigned char raw[kLocalHeaderSize];
  source.ReadBuffer(raw, kLocalHeaderSize);
  TByteCursor cursor(raw, kLocalHeaderSize);
  const TZipLocalHeader header = ReadLocalHeader(cursor);
  source.Seek(std::int64_t{header.nameLength} + header.extraLength, TSeekOrigin::soCurrent);
  return header;
}

std::int64_t StoredDataSize(std::uint64_t stated, std::int64_t dataStart, std::int64_t dataEnd) {
  const std::int64_t size = static_cast<std::int64_t>(
      std::min<std::uint64_t>(stated, std::numeric_limits<std::int64_t>::max()));
  return size > dataEnd - dataStart ? std::max<std::int64_t>(dataEnd - dataStart, 0) : size;
}

bool TZipBaseArchiver::InternalDecompressFile(TStream& source, TStream& dest, TDirItem& item,
                                              std::int32_t count, std::int64_t offset) {
  const bool encrypted = item.IsEncrypted();
  const bool rulesApply = item.CentralDir.extractVersion < kNoEncryptionRulesVersion;
  const std::unique_ptr<TAESCryptoTransform> aes =
      encrypted && rulesApply ? AesTransformFor(item, FPassword) : nullptr;
  const TZipLocalHeader local = ReadLocalHeaderAt(source);

  // In a multi-volume archive the data may run on into the following volumes.
  std::int64_t compressedSize =
      StoredDataSize(item.CompressedSize(), source.Position(),
                     FSpanningMode == smNone ? DMHandle()->CentralDirOffset
                                             : std::numeric_limits<std::int64_t>::max());
  const std::uint64_t expected = item.UncompressedSize();
  StartItemProgress(offset + count != 0 ? offset + count : static_cast<std::int64_t>(expected));

  if (item.CompressionMethod == 9) throw EZipException(kNeDeflate64, this);
  if (item.CompressionMethod != 0 && item.CompressionMethod != 8) return false;

  TTraditionalDecryptor traditional;
  std::unique_ptr<TAesDecryptor> aesDecryptor;
  IZipItemDecryptor* decryptor = nullptr;
  if (encrypted) {
    compressedSize -= aes ? aes->GetFileStorageStartBlockSize() + aes->GetFileStorageEndBlockSize()
                          : std::int64_t{kZipEncryptionHeaderSize};
    if (!PasswordStage(source, item, local, aes.get(), traditional.keys)) return false;
    if (aes) aesDecryptor = std::make_unique<TAesDecryptor>(*aes);
    decryptor = aes ? static_cast<IZipItemDecryptor*>(aesDecryptor.get()) : &traditional;
  }

  TExtractSink sink(*this, item);
  const TZipDecodeRequest request{&source,
                                  &dest,
                                  std::max<std::int64_t>(compressedSize, 0),
                                  expected,
                                  item.CompressionMethod,
                                  decryptor,
                                  count,
                                  offset,
                                  !FIsCustomStream && FSpanningMode == smNone,
                                  FSpanningMode == smNone};
  if (!FDecodeWorkspace) FDecodeWorkspace = std::make_unique<TZipDecodeWorkspace>();
  const TZipDecodeResult result = ZipDecodeItemData(request, sink, *FDecodeWorkspace);
  if (!result.ok) return false;
  // A complete window is not checked; one that reached the item's end checks the whole item.
  if (result.totalOut >= ZipWindowEnd(offset, count)) return true;
  if (!aes) return DecodedWhole(item, result);
  if (static_cast<std::uint64_t>(result.totalOut) != expected) return false;
  aes->LoadFileStorageEndBlock(source, 0);
  return !aes->IsDirItemCorrupted(item, ~result.crc);
}

// Lands an item decoded ahead with the progress events and writes its decode made here.
bool TZipBaseArchiver::ReplayDecoded(const TZipDecodedItem& decoded, TStream& dest,
                                     const TDirItem& item) {
  StartItemProgress(static_cast<std::int64_t>(item.UncompressedSize()));
  TExtractSink sink(*this, item);
  return DecodedWhole(item, decoded.Replay(sink, dest));
}

void TZipBaseArchiver::StartItemProgress(std::int64_t progressMax) {
  FProgressMax = progressMax != 0 ? progressMax : 2;
  FSkipFile = false;
}

// Checks the password against the item's encryption header until it fits, the password event
// skips the item, or PasswordAttempts answers have failed (kNeInvalidPassword); leaves `source`
// at the encrypted content. False when skipped.
bool TZipBaseArchiver::PasswordStage(TStream& source, const TDirItem& item,
                                     const TZipLocalHeader& local, TAESCryptoTransform* aes,
                                     TZipKeys& keys) {
  const std::int64_t start = source.Position();
  bool fits = false;
  int failedAnswers = -1;  // the password in use before the first answer is not one
  do {
    source.SetPosition(start);
    if (aes) {
      if (!ZipAesPasswordUsable(FPassword)) throw EZipException(kNeInvalidPassword, this);
      if (aes->GetPassword() != FPassword) aes->GenerateKey(FPassword);
      aes->LoadFileStorageStartBlock(source, 0);
      fits = aes->CheckPassword(FPassword, item);
    } else if (!FPassword.empty()) {
      std::uint8_t header[kZipEncryptionHeaderSize];
      source.ReadBuffer(header, kZipEncryptionHeaderSize);
      // The local header's fields, as the data that follows was written with them.
      fits = ZipPasswordFits(FPassword, keys, header, local.genPurposeFlag, local.lastModTime,
                             local.crc32);
    }
    if (FSuppressPasswordEvent || fits) break;
    if (++failedAnswers >= FPasswordAttempts) {
      ++FPasswordSkips;
      throw EZipException(kNeInvalidPassword, this);
    }
    DoOnPassword(std::u16string(item.Name), FPassword, FSkipFile);
  } while (!FSkipFile);
  FPasswordSkips += FSkipFile ? 1 : 0;
  return !FSkipFile && fits;
}

void TZipBaseArchiver::TestTaggedFile(int index, const std::u16string&) {
  if (DMHandle()->CDir[index].IsDirectory()) return;
  TNullStream nothing;
  ExtractItem(index, nothing, 0, 0);
}

bool TZipBaseArchiver::GetFileCendralDirItemNo(const std::u16string& fileName, int& itemNo) {
  if (DMHandle()->CDir.FileExists(fileName, itemNo)) return true;
  TZipArchiveItem found;
  if (!FindFirst(fileName, found, kZipAllAttributes, u"")) return false;
  itemNo = found.Handle.ItemNo;
  return true;
}

int TZipBaseArchiver::FindSingleItem(const std::u16string& fileName) {
  int index = -1;
  if (!GetFileCendralDirItemNo(fileName, index))
    throw EZipException(kNeItemNotFound, {fileName}, this);
  return index;
}

// Every single-item call starts uncancelled: a cancel left by an earlier batch or call must not
// end this one early and silently.
void TZipBaseArchiver::StartSingleItem(bool progress) {
  CheckInactive();
  CheckInUpdate();
  FProgressEnabled = progress;
  FProgressCancel = false;
  FPasswordSkips = 0;
}

void TZipBaseArchiver::ExtractToStream(const std::u16string& fileName, TStream& stream) {
  const TCallGuard call(*this);
  StartSingleItem(true);
  const TScopedValue<bool> recurseOff(Options().Recurse, false);
  FProcessedFileNo = 0;
  DoOnOverallProgress(0, poExtract, ppStart, FProgressCancel);
  const int index = FindSingleItem(fileName);
  FProcessedFileCount = 1;
  TDirItem& item = DMHandle()->CDir.GetItemPtr(index);
  item.Operation = poExtract;
  ExtractItem(index, stream, 0, 0);
  // The closing events cannot take back a cancel that ended the item.
  const bool cancelled = FProgressCancel;
  DoOnFileProgress(std::u16string(item.Name), 100, poExtract, ppEnd, FProgressCancel);
  DoOnOverallProgress(100, poExtract, ppEnd, FProgressCancel);
  FProgressCancel = FProgressCancel || cancelled;
}

// A window that starts at or past the item's stated end is refused before any data is read; one
// that runs past the end of the item's bytes leaves the buffer short, which is a read error. The
// window's bytes go straight into `buffer`; count 0 tests the whole item.
void TZipBaseArchiver::ExtractToBuffer(const std::u16string& fileName, void* buffer,
                                       std::int32_t count, std::int64_t offset) {
  const TCallGuard call(*this);
  StartSingleItem(false);
  const TScopedValue<bool> recurseOff(Options().Recurse, false);
  const int index = FindSingleItem(fileName);
  const TDirItem& item = DMHandle()->CDir[index];
  if (count < 0 || offset < 0 ||
      (count > 0 && static_cast<std::uint64_t>(offset) >= item.UncompressedSize()))
    throw EZipException(kNeWindowOutsideItem,
                        {std::int64_t{count}, offset, std::u16string(item.Name)}, this);
  if (count == 0) {
    TNullStream nothing;
    ExtractItem(index, nothing, 0, 0);
    return;
  }
  TBufferStream window(buffer, count);
  ExtractItem(index, window, count, offset);
  if (window.Position() < count) throw EReadError();
}

void TZipBaseArchiver::ExtractToString(const std::u16string& fileName, std::u16string& text) {
  const TCallGuard call(*this);
  StartSingleItem(false);
  const TScopedValue<bool> recurseOff(Options().Recurse, false);
  const int index = FindSingleItem(fileName);
  TStringStream bytes;
  ExtractItem(index, bytes, 0, 0);
  const std::string& data = bytes.DataString();
  text.assign(data.size(), u'\0');
  text.resize(platform::AnsiToUtf16(data.data(), data.size(), text.data()));
}

}  // namespace talu::zip
