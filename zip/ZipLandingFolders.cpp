#include "ZipLandingFolders.h"

#include <algorithm>

namespace talu::zip {
namespace {

// `below` as a key: its segments joined by "\", without empty and "." ones.
std::u16string FolderKey(std::u16string_view below) {
  std::u16string key;
  for (std::size_t start = 0; start < below.size();) {
    std::size_t end = below.find_first_of(u"\\/", start);
    if (end == std::u16string_view::npos) end = below.size();
    const std::u16string_view segment = below.substr(start, end - start);
    if (!segment.empty() && segment != u".") {
      if (!key.empty()) key += u'\\';
      key += segment;
    }
    start = end + 1;
  }
  return key;
}

}  // namespace

platform::FolderHandle TLandingFolders::Open(const std::u16string& root, std::u16string_view below,
                                             bool create, TFault& fault) {
  if (root != root_) {
    Clear();
    root_ = root;
  }
  const std::u16string key = FolderKey(below);
  // The deepest folder of the key held already (the root has the empty key), then the walk
  // from there.
  std::size_t done = key.size();
  platform::FolderHandle folder;
  while ((folder = Find(std::u16string_view(key).substr(0, done))) == platform::kNoFolder &&
         done > 0) {
    const std::size_t cut = key.rfind(u'\\', done - 1);
    done = cut == std::u16string::npos ? 0 : cut;
  }
  if (folder == platform::kNoFolder) folder = OpenRoot(create);
  if (folder == platform::kNoFolder) {
    fault = TFault::Failed;
    return folder;
  }
  const bool fromHeld = done > 0;  // the walk starts in a held folder below the root
  while (done < key.size()) {
    const std::size_t end = std::min(key.find(u'\\', done == 0 ? 0 : done + 1), key.size());
    const std::u16string path = root_ + key.substr(0, end);
    const platform::FolderHandle sub = platform::OpenSubfolder(folder, path);
    if (sub == platform::kNoFolder && fromHeld) {
      // A held folder removed while the batch ran takes no new folder: walked anew from the root.
      Clear();
      return Open(root, below, create, fault);
    }
    if (sub == platform::kNoFolder) {
      fault = platform::GetEntryKind(path, folder) == platform::EntryKind::Link ? TFault::Link
                                                                                : TFault::Failed;
      return sub;
    }
    folder = Keep(key.substr(0, end), sub);
    done = end;
  }
  fault = TFault::None;
  return folder;
}

void TLandingFolders::Clear() {
  for (const TEntry& entry : held_) platform::CloseFolder(entry.folder);
  held_.clear();
}

platform::FolderHandle TLandingFolders::Find(std::u16string_view key) {
  for (TEntry& entry : held_) {
    if (entry.key == key) {
      entry.used = ++clock_;
      return entry.folder;
    }
  }
  return platform::kNoFolder;
}

platform::FolderHandle TLandingFolders::Keep(std::u16string key, platform::FolderHandle folder) {
  if (held_.size() == kCapacity) {
    const auto oldest =
        std::min_element(held_.begin(), held_.end(),
                         [](const TEntry& a, const TEntry& b) { return a.used < b.used; });
    platform::CloseFolder(oldest->folder);
    held_.erase(oldest);
  }
  held_.push_back({std::move(key), folder, ++clock_});
  return folder;
}

platform::FolderHandle TLandingFolders::OpenRoot(bool create) {
  const std::u16string path = root_.empty() ? u"." : root_;
  platform::FolderHandle folder = platform::OpenFolder(path);
  if (folder == platform::kNoFolder && create && platform::ForceDirectories(path))
    folder = platform::OpenFolder(path);
  return folder == platform::kNoFolder ? folder : Keep(u"", folder);
}

}  // namespace talu::zip
