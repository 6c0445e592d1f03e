#include "ZipSplitInflate.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "ZipPartInflate.h"
#include "ZipRawInflate.h"

namespace talu::zip {

namespace {

using TStatus = TZipPartInflate::TStatus;
constexpr std::uint64_t kNoStop = std::numeric_limits<std::uint64_t>::max();
constexpr std::size_t kWindow = TZipPartInflate::kWindow;

// Per 4 code lengths of 3 bits, the code space of 128 they take.
constexpr auto kCodeSpace = [] {
  std::array<std::uint16_t, 4096> space{};
  for (std::size_t i = 0; i < space.size(); ++i)
    for (std::size_t field = 0; field < 4; ++field)
      if (const std::size_t length = (i >> (3 * field)) & 7)
        space[i] = static_cast<std::uint16_t>(space[i] + (128 >> length));
  return space;
}();

// The 57 bits of `data` from `bit` on (zero bits past the end).
std::uint64_t BitsAt(const std::uint8_t* data, std::size_t size, std::uint64_t bit) {
  const std::size_t at = static_cast<std::size_t>(bit >> 3);
  std::uint64_t word = 0;
  if (at + 8 <= size)
    std::memcpy(&word, data + at, 8);  // little-endian hosts only
  else
    for (std::size_t i = at; i < size; ++i) word |= std::uint64_t{data[i]} << (8 * (i - at));
  return word >> (bit & 7);
}

// Whether the four bytes at `at` may be a stored block's length and its complement.
bool StoredLengthsAt(const std::uint8_t* data, std::size_t size, std::size_t at) {
  return at + 4 > size ||
         ((data[at] ^ data[at + 2]) == 0xFF && (data[at + 1] ^ data[at + 3]) == 0xFF);
}

// Whether a block header that zlib accepts may start at `bit`: a stored one whose two lengths
// agree, or one with codes of its own whose symbol counts are in range and whose code-length code
// is complete. Rules out nearly every other bit at a few reads, before the full header is read.
bool MayStartBlock(const std::uint8_t* data, std::size_t size, std::uint64_t bit) {
  const std::uint64_t head = BitsAt(data, size, bit);
  if ((head & 7) == 0)  // stored: the length and its complement at the next byte
    return StoredLengthsAt(data, size, static_cast<std::size_t>((bit + 3 + 7) / 8));
  if ((head & 7) != 4 || ((head >> 3) & 31) > 29 || ((head >> 8) & 31) > 29) return false;
  const int count = 4 + static_cast<int>((head >> 13) & 15);
  const std::uint64_t lengths =  // 3 bits each: 57 for 19
      BitsAt(data, size, bit + 17) & ((std::uint64_t{1} << (3 * count)) - 1);
  int space = 0;
  for (int shift = 0; shift < 3 * count; shift += 12)
    space += kCodeSpace[(lengths >> shift) & 4095];
  return space == 128;
}

// Per 13 bits: whether they may open a block with codes of its own that is not the last: its
// type, and at most 286 literal/length and 30 distance codes.
constexpr auto kOwnCodesHead = [] {
  std::array<std::uint8_t, 8192> head{};
  for (std::size_t v = 0; v < head.size(); ++v)
    head[v] = (v & 7) == 4 && ((v >> 3) & 31) <= 29 && ((v >> 8) & 31) <= 29;
  return head;
}();

// The bits of byte `at` (bit 0 first) where MayStartBlock may hold, found for all 8 at once
// without a branch on the data, but for the stored lengths looked at once per byte.
std::uint32_t PossibleStarts(const std::uint8_t* data, std::size_t size, std::size_t at) {
  const std::uint64_t bits = BitsAt(data, size, std::uint64_t{at} * 8);
  std::uint32_t starts = 0;
  for (int bit = 0; bit < 8; ++bit)
    starts |= std::uint32_t{kOwnCodesHead[(bits >> bit) & 8191]} << bit;
  const bool near = StoredLengthsAt(data, size, at + 1), far = StoredLengthsAt(data, size, at + 2);
  if (near || far)  // bits 0-5 have their lengths at the next byte, bits 6-7 at the one after
    for (int bit = 0; bit < 8; ++bit)
      if (((bits >> bit) & 7) == 0 && (bit < 6 ? near : far)) starts |= 1u << bit;
  return starts;
}

// A part decoded ahead by a helper, from the first block start found past its guess.
struct TPart {
  std::uint64_t guess = 0;  // bits
  std::uint64_t stop = 0;   // the guess of the part after it
  std::unique_ptr<TZipPartInflate> decoder;
  bool claimed = false;  // a helper decodes it
  bool settled = false;  // the helper is done with it
  bool known = false;    // its guess is a block start, found by the live part
  bool found = false;
  std::uint64_t start = 0;
  TStatus status = TZipPartInflate::kCorrupt;
  std::atomic<bool> cancelled{false};
};

// The data of the stream, held a segment at a time, read from the source in order (but for a
// restart).
class TSegments {
 public:
  TSegments(TStream& source, std::uint64_t size, std::size_t capacity)
      : source_(source),
        start_(source.Position()),
        size_(size),
        buffer_(
            static_cast<std::size_t>(std::min<std::uint64_t>(std::max(capacity, kLeast), size))) {}

