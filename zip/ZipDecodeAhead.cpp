#include "ZipDecodeAhead.h"

#include <algorithm>
#include <system_error>

#include "ZipArchiver.h"
#include "stream/ZipFileStream.h"
#include "stream/ZipMemoryStreams.h"
#include "stream/ZipNullStream.h"

namespace talu::zip {
namespace {

// The look-ahead: at most this many items, or this many uncompressed bytes (one item of any
// size allowed), decoding or decoded and not yet taken.
constexpr int kAheadItems = 64;
constexpr std::uint64_t kAheadBytes = kZipChunkSize;
// Room for an item's name and extra field when its local header and data are read at once.
constexpr std::uint64_t kHeaderSlack = 1024;
// The archive is read in blocks of at least this size, so that a run of small items costs one
// read between them.
constexpr std::uint64_t kReadBlock = 256 * 1024;

}  // namespace

bool TZipDecodedItem::Progress(std::int64_t done) {
  calls_.push_back({false, done});
  return true;
}

bool TZipDecodedItem::Write(TStream&, const void* data, std::int64_t count) {
  calls_.push_back({true, count});
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (keepsBytes_) bytes_.insert(bytes_.end(), bytes, bytes + count);
  return true;
}

TZipDecodeResult TZipDecodedItem::Replay(IZipDecodeSink& sink, TStream& dest) const {
  const std::uint8_t* data = keepsBytes_ ? bytes_.data() : nullptr;
  for (const TCall& call : calls_) {
    if (!(call.write ? sink.Write(dest, data, call.value) : sink.Progress(call.value))) break;
    if (call.write && keepsBytes_) data += call.value;
  }
  return result;
}

TZipDecodeAhead::TZipDecodeAhead(std::u16string archiveFile, std::int64_t dataEnd,
                                 std::vector<TZipAheadItem> plan, bool testing,
                                 TZipDecodeWorkspace& callerWorkspace)
    : archiveFile_(std::move(archiveFile)), dataEnd_(dataEnd), testing_(testing) {
  callerDecoder_.workspace = &callerWorkspace;
  slots_.reserve(plan.size());
  for (const TZipAheadItem& item : plan) slots_.push_back({item, TState::kWaiting, nullptr});
  try {
    worker_ = std::thread(&TZipDecodeAhead::Work, this);
  } catch (const std::system_error&) {
    // Without a second thread every item runs the ordinary way.
  }
}

TZipDecodeAhead::~TZipDecodeAhead() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
}

std::unique_ptr<TZipDecodedItem> TZipDecodeAhead::Take(int index) {
  std::unique_lock<std::mutex> lock(mutex_);
  const auto found =
      std::lower_bound(slots_.begin(), slots_.end(), index,
                       [](const TSlot& slot, int wanted) { return slot.item.index < wanted; });
  const auto at = static_cast<std::size_t>(found - slots_.begin());
  if (found == slots_.end() || found->item.index != index || at < taken_) return nullptr;
  for (; taken_ < at; ++taken_) Drop(slots_[taken_]);
  TSlot& slot = *found;
  if (slot.state == TState::kWaiting) slot.state = TState::kGone;  // the caller decodes it
  while (slot.state == TState::kWorking) {
    if (callerMayDecode_ && DecodeNext(lock, callerDecoder_)) continue;
    callerWaits_ = true;
    changed_.wait(lock, [&] { return slot.state != TState::kWorking; });
    callerWaits_ = false;
  }
  std::unique_ptr<TZipDecodedItem> decoded = std::move(slot.decoded);
  Drop(slot);
  taken_ = at + 1;
  // The worker, held back by a full look-ahead, goes on once half of it is free, not item by item.
  if (workerWaits_ && heldItems_ <= kAheadItems / 2 && held_ <= kAheadBytes / 2)
    changed_.notify_all();
  return decoded;
}

void TZipDecodeAhead::Drop(TSlot& slot) {
  if (slot.state == TState::kDone) {
    held_ -= Held(slot.item);
    --heldItems_;
    slot.decoded.reset();
  }
  if (slot.state != TState::kWorking) slot.state = TState::kGone;
}

bool TZipDecodeAhead::MayStart(std::size_t slot) const {
  return heldItems_ == 0 ||
         (heldItems_ < kAheadItems && held_ + Held(slots_[slot].item) <= kAheadBytes);
}

bool TZipDecodeAhead::Open(TDecoder& decoder) const {
  try {
    decoder.source = std::make_unique<TFileStream>(archiveFile_, platform::kModeReadDenyNone);
    if (!decoder.workspace) {
      decoder.ownWorkspace = std::make_unique<TZipDecodeWorkspace>();
      decoder.workspace = decoder.ownWorkspace.get();
    }
    return true;
  } catch (...) {
    return false;
  }
}

