// Replaced global operator new and delete that keep a running total of the bytes held. Each
// block carries its size in a header in front of it; memory still comes from malloc, so the
// sanitizers keep watching it.
#include "AllocationMeter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace talu::zip::test {
namespace {

std::atomic<std::size_t> held{0};
std::atomic<std::size_t> peak{0};
std::atomic<std::size_t> failing{0};
thread_local bool spared = false;

}  // namespace

std::size_t HeldBytes() {
  return held.load();
}

std::size_t PeakBytes() {
  return peak.load();
}

void ResetPeakBytes() {
  peak.store(held.load());
}

void FailAllocationsOnOtherThreads(std::size_t size) {
  spared = size != 0;
  failing.store(size);
}

}  // namespace talu::zip::test

// ThreadSanitizer's runtime defines operator new and delete itself: there nothing is metered.
#ifndef TALU_TSAN
namespace {

using talu::zip::test::failing;
using talu::zip::test::held;
using talu::zip::test::peak;
using talu::zip::test::spared;

// Keeps the caller's block aligned as operator new promises.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Take(std::size_t size) noexcept {
  if (size != 0 && size == failing.load() && !spared) return nullptr;
  void* raw = std::malloc(size + kHeader);
  if (raw == nullptr) return nullptr;
  *static_cast<std::size_t*>(raw) = size;
  const std::size_t now = held.fetch_add(size) + size;
  std::size_t seen = peak.load();
  while (now > seen && !peak.compare_exchange_weak(seen, now)) {
  }
  return static_cast<char*>(raw) + kHeader;
}

void Give(void* block) noexcept {
  if (block == nullptr) return;
  void* raw = static_cast<char*>(block) - kHeader;
  held.fetch_sub(*static_cast<std::size_t*>(raw));
  std::free(raw);
}

void* TakeOrThrow(std::size_t size) {
  void* block = Take(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

}  // namespace

void* operator new(std::size_t size) {
  return TakeOrThrow(size);
}
void* operator new[](std::size_t size) {
  return TakeOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Take(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Take(size);
}
void operator delete(void* block) noexcept {
  Give(block);
}
void operator delete[](void* block) noexcept {
  Give(block);
}
void operator delete(void* block, std::size_t) noexcept {
  Give(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  Give(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
  Give(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  Give(block);
}
#endif
