// The folders an extraction batch lands items in, held open while it runs: an item's folder is
// walked from the destination one segment at a time, never through a link, the missing ones
// made on the way, and the folders walked are kept for the items after it. At most kCapacity are
// held, the least recently used given up first, so that a batch over thousands of folders holds
// no more descriptors than that. A held folder removed meanwhile is walked to (and made) anew.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ZipPlatform.h"

namespace talu::zip {

class TLandingFolders {
 public:
  static constexpr std::size_t kCapacity = 32;
  enum class TFault { None, Link, Failed };

  TLandingFolders() = default;
  ~TLandingFolders() { Clear(); }
  TLandingFolders(const TLandingFolders&) = delete;
  TLandingFolders& operator=(const TLandingFolders&) = delete;

  // The folder `below` (segments separated by "\" or "/"; empty and "." ones skipped) under
  // `root` (empty for the current folder, else ending in a separator). The root may be a link
  // and, with `create`, is made when missing; below it a link ends the walk (TFault::Link), as
  // does a folder that cannot be opened or made (TFault::Failed). A new root lets go of the
  // folders held under the old one.
  platform::FolderHandle Open(const std::u16string& root, std::u16string_view below, bool create,
                              TFault& fault);
  void Clear();

 private:
  struct TEntry {
    std::u16string key;  // the folder's segments below the root, joined by "\"
    platform::FolderHandle folder;
    std::uint64_t used;
  };
  platform::FolderHandle Find(std::u16string_view key);
  platform::FolderHandle Keep(std::u16string key, platform::FolderHandle folder);
  platform::FolderHandle OpenRoot(bool create);

  std::u16string root_;
  std::vector<TEntry> held_;
  std::uint64_t clock_ = 0;
};

}  // namespace talu::zip
