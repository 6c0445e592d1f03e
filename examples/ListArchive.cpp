// Lists an archive, one item a line: size, packed size, "*" for an encrypted item, and name.
// Usage: list_archive ARCHIVE   (a split archive by its last volume, name.zip)
#include <talu/zip/ZipArchiver.h>
#include <talu/zip/ZipExcept.h>
#include <talu/zip/ZipHost.h>
#include <talu/zip/text/ZipUtf.h>

#include <cstdio>

using namespace talu::zip;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: list_archive ARCHIVE\n", stderr);
    return 2;
  }
  try {
    TZipArchiver archiver;
    // Volumes are requested by name; here a missing one is reported and ends the read.
    auto lookFor = [](std::u16string& volumeFileName, bool& cancel) {
      cancel = !FileExists(volumeFileName);
      if (cancel) std::fprintf(stderr, "missing volume %s\n", Utf16ToUtf8(volumeFileName).c_str());
    };
    archiver.OnRequestFirstVolume = [lookFor](TZipBaseArchiver&, std::u16string& fileName,
                                              bool& cancel) { lookFor(fileName, cancel); };
    archiver.OnRequestLastVolume = archiver.OnRequestFirstVolume;
    archiver.OnRequestMiddleVolume = [lookFor](TZipBaseArchiver&, std::int32_t,
                                               std::u16string& fileName,
                                               bool& cancel) { lookFor(fileName, cancel); };
    archiver.SetFileName(Utf8ToUtf16(argv[1]));
    archiver.OpenArchive(kOpenReadOnly);

    TZipArchiveItem item;
    for (bool found = archiver.FindFirst(u"*.*", item, kZipAllAttributes, u""); found;
         found = archiver.FindNext(item)) {
      std::printf("%10lld %10lld %s %s\n", static_cast<long long>(item.UncompressedSize),
                  static_cast<long long>(item.CompressedSize), item.Encrypted ? "*" : " ",
                  Utf16ToUtf8(item.StoredPath + item.FileName).c_str());
    }
    archiver.CloseArchive();
  } catch (const EZipException& e) {
    // The engine's own errors: a native error (the place or cause) and the code it maps to.
    std::fprintf(stderr, "error %d (native %d): %s\n", e.ErrorCode(), e.NativeError(), e.what());
    return 1;
  } catch (const std::exception& e) {
    // Streams and inflation raise other exceptions.
    std::fprintf(stderr, "error: %s\n", e.what());
    return 1;
  }
  return 0;
}
