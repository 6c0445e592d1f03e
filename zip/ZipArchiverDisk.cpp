// Landing one item as a disk file: where it goes, folders, the overwrite policy, the file's
// date and attributes, and clean-up of failed items.
#include <algorithm>

#include "ZipArchiver.h"
#include "ZipExcept.h"
#include "directory/ZipExtraFields.h"
#include "platform/ZipPlatform.h"
#include "stream/ZipFileStream.h"
#include "stream/ZipMemoryStreams.h"
#include "text/ZipStrFunc.h"

namespace talu::zip {
namespace {

constexpr std::uint32_t kAttrReadOnly = 0x01;
constexpr std::uint32_t kAttrFolder = 0x10;
// The longest link target landed: one path of the system.
constexpr std::uint64_t kMaxLinkTarget = 4095;

std::u16string WithTrailingBackslash(std::u16string dir) {
  if (dir.empty() || dir.back() != u'\\') dir += u'\\';
  return dir;
}

bool OnlyDotsAndSpaces(std::u16string_view segment) {
  return segment.find_first_not_of(u". ") == std::u16string_view::npos;
}

bool IsSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

// Calls `visit` with each segment of `path` between separators, empty ones included.
template <class Visit>
void ForEachSegment(std::u16string_view path, Visit visit) {
  for (size_t start = 0; start <= path.size();) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    visit(path.substr(start, end - start));
    start = end + 1;
  }
}

// Whether ".." segments climb above the folder that `relative` starts in.
bool ClimbsAbove(std::u16string_view relative) {
  int depth = 0;
  bool climbs = false;
  ForEachSegment(relative, [&](std::u16string_view segment) {
    if (segment == u"..")
      climbs = climbs || --depth < 0;
    else if (!segment.empty() && segment != u".")
      ++depth;
  });
  return climbs;
}

// The length of a full path's root: a drive ("C:"), a network share ("\\server\share") and
// the separators behind it.
size_t RootLength(std::u16string_view path) {
  size_t at = 0;
  if (path.size() >= 2 && path[1] == u':') {
    at = 2;
  } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    at = 2;
    for (int part = 0; part < 2 && at < path.size(); ++part) {
      while (at < path.size() && !IsSeparator(path[at])) ++at;
      if (part == 0 && at < path.size()) ++at;
    }
  }
  while (at < path.size() && IsSeparator(path[at])) ++at;
  return at;
}

// An item name the engine does not write under the base folder: one that would land outside it
// (a root or network path, a drive or stream colon, ".." segments that climb above the start,
// or a segment of dots and spaces, which Windows may read as ".."), one with a NUL or control
// character, which the file system would cut short or refuse, or one naming a device.
bool UnsafeItemName(std::u16string_view name) {
  if (name.empty()) return false;
  if (name.front() == u'\\' || name.find(u':') != std::u16string_view::npos) return true;
  if (std::any_of(name.begin(), name.end(), [](char16_t c) { return c < 0x20; })) return true;
  bool unsafe = ClimbsAbove(name);
  ForEachSegment(name, [&](std::u16string_view segment) {
    unsafe = unsafe || (segment != u".." && segment.size() > 1 && OnlyDotsAndSpaces(segment)) ||
             platform::IsDeviceName(segment);
  });
  return unsafe;
}

// Whether the folders of the relative path `below` run through a link below `prefix`: an item
// there would land wherever the link points. Checked down to the first folder that does not
// exist yet; the last segment is the item's own name, which is replaced rather than followed.
bool RunsThroughLink(std::u16string prefix, std::u16string_view below) {
  size_t cut = below.size();
  while (cut > 0 && !IsSeparator(below[cut - 1])) --cut;
  bool through = false, missing = false;
  ForEachSegment(below.substr(0, cut), [&](std::u16string_view segment) {
    if (through || missing || segment.empty() || segment == u".") return;
    if (!prefix.empty() && !IsSeparator(prefix.back())) prefix += u'\\';
    prefix += segment;
    const platform::EntryKind kind = platform::GetEntryKind(prefix);
    through = kind == platform::EntryKind::Link;
    missing = kind == platform::EntryKind::Missing;
  });
  return through;
}

