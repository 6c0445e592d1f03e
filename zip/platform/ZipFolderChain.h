// The walk behind ForceDirectories on every system: find the deepest folder of a path that
// exists, then create the missing ones below it. The path is cut in place at each separator
// rather than copied per level, so a path of thousands of segments costs neither stack nor
// memory in proportion to its depth.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace talu::zip::platform {

enum class FolderProbe { Missing, Folder, NotAFolder };

// Calls `use` with the first `end` characters of `path` as a C string, and `end`.
template <class Char, class Use>
auto WithPrefix(std::basic_string<Char>& path, std::size_t end, Use use) {
  if (end == path.size()) return use(path.c_str(), end);
  const Char saved = std::exchange(path[end], Char{});
  auto result = use(path.c_str(), end);
  path[end] = saved;
  return result;
}

// Creates every missing folder of `dir` (no trailing separator). `probe(prefix, length)` says
// what a prefix names; `make(prefix, length)` creates one folder and says whether it exists;
// `mayCut(dir, cut)` says whether the prefix before the separator at `cut` may be probed (not a
// bare root or drive). False when a prefix is not a folder or a folder cannot be made.
template <class Char, class Probe, class Make, class MayCut>
bool ForceFolderChain(std::basic_string<Char>& dir, Char separator, Probe probe, Make make,
                      MayCut mayCut) {
  std::vector<std::size_t> missing;  // ends of the folders to create, deepest first
  for (std::size_t end = dir.size();;) {
    const FolderProbe found = WithPrefix(dir, end, probe);
    if (found != FolderProbe::Missing) {
      if (found == FolderProbe::NotAFolder) return false;
      break;
    }
    missing.push_back(end);
    const std::size_t cut = dir.rfind(separator, end - 1);
    if (cut == std::basic_string<Char>::npos || !mayCut(dir, cut)) break;
    end = cut;
  }
  for (auto end = missing.rbegin(); end != missing.rend(); ++end) {
    if (!WithPrefix(dir, *end, make)) return false;
  }
  return true;
}

}  // namespace talu::zip::platform
