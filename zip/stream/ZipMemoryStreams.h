// Streams over memory: a growable byte block, a std::string, and a caller's block of fixed size.
#pragma once

#include <string>
#include <vector>

#include "ZipStream.h"

namespace talu::zip {

// Shared logic of the memory streams over a contiguous, resizable container of bytes.
template <class Bytes>
class TBytesStream : public TStream {
 public:
  TBytesStream() = default;
  explicit TBytesStream(Bytes bytes) : bytes_(std::move(bytes)) {}

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    position_ = SeekTarget(offset, origin, position_, Size());
    return position_;
  }
  void SetSize(std::int64_t size) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }

 protected:
  Bytes bytes_;
  std::int64_t position_ = 0;
};

// Usage: TMemoryStream m; m.WriteBuffer(p, n); m.Bytes()
class TMemoryStream : public TBytesStream<std::vector<unsigned char>> {
 public:
  using TBytesStream::TBytesStream;
  const std::vector<unsigned char>& Bytes() const { return bytes_; }
};

// Usage: TStringStream s(text); s.DataString()
class TStringStream : public TBytesStream<std::string> {
 public:
  using TBytesStream::TBytesStream;
  const std::string& DataString() const { return bytes_; }
};

// Usage: TBufferStream s(buffer, size); ... s.Position() bytes written. Writes past the end of
// the block are cut short.
class TBufferStream final : public TStream {
 public:
  TBufferStream(void* buffer, std::int64_t size)
      : bytes_(static_cast<unsigned char*>(buffer)), size_(size) {}

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    position_ = SeekTarget(offset, origin, position_, size_);
    return position_;
  }
  void SetSize(std::int64_t) override {}
  std::int64_t Size() override { return size_; }

 private:
  unsigned char* bytes_;
  std::int64_t size_;
  std::int64_t position_ = 0;
};

extern template class TBytesStream<std::vector<unsigned char>>;
extern template class TBytesStream<std::string>;

}  // namespace talu::zip
