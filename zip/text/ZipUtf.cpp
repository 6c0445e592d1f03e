#include "ZipUtf.h"

#include <algorithm>
#include <cstdint>

namespace talu::zip {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Length of the sequence that starts with `lead`, 0 for a byte that cannot start one.
int SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Decodes one code point at `p` (with `left` bytes available); returns its length or 0.
int DecodeOne(const unsigned char* p, std::size_t left, char32_t& cp) {
  const int len = SequenceLength(p[0]);
  if (len == 0 || static_cast<std::size_t>(len) > left) return 0;
  if (len == 1) {
    cp = p[0];
    return 1;
  }
  cp = p[0] & (0x7F >> len);
  for (int i = 1; i < len; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  static constexpr char32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMinimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

std::size_t PutUtf16(char32_t cp, char16_t* out) {
  if (cp < 0x10000) {
    out[0] = static_cast<char16_t>(cp);
    return 1;
  }
  cp -= 0x10000;
  out[0] = static_cast<char16_t>(0xD800 + (cp >> 10));
  out[1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  return 2;
}

void PutUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

bool HasNonAscii(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::ptrdiff_t DecodeUtf8(std::string_view bytes, char16_t* out) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t left = bytes.size();
  char16_t* const start = out;
  while (left > 0) {
    char32_t cp = 0;
    const int len = DecodeOne(p, left, cp);
    if (len == 0) return -1;
    out += PutUtf16(cp, out);
    p += len;
    left -= static_cast<std::size_t>(len);
  }
  return out - start;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    PutUtf8(cp, out);
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t left = text.size();
  while (left > 0) {
    char32_t cp = kReplacement;
    const int len = DecodeOne(p, left, cp);
    char16_t units[2];
    out.append(units, PutUtf16(len == 0 ? kReplacement : cp, units));
    const std::size_t step = len == 0 ? 1 : static_cast<std::size_t>(len);
    p += step;
    left -= step;
  }
  return out;
}

}  // namespace talu::zip