  // Holds the data from byte `from` on, as many as fit; false where the source ends first.
  bool Load(std::uint64_t from) {
    std::size_t kept = 0;
    if (from >= base_ && from <= base_ + held_) {
      kept = static_cast<std::size_t>(base_ + held_ - from);
      if (kept > 0) std::memmove(buffer_.data(), buffer_.data() + (from - base_), kept);
    } else {
      source_.SetPosition(start_ + static_cast<std::int64_t>(from));
    }
    base_ = from;
    const std::size_t wanted = static_cast<std::size_t>(
        std::min<std::uint64_t>(buffer_.size() - kept, size_ - from - kept));
    std::size_t got = 0;
    for (std::int64_t n = 1; got < wanted && n > 0; got += static_cast<std::size_t>(n))
      n = source_.Read(buffer_.data() + kept + got, static_cast<std::int64_t>(wanted - got));
    held_ = kept + got;
    return got == wanted;
  }
  const std::uint8_t* Data() const { return buffer_.data(); }
  std::size_t Held() const { return held_; }
  std::uint64_t Base() const { return base_; }
  bool Final() const { return base_ + held_ == size_; }
  // The byte past which a decode stops, so that the next segment can take over there.
  std::size_t HeldEnd() const { return Final() ? SIZE_MAX : held_ - std::min(held_, kMargin); }

 private:
  static constexpr std::size_t kMargin = 4 << 10;  // past the largest block header and symbol
  static constexpr std::size_t kLeast = 4 * kMargin;
  TStream& source_;
  const std::int64_t start_;
  const std::uint64_t size_;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t base_ = 0;
  std::size_t held_ = 0;
};

// The last 32 KiB of some bytes.
struct TWindow {
  void Append(const std::uint8_t* data, std::size_t count) {
    const std::size_t keep = std::min(size, kWindow - std::min(count, kWindow));
    std::memmove(bytes, bytes + size - keep, keep);
    const std::size_t take = std::min(count, kWindow);
    std::memcpy(bytes + keep, data + count - take, take);
    size = keep + take;
  }
  std::uint8_t bytes[kWindow];
  std::size_t size = 0;
};

// The bytes passed on so far, and the last 32 KiB of them.
class TDelivery {
 public:
  explicit TDelivery(const TZipSplitSink& sink) : sink_(sink) {}
  // Passes the bytes on; false where the sink stopped the decode. `last`: whether they may be
  // among the last 32 KiB passed on before the next look at the window.
  bool Pass(const std::uint8_t* bytes, std::size_t count, bool last = true) {
    if (!sink_(bytes, count)) return false;
    delivered_ += count;
    if (last) window_.Append(bytes, count);
    return true;
  }
  std::uint64_t Delivered() const { return delivered_; }
  const TWindow& Window() const { return window_; }

 private:
  const TZipSplitSink& sink_;
  TWindow window_;
  std::uint64_t delivered_ = 0;
};

// A part the live one has passed over: whole, its window known, its bytes made by a helper (or
// the caller) and passed on in order.
struct TReady {
  std::unique_ptr<TZipPartInflate> decoder;
  std::unique_ptr<std::uint8_t[]> bytes;
  std::size_t count = 0;
  bool taken = false;  // a thread makes its bytes
  bool made = false;
};

class TSplitRun {
 public:
  TSplitRun(TSegments& data, TDelivery& delivery, const TZipSplitOptions& options)
      : segments_(data), delivery_(delivery), options_(options), bytes_(kChunk) {}
  ~TSplitRun() { StopHelpers(); }
  TSplitRun(const TSplitRun&) = delete;
  TSplitRun& operator=(const TSplitRun&) = delete;

