#include "ZipCipherUtil.h"

#include <algorithm>
#include <fstream>
#include <istream>
#include <ostream>

namespace talu::crypto {

namespace {
constexpr std::size_t kStreamChunk = 64 * 1024;
}

void TProtection::SetProtection(std::shared_ptr<TProtection> Value) {
  for (const TProtection* p = Value.get(); p; p = p->FProtection.get()) {
    if (p == this) throw EProtection("Circular Protection detected, Protection Object is invalid.");
  }
  FProtection = std::move(Value);
}

void TProtection::CodeInit(TPAction Action) {
  if (FProtection) FProtection->CodeInit(Action);
}

void TProtection::CodeDone(TPAction Action) {
  if (FProtection) FProtection->CodeDone(Action);
}

void TProtection::CodeBuf(std::uint8_t* Buffer, std::size_t BufferSize, TPAction Action) {
  if (FProtection) FProtection->CodeBuf(Buffer, BufferSize, Action);
}

std::size_t TProtection::CodeStream(std::istream& Source, std::ostream& Dest, std::size_t DataSize,
                                    TPAction Action) {
  TBytes chunk(kStreamChunk);
  std::size_t done = 0;
  CodeInit(Action);
  while (done < DataSize && Source) {
    Source.read(reinterpret_cast<char*>(chunk.data()),
                static_cast<std::streamsize>(std::min(kStreamChunk, DataSize - done)));
    const auto got = static_cast<std::size_t>(Source.gcount());
    CodeBuf(chunk.data(), got, Action);
    Dest.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(got));
    done += got;
  }
  CodeDone(Action);
  return done;
}

void TProtection::CodeFile(const std::filesystem::path& Source, const std::filesystem::path& Dest,
                           TPAction Action) {
  // Truncating the destination first would destroy a source that is the same file.
  if (std::filesystem::exists(Dest) && std::filesystem::equivalent(Source, Dest)) {
    throw EProtection("Cannot code a file onto itself: " + Source.string());
  }
  std::ifstream in(Source, std::ios::binary);
  std::ofstream out(Dest, std::ios::binary | std::ios::trunc);
  if (!in || !out) throw EProtection("Cannot open " + (in ? Dest : Source).string());
  CodeStream(in, out, static_cast<std::size_t>(std::filesystem::file_size(Source)), Action);
  if (!out.flush()) throw EProtection("Cannot write " + Dest.string());
}

std::string TProtection::CodeString(const std::string& Source, TPAction Action) {
  std::string result = Source;
  CodeBuffer(reinterpret_cast<std::uint8_t*>(result.data()), result.size(), Action);
  return result;
}

void TProtection::CodeBuffer(std::uint8_t* Buffer, std::size_t BufferSize, TPAction Action) {
  CodeInit(Action);
  CodeBuf(Buffer, BufferSize, Action);
  CodeDone(Action);
}

}  // namespace talu::crypto
