// Finding items by mask and attributes, and tagging them for a batch.
#include <algorithm>

#include "ZipArchiver.h"
#include "ZipExcept.h"
#include "text/ZipMatch.h"
#include "text/ZipStrFunc.h"

namespace talu::zip {
namespace {

// The folder part of a name with "/" separators, lower-cased (A to Z only), "\" separators.
std::u16string FolderKey(std::u16string_view name) {
  if (!name.empty() && name.back() == u'/') name.remove_suffix(1);
  const std::u16string backslashed = Slashed(name, u'/', u'\\');
  const size_t cut = backslashed.find_last_of(u'\\');
  return ZipLowerCase(cut == std::u16string::npos
                          ? std::u16string_view{}
                          : std::u16string_view(backslashed).substr(0, cut + 1));
}

bool MatchesAny(std::u16string_view name, const TStringList& masks, TZipMaskRules rules) {
  for (int i = 0; i < masks.Count(); ++i)
    if (IsInternalFileMatchMask(name, masks.Strings(i), rules)) return true;
  return false;
}

}  // namespace

bool TZipBaseArchiver::FindFirst(TZipArchiveItem& item) {
  CheckInactive();
  item.Handle = {};
  item.Handle.UseProperties = true;
  item.Handle.FFindAttr = Options().SearchAttr;
  return InternalFind(item);
}

bool TZipBaseArchiver::FindFirst(const std::u16string& fileMask, TZipArchiveItem& item,
                                 std::int32_t searchAttr, const std::u16string& exclusionMask) {
  CheckInactive();
  std::u16string_view mask = fileMask;
  const std::u16string_view drive = ExtractFileDrive(mask);
  if (!drive.empty() && Options().StorePath != spFullPathWithDrive)
    mask.remove_prefix(drive.size());
  // Masks longer than the search record holds are cut to its 259 characters.
  mask = mask.substr(0, item.Handle.CFindMask.size() - 1);
  item.Handle = {};
  const std::u16string slashed = Slashed(mask, u'\\', u'/');
  std::copy(slashed.begin(), slashed.end(), item.Handle.CFindMask.begin());
  item.Handle.ExclusionMask = exclusionMask;
  item.Handle.FWildCards = slashed.find_first_of(u"*?") != std::u16string::npos;
  item.Handle.FFindAttr = searchAttr;
  return InternalFind(item);
}

bool TZipBaseArchiver::FindNext(TZipArchiveItem& item) {
  CheckInactive();
  ++item.Handle.ItemNo;
  return InternalFind(item);
}

bool TZipBaseArchiver::IsItemMatches(int index, const TInternalSearchRec& rec) const {
  const std::u16string_view stored = DMHandle()->CDir[index].Name;
  if (rec.UseProperties) {
    const std::u16string name = Slashed(stored, u'/', u'\\');
    const TZipMaskRules rules{FCaseSensitiveMasks, FMaskClasses};
    return MatchesAny(name, FFileMasks, rules) && !MatchesAny(name, FExclusionMasks, rules);
  }
  std::u16string_view name = stored;
  if (!name.empty() && (name.back() == u'/' || name.back() == u'\\')) name.remove_suffix(1);
  const std::u16string_view mask = rec.FindMask();
  const size_t cut = name.find_last_of(u'/');
  const std::u16string_view namePart =
      cut == std::u16string_view::npos ? name : name.substr(cut + 1);
  if (!IsInternalFileMatchMask(name, mask) && !IsInternalFileMatchMask(namePart, mask))
    return false;
  return !IsInternalFileMatchMask(name, rec.ExclusionMask);
}

bool TZipBaseArchiver::InternalFind(TZipArchiveItem& item) {
  TInternalSearchRec& rec = item.Handle;
  const TZipDirArray& dir = DMHandle()->CDir;
  int found = -1;
  if (rec.FWildCards || Options().Recurse || rec.UseProperties) {
    const std::u16string maskFolder = Options().Recurse ? u"" : FolderKey(rec.FindMask());
    for (int i = std::max(rec.ItemNo, 0); i < dir.Count() && found < 0; ++i) {
      if (!Options().Recurse && FolderKey(dir[i].Name) != maskFolder) continue;
      if (IsItemMatches(i, rec) &&
          CheckAttributesMatch(static_cast<std::int32_t>(dir[i].CentralDir.externalAttr),
                               rec.FFindAttr))
        found = i;
    }
  } else {
    int index = -1;
    if (dir.FileExists(rec.FindMask(), index) && index >= rec.ItemNo) found = index;
  }
  if (found < 0) return false;
  rec.ItemNo = found;
  FillArchiveItem(dir[found], item);
  return true;
}

void TZipBaseArchiver::FillArchiveItem(const TDirItem& dirItem, TZipArchiveItem& item) {
  std::u16string name = Slashed(dirItem.Name, u'/', u'\\');
  if (!name.empty() && name.back() == u'\\') name.pop_back();
  const size_t cut = name.find_last_of(u'\\');
  item.FileName = cut == std::u16string::npos ? name : name.substr(cut + 1);
  item.StoredPath = cut == std::u16string::npos ? u"" : name.substr(0, cut + 1);
  item.CompressedSize = static_cast<std::int64_t>(dirItem.CompressedSize());
  item.UncompressedSize = static_cast<std::int64_t>(dirItem.UncompressedSize());
  item.CompressionRate =
      item.UncompressedSize > 0
          ? std::max(0.0, (1.0 - double(item.CompressedSize) / double(item.UncompressedSize)) * 100)
          : 100.0;
  item.Encrypted = dirItem.IsEncrypted();
  item.LastModFileDate = dirItem.CentralDir.lastModDate;
  item.LastModFileTime = dirItem.CentralDir.lastModTime;
  item.CRC = dirItem.CentralDir.crc32;
  item.ExternalFileAttributes = dirItem.CentralDir.externalAttr;
  item.Comment = std::string(dirItem.Comment);
}

void TZipBaseArchiver::TagFiles() {
  CheckInactive();
  DMHandle()->CDir.ClearTags();
  TZipArchiveItem item;
  for (bool found = FindFirst(item); found; found = FindNext(item))
    DMHandle()->CDir.GetItemPtr(item.Handle.ItemNo).Tagged = true;
}

void TZipBaseArchiver::TagFiles(const std::u16string& fileMask, std::int32_t searchAttr,
                                const std::u16string& exclusionMask) {
  CheckInactive();
  DMHandle()->CDir.ClearTags();
  TZipArchiveItem item;
  for (bool found = FindFirst(fileMask, item, searchAttr, exclusionMask); found;
       found = FindNext(item))
    DMHandle()->CDir.GetItemPtr(item.Handle.ItemNo).Tagged = true;
}

}  // namespace talu::zip