  enum TOutcome {
    kEnded,        // the stream ended
    kStopped,      // the sink stopped the decode
    kShortSource,  // the source ended before the data
    kResume,       // the decode gave up at a block boundary (ResumeBit), all before it passed on
    kRestart       // it gave up inside a block part of which has passed on
  };
  TOutcome Run();
  std::uint64_t ResumeBit() const { return resumeBit_; }

 private:
  static constexpr std::size_t kChunk = 64 << 10;

  void StartHelpers();
  void StopHelpers();
  void Help();
  void Search(TPart& part);
  void Launch();
  std::unique_ptr<TZipPartInflate> Decoder();
  void Recycle(TPart& part);
  bool MoveOn();
  void PassOver();
  TReady* Untaken();
  TPart* Unclaimed();
  void Make(TReady& ready, std::unique_lock<std::mutex>& lock);
  bool PassReady(bool all);
  bool EmitLive(std::size_t count);
  TOutcome GiveUp();

  TSegments& segments_;
  TDelivery& delivery_;
  const TZipSplitOptions options_;

  std::mutex mutex_;
  std::condition_variable work_;     // helpers: a part to decode, or the end
  std::condition_variable settled_;  // the caller: a part is settled
  std::deque<TPart> parts_;          // ahead of the live part, in order
  bool stopping_ = false;
  std::vector<std::thread> helpers_;
  std::vector<std::unique_ptr<TZipPartInflate>> spare_;
  std::deque<TReady> ready_;  // passed over by the live part, in order
  std::vector<std::unique_ptr<std::uint8_t[]>> spareBytes_;
  // The segment held, as the helpers see it (set while no part is in flight).
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t heldEnd_ = 0;

  std::unique_ptr<TZipPartInflate> live_;  // the part whose start is known true
  TWindow window_;                         // the 32 KiB before what the live part has to pass on
  std::uint64_t made_ = 0;                 // output passed on or passed over
  std::uint64_t nextGuess_ = 0;            // bits into the segment
  std::vector<std::uint8_t> bytes_;        // a piece of output on its way to the sink
  std::uint64_t resumeBit_ = 0;            // bits into the data
};

void TSplitRun::StartHelpers() {
  try {
    for (int i = ZipSplitHelpers(options_); i > 0; --i) helpers_.emplace_back([this] { Help(); });
  } catch (const std::system_error&) {
  }
}

void TSplitRun::StopHelpers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    for (TPart& part : parts_) part.cancelled = true;
  }
  work_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
  helpers_.clear();
}

void TSplitRun::Help() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_.wait(lock, [this] { return stopping_ || Untaken() || Unclaimed(); });
    if (stopping_) return;
    if (TReady* ready = Untaken()) {
      Make(*ready, lock);
      continue;
    }
    TPart& part = *Unclaimed();
    part.claimed = true;
    lock.unlock();
    try {
      Search(part);
    } catch (const std::bad_alloc&) {
      part.found = false;
    }
    lock.lock();
    part.settled = true;
    settled_.notify_all();
  }
}

std::unique_ptr<TZipPartInflate> TSplitRun::Decoder() {
  if (spare_.empty()) return std::make_unique<TZipPartInflate>(options_.partSymbols);
  auto decoder = std::move(spare_.back());
  spare_.pop_back();
  return decoder;
}

// Waits for the front part to settle, then drops it.
void TSplitRun::Recycle(TPart& part) {
  std::unique_lock<std::mutex> lock(mutex_);
  part.cancelled = true;
  settled_.wait(lock, [&part] { return part.settled; });
  if (part.decoder) spare_.push_back(std::move(part.decoder));
  parts_.pop_front();
}

