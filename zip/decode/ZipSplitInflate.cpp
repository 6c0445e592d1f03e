#include "ZipSplitInflate.h"

#include <algorithm>
#include <array>
#include <atomic>
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

// Whether a block header that zlib accepts may start at `bit`: a stored one whose two lengths
// agree, or one with codes of its own whose symbol counts are in range and whose code-length code
// is complete. Rules out nearly every other bit at a few reads, before the full header is read.
bool MayStartBlock(const std::uint8_t* data, std::size_t size, std::uint64_t bit) {
  const std::uint64_t head = BitsAt(data, size, bit);
  if ((head & 7) == 0) {  // stored: the length and its complement at the next byte
    const std::size_t at = static_cast<std::size_t>((bit + 3 + 7) / 8);
    return at + 4 > size ||
           ((data[at] ^ data[at + 2]) == 0xFF && (data[at + 1] ^ data[at + 3]) == 0xFF);
  }
  if ((head & 7) != 4 || ((head >> 3) & 31) > 29 || ((head >> 8) & 31) > 29) return false;
  const int count = 4 + static_cast<int>((head >> 13) & 15);
  const std::uint64_t lengths =  // 3 bits each: 57 for 19
      BitsAt(data, size, bit + 17) & ((std::uint64_t{1} << (3 * count)) - 1);
  int space = 0;
  for (int shift = 0; shift < 3 * count; shift += 12)
    space += kCodeSpace[(lengths >> shift) & 4095];
  return space == 128;
}

// A part decoded ahead by a helper, from the first block start found past its guess.
struct TPart {
  std::uint64_t guess = 0;  // bits
  std::uint64_t stop = 0;   // the guess of the part after it
  std::unique_ptr<TZipPartInflate> decoder;
  bool settled = false;  // the helper is done with it
  bool found = false;
  std::uint64_t start = 0;
  TStatus status = TZipPartInflate::kCorrupt;
  std::atomic<bool> cancelled{false};
};

class TSplitRun {
 public:
  TSplitRun(const std::uint8_t* data, std::size_t size, const TZipSplitOptions& options,
            const TZipSplitSink& sink)
      : data_(data), size_(size), options_(options), sink_(sink), bytes_(kChunk) {}
  ~TSplitRun() { StopHelpers(); }
  TSplitRun(const TSplitRun&) = delete;
  TSplitRun& operator=(const TSplitRun&) = delete;

  // Decodes in parallel until the stream ends (true) or the parallel decode gives up.
  bool Run();
  std::uint64_t Delivered() const { return delivered_; }
  void StopHelpers();

 private:
  static constexpr std::size_t kChunk = 64 << 10;

  void StartHelpers();
  void Help();
  void Search(TPart& part);
  void Launch();
  std::unique_ptr<TZipPartInflate> Decoder();
  void Recycle(TPart& part);
  void Emit();

  const std::uint8_t* const data_;
  const std::size_t size_;
  const TZipSplitOptions options_;
  const TZipSplitSink& sink_;

  std::mutex mutex_;
  std::condition_variable work_;     // helpers: a part to decode, or the end
  std::condition_variable settled_;  // the caller: a part is settled
  std::deque<TPart> parts_;          // ahead of the live part, in order
  std::size_t taken_ = 0;            // parts of parts_ a helper has taken
  bool stopping_ = false;
  std::vector<std::thread> helpers_;
  std::vector<std::unique_ptr<TZipPartInflate>> spare_;

  std::unique_ptr<TZipPartInflate> live_;  // the part whose start is known true
  std::uint64_t nextGuess_ = 0;
  std::vector<std::uint8_t> bytes_;  // a piece of output on its way to the sink
  std::uint8_t window_[kWindow];     // the last bytes delivered
  std::size_t windowSize_ = 0;
  std::uint64_t delivered_ = 0;
};

