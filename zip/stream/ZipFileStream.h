// A stream over a file of the platform layer.
#pragma once

#include <memory>
#include <string>

#include "ZipStream.h"
#include "platform/ZipPlatform.h"

namespace talu::zip {

class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// Usage: TFileStream f(u"a.zip", 0x40);  // read-only, deny nothing; 0xFF00 creates
class TFileStream : public TStream {
 public:
  // Opens or creates `fileName`; raises EFOpenError or EFCreateError with the system's reason.
  TFileStream(std::u16string fileName, std::uint16_t mode);
  ~TFileStream() override;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t size) override;
  std::int64_t Size() override;
  bool Flush() { return platform::FlushFile(handle_); }
  // Sets the last-write time from a local DOS date and time; false when the system refuses.
  bool SetLastWriteDos(std::uint16_t date, std::uint16_t time) {
    return platform::SetFileTimeDos(handle_, date, time);
  }
  // Where the system keeps them (platform::KeepsUnixMetadata): an exact last-write time, and
  // Unix permission bits.
  bool SetLastWriteUnix(std::int64_t seconds, std::uint32_t nanoseconds) {
    return platform::SetFileTimeUnix(handle_, seconds, nanoseconds);
  }
  bool SetMode(std::uint32_t mode, bool readOnly) {
    return platform::SetFileMode(handle_, mode, readOnly);
  }
  // Windows attributes; false where the system sets them only by path (platform::SetOpenFileAttr).
  bool SetAttributes(std::uint32_t attr) { return platform::SetOpenFileAttr(handle_, attr); }

  // A new file for writing, shared with nobody, where nothing has its name; EFCreateError when
  // it cannot be made. `ownerOnly` and `folder`: see platform::CreateExclusiveFile.
  static std::unique_ptr<TFileStream> CreateExclusive(
      std::u16string fileName, bool ownerOnly = false,
      platform::FolderHandle folder = platform::kNoFolder);
  const std::u16string& FileName() const { return fileName_; }

 private:
  TFileStream(std::u16string fileName, platform::FileHandle handle)
      : fileName_(std::move(fileName)), handle_(handle) {}

  std::u16string fileName_;
  platform::FileHandle handle_;
};

}  // namespace talu::zip