// Whether a name from the OnExtractFile handler is a full path: a drive or stream colon, a
// network prefix, or a path from the root.
bool IsFullPath(const std::u16string& name) {
  return name.find(u':') != std::u16string::npos || name.find(u"\\\\") != std::u16string::npos ||
         platform::IsRootedPath(name);
}

bool Newer(std::int32_t a, std::int32_t b) {
  return a > b;
}

// Whether a link's target, read from the folder of the link `relative` (a path below the
// folder it is extracted to), stays below that folder: not from the root, and its ".."
// segments never climb above it. Backslashes in the target count as separators too, which
// only refuses more.
bool LinkStaysInside(std::u16string_view relative, std::string_view target) {
  if (target.empty() || target.front() == '/' || target.find('\0') != std::string_view::npos)
    return false;
  std::u16string path(ExtractFilePath(relative));
  for (const char c : target) path += static_cast<char16_t>(static_cast<unsigned char>(c));
  return !ClimbsAbove(path);
}

// Removes what has the target's name before a new file or link takes it.
void RemoveExisting(const std::u16string& target, platform::EntryKind existing) {
  if (existing == platform::EntryKind::File) platform::SetFileAttr(target, 0);
  platform::RemoveFile(target);
}

// Sets the landed file's last-write time: the item's exact time where the system keeps it and
// the item has one, else its DOS date and time.
void SetLandedTime(TFileStream& file, const TDirItem& item) {
  if (platform::KeepsUnixMetadata()) {
    if (const auto exact = ExactModifiedTime(item.ExtraFields)) {
      file.SetLastWriteUnix(exact->seconds, exact->nanoseconds);
      return;
    }
  }
  file.SetLastWriteDos(item.CentralDir.lastModDate, item.CentralDir.lastModTime);
}

}  // namespace

std::u16string GetSlashedDir(const std::u16string& baseDir, const std::u16string& currentDir) {
  return WithTrailingBackslash(baseDir.empty() ? currentDir : baseDir);
}

bool IsFloppyDrive(std::u16string_view fileName) {
  const std::u16string drive = ZipLowerCase(ExtractFileDrive(fileName));
  return drive == u"a:" || drive == u"b:";
}

bool IsRemovableDrive(std::u16string_view fileName) {
  return IsFloppyDrive(fileName) ||
         platform::IsRemovableDrive(std::u16string(ExtractFileDrive(fileName)));
}

// Whether an existing target may be replaced under the overwrite policy.
bool TZipBaseArchiver::MayReplace(const TDirItem& item, std::u16string& name,
                                  std::u16string& target) {
  if (!Options().ReplaceReadOnly && (platform::GetFileAttr(target) & kAttrReadOnly)) return false;
  const std::int32_t itemAge = static_cast<std::int32_t>(
      std::uint32_t{item.CentralDir.lastModDate} << 16 | item.CentralDir.lastModTime);
  switch (Options().OverwriteMode) {
    case omAlways:
      return true;
    case omNever:
      return false;
    case omIfNewer:
      return Newer(itemAge, platform::FileAgeDos(target));
    case omIfOlder:
      return Newer(platform::FileAgeDos(target), itemAge);
    case omPrompt: {
      bool confirm = false;
      DoOnConfirmOverwrite(name, target, confirm);
      return confirm;
    }
  }
  return false;
}

// Refuses (kNeCreateOutputFile) a name that would land elsewhere than it says. The item's own name
// lands under the base folder, or not at all. A handler's name may go anywhere, also to a full
// path (`path` is then cleared), but its ".." segments may not climb above the folder it starts
// in: the base folder, or the root of a full path. Below that folder the path may not run
// through a link already there; the base folder itself may be one.
void TZipBaseArchiver::CheckLanding(bool ownName, std::u16string& path,
                                    const std::u16string& name) const {
  if (ownName && UnsafeItemName(name))
    throw EZipException(kNeCreateOutputFile, {path + name}, this);
  if (!ownName && IsFullPath(name)) path.clear();
  const size_t root = path.empty() ? RootLength(name) : 0;
  const std::u16string_view below = std::u16string_view(name).substr(root);
  if ((!ownName && ClimbsAbove(below)) ||
      (Options().CreateDirs && RunsThroughLink(path + name.substr(0, root), below)))
    throw EZipException(kNeCreateOutputFile, {path + name}, this);
}

