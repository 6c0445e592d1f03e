// Helpers shared by the fuzz targets: the seeds' password, the engine's documented failures,
// and a private folder for targets that touch the disk.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "ZipArchiver.h"
#include "ZipExcept.h"

namespace talu::zip::fuzz {

// The password of every encrypted seed archive (the seed script uses the same one).
inline constexpr std::string_view kSeedPassword = "fuzz-pass";

inline std::string_view AsChars(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Runs `action`; the engine may refuse hostile input only with its own exceptions. Anything
// else (a standard library error, a crash, a sanitizer report) escapes and is a finding.
template <class Action>
void AllowEngineErrors(Action action) {
  try {
    action();
  } catch (const Exception&) {
  }
}

// Failed items are skipped, so that one bad item does not hide the ones behind it.
inline void IgnoreItemFailures(TZipBaseArchiver& zip) {
  zip.OnProcessFileFailure = [](TZipBaseArchiver&, const std::u16string&, TZipProcessOperation,
                                std::int32_t, std::int32_t, const std::u16string&,
                                TZipAction& action) { action = fxaIgnore; };
}

// A folder of this process under the system's temp folder, made when constructed and removed
// when the process ends normally.
class TProcessFolder {
 public:
  explicit TProcessFolder(const std::string& tag)
      : path_(std::filesystem::temp_directory_path() /
              ("talu-fuzz-" + tag + "-" + std::to_string(getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~TProcessFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace talu::zip::fuzz
