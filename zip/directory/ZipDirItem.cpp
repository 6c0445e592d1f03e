#include "ZipDirItem.h"

#include <algorithm>

namespace talu::zip {
namespace {

std::uint16_t BlockSize(std::string_view rest) {
  const auto* p = reinterpret_cast<const unsigned char*>(rest.data());
  const std::size_t stated = p[2] | (p[3] << 8);
  return static_cast<std::uint16_t>(std::min(stated, rest.size() - 4));
}

}  // namespace

TZipExtraFieldDataBlock TZipExtraFields::Iterator::operator*() const {
  const auto* p = reinterpret_cast<const unsigned char*>(rest_.data());
  const std::uint16_t size = BlockSize(rest_);
  return {static_cast<std::uint16_t>(p[0] | (p[1] << 8)), size, size > 0 ? p + 4 : nullptr};
}

TZipExtraFields::Iterator& TZipExtraFields::Iterator::operator++() {
  rest_.remove_prefix(4 + BlockSize(rest_));
  return *this;
}

}  // namespace talu::zip
