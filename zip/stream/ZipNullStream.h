// A stream that discards what is written: items are tested by extracting into it.
#pragma once

#include "ZipStream.h"

namespace talu::zip {

class TNullStream final : public TStream {
 public:
  std::int64_t Read(void*, std::int64_t count) override { return count; }
  std::int64_t Write(const void*, std::int64_t count) override { return count; }
  std::int64_t Seek(std::int64_t, TSeekOrigin) override { return 0; }
  void SetSize(std::int64_t) override {}
};

}  // namespace talu::zip
