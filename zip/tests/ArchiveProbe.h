// Opens archive bytes and tests every item, and says in words how it ended: the items' results,
// or the engine's exception with its native error. Passwords are never asked for (an item whose
// password does not fit is skipped) and failed items are ignored so that every item is tried.
#pragma once

#include <string>

#include "ArchiveBuilder.h"
#include "ZipArchiver.h"
#include "stream/ZipMemoryStreams.h"

namespace talu::zip::test {

// Items of `zip` that fail are ignored, counted in `failed`, the last one's native error kept in
// `lastError`.
inline void IgnoreFailures(TZipArchiver& zip, int& failed, int& lastError) {
  zip.OnProcessFileFailure = [&failed, &lastError](TZipBaseArchiver&, const std::u16string&,
                                                   TZipProcessOperation, std::int32_t native,
                                                   std::int32_t, const std::u16string&,
                                                   TZipAction& action) {
    ++failed;
    lastError = native;
    action = fxaIgnore;
  };
}

// "all items passed", "N items failed (native error E)", or "<open|test> raised native error E"
// / "<open|test> raised a stream error". Other exceptions pass on to the caller.
inline std::string OpenAndTest(const Bytes& bytes, bool openCorrupted,
                               const std::string& password = {}) {
  TStringStream stream(bytes);
  TZipArchiver zip;
  zip.SetOpenCorruptedArchives(openCorrupted);
  zip.SetPassword(password);
  zip.OnPassword = [](TZipBaseArchiver&, const std::u16string&, std::string&, bool& skip) {
    skip = true;
  };
  int failed = 0, lastError = 0;
  IgnoreFailures(zip, failed, lastError);
  std::string stage = "open";
  try {
    zip.OpenArchive(stream, false);
    stage = "test";
    zip.TestFiles(u"*.*");
  } catch (const EZipException& e) {
    return stage + " raised native error " + std::to_string(e.NativeError());
  } catch (const EStreamError&) {
    return stage + " raised a stream error";
  }
  if (failed == 0) return "all items passed";
  return std::to_string(failed) + " items failed (native error " + std::to_string(lastError) + ")";
}

}  // namespace talu::zip::test