// The first bit past the guess where a stored block or one with its own codes (not the last)
// decodes to its end and another block follows, or that fills the part's output; for a known
// start, the guess itself.
void TSplitRun::Search(TPart& part) {
  TZipPartInflate& decoder = *part.decoder;
  if (part.known) {
    decoder.Start(data_, size_, part.guess, nullptr, 0);
    decoder.LimitInput(heldEnd_);
    part.found = true;
    part.start = part.guess;
    part.status = TZipPartInflate::kBoundary;
    while (part.status == TZipPartInflate::kBoundary && !part.cancelled &&
           decoder.Position() < part.stop)
      part.status = decoder.Decode(part.stop);
    return;
  }
  const std::uint64_t end =
      std::min<std::uint64_t>(part.guess + options_.searchBytes * 8, std::uint64_t{size_} * 8);
  for (std::size_t at = static_cast<std::size_t>(part.guess / 8);
       at * std::uint64_t{8} < end && !part.cancelled; ++at) {
    for (std::uint32_t starts = PossibleStarts(data_, size_, at); starts != 0;
         starts &= starts - 1) {
      const std::uint64_t bit =
          at * std::uint64_t{8} + static_cast<unsigned>(std::countr_zero(starts));
      if (bit < part.guess || bit >= end || !MayStartBlock(data_, size_, bit)) continue;
      decoder.Start(data_, size_, bit, nullptr, 0);
      decoder.LimitInput(heldEnd_);
      const TStatus first = decoder.Decode(bit + 1);
      if (first != TZipPartInflate::kFull &&
          !(first == TZipPartInflate::kBoundary && decoder.HeaderFollows()))
        continue;
      part.found = true;
      part.start = bit;
      part.status = first;
      while (part.status == TZipPartInflate::kBoundary && !part.cancelled &&
             decoder.Position() < part.stop)
        part.status = decoder.Decode(part.stop);
      return;
    }
  }
}

// Keeps one part per helper, and one more, in flight, each guessed to fill its output, in the
// segment held and short of its end.
void TSplitRun::Launch() {
  if (helpers_.empty()) return;
  const std::uint64_t read = segments_.Base() + live_->Position() / 8;
  const double ratio = read > (1 << 16) ? double(made_) / double(read) : 4.0;
  const auto partBytes = static_cast<std::uint64_t>(
      std::clamp<double>(double(options_.partSymbols) * 0.9 / std::max(ratio, 0.5),
                         double(options_.minPartBytes), double(options_.maxPartBytes)));
  // The live part decodes an eighth of a part alone before the helpers' parts take over.
  if (nextGuess_ == 0) nextGuess_ = live_->Position() + partBytes;
  const std::uint64_t limit = std::min<std::uint64_t>(heldEnd_, size_) * 8;
  std::lock_guard<std::mutex> lock(mutex_);
  while (parts_.size() < helpers_.size() + 1 && nextGuess_ < limit) {
    TPart& part = parts_.emplace_back();
    part.guess = nextGuess_;
    nextGuess_ += partBytes * 8;
    part.stop = nextGuess_ < limit ? nextGuess_ : kNoStop;
    part.decoder = Decoder();
  }
  work_.notify_all();
}

// The live part, near the end of the segment held, goes on in the next one, which starts at the
// byte it reads next; the parts in flight in the old one are dropped.
bool TSplitRun::MoveOn() {
  while (!parts_.empty()) Recycle(parts_.front());
  const std::uint64_t at = segments_.Base() * 8 + live_->Position();
  if (!segments_.Load(at / 8)) return false;
  data_ = segments_.Data();
  size_ = segments_.Held();
  heldEnd_ = segments_.HeldEnd();
  live_->MoveInput(data_, size_, at & 7);
  live_->LimitInput(heldEnd_);
  nextGuess_ = 0;
  return true;
}

// The first part no helper has claimed (under the lock).
TPart* TSplitRun::Unclaimed() {
  for (TPart& part : parts_)
    if (!part.claimed) return &part;
  return nullptr;
}

// The first ready part not taken by a thread to make its bytes (under the lock).
TReady* TSplitRun::Untaken() {
  for (TReady& ready : ready_)
    if (!ready.taken) return &ready;
  return nullptr;
}

// Makes a ready part's bytes, the lock let go meanwhile.
void TSplitRun::Make(TReady& ready, std::unique_lock<std::mutex>& lock) {
  ready.taken = true;
  lock.unlock();
  ready.decoder->TakeBytes(0, ready.count, ready.bytes.get());
  lock.lock();
  ready.made = true;
  settled_.notify_all();
}