void TSplitRun::StartHelpers() {
  int count = options_.helpers;
  if (count < 0) count = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  try {
    for (int i = 0; i < count; ++i) helpers_.emplace_back([this] { Help(); });
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
    work_.wait(lock, [this] { return stopping_ || taken_ < parts_.size(); });
    if (stopping_) return;
    TPart& part = parts_[taken_++];
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

// The first bit past the guess where a stored block or one with its own codes (not the last)
// decodes to its end and another block follows, or that fills the part's output.
void TSplitRun::Search(TPart& part) {
  TZipPartInflate& decoder = *part.decoder;
  const std::uint64_t end =
      std::min<std::uint64_t>(part.guess + options_.searchBytes * 8, std::uint64_t{size_} * 8);
  for (std::uint64_t bit = part.guess; bit < end && !part.cancelled; ++bit) {
    if (!MayStartBlock(data_, size_, bit)) continue;  // not last; stored or own codes
    decoder.Start(data_, size_, bit, nullptr, 0);
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
  spare_.push_back(std::move(part.decoder));
  parts_.pop_front();
  --taken_;
}

// Keeps one part per helper, and one more, in flight, each guessed to fill its output.
void TSplitRun::Launch() {
  if (helpers_.empty()) return;
  const std::uint64_t read = live_->Position() / 8;
  const double ratio = read > (1 << 16) ? double(delivered_) / double(read) : 4.0;
  const auto partBytes = static_cast<std::uint64_t>(
      std::clamp<double>(double(options_.partSymbols) * 0.9 / std::max(ratio, 0.5),
                         double(options_.minPartBytes), double(options_.maxPartBytes)));
  if (nextGuess_ == 0) nextGuess_ = partBytes * 8;  // the end of the caller's first part
  std::lock_guard<std::mutex> lock(mutex_);
  while (parts_.size() < helpers_.size() + 1 && nextGuess_ < std::uint64_t{size_} * 8) {
    TPart& part = parts_.emplace_back();
    part.guess = nextGuess_;
    nextGuess_ += partBytes * 8;
    part.stop = nextGuess_ < std::uint64_t{size_} * 8 ? nextGuess_ : kNoStop;
    part.decoder = Decoder();
  }
  work_.notify_all();
}

// Passes the live part's symbols (all bytes) to the sink and keeps the last 32 KiB.
void TSplitRun::Emit() {
  const std::uint16_t* symbols = live_->Symbols();
  for (std::size_t left = live_->SymbolCount(); left > 0;) {
    const std::size_t count = std::min(left, kChunk);
    std::uint8_t* const bytes = bytes_.data();
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(symbols[i]);
    sink_(bytes, count);
    delivered_ += count;
    const std::size_t keep = std::min(windowSize_, kWindow - std::min(count, kWindow));
    std::memmove(window_, window_ + windowSize_ - keep, keep);
    const std::size_t take = std::min(count, kWindow);
    std::memcpy(window_ + keep, bytes + count - take, take);
    windowSize_ = keep + take;
    symbols += count;
    left -= count;
  }
  live_->Drain();
}

bool TSplitRun::Run() {
  StartHelpers();
  live_ = Decoder();
  live_->Start(data_, size_, 0, window_, 0);
  Launch();
  std::uint64_t stop;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop = parts_.empty() ? kNoStop : parts_.front().guess;
  }
  TStatus status = live_->Decode(stop);
  for (;;) {
    // What a damaged or cut-short part decoded last stays back: the single-stream inflater
    // may stop short of it.
    if (status == TZipPartInflate::kCorrupt || status == TZipPartInflate::kInputEnd) return false;
    Emit();
    Launch();
    if (status == TZipPartInflate::kFull) {
      status = live_->Decode(stop);
      continue;
    }
    if (status == TZipPartInflate::kFinal) return true;
    if (parts_.empty()) {  // only where no part was launched past the stop
      stop = kNoStop;
      status = live_->Decode(stop);
      continue;
    }
    TPart& next = parts_.front();
    {
      std::unique_lock<std::mutex> lock(mutex_);
      settled_.wait(lock, [&next] { return next.settled; });
    }
    const std::uint64_t end = live_->Position();
    if (next.found && next.start == end) {  // the next part starts where this one ends
      std::swap(live_, next.decoder);
      status = next.status;
      stop = next.stop;
      Recycle(next);
      if (!live_->Resolve(window_, windowSize_)) return false;
    } else if (next.found && next.start > end) {
      stop = next.start;
      status = live_->Decode(stop);
    } else {  // a wrong guess, or none: this part decodes on through the next one
      stop = next.stop;
      Recycle(next);
      status = live_->Decode(stop);
    }
  }
}

// The single-stream inflate of the data, passing on the bytes after the first `skip`.
TZipInflateCall::TStatus Inflate(const std::uint8_t* data, std::size_t size, TZipRawInflate& single,
                                 std::uint64_t skip, const TZipSplitSink& sink) {
  constexpr std::uint32_t kBlock = 1 << 20;
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  std::vector<std::uint8_t> block(kBlock);
  single.Reset();
  std::size_t given = 0;
  for (bool first = true;; first = false) {
    if (first || (single.InputLeft() == 0 && given < size)) {  // Reset keeps the old input
      const std::size_t piece = std::min(size - given, kPiece);
      given += piece;
      single.SetInput(data + given - piece, static_cast<std::uint32_t>(piece), given == size);
    }
    const TZipInflateCall call = single.Inflate(block.data(), kBlock);
    const std::uint64_t dropped = std::min<std::uint64_t>(skip, call.produced);
    skip -= dropped;
    if (call.produced > dropped) sink(block.data() + dropped, call.produced - dropped);
    if (call.status != TZipInflateCall::kMore) return call.status;
    if (call.produced < kBlock && single.InputLeft() == 0 && given == size)
      return TZipInflateCall::kMore;
  }
}

}  // namespace

TZipInflateCall::TStatus ZipSplitInflate(const std::uint8_t* data, std::size_t size,
                                         TZipRawInflate& single, const TZipSplitOptions& options,
                                         const TZipSplitSink& sink) {
  std::uint64_t delivered = 0;
  {
    TSplitRun run(data, size, options, sink);
    if (run.Run()) return TZipInflateCall::kStreamEnd;
    delivered = run.Delivered();
  }
  return Inflate(data, size, single, delivered, sink);
}

}  // namespace talu::zip
