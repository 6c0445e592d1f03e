// AES key material of one archiver, remembered for the last few password and salt pairs so that
// the repeated derivations of one item (and retries) cost nothing after the first. The archiver
// wipes it when the archive is closed; it wipes itself when it goes. Keys are derived on the
// archiver's own thread only (the helper threads decrypt with keys made there).
//
// Usage: TZipKeyCache cache; material = cache.Get(password, salt, 66); cache.Wipe();
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace talu::zip {

class TZipKeyCache {
 public:
  TZipKeyCache() = default;
  ~TZipKeyCache() { Wipe(); }
  TZipKeyCache(const TZipKeyCache&) = delete;
  TZipKeyCache& operator=(const TZipKeyCache&) = delete;

  // PBKDF2-HMAC-SHA1 output of `length` bytes for the password and salt.
  std::vector<std::uint8_t> Get(const std::string& password, const std::vector<std::uint8_t>& salt,
                                std::uint16_t length);
  // Overwrites every remembered password and key, and forgets them.
  void Wipe();
  std::size_t Count() const { return used_; }

 private:
  struct TEntry {
    std::string password;
    std::vector<std::uint8_t> salt;
    std::vector<std::uint8_t> material;
  };

  std::array<TEntry, 4> entries_;  // newest first
  std::size_t used_ = 0;
};

}  // namespace talu::zip