// The live part, whole, goes to the ready ones; its last 32 KiB are made at once, as the window
// of the part that takes over.
void TSplitRun::PassOver() {
  const std::size_t count = live_->SymbolCount();
  const std::size_t tail = std::min(count, kWindow);
  live_->TakeBytes(count - tail, tail, bytes_.data());
  window_.Append(bytes_.data(), tail);
  made_ += count;
  if (count == 0) {
    spare_.push_back(std::move(live_));
    return;
  }
  std::unique_ptr<std::uint8_t[]> bytes;
  if (spareBytes_.empty()) {
    bytes.reset(new std::uint8_t[live_->MaxSymbolCount()]);
  } else {
    bytes = std::move(spareBytes_.back());
    spareBytes_.pop_back();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  TReady& ready = ready_.emplace_back();
  ready.decoder = std::move(live_);
  ready.bytes = std::move(bytes);
  ready.count = count;
  work_.notify_one();
}

// Passes the ready parts on in order: all of them, making the bytes of one no thread has taken, or
// those made already and no more than one per helper left. False where the sink stopped.
bool TSplitRun::PassReady(bool all) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!ready_.empty()) {
    TReady& front = ready_.front();
    if (!front.made) {
      if (!all && ready_.size() <= helpers_.size()) return true;
      if (!front.taken) Make(front, lock);
      settled_.wait(lock, [&front] { return front.made; });
    }
    lock.unlock();
    if (!delivery_.Pass(front.bytes.get(), front.count)) return false;
    lock.lock();
    spare_.push_back(std::move(front.decoder));
    spareBytes_.push_back(std::move(front.bytes));
    ready_.pop_front();
  }
  return true;
}

// Passes on the ready parts, then the first `count` of the live part's symbols since it was last
// drained; false where the sink stopped the decode.
bool TSplitRun::EmitLive(std::size_t count) {
  if (!PassReady(true)) return false;
  for (std::size_t from = 0; from < count;) {
    const std::size_t piece = std::min(count - from, kChunk);
    live_->TakeBytes(from, piece, bytes_.data());
    from += piece;
    if (!delivery_.Pass(bytes_.data(), piece, from + kWindow >= count)) return false;
  }
  made_ += count;
  window_ = delivery_.Window();
  return true;
}

// The live part failed in its last block: what it made before that block passes on, and the
// single-stream inflater takes over at the block's start, unless part of the block has passed on.
TSplitRun::TOutcome TSplitRun::GiveUp() {
  if (!PassReady(true)) return kStopped;
  const std::uint64_t passed = live_->Produced() - live_->SymbolCount();
  if (live_->ProducedAtBlockStart() < passed) return kRestart;
  if (!EmitLive(static_cast<std::size_t>(live_->ProducedAtBlockStart() - passed))) return kStopped;
  resumeBit_ = segments_.Base() * 8 + live_->BlockStart();
  return kResume;
}

TSplitRun::TOutcome TSplitRun::Run() {
  if (!segments_.Load(0)) return kShortSource;
  data_ = segments_.Data();
  size_ = segments_.Held();
  heldEnd_ = segments_.HeldEnd();
  StartHelpers();
  live_ = Decoder();
  live_->Start(data_, size_, 0, window_.bytes, 0);
  live_->LimitInput(heldEnd_);
  Launch();
  std::uint64_t stop;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop = parts_.empty() ? kNoStop : parts_.front().guess;
  }
  TStatus status = live_->Decode(stop);
  for (;;) {
    if (status == TZipPartInflate::kCorrupt || status == TZipPartInflate::kInputEnd)
      return GiveUp();
    if (status != TZipPartInflate::kBoundary) {  // the live part's output goes on now
      if (!EmitLive(live_->SymbolCount())) return kStopped;
      live_->Drain();
    } else if (!PassReady(false)) {
      return kStopped;
    }
    const bool moved = status == TZipPartInflate::kHeldEnd;
    if (moved && !MoveOn()) return kShortSource;
    Launch();
    if (moved) stop = parts_.empty() ? kNoStop : parts_.front().guess;
    if (status == TZipPartInflate::kFull || moved) {
      status = live_->Decode(stop);
      continue;
    }
    if (status == TZipPartInflate::kFinal) return kEnded;
    if (parts_.empty()) {  // only where no part was launched past the stop
      stop = kNoStop;
      status = live_->Decode(stop);
      continue;
    }
    TPart& next = parts_.front();
    {
      std::unique_lock<std::mutex> lock(mutex_);
      while (!next.settled) {  // makes ready bytes meanwhile
        if (TReady* ready = Untaken())
          Make(*ready, lock);
        else
          settled_.wait(lock);
      }
    }
    const std::uint64_t end = live_->Position();
    if (next.found && next.start == end) {  // the next part starts where this one ends
      PassOver();
      live_ = std::move(next.decoder);
      status = next.status;
      stop = next.stop;
      Recycle(next);
      if (!live_->Resolve(window_.bytes, window_.size)) {  // a reference before the stream's start
        if (!PassReady(true)) return kStopped;
        resumeBit_ = segments_.Base() * 8 + end;
        return kResume;
      }
    } else if (next.found && next.start > end) {
      stop = next.start;
      status = live_->Decode(stop);
    } else {  // a wrong guess, or none: a helper decodes the part again, from where this one ends
      std::lock_guard<std::mutex> lock(mutex_);
      next.guess = end;
      next.known = true;
      next.claimed = next.settled = next.found = false;
      work_.notify_one();
    }
  }
}