void TZipDecodeAhead::Work() {
  if (!Open(workerDecoder_)) return;  // the caller decodes every item
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    if (DecodeNext(lock, workerDecoder_)) continue;
    if (next_ == slots_.size()) return;
    workerWaits_ = true;
    changed_.wait(lock);
    workerWaits_ = false;
  }
}

bool TZipDecodeAhead::DecodeNext(std::unique_lock<std::mutex>& lock, TDecoder& decoder) {
  next_ = std::max(next_, taken_);
  while (next_ < slots_.size() && slots_[next_].state != TState::kWaiting) ++next_;
  if (stop_ || next_ == slots_.size() || !MayStart(next_)) return false;
  if (!decoder.source) {
    callerMayDecode_ = Open(decoder);
    if (!callerMayDecode_) return false;
  }
  const std::size_t at = next_++;
  TSlot& slot = slots_[at];
  slot.state = TState::kWorking;
  held_ += Held(slot.item);
  ++heldItems_;
  lock.unlock();
  std::unique_ptr<TZipDecodedItem> decoded = Decode(slot.item, decoder);
  lock.lock();
  slot.decoded = std::move(decoded);
  slot.state = TState::kDone;
  if (at < taken_) Drop(slot);  // passed over while it was decoded
  if (callerWaits_) changed_.notify_all();
  return true;
}

// The chunk loop, into memory, over the local header and the data read in one piece from the
// decoder's own stream, or, for an item larger than a read block, read from that stream as it
// is decoded. Null when the item did not decode whole (also when its name and extra field
// outgrow kHeaderSlack): the caller then runs it the ordinary way, which reports any failure.
std::unique_ptr<TZipDecodedItem> TZipDecodeAhead::Decode(const TZipAheadItem& item,
                                                         TDecoder& decoder) const {
  std::unique_ptr<TZipDecodedItem> decoded;
  try {
    decoded = std::make_unique<TZipDecodedItem>();
    if (!testing_)
      decoded->KeepBytes(static_cast<std::size_t>(std::min(item.size, kZipAheadLargestItem)));
    const std::uint64_t length = kLocalHeaderSize + item.compressedSize + kHeaderSlack;
    const bool inOnePiece = length <= kReadBlock;
    TStringStream piece(inOnePiece ? ReadPiece(item.headerOffset, length, decoder) : std::string());
    TStream& source = inOnePiece ? piece : *decoder.source;
    if (!inOnePiece) source.SetPosition(item.headerOffset);
    ReadLocalHeaderAt(source);
    const std::int64_t dataStart = (inOnePiece ? item.headerOffset : 0) + source.Position();
    TNullStream nowhere;
    const TZipDecodeRequest request{
        &source,   &nowhere,    StoredDataSize(item.compressedSize, dataStart, dataEnd_),
        item.size, item.method, nullptr,
        0,         0,           false,
        false};
    decoded->result = ZipDecodeItemData(request, *decoded, *decoder.workspace);
  } catch (...) {
    return nullptr;
  }
  return decoded->result.ok ? std::move(decoded) : nullptr;
}

// Up to `length` bytes of the file from `offset` on (fewer where the file ends), from the
// decoder's block, which is read anew from `offset` when it does not hold them.
std::string TZipDecodeAhead::ReadPiece(std::int64_t offset, std::uint64_t length,
                                       TDecoder& decoder) const {
  const auto end = static_cast<std::uint64_t>(offset) + length;
  const auto blockEnd = static_cast<std::uint64_t>(decoder.blockStart) + decoder.block.size();
  const bool held = offset >= decoder.blockStart && (end <= blockEnd || decoder.blockAtEnd);
  if (!held) {
    // The block holds nothing until the read succeeds: a read that fails (an offset past the
    // end or out of range) must not leave bytes that a later item would take for its own.
    decoder.block.clear();
    decoder.blockAtEnd = false;
    std::string block(std::max(length, kReadBlock), '\0');
    decoder.source->SetPosition(offset);
    const std::int64_t got = decoder.source->Read(block.data(), block.size());
    decoder.blockAtEnd = static_cast<std::uint64_t>(got) < block.size();
    block.resize(static_cast<std::size_t>(got));
    decoder.block = std::move(block);
    decoder.blockStart = offset;
  }
  const auto from = static_cast<std::size_t>(offset - decoder.blockStart);
  return decoder.block.substr(std::min(from, decoder.block.size()), length);
}

}  // namespace talu::zip