// An item made on Unix as a symbolic link lands as one, its data the target, when that target
// stays below the folder that `relative` starts in (kNeUnsafeLink otherwise, with nothing
// written).
void TZipBaseArchiver::LandSymbolicLink(int index, const std::u16string& target,
                                        std::u16string_view relative) {
  if (DMHandle()->CDir[index].UncompressedSize() > kMaxLinkTarget)
    throw EZipException(kNeUnsafeLink, {target}, this);
  TStringStream text;
  ExtractItem(index, text, 0, 0);
  if (FSkipFile || FProgressCancel) return;
  if (!LinkStaysInside(relative, text.DataString()))
    throw EZipException(kNeUnsafeLink, {target}, this);
  if (!platform::MakeSymbolicLink(target, text.DataString()))
    throw EZipException(kNeCreateOutputFile, {target}, this);
}

void TZipBaseArchiver::ExtractTaggedFile(int index, const std::u16string& fileName,
                                         const std::u16string& basePath) {
  const TDirItem& item = DMHandle()->CDir[index];
  std::u16string name = fileName;
  std::uint32_t attr = item.CentralDir.externalAttr;
  DoOnExtractFile(name, attr, std::string(item.Comment));
  std::u16string path = basePath;
  CheckLanding(name == fileName, path, name);

  if (!Options().CreateDirs) {
    name = std::u16string(ExtractFileName(name));
  } else {
    const std::u16string folder = path + std::u16string(ExtractFilePath(name));
    if (!platform::ForceDirectories(folder))
      throw EZipException(kNeCreateOutputFolder, {folder}, this);
  }
  if ((item.CentralDir.externalAttr & kAttrFolder) ||
      (!item.Name.empty() && item.Name.back() == u'/'))
    return;

  // Whatever has the target's name (a file, a link, a pipe) is replaced as overwriting allows;
  // the new file is created only where nothing is, so that nothing is followed or opened.
  std::u16string target = path + name;
  const platform::EntryKind existing = platform::GetEntryKind(target);
  const bool replaces =
      existing != platform::EntryKind::Missing && existing != platform::EntryKind::Folder;
  if (replaces && !MayReplace(item, name, target)) return;

  // Items made on Unix keep their permission bits and links where the system has them.
  const std::uint32_t unixMode = platform::KeepsUnixMetadata() ? item.UnixMode() : 0;
  if ((unixMode & kUnixTypeMask) == kUnixTypeLink) {
    if (replaces) RemoveExisting(target, existing);
    LandSymbolicLink(index, target,
                     path.empty() ? std::u16string_view(name).substr(RootLength(name)) : name);
    return;
  }
  const bool setsMode = unixMode != 0 && Options().SetAttributes;
  std::unique_ptr<TFileStream> file;
  try {
    if (replaces) RemoveExisting(target, existing);
    file = TFileStream::CreateExclusive(target, setsMode);
  } catch (const Exception&) {
    throw EZipException(kNeCreateOutputFile, {target}, this);
  }

  bool failed = true;
  struct TFinish {  // runs on every path after the extraction
    TZipBaseArchiver& arc;
    std::unique_ptr<TFileStream>& file;
    const TDirItem& item;
    const std::u16string& target;
    std::uint32_t attr;
    bool setsMode;
    bool& failed;
    ~TFinish() {
      SetLandedTime(*file, item);
      if (arc.Options().FlushBuffers && IsRemovableDrive(target)) file->Flush();
      const bool kept = !(arc.FSkipFile || arc.FProgressCancel || failed);
      if (kept && setsMode) file->SetMode(item.UnixMode(), (attr & kAttrReadOnly) != 0);
      file.reset();
      if (!kept)
        platform::RemoveFile(target);
      else if (arc.Options().SetAttributes && !setsMode)
        platform::SetFileAttr(target, attr);
    }
  } finish{*this, file, item, target, attr, setsMode, failed};
  ExtractItem(index, *file, 0, 0);
  failed = false;
}

}  // namespace talu::zip
