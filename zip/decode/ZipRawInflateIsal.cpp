// ISA-L's streaming inflate behind the raw inflate seam (built where CMake finds the library),
// given only data a walk of the stream has checked as zlib checks it. The walk of a large piece
// runs on a helper thread a slice ahead of ISA-L, so that the two take about ISA-L's time alone.
#include <isa-l/igzip_lib.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "ZipDeflateWalk.h"
#include "ZipRawInflate.h"

namespace talu::zip {
namespace {

constexpr std::size_t kWalkSlice = 32 << 10;           // bytes a helper walks between reports
constexpr std::size_t kThreadedWalk = 2 * kWalkSlice;  // pieces smaller are walked at once

class TIsalInflate final : public TZipRawInflate {
 public:
  TIsalInflate() : state_(std::make_unique<inflate_state>()) { Reset(); }
  ~TIsalInflate() override { StopWalker(); }
  TIsalInflate(const TIsalInflate&) = delete;
  TIsalInflate& operator=(const TIsalInflate&) = delete;

  // Raw deflate data (no wrapper, no checksum), with the full 32 KiB window.
  void Reset() override {
    StopWalker();
    isal_inflate_init(state_.get());
    state_->crc_flag = ISAL_DEFLATE;
    state_->hist_bits = 0;
    walk_.Reset();
    walked_ = TZipDeflateWalk::kNeedInput;
    given_ = held_ = have_ = 0;
    concluded_ = true;
    ended_ = false;
  }

  // The piece is copied behind the bytes held back from the last one (those the walk had not
  // checked yet) and walked on; ISA-L is given what the walk has checked.
  void SetInput(const std::uint8_t* data, std::uint32_t size, bool last) override {
    StopWalker();
    const std::size_t kept = held_;
    if (buffer_.size() < kept + size + 8) buffer_.resize(kept + size + 8);
    std::memmove(buffer_.data(), buffer_.data() + given_, kept);
    if (walked_ == TZipDeflateWalk::kNeedInput) walk_.Dropped(given_);
    std::memcpy(buffer_.data() + kept, data, size);
    have_ = kept + size;
    last_ = last;
    given_ = 0;
    state_->next_in = buffer_.data();
    state_->avail_in = 0;
    concluded_ = false;
    if (walked_ != TZipDeflateWalk::kNeedInput) {  // past the stream's end: left to ISA-L
      Give(have_);
      held_ = 0;
      concluded_ = true;
      return;
    }
    if (have_ >= kThreadedWalk && StartWalker()) return;
    walked_ = walk_.Walk(buffer_.data(), have_, last);
    Conclude();
  }
  // Until the walk of the piece is concluded, more of it is still to come.
  std::uint32_t InputLeft() const override { return state_->avail_in + (concluded_ ? 0 : 1); }

  TZipInflateCall Inflate(std::uint8_t* output, std::uint32_t size) override {
    TZipInflateCall call;
    if (ended_) {
      call.status = ending_;
      return call;
    }
    state_->next_out = output;
    state_->avail_out = size;
    for (;;) {
      if (!concluded_) TakeWalk(state_->avail_in == 0);
      const std::uint32_t in = state_->avail_in, out = state_->avail_out;
      const int rc = isal_inflate(state_.get());
      if (rc < 0) {
        call.status = TZipInflateCall::kCorrupt;
        break;
      }
      if (state_->block_state == ISAL_BLOCK_FINISH) {
        ended_ = true;
        ending_ = walked_ == TZipDeflateWalk::kDamaged ? TZipInflateCall::kCorrupt
                  : walked_ == TZipDeflateWalk::kCut   ? TZipInflateCall::kMore
                                                       : TZipInflateCall::kStreamEnd;
        call.status = ending_;
        break;
      }
      // A call that takes nothing of what it may read, with room to write, would never end.
      if (in > 0 && state_->avail_in == in && state_->avail_out == out) {
        call.status = TZipInflateCall::kCorrupt;
        break;
      }
      if (state_->avail_out == 0 || (concluded_ && state_->avail_in == 0)) break;
    }
    call.produced = size - state_->avail_out;
    return call;
  }

 private:
  // Extends what ISA-L may read to the first `bytes` of the buffer.
  void Give(std::size_t bytes) {
    if (bytes <= given_) return;
    state_->avail_in += static_cast<std::uint32_t>(bytes - given_);
    given_ = bytes;
  }

