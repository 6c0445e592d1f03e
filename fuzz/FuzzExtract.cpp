// Extracts every item of the input archive, with the seeds' password, into a fresh folder
// inside a parent folder that holds nothing else. Two checks that nothing is written outside
// the destination: every path the engine creates, changes or deletes through the system calls
// below must lie inside it (the calls are wrapped at link time), and afterwards the parent must
// hold nothing beside it.
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdarg>
#include <filesystem>

#include "FuzzSupport.h"
#include "stream/ZipMemoryStreams.h"

using namespace talu::zip;

namespace {

namespace fs = std::filesystem;

const fuzz::TProcessFolder& Parent() {
  static const fuzz::TProcessFolder parent("extract");
  return parent;
}

const fs::path& Destination() {
  static const fs::path destination = Parent().Path() / "out";
  return destination;
}

bool extracting = false;  // the wrapped calls are checked only while the engine extracts

[[noreturn]] void WrittenOutside(const char* what, const char* path) {
  fprintf(stderr, "%s outside the destination: %s\n", what, path);
  std::abort();
}

// Aborts when `path` (absolute, or relative to the current folder) does not lie inside the
// destination, lexically: the engine creates no links.
void CheckInside(const char* what, const char* path) {
  if (!extracting) return;
  const fs::path full = fs::absolute(path).lexically_normal();
  const fs::path& root = Destination();
  if (std::mismatch(root.begin(), root.end(), full.begin(), full.end()).first != root.end()) {
    WrittenOutside(what, path);
  }
}

void CheckNothingBeside(const fs::path& parent, const fs::path& destination) {
  for (const fs::directory_entry& entry : fs::directory_iterator(parent)) {
    if (entry.path() != destination) WrittenOutside("found", entry.path().c_str());
  }
}

// Removes the destination, whatever attributes the extraction gave to what lies in it.
void RemoveTree(const fs::path& root) {
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add);
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_symlink()) fs::permissions(entry, fs::perms::owner_all, fs::perm_options::add);
  }
  fs::remove_all(root);
}

}  // namespace

// The engine's file system calls that create or change something, wrapped by the linker
// (-Wl,--wrap=NAME makes the engine's calls of NAME land in __wrap_NAME).
extern "C" {
int __real_open(const char* path, int flags, ...);
int __real_mkdir(const char* path, mode_t mode);
int __real_chmod(const char* path, mode_t mode);
int __real_unlink(const char* path);

int __wrap_open(const char* path, int flags, ...) {
  mode_t mode = 0;
  if (flags & O_CREAT) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  if (flags & (O_CREAT | O_TRUNC | O_WRONLY | O_RDWR)) CheckInside("opened for writing", path);
  return __real_open(path, flags, mode);
}
int __wrap_mkdir(const char* path, mode_t mode) {
  CheckInside("folder made", path);
  return __real_mkdir(path, mode);
}
int __wrap_chmod(const char* path, mode_t mode) {
  CheckInside("attributes changed", path);
  return __real_chmod(path, mode);
}
int __wrap_unlink(const char* path) {
  CheckInside("deleted", path);
  return __real_unlink(path);
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path& destination = Destination();
  fs::create_directory(destination);
  {
    TStringStream stream{std::string(fuzz::AsChars(data, size))};
    TZipArchiver zip;
    fuzz::IgnoreItemFailures(zip);
    zip.SetPassword(std::string(fuzz::kSeedPassword));
    zip.SetBaseDir(destination.u16string());
    extracting = true;
    fuzz::AllowEngineErrors([&] {
      zip.OpenArchive(stream, false);
      zip.ExtractFiles(u"*.*");
    });
    extracting = false;
  }
  CheckNothingBeside(Parent().Path(), destination);
  RemoveTree(destination);
  return 0;
}
