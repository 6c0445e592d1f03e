// Decoding of stored item names into UTF-16, and the names carried by the Unicode extra blocks.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ZipDirItem.h"

namespace talu::zip {

// Usage: TZipNameDecoder d; dir.SetItemName(i, d.DecodeCentral(raw, oem));
// The returned view is valid until the next call.
class TZipNameDecoder {
 public:
  // Central directory rule: OEM to ANSI first when `oem`; then UTF-8 when the bytes are
  // well-formed UTF-8 with a non-ASCII byte, else the ANSI code page.
  std::u16string_view DecodeCentral(std::string_view raw, bool oem);
  // The bytes read in the character set `charset`; nothing when it cannot hold them.
  std::optional<std::u16string_view> InCharset(std::string_view raw, const std::string& charset);

 private:
  std::u16string_view Ansi(std::string_view bytes);
  // UTF-8 when `tryUtf8` is set and the bytes are well-formed UTF-8, else ANSI.
  std::u16string_view Utf8OrAnsi(std::string_view bytes, bool tryUtf8);
  std::string_view Prepared(std::string_view raw, bool oem);

  std::string bytes_;
  std::u16string text_;
};

// The name in a Unicode extended info block (0x554E): signature "NUCX", a length in UTF-16
// units and the UTF-16LE text; the units that the block really holds are taken. Nothing when
// the signature differs or the length is negative.
std::optional<std::u16string> UnicodeExtendedName(const TZipExtraFieldDataBlock& block);

// The name in an Info-ZIP Unicode Path block (0x7075): version 1, the CRC-32 of the stored name
// bytes, then the name in UTF-8. Nothing unless the version is 1, the CRC matches `storedName`
// and the text is well-formed UTF-8.
std::optional<std::u16string> UnicodePathName(const TZipExtraFieldDataBlock& block,
                                              std::string_view storedName);

}  // namespace talu::zip
