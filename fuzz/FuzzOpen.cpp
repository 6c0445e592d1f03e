// Opens the input as an archive in every way the component offers: from a memory stream and
// from a file (plain, read-only, as a self-extracting ".exe", and the validity check), each
// with and without OpenCorruptedArchives, then walks what was loaded.
#include <filesystem>
#include <fstream>

#include "FuzzSupport.h"
#include "stream/ZipMemoryStreams.h"

using namespace talu::zip;

namespace {

volatile std::uint64_t sink;  // keeps the walk from being optimised away

// Reads every item as the directory and as the search see it.
void WalkItems(TZipArchiver& zip) {
  std::uint64_t total = zip.Comment().size() + static_cast<std::uint64_t>(zip.FileCount());
  const TZipDirArray& dir = zip.DMHandle()->CDir;
  for (int i = 0; i < dir.Count(); ++i) {
    const TDirItem& item = dir[i];
    total += item.Name.size() + item.Comment.size() + item.UncompressedSize() +
             item.CompressedSize() + item.LocalHeaderOffset();
    for (TZipExtraFieldDataBlock block : item.ExtraFields) total += block.dataSize;
    int found = -1;
    if (!dir.FileExists(item.Name, found) || found < i) std::abort();  // the index lost a name
  }
  TZipArchiveItem found;
  for (bool more = zip.FindFirst(u"*.*", found, kZipAllAttributes, u""); more;
       more = zip.FindNext(found)) {
    total += found.FileName.size() + found.StoredPath.size() +
             static_cast<std::uint64_t>(found.UncompressedSize);
  }
  sink = total;
}

void OpenStream(std::string_view bytes, bool openCorrupted) {
  TStringStream stream{std::string(bytes)};
  TZipArchiver zip;
  zip.SetOpenCorruptedArchives(openCorrupted);
  fuzz::AllowEngineErrors([&] {
    zip.OpenArchive(stream, false);
    WalkItems(zip);
  });
}

void OpenFile(const std::filesystem::path& file, std::string_view bytes, bool openCorrupted,
              bool readOnly) {
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
  TZipArchiver zip;
  zip.SetFileName(file.u16string());
  zip.SetOpenCorruptedArchives(openCorrupted);
  fuzz::AllowEngineErrors([&] {
    if (readOnly) {
      zip.OpenArchive(0x40);
    } else {
      zip.OpenArchive();
    }
    WalkItems(zip);
  });
}

void CheckValidity(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
  TZipArchiver zip;
  fuzz::IgnoreItemFailures(zip);
  zip.SetFileName(file.u16string());
  fuzz::AllowEngineErrors([&] { sink = zip.IsValidArchiveFile(); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::TProcessFolder folder("open");
  const std::string_view bytes = fuzz::AsChars(data, size);
  const std::filesystem::path plain = folder.Path() / "input.zip";
  const std::filesystem::path sfx = folder.Path() / "input.exe";
  for (bool openCorrupted : {true, false}) {
    OpenStream(bytes, openCorrupted);
    OpenFile(plain, bytes, openCorrupted, false);
    OpenFile(plain, bytes, openCorrupted, true);
    OpenFile(sfx, bytes, openCorrupted, false);
  }
  CheckValidity(plain, bytes);
  return 0;
}
