// Opens archive bytes in an archiver over a string stream, for the loader tests.
#pragma once

#include <memory>

#include "ArchiveBuilder.h"
#include "ZipArchiver.h"
#include "stream/ZipMemoryStreams.h"

namespace talu::zip::test {

struct OpenedArchive {
  explicit OpenedArchive(const Bytes& bytes) : stream(bytes) {}
  TStringStream stream;
  TZipArchiver zip;
  const TZipDirManager& Dir() const { return *zip.DMHandle(); }
  const TDirItem& Item(int i) const { return Dir().CDir.GetItem(i); }
};

struct OpenOptions {
  bool oemNames = true;
  bool openCorrupted = true;
};

inline std::unique_ptr<OpenedArchive> OpenBytes(const Bytes& bytes, OpenOptions options = {}) {
  auto opened = std::make_unique<OpenedArchive>(bytes);
  opened->zip.Options().OEMFileNames = options.oemNames;
  opened->zip.SetOpenCorruptedArchives(options.openCorrupted);
  opened->zip.OpenArchive(opened->stream, false);
  return opened;
}

// Native error of the EZipException that `action` raises, or -1 when it raises none.
template <class Action>
int NativeErrorOf(Action action) {
  try {
    action();
  } catch (const EZipException& e) {
    return e.NativeError();
  }
  return -1;
}

}  // namespace talu::zip::test
