// Tests every item of the archive that follows the first input byte, then reads a window of
// the first few items into a buffer. The first byte chooses how passwords are given (bits 0-1:
// none, the seeds' password, a wrong one, or answers to the password box: wrong, then right,
// then cancel) and the window (bits 2-4 its offset, bits 5-7 its size, around chunk edges).
#include <vector>

#include "FuzzSupport.h"
#include "ScriptedPrompts.h"
#include "decode/ZipItemDecoder.h"
#include "stream/ZipMemoryStreams.h"

using namespace talu::zip;

namespace {

enum class TPasswordCase { None, Right, Wrong, Prompted };

void GivePasswords(TPasswordCase passwordCase, TZipArchiver& zip, ScriptedPrompts& prompts) {
  switch (passwordCase) {
    case TPasswordCase::None:
      break;
    case TPasswordCase::Right:
      zip.SetPassword(std::string(fuzz::kSeedPassword));
      break;
    case TPasswordCase::Wrong:
      zip.SetPassword("not the password");
      break;
    case TPasswordCase::Prompted:
      prompts.AnswerPassword(u"wrong");
      prompts.AnswerPassword(u"fuzz-pass");
      prompts.AnswerPassword(u"");
      break;
  }
}

void ReadWindows(TZipArchiver& zip, std::uint8_t selector) {
  constexpr std::int64_t kChunk = kZipChunkSize;
  constexpr std::int64_t kOffsets[8] = {0,          1,      4095,       65536,
                                        kChunk - 1, kChunk, kChunk + 1, 3 * kChunk};
  constexpr std::int64_t kCounts[8] = {1, 7, 4096, 65536, kChunk - 3, kChunk, kChunk + 5, 0};
  const std::int64_t offset = kOffsets[selector & 7];
  const auto count = static_cast<std::int32_t>(kCounts[selector >> 3 & 7]);
  std::vector<char> buffer(static_cast<std::size_t>(count) + 1);
  TZipArchiveItem item;
  bool more = zip.FindFirst(u"*.*", item, kZipAllAttributes, u"");
  for (int n = 0; more && n < 4; ++n, more = zip.FindNext(item)) {
    const std::u16string name = item.StoredPath + item.FileName;
    fuzz::AllowEngineErrors([&] { zip.ExtractToBuffer(name, buffer.data(), count, offset); });
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const auto passwordCase = static_cast<TPasswordCase>(data[0] % 4);
  TStringStream stream{std::string(fuzz::AsChars(data + 1, size - 1))};
  ScriptedPrompts prompts;
  TZipArchiver zip;
  fuzz::IgnoreItemFailures(zip);
  GivePasswords(passwordCase, zip, prompts);
  fuzz::AllowEngineErrors([&] {
    zip.OpenArchive(stream, false);
    zip.TestFiles(u"*.*");
    ReadWindows(zip, static_cast<std::uint8_t>(data[0] >> 2));
  });
  return 0;
}
