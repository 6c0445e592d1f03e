// A stream over a file of the platform layer.
#pragma once

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
  const std::u16string& FileName() const { return fileName_; }

 private:
  std::u16string fileName_;
  platform::FileHandle handle_;
};

}  // namespace talu::zip