// The single-stream inflate of the data from bit `from` on (a block boundary), passing on the
// bytes after the first `skip`.
TZipSplitEnd InflateFrom(TSegments& segments, std::uint64_t from, TDelivery& delivery,
                         std::uint64_t skip) {
  constexpr std::uint32_t kBlock = 1 << 20;
  if (!segments.Load(from / 8)) return TZipSplitEnd::kShortSource;
  const auto single = from == 0
                          ? ZipMakeRawInflate(TZipInflaterKind::kZlib)
                          : ZipMakeResumedInflate(segments.Data(), from % 8,
                                                  delivery.Window().bytes, delivery.Window().size);
  std::vector<std::uint8_t> block(kBlock);
  for (std::size_t given = from % 8 ? 1 : 0;; given = 0) {
    const bool final = segments.Final();
    do {
      const std::size_t piece = std::min<std::size_t>(segments.Held() - given, kBlock);
      single->SetInput(segments.Data() + given, static_cast<std::uint32_t>(piece),
                       final && given + piece == segments.Held());
      given += piece;
      TZipInflateCall call;
      do {
        call = single->Inflate(block.data(), kBlock);
        const std::uint64_t dropped = std::min<std::uint64_t>(skip, call.produced);
        skip -= dropped;
        if (call.produced > dropped &&
            !delivery.Pass(block.data() + dropped, call.produced - dropped))
          return TZipSplitEnd::kStopped;
        if (call.status == TZipInflateCall::kStreamEnd) return TZipSplitEnd::kStreamEnd;
        if (call.status == TZipInflateCall::kCorrupt) return TZipSplitEnd::kCorrupt;
      } while (call.produced == kBlock || single->InputLeft() > 0);
    } while (given < segments.Held());
    if (final) return TZipSplitEnd::kCut;
    if (!segments.Load(segments.Base() + segments.Held())) return TZipSplitEnd::kShortSource;
  }
}

}  // namespace

int ZipSplitHelpers(const TZipSplitOptions& options) {
  return options.helpers >= 0 ? options.helpers
                              : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

namespace {
std::atomic<bool> chosen{false};  // a test has chosen the options of every item
TZipSplitOptions chosenOptions;
const TZipSplitOptions defaultOptions;
}  // namespace

const TZipSplitOptions* ZipSplitOptionsFor(std::int64_t compressedSize) {
  if (chosen.load(std::memory_order_acquire)) return &chosenOptions;
  static const bool kEnoughCores = std::thread::hardware_concurrency() >= 4;
  return kEnoughCores && compressedSize >= (std::int64_t{8} << 20) ? &defaultOptions : nullptr;
}

void ZipUseSplitInflate(const TZipSplitOptions& options) {
  chosenOptions = options;
  chosen.store(true, std::memory_order_release);
}

void ZipUseSplitByDefault() {
  chosen.store(false, std::memory_order_release);
}

TZipSplitEnd ZipSplitInflate(TStream& source, std::uint64_t size, const TZipSplitOptions& options,
                             const TZipSplitSink& sink) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  TSegments segments(source, size,
                     options.segmentBytes
                         ? options.segmentBytes
                         : 8 * kMiB + kMiB * std::size_t(ZipSplitHelpers(options)));
  TDelivery delivery(sink);
  std::uint64_t from = 0;
  {
    TSplitRun run(segments, delivery, options);
    switch (run.Run()) {
      case TSplitRun::kEnded:
        return TZipSplitEnd::kStreamEnd;
      case TSplitRun::kStopped:
        return TZipSplitEnd::kStopped;
      case TSplitRun::kShortSource:
        return TZipSplitEnd::kShortSource;
      case TSplitRun::kResume:
        from = run.ResumeBit();
        break;
      case TSplitRun::kRestart:
        break;
    }
  }
  return InflateFrom(segments, from, delivery, from == 0 ? delivery.Delivered() : 0);
}

}  // namespace talu::zip
