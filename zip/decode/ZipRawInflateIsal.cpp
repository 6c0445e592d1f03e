// ISA-L's streaming inflate behind the raw inflate seam (built where CMake finds the library).
#include <isa-l/igzip_lib.h>

#include "ZipRawInflate.h"

namespace talu::zip {
namespace {

class TIsalInflate final : public TZipRawInflate {
 public:
  TIsalInflate() : state_(std::make_unique<inflate_state>()) { Reset(); }

  // Raw deflate data (no wrapper, no checksum), with the full 32 KiB window.
  void Reset() override {
    isal_inflate_init(state_.get());
    state_->crc_flag = ISAL_DEFLATE;
    state_->hist_bits = 0;
    ended_ = false;
  }
  void SetInput(const std::uint8_t* data, std::uint32_t size) override {
    state_->next_in = const_cast<std::uint8_t*>(data);
    state_->avail_in = size;
  }
  std::uint32_t InputLeft() const override { return state_->avail_in; }

  TZipInflateCall Inflate(std::uint8_t* output, std::uint32_t size) override {
    TZipInflateCall call;
    if (ended_) {
      call.status = TZipInflateCall::kStreamEnd;
      return call;
    }
    state_->next_out = output;
    state_->avail_out = size;
    const int rc = isal_inflate(state_.get());
    call.produced = size - state_->avail_out;
    if (rc < 0) {
      call.status = TZipInflateCall::kCorrupt;
    } else if (state_->block_state == ISAL_BLOCK_FINISH) {
      ended_ = true;
      call.status = TZipInflateCall::kStreamEnd;
    }
    return call;
  }

 private:
  std::unique_ptr<inflate_state> state_;  // about 100 KiB: on the heap
  bool ended_ = false;
};

}  // namespace

std::unique_ptr<TZipRawInflate> ZipMakeIsalInflate() {
  return std::make_unique<TIsalInflate>();
}

}  // namespace talu::zip
