#include "ZipFileStream.h"

#include "text/ZipUtf.h"

namespace talu::zip {

TFileStream::TFileStream(std::u16string fileName, std::uint16_t mode)
    : fileName_(std::move(fileName)), handle_(platform::OpenFile(fileName_, mode)) {
  if (handle_ != platform::kInvalidFile) return;
  const std::u16string reason = Utf8ToUtf16(platform::LastErrorText());
  if (mode == platform::kModeCreate) {
    throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {fileName_, reason}));
  }
  throw EFOpenError(Format(u"Cannot open file \"%s\". %s", {fileName_, reason}));
}

std::unique_ptr<TFileStream> TFileStream::CreateExclusive(std::u16string fileName, bool ownerOnly,
                                                          platform::FolderHandle folder) {
  const platform::FileHandle handle = platform::CreateExclusiveFile(fileName, ownerOnly, folder);
  if (handle == platform::kInvalidFile) {
    const std::u16string reason = Utf8ToUtf16(platform::LastErrorText());
    throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {fileName, reason}));
  }
  return std::unique_ptr<TFileStream>(new TFileStream(std::move(fileName), handle));
}

TFileStream::~TFileStream() {
  platform::CloseFile(handle_);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  const std::int64_t n = platform::ReadFile(handle_, buffer, count);
  if (n < 0) throw EReadError();
  return n;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  const std::int64_t n = platform::WriteFile(handle_, buffer, count);
  return n < 0 ? 0 : n;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  if (origin == TSeekOrigin::soBeginning && offset < 0) {
    throw EStreamError(u"Invalid stream position");
  }
  static constexpr platform::SeekFrom kFrom[] = {
      platform::SeekFrom::Begin, platform::SeekFrom::Current, platform::SeekFrom::End};
  const std::int64_t position =
      platform::SeekFile(handle_, offset, kFrom[static_cast<int>(origin)]);
  if (position < 0) throw EStreamError(u"Invalid stream position");
  return position;
}

void TFileStream::SetSize(std::int64_t size) {
  if (!platform::SetFileSize(handle_, size)) throw EWriteError();
}

// Asks the system, so that the file pointer stays where the read-ahead thread may be reading.
std::int64_t TFileStream::Size() {
  const std::int64_t size = platform::FileSize(handle_);
  if (size < 0) throw EStreamError(u"Invalid stream position");
  return size;
}

}  // namespace talu::zip