  // ISA-L is given all the walk of the piece allows; the rest is held back for the next one.
  void Conclude() {
    if (walked_ == TZipDeflateWalk::kNeedInput)
      Give(static_cast<std::size_t>(walk_.Position() / 8));
    else if (walked_ == TZipDeflateWalk::kDamaged ||
             (walked_ == TZipDeflateWalk::kCut && !walk_.InStoredData()))
      Give(EndEarly());
    else
      Give(have_);
    held_ = have_ > given_ ? have_ - given_ : 0;
    concluded_ = true;
  }

  // Puts the bits that end the stream at the walk's position into the buffer; how many bytes
  // ISA-L is then given.
  std::size_t EndEarly() {
    std::uint64_t bits = 0;
    const int count = walk_.Ending(bits);
    const std::uint64_t at = walk_.Position();
    std::uint8_t* byte = buffer_.data() + at / 8;
    const int shift = static_cast<int>(at % 8);
    bits = bits << shift | (*byte & ((1u << shift) - 1));
    for (int done = 0; done < count + shift; done += 8, bits >>= 8)
      *byte++ = static_cast<std::uint8_t>(bits);
    return static_cast<std::size_t>((at + count + 7) / 8);
  }

  // The helper walks the piece slice by slice, reporting how far it has checked; false where no
  // thread can be started.
  bool StartWalker() {
    walkerDone_ = false;
    checked_ = 0;
    try {
      walker_ = std::thread([this] {
        TZipDeflateWalk::TStop stop = TZipDeflateWalk::kNeedInput;
        for (std::size_t end = kWalkSlice;; end += kWalkSlice) {
          const bool whole = end >= have_;
          stop = walk_.Walk(buffer_.data(), whole ? have_ : end, last_ && whole);
          const std::lock_guard<std::mutex> lock(mutex_);
          checked_ = static_cast<std::size_t>(walk_.Position() / 8);
          walkerDone_ = whole || stop != TZipDeflateWalk::kNeedInput;
          if (walkerDone_) walkerStop_ = stop;
          progress_.notify_one();
          if (walkerDone_) return;
        }
      });
    } catch (const std::system_error&) {
      return false;
    }
    return true;
  }

  // Gives ISA-L what the helper has checked, first waiting for more where `wait`; concludes the
  // piece once the helper is done.
  void TakeWalk(bool wait) {
    std::size_t checked;
    bool done;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (wait) progress_.wait(lock, [this] { return walkerDone_ || checked_ > given_; });
      checked = checked_;
      done = walkerDone_;
    }
    if (!done) {
      Give(checked);
      return;
    }
    walker_.join();
    walked_ = walkerStop_;
    Conclude();
  }

  // Waits for the helper of a piece whose walk is not concluded (an item left halfway).
  void StopWalker() {
    while (!concluded_ && walker_.joinable()) TakeWalk(true);
  }

  std::unique_ptr<inflate_state> state_;  // about 100 KiB: on the heap
  TZipDeflateWalk walk_;
  TZipDeflateWalk::TStop walked_ = TZipDeflateWalk::kNeedInput;
  std::vector<std::uint8_t> buffer_;  // the bytes held back, then the latest piece
  std::size_t have_ = 0;              // bytes in the buffer
  bool last_ = false;                 // no piece follows the latest
  std::size_t given_ = 0;             // bytes of the buffer given to ISA-L
  std::size_t held_ = 0;              // bytes after them, not checked yet
  bool concluded_ = true;             // the walk of the latest piece has been taken whole
  bool ended_ = false;
  TZipInflateCall::TStatus ending_ = TZipInflateCall::kStreamEnd;

  std::thread walker_;
  std::mutex mutex_;
  std::condition_variable progress_;
  std::size_t checked_ = 0;  // bytes the helper has checked (with the mutex)
  bool walkerDone_ = false;
  TZipDeflateWalk::TStop walkerStop_ = TZipDeflateWalk::kNeedInput;
};

}  // namespace

std::unique_ptr<TZipRawInflate> ZipMakeIsalInflate() {
  return std::make_unique<TIsalInflate>();
}

}  // namespace talu::zip
