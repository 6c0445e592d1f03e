#include "ZipKeyCache.h"

#include <algorithm>

#include "ByteUtil.h"
#include "ZipCryptoTransform.h"

namespace talu::zip {

using crypto::ProtectBuffer;

std::vector<std::uint8_t> TZipKeyCache::Get(const std::string& password,
                                            const std::vector<std::uint8_t>& salt,
                                            std::uint16_t length) {
  for (std::size_t i = 0; i < used_; ++i) {
    const TEntry& e = entries_[i];
    if (e.material.size() == length && e.salt == salt && e.password == password) {
      std::rotate(entries_.begin(), entries_.begin() + i, entries_.begin() + i + 1);
      return entries_[0].material;
    }
  }
  std::rotate(entries_.begin(), entries_.end() - 1, entries_.end());
  TEntry& fresh = entries_[0];  // the oldest, reused: its secrets are overwritten in place
  ProtectBuffer(fresh.password.data(), fresh.password.size());
  ProtectBuffer(fresh.material.data(), fresh.material.size());
  fresh.password = password;
  fresh.salt = salt;
  fresh.material = ZipDeriveAesKeyMaterial(password, salt, length);
  used_ = std::min(used_ + 1, entries_.size());
  return fresh.material;
}

void TZipKeyCache::Wipe() {
  for (TEntry& e : entries_) {
    ProtectBuffer(e.password.data(), e.password.size());
    ProtectBuffer(e.material.data(), e.material.size());
    e = {};
  }
  used_ = 0;
}

}  // namespace talu::zip
