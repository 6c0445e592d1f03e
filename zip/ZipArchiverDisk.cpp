// Landing one item as a disk file: where it goes, folders, the overwrite policy, the file's
// date and attributes, and clean-up of failed items.
#include <algorithm>

#include "ZipArchiver.h"
#include "ZipExcept.h"
#include "ZipStrFunc.h"
#include "platform/ZipPlatform.h"
#include "stream/ZipFileStream.h"

namespace talu::zip {
namespace {

constexpr std::uint32_t kAttrReadOnly = 0x01;
constexpr std::uint32_t kAttrFolder = 0x10;

std::u16string WithTrailingBackslash(std::u16string dir) {
  if (dir.empty() || dir.back() != u'\\') dir += u'\\';
  return dir;
}

bool OnlyDotsAndSpaces(std::u16string_view segment) {
  return segment.find_first_not_of(u". ") == std::u16string_view::npos;
}

// An item name the engine does not write under the base folder: one that would land outside it
// (a root or network path, a drive or stream colon, ".." segments that climb above the start,
// or a segment of dots and spaces, which Windows may read as ".."), one with a NUL or control
// character, which the file system would cut short or refuse, or one naming a device.
bool UnsafeItemName(std::u16string_view name) {
  if (name.empty()) return false;
  if (name.front() == u'\\' || name.find(u':') != std::u16string_view::npos) return true;
  if (std::any_of(name.begin(), name.end(), [](char16_t c) { return c < 0x20; })) return true;
  int depth = 0;
  for (size_t start = 0; start <= name.size();) {
    const size_t end = std::min(name.find(u'\\', start), name.size());
    const std::u16string_view segment = name.substr(start, end - start);
    if (segment == u"..") {
      if (--depth < 0) return true;
    } else if ((segment.size() > 1 && OnlyDotsAndSpaces(segment)) ||
               platform::IsDeviceName(segment)) {
      return true;
    } else if (!segment.empty() && segment != u".") {
      ++depth;
    }
    start = end + 1;
  }
  return false;
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

void TZipBaseArchiver::ExtractTaggedFile(int index, const std::u16string& fileName,
                                         const std::u16string& basePath) {
  const TDirItem& item = DMHandle()->CDir[index];
  std::u16string name = fileName;
  std::uint32_t attr = item.CentralDir.externalAttr;
  DoOnExtractFile(name, attr, std::string(item.Comment));
  std::u16string path = basePath;
  // The item's own name always lands under the base folder, or not at all; a handler's name is
  // trusted, also to be a full path.
  const bool ownName = name == fileName;
  if (ownName && UnsafeItemName(name)) throw EZipException(19, {path + name}, this);
  if (!ownName && IsFullPath(name)) path.clear();

  if (!Options().CreateDirs) {
    name = std::u16string(ExtractFileName(name));
  } else {
    const std::u16string folder = path + std::u16string(ExtractFilePath(name));
    if (!platform::ForceDirectories(folder)) throw EZipException(20, {folder}, this);
  }
  if ((item.CentralDir.externalAttr & kAttrFolder) ||
      (!item.Name.empty() && item.Name.back() == u'/'))
    return;

  std::u16string target = path + name;
  if (platform::FileExists(target) && !MayReplace(item, name, target)) return;

  std::unique_ptr<TFileStream> file;
  try {
    if (platform::FileExists(target)) {
      platform::SetFileAttr(target, 0);
      platform::RemoveFile(target);
    }
    file = TFileStream::CreateExclusive(target);
  } catch (const Exception&) {
    throw EZipException(19, {target}, this);
  }

  bool failed = true;
  struct TFinish {  // runs on every path after the extraction
    TZipBaseArchiver& arc;
    std::unique_ptr<TFileStream>& file;
    const TDirItem& item;
    const std::u16string& target;
    std::uint32_t attr;
    bool& failed;
    ~TFinish() {
      file->SetLastWriteDos(item.CentralDir.lastModDate, item.CentralDir.lastModTime);
      if (arc.Options().FlushBuffers && IsRemovableDrive(target)) file->Flush();
      file.reset();
      if (arc.FSkipFile || arc.FProgressCancel || failed)
        platform::RemoveFile(target);
      else if (arc.Options().SetAttributes)
        platform::SetFileAttr(target, attr);
    }
  } finish{*this, file, item, target, attr, failed};
  ExtractItem(index, *file, 0, 0);
  failed = false;
}

}  // namespace talu::zip
