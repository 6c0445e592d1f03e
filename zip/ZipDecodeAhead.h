// Decoding ahead in a batch: a second thread decodes the batch's next small items into memory
// while the caller's thread lands the current one, so that a batch of many small items keeps
// two cores busy. The worker has no side effects: it reads the archive through its own file
// stream, fires no event and writes nothing. It records each item's decode as the chunk loop
// ran it (every progress call and every write, in order), and the caller replays that record
// through its own sink at the item's turn, so that events, their order and the bytes written
// are the same as if the item had been decoded there. An item the worker has not started when
// its turn comes is decoded by the caller itself; an item the worker could not decode whole
// (a damaged item, a read error) runs the ordinary way, failures and questions included. While
// the worker is still on the item whose turn has come, the caller decodes a later item into
// memory instead of waiting, so that both cores decode where decoding is slower than landing.
// A test keeps no bytes (it discards them), so there the worker takes items of any size, each
// read from the archive as it is decoded.
//
// Usage: TZipDecodeAhead ahead(archiveFile, plan);  // joins the worker when destroyed
//        if (auto decoded = ahead.Take(index)) result = decoded->Replay(sink, dest);
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "decode/ZipItemDecoder.h"

namespace talu::zip {

// An item the worker may decode: not encrypted, stored or deflated, and, when its bytes are
// kept, small (see kZipAheadLargestItem), so that it is read in one piece.
struct TZipAheadItem {
  int index;  // in the directory
  std::int64_t headerOffset;
  std::uint64_t compressedSize;  // as the directory states it
  std::uint64_t size;            // uncompressed
  std::uint16_t method;
};

// Items of a real tree are mostly far smaller; larger ones, decoded by the caller, cost it
// little beside landing them, and the worker's buffers stay a quarter used.
inline constexpr std::uint64_t kZipAheadLargestItem = 256 * 1024;

// One item's decode as the chunk loop ran it on a sink that accepts everything.
class TZipDecodedItem final : public IZipDecodeSink {
 public:
  bool Progress(std::int64_t done) override;
  bool Write(TStream& dest, const void* data, std::int64_t count) override;

  // Makes the same calls on `sink`, writing to `dest`, until one of them refuses (which only a
  // cancel does; the caller then disregards the item's figures); returns the loop's result.
  TZipDecodeResult Replay(IZipDecodeSink& sink, TStream& dest) const;

  TZipDecodeResult result;
  std::size_t Bytes() const { return bytes_.size(); }
  // Keeps the bytes written, room made for `expected` of them. Otherwise the writes are
  // recorded by their sizes only, and Replay hands the sink null data, for a destination that
  // discards what it is given.
  void KeepBytes(std::size_t expected) {
    keepsBytes_ = true;
    bytes_.reserve(expected);
  }

 private:
  struct TCall {
    bool write;          // a write of `value` bytes, else progress with `value` done
    std::int64_t value;  // bytes written or done
  };
  std::vector<TCall> calls_;
  std::vector<std::uint8_t> bytes_;
  bool keepsBytes_ = false;
};

class TZipDecodeAhead {
 public:
  // Starts the worker on the items of `plan`, in directory order, reading `archiveFile` up to
  // `dataEnd` (where the central directory starts). With `testing` (a test, where the bytes
  // are discarded) no bytes are kept. The caller decodes ahead in `callerWorkspace`, which it
  // uses for nothing else meanwhile.
  TZipDecodeAhead(std::u16string archiveFile, std::int64_t dataEnd, std::vector<TZipAheadItem> plan,
                  bool testing, TZipDecodeWorkspace& callerWorkspace);
  // Stops the worker and waits for it.
  ~TZipDecodeAhead();
  TZipDecodeAhead(const TZipDecodeAhead&) = delete;
  TZipDecodeAhead& operator=(const TZipDecodeAhead&) = delete;

  // Item `index`, decoded whole by the worker (waiting while the worker decodes it); null when
  // the caller decodes it the ordinary way: an item outside the plan, passed over, taken before,
  // not yet started by the worker, or one the worker could not decode whole. Items of the plan
  // before `index` are passed over and their records dropped.
  std::unique_ptr<TZipDecodedItem> Take(int index);

 private:
  enum class TState { kWaiting, kWorking, kDone, kGone };
  struct TSlot {
    TZipAheadItem item;
    TState state = TState::kWaiting;
    std::unique_ptr<TZipDecodedItem> decoded;  // kDone: null when the item could not be decoded
  };

  // One thread's means of decoding: its own file stream, read in large blocks so that the
  // small items that follow each other cost one read between them, and its inflater.
  struct TDecoder {
    std::unique_ptr<TStream> source;
    TZipDecodeWorkspace* workspace = nullptr;  // the caller's is the archiver's own
    std::unique_ptr<TZipDecodeWorkspace> ownWorkspace;
    std::string block;  // the file from blockStart on
    std::int64_t blockStart = 0;
    bool blockAtEnd = false;  // the block reaches the end of the file
  };

  void Work();
  bool MayStart(std::size_t slot) const;
  // Claims the next waiting slot the look-ahead has room for and decodes it with `decoder`,
  // unlocking `lock` meanwhile; false when there is none.
  bool DecodeNext(std::unique_lock<std::mutex>& lock, TDecoder& decoder);
  bool Open(TDecoder& decoder) const;
  std::unique_ptr<TZipDecodedItem> Decode(const TZipAheadItem& item, TDecoder& decoder) const;
  std::string ReadPiece(std::int64_t offset, std::uint64_t length, TDecoder& decoder) const;
  void Drop(TSlot& slot);
  // Bytes the look-ahead holds for an item once it is decoded.
  std::uint64_t Held(const TZipAheadItem& item) const { return testing_ ? 0 : item.size; }

  const std::u16string archiveFile_;
  const std::int64_t dataEnd_;
  const bool testing_;
  std::vector<TSlot> slots_;
  std::size_t next_ = 0;    // the slot the worker looks at next
  std::size_t taken_ = 0;   // slots below this one are the caller's or passed over
  std::uint64_t held_ = 0;  // uncompressed bytes of the slots working or done
  int heldItems_ = 0;
  bool stop_ = false;
  bool workerWaits_ = false;  // for room in the look-ahead
  bool callerWaits_ = false;  // for the item the worker decodes
  std::mutex mutex_;
  std::condition_variable changed_;
  TDecoder workerDecoder_;
  TDecoder callerDecoder_;       // opened when the caller first decodes ahead
  bool callerMayDecode_ = true;  // until its file stream fails to open
  std::thread worker_;
};

}  // namespace talu::zip
