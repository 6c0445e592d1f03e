#include "ZipItemNames.h"

#include "ZipByteCursor.h"
#include "decode/ZipCrc32.h"
#include "platform/ZipPlatform.h"
#include "text/ZipUtf.h"

namespace talu::zip {
namespace {

std::string_view BlockBytes(const TZipExtraFieldDataBlock& block) {
  return {reinterpret_cast<const char*>(block.pData), block.dataSize};
}

}  // namespace

std::string_view TZipNameDecoder::Prepared(std::string_view raw, bool oem) {
  if (!oem || !HasNonAscii(raw)) return raw;
  bytes_.assign(raw);
  platform::ConvertOemToAnsi(bytes_.data(), bytes_.size());
  return bytes_;
}

std::u16string_view TZipNameDecoder::Ansi(std::string_view bytes) {
  text_.resize(bytes.size());
  if (!HasNonAscii(bytes)) {
    for (std::size_t i = 0; i < bytes.size(); ++i) text_[i] = static_cast<unsigned char>(bytes[i]);
    return text_;
  }
  return {text_.data(), platform::AnsiToUtf16(bytes.data(), bytes.size(), text_.data())};
}

std::u16string_view TZipNameDecoder::Utf8OrAnsi(std::string_view bytes, bool tryUtf8) {
  if (tryUtf8) {
    text_.resize(bytes.size());
    const std::ptrdiff_t units = DecodeUtf8(bytes, text_.data());
    if (units >= 0) return {text_.data(), static_cast<std::size_t>(units)};
  }
  return Ansi(bytes);
}

std::u16string_view TZipNameDecoder::DecodeCentral(std::string_view raw, bool oem) {
  const std::string_view bytes = Prepared(raw, oem);
  return Utf8OrAnsi(bytes, HasNonAscii(bytes));
}

std::optional<std::u16string_view> TZipNameDecoder::InCharset(std::string_view raw,
                                                              const std::string& charset) {
  auto text = platform::DecodeCharset(charset, raw);
  if (!text) return std::nullopt;
  text_ = std::move(*text);
  return text_;
}

std::optional<std::u16string> UnicodeExtendedName(const TZipExtraFieldDataBlock& block) {
  TByteCursor in(BlockBytes(block));
  const std::uint32_t signature = in.U32();
  const auto length = static_cast<std::int32_t>(in.U32());
  if (!in.Ok() || signature != kUnicodeNameSig || length < 0) return std::nullopt;
  const std::size_t units =
      std::min<std::size_t>(static_cast<std::size_t>(length), in.Remaining() / 2);
  std::u16string name(units, u'\0');
  for (char16_t& c : name) c = in.U16();
  return name;
}

std::optional<std::u16string> UnicodePathName(const TZipExtraFieldDataBlock& block,
                                              std::string_view storedName) {
  TByteCursor in(BlockBytes(block));
  const std::string_view version = in.Bytes(1);
  const std::uint32_t crc = in.U32();
  if (!in.Ok() || version[0] != 1 || crc != ZipCrc32Of(storedName.data(), storedName.size())) {
    return std::nullopt;
  }
  const std::string_view text = in.Bytes(in.Remaining());
  if (text.empty()) return std::nullopt;
  std::u16string name(text.size(), u'\0');
  const std::ptrdiff_t units = DecodeUtf8(text, name.data());
  if (units < 0) return std::nullopt;
  name.resize(static_cast<std::size_t>(units));
  return name;
}

}  // namespace talu::zip
