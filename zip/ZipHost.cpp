#include "ZipHost.h"

#include "decode/ZipRawInflate.h"
#include "platform/ZipPlatform.h"

namespace talu::zip {

static_assert(kOpenCreate == platform::kModeCreate);
static_assert(kOpenReadWrite == platform::kModeReadWriteDenyWrite);
static_assert(kOpenReadOnly == platform::kModeReadDenyNone);

std::string PasswordBytes(const std::u16string& typed) {
  return platform::TextToSystemBytes(typed);
}

bool FileExists(const std::u16string& path) {
  return platform::FileExists(path);
}

bool IsKnownCharset(const std::string& charset) {
  return platform::IsKnownCharset(charset);
}

const char* InflaterName() {
  return ZipInflaterName(ZipConfiguredInflater());
}

}  // namespace talu::zip
