// Landing one item as a disk file: where it goes, folders, the overwrite policy, the file's
// date and attributes, and clean-up of failed items.
#include <algorithm>

#include "ZipArchiver.h"
#include "ZipExcept.h"
#include "ZipLandingFolders.h"
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
void RemoveExisting(const std::u16string& target, platform::EntryKind existing,
                    platform::FolderHandle folder) {
  if (existing == platform::EntryKind::File) platform::SetFileAttr(target, 0, folder);
  platform::RemoveFile(target, folder);
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

struct TZipBaseArchiver::TLandingSpot {
  std::u16string target;          // the item's full path
  platform::FolderHandle folder;  // the held folder it lands in (kNoFolder: by path)
};

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
bool TZipBaseArchiver::MayReplace(const TDirItem& item, std::u16string& name, TLandingSpot& spot) {
  const std::u16string& target = spot.target;
  if (!Options().ReplaceReadOnly && (platform::GetFileAttr(target, spot.folder) & kAttrReadOnly))
    return false;
  const std::int32_t itemAge = static_cast<std::int32_t>(
      std::uint32_t{item.CentralDir.lastModDate} << 16 | item.CentralDir.lastModTime);
  switch (Options().OverwriteMode) {
    case omAlways:
      return true;
    case omNever:
      return false;
    case omIfNewer:
      return Newer(itemAge, platform::FileAgeDos(target, spot.folder));
    case omIfOlder:
      return Newer(platform::FileAgeDos(target, spot.folder), itemAge);
    case omPrompt: {
      bool confirm = false;
      const std::u16string asked = target;
      DoOnConfirmOverwrite(name, spot.target, confirm);
      // A handler that moves the item elsewhere has it landed by the path it gave.
      if (spot.target != asked) spot.folder = platform::kNoFolder;
      return confirm;
    }
  }
  return false;
}

// Makes way for a new file or link: whatever has its name (a file, a link, a pipe; a folder is
// left for the creation to fail on) is removed as overwriting allows. False when it is kept.
bool TZipBaseArchiver::MakeWay(const TDirItem& item, std::u16string& name, TLandingSpot& spot) {
  const platform::EntryKind existing = platform::GetEntryKind(spot.target, spot.folder);
  if (existing == platform::EntryKind::Missing || existing == platform::EntryKind::Folder)
    return true;
  if (!MayReplace(item, name, spot)) return false;
  RemoveExisting(spot.target, existing, spot.folder);
  return true;
}

// Refuses (kNeCreateOutputFile) a name that would land elsewhere than it says. The item's own name
// lands under the base folder, or not at all. A handler's name may go anywhere, also to a full
// path (`path` is then cleared), but its ".." segments may not climb above the folder it starts
// in: the base folder, or the root of a full path. That the path runs through no link below that
// folder is checked by the walk to the item's folder (LandingSpot).
void TZipBaseArchiver::CheckLanding(bool ownName, std::u16string& path,
                                    const std::u16string& name) const {
  if (ownName && UnsafeItemName(name))
    throw EZipException(kNeCreateOutputFile, {path + name}, this);
  if (!ownName && IsFullPath(name)) path.clear();
  const size_t root = path.empty() ? RootLength(name) : 0;
  if (!ownName && ClimbsAbove(std::u16string_view(name).substr(root)))
    throw EZipException(kNeCreateOutputFile, {path + name}, this);
}

// Where `path` + `name` lands: in the folder walked to from the base folder `path` (or the root
// of a full name; the base folder may be a link), missing folders made when CreateDirs is set.
// kNeCreateOutputFile when the walk meets a link, kNeCreateOutputFolder when a folder cannot be
// opened or made (kNeCreateOutputFile without CreateDirs, which makes none).
TZipBaseArchiver::TLandingSpot TZipBaseArchiver::LandingSpot(const std::u16string& path,
                                                             const std::u16string& name) const {
  std::u16string target = path + name;
  size_t leaf = target.size();
  while (leaf > 0 && !IsSeparator(target[leaf - 1])) --leaf;
  // The walk starts after a separator: "C:x" starts in the current folder.
  size_t start = path.empty() ? RootLength(name) : path.size();
  while (start > 0 && !IsSeparator(target[start - 1])) --start;
  TLandingFolders::TFault fault;
  const platform::FolderHandle folder = FLandingFolders->Open(
      target.substr(0, start), std::u16string_view(target).substr(start, leaf - start),
      Options().CreateDirs, fault);
  if (fault == TLandingFolders::TFault::Link ||
      (fault != TLandingFolders::TFault::None && !Options().CreateDirs))
    throw EZipException(kNeCreateOutputFile, {target}, this);
  if (fault != TLandingFolders::TFault::None)
    throw EZipException(kNeCreateOutputFolder, {target.substr(0, leaf)}, this);
  return {std::move(target), folder};
}

// An item made on Unix as a symbolic link lands as one, its data the target, when that target
// stays below the folder that `relative` starts in (kNeUnsafeLink otherwise, with nothing
// written).
void TZipBaseArchiver::LandSymbolicLink(int index, const TLandingSpot& spot,
                                        std::u16string_view relative) {
  if (DMHandle()->CDir[index].UncompressedSize() > kMaxLinkTarget)
    throw EZipException(kNeUnsafeLink, {spot.target}, this);
  TStringStream text;
  ExtractItem(index, text, 0, 0);
  if (FSkipFile || FProgressCancel) return;
  if (!LinkStaysInside(relative, text.DataString()))
    throw EZipException(kNeUnsafeLink, {spot.target}, this);
  if (!platform::MakeSymbolicLink(spot.target, text.DataString(), spot.folder))
    throw EZipException(kNeCreateOutputFile, {spot.target}, this);
}

void TZipBaseArchiver::ExtractTaggedFile(int index, const std::u16string& fileName,
                                         const std::u16string& basePath) {
  const TDirItem& item = DMHandle()->CDir[index];
  std::u16string name = fileName;
  std::uint32_t attr = item.CentralDir.externalAttr;
  DoOnExtractFile(name, attr, std::string(item.Comment));
  std::u16string path = basePath;
  CheckLanding(name == fileName, path, name);
  const bool folderItem = (item.CentralDir.externalAttr & kAttrFolder) ||
                          (!item.Name.empty() && item.Name.back() == u'/');
  if (!Options().CreateDirs) {
    if (folderItem) return;
    name = std::u16string(ExtractFileName(name));
  }
  TLandingSpot spot = LandingSpot(path, name);
  if (folderItem) return;

  // Items made on Unix keep their permission bits and links where the system has them.
  const std::uint32_t unixMode = platform::KeepsUnixMetadata() ? item.UnixMode() : 0;
  if ((unixMode & kUnixTypeMask) == kUnixTypeLink) {
    if (MakeWay(item, name, spot))
      LandSymbolicLink(index, spot,
                       path.empty() ? std::u16string_view(name).substr(RootLength(name)) : name);
    return;
  }
  // The new file is created only where nothing has its name, so that nothing is followed or
  // opened; what has it is replaced as overwriting allows, and the creation tried once more.
  const bool setsMode = unixMode != 0 && Options().SetAttributes;
  const auto create = [&] {
    try {
      return TFileStream::CreateExclusive(spot.target, setsMode, spot.folder);
    } catch (const Exception&) {
      return std::unique_ptr<TFileStream>();
    }
  };
  std::unique_ptr<TFileStream> file = create();
  if (!file && !MakeWay(item, name, spot)) return;
  if (!file) file = create();
  if (!file && spot.folder != platform::kNoFolder) {
    // The held folder may have been removed while the batch ran: walked to (and made) anew.
    FLandingFolders->Clear();
    spot = LandingSpot(path, name);
    file = create();
  }
  if (!file) throw EZipException(kNeCreateOutputFile, {spot.target}, this);

  bool failed = true;
  struct TFinish {  // runs on every path after the extraction
    TZipBaseArchiver& arc;
    std::unique_ptr<TFileStream>& file;
    const TDirItem& item;
    const TLandingSpot& spot;
    std::uint32_t attr;
    bool setsMode;
    bool& failed;
    ~TFinish() {
      SetLandedTime(*file, item);
      if (arc.Options().FlushBuffers && IsRemovableDrive(spot.target)) file->Flush();
      const bool kept = !(arc.FSkipFile || arc.FProgressCancel || failed);
      if (kept && setsMode) file->SetMode(item.UnixMode(), (attr & kAttrReadOnly) != 0);
      // Attributes go on the open file where the system allows, else by path once it is closed.
      const bool setsAttr = kept && arc.Options().SetAttributes && !setsMode;
      const bool attrByPath = setsAttr && !file->SetAttributes(attr);
      file.reset();
      if (!kept)
        platform::RemoveFile(spot.target, spot.folder);
      else if (attrByPath)
        platform::SetFileAttr(spot.target, attr, spot.folder);
    }
  } finish{*this, file, item, spot, attr, setsMode, failed};
  ExtractItem(index, *file, 0, 0);
  failed = false;
}

}  // namespace talu::zip
