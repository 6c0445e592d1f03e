// Batches: extracting or testing the tagged items one by one, with progress, confirmation and
// failure events, retry, ignore and abort.
#include "ZipArchiver.h"
#include "ZipDecodeAhead.h"
#include "ZipExcept.h"
#include "ZipLandingFolders.h"
#include "ZipScopedValue.h"
#include "decode/ZipSplitInflate.h"
#include "platform/ZipPlatform.h"
#include "text/ZipStrFunc.h"
#include "text/ZipUtf.h"

namespace talu::zip {
namespace {

// Holds the process-wide batch lock for a scope.
class TBatchLock {
 public:
  TBatchLock() { TZipBaseArchiver::Lock(); }
  ~TBatchLock() { TZipBaseArchiver::Unlock(); }
  TBatchLock(const TBatchLock&) = delete;
  TBatchLock& operator=(const TBatchLock&) = delete;
};

bool HasWildcards(std::u16string_view mask) {
  return mask.find_first_of(u"*?") != std::u16string_view::npos;
}

}  // namespace

void TZipBaseArchiver::ExtractFiles() {
  CheckInactive();
  CheckInUpdate();
  CheckIdle();
  TagFiles();
  ProcessTaggedFiles(poExtract, -1);
}

void TZipBaseArchiver::ExtractFiles(const std::u16string& fileMask, std::int32_t searchAttr,
                                    const std::u16string& exclusionMask) {
  CheckInactive();
  CheckInUpdate();
  CheckIdle();
  if (Options().Recurse || HasWildcards(fileMask) || !exclusionMask.empty() ||
      searchAttr != kZipAllAttributes) {
    TagFiles(fileMask, searchAttr, exclusionMask);
    ProcessTaggedFiles(poExtract, -1);
    return;
  }
  // One plain name: only that item is tagged, other tags stay.
  TZipArchiveItem item;
  if (!FindFirst(fileMask, item, searchAttr, exclusionMask)) return;
  DMHandle()->CDir.GetItemPtr(item.Handle.ItemNo).Tagged = true;
  ProcessTaggedFiles(poExtract, item.Handle.ItemNo);
}

void TZipBaseArchiver::TestFiles() {
  CheckInactive();
  CheckInUpdate();
  CheckIdle();
  TagFiles();
  ProcessTaggedFiles(poTest, -1);
}

void TZipBaseArchiver::TestFiles(const std::u16string& fileMask, std::int32_t searchAttr,
                                 const std::u16string& exclusionMask) {
  CheckInactive();
  CheckInUpdate();
  CheckIdle();
  TagFiles(fileMask, searchAttr, exclusionMask);
  ProcessTaggedFiles(poTest, -1);
}

void TZipBaseArchiver::ProcessTaggedFiles(TZipProcessOperation operation, int index) {
  CheckInactive();
  TZipDirArray& dir = DMHandle()->CDir;
  // An index at or past the count fires the start and end events and runs nothing.
  if (index < -1) throw EZipException(kNeItemIndex, this);
  const TCallGuard call(*this);
  TBatchLock lock;
  const bool reports = operation == poExtract || operation == poTest;
  FProcessedFileNo = 0;
  FPasswordSkips = 0;
  FProcessedFileCount = 1;
  if (index == -1) {
    FProcessedFileCount = 0;
    for (int i = 0; i < dir.Count(); ++i) FProcessedFileCount += dir[i].Tagged ? 1 : 0;
  }
  FProgressCancel = false;
  FProgressEnabled = true;
  const std::unique_ptr<TZipDecodeAhead> ahead = StartDecodeAhead(operation, index);
  const TScopedValue<TZipDecodeAhead*> aheadOn(FDecodeAhead, ahead.get());
  TLandingFolders folders;  // closed when the batch ends
  const TScopedValue<TLandingFolders*> foldersOn(FLandingFolders, &folders);
  if (reports) DoOnOverallProgress(0, operation, ppStart, FProgressCancel);

  TZipAction action = fxaIgnore;
  if (!FProgressCancel) {
    for (int i = index == -1 ? 0 : index; i < dir.Count() && !FCloseDeferred; ++i) {
      if (dir[i].Tagged) {
        action = ProcessOneItem(i, operation);
        if (action == fxaAbort || FProgressCancel) break;
      }
      if (index != -1) break;
    }
    // A close asked for by an event ends the batch as a cancel does.
    FProgressCancel = FProgressCancel || FCloseDeferred;
    const bool saved = FProgressCancel;
    if (reports) DoOnOverallProgress(100, operation, ppEnd, FProgressCancel);
    FProgressCancel = FProgressCancel || saved;
  }
  if (FProgressCancel || action == fxaAbort) CancelUpdate();
}

// Decoding ahead serves batches of several items from the engine's own file stream of a
// single-volume archive. It takes the items that need no password, when extracting only the
// small ones (a test keeps no bytes), and not the deflate items inflated on several cores; the
// others, and every item it cannot decode whole, run the ordinary way at their turn.
std::unique_ptr<TZipDecodeAhead> TZipBaseArchiver::StartDecodeAhead(TZipProcessOperation operation,
                                                                    int index) {
  if (index != -1 || FIsCustomStream || FSpanningMode != smNone ||
      (operation != poExtract && operation != poTest))
    return nullptr;
  const TZipDirArray& dir = DMHandle()->CDir;
  std::vector<TZipAheadItem> plan;
  for (int i = 0; i < dir.Count(); ++i) {
    const TDirItem& item = dir[i];
    if (item.Tagged && !item.IsDirectory() && !item.IsEncrypted() &&
        (item.CompressionMethod == 0 ||
         (item.CompressionMethod == 8 &&
          !ZipSplitOptionsFor(static_cast<std::int64_t>(item.CompressedSize())))) &&
        (operation == poTest || (item.UncompressedSize() <= kZipAheadLargestItem &&
                                 item.CompressedSize() <= kZipAheadLargestItem)))
      plan.push_back({i, static_cast<std::int64_t>(item.LocalHeaderOffset()), item.CompressedSize(),
                      item.UncompressedSize(), item.CompressionMethod});
  }
  if (plan.size() < 2) return nullptr;
  if (!FDecodeWorkspace) FDecodeWorkspace = std::make_unique<TZipDecodeWorkspace>();
  return std::make_unique<TZipDecodeAhead>(FVolumeFileName, DMHandle()->CentralDirOffset,
                                           std::move(plan), operation == poTest, *FDecodeWorkspace);
}

// Runs the operation on one tagged item until it succeeds, is skipped, or the failure answer
// is not Retry. Returns the last answer. Every error of the item, the engine's own or not, goes
// through the failure event; errors of other kinds carry kNeUnknown.
TZipAction TZipBaseArchiver::ProcessOneItem(int i, TZipProcessOperation operation) {
  TDirItem& item = DMHandle()->CDir.GetItemPtr(i);
  item.Operation = operation;
  const bool reports = operation == poExtract || operation == poTest;
  TZipAction action;
  do {
    action = fxaIgnore;
    FLastItemKeptDamaged = false;
    const std::u16string name = Slashed(item.Name, u'/', u'\\');
    try {
      bool confirm = true;
      DoOnConfirmProcessFile(name, operation, confirm);
      if (!confirm) break;
      if (FCurrentDir.empty()) FCurrentDir = platform::CurrentDirectory();
      const std::u16string path = GetSlashedDir(FBaseDir, FCurrentDir);
      if (reports) {
        DoOnFileProgress(std::u16string(item.Name), 0, operation, ppStart, FProgressCancel);
        if (FProgressCancel) break;
      }
      if (operation == poExtract) ExtractTaggedFile(i, name, path);
      if (operation == poTest) TestTaggedFile(i, name);
      const bool saved = FProgressCancel;
      if (reports)
        DoOnFileProgress(std::u16string(item.Name), 100, operation, ppEnd, FProgressCancel);
      FProgressCancel = FProgressCancel || saved;
      if (FProgressCancel) break;
      ++FProcessedFileNo;
    } catch (const EZipException& e) {
      DoOnProcessFileFailure(name, operation, e.NativeError(), e.ErrorCode(), e.Message(), action);
    } catch (const Exception& e) {  // a stream or decompressor error of this item
      DoOnProcessFileFailure(name, operation, 0, 0, e.Message(), action);
    } catch (const std::exception& e) {
      DoOnProcessFileFailure(name, operation, 0, 0, Utf8ToUtf16(e.what()), action);
    }
  } while (action == fxaRetry);
  return action;
}

}  // namespace talu::zip
