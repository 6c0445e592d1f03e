// The timed wait: it ends after about the given time also when the tick counter wraps, serves
// the message queue meanwhile and sleeps instead of keeping a processor busy.
#include <gtest/gtest.h>
#include <windows.h>

#include "MS_Func.h"

namespace talu::setup {
namespace {

// A tick counter that advances `step` milliseconds at every reading.
struct FakeTicks {
  DWORD now;
  DWORD step;
  int readings = 0;
  DWORD operator()() {
    ++readings;
    return std::exchange(now, now + step);
  }
};

TEST(MsDelay, EndsAfterItsTimeAcrossTheCounterWrapAndTheSignChange) {
  for (const DWORD start : {0xFFFFFF9Cu, 0x7FFFFF9Cu, 0u}) {
    FakeTicks ticks{start, 100};
    DelayServingMessages(300, std::ref(ticks));
    // Readings at +0 (start), +100, +200, +300, +400: only the last is past the end.
    EXPECT_EQ(ticks.readings, 5) << std::hex << start;
  }
}

TEST(MsDelay, NegativeReturnsAtOnceWithoutServingTheQueue) {
  PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
  FakeTicks ticks{0, 1};
  DelayServingMessages(-1, std::ref(ticks));
  EXPECT_EQ(ticks.readings, 0);
  MSG message{};
  EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_APP, WM_APP, PM_REMOVE));
}

TEST(MsDelay, ServesTheQueueEvenForZero) {
  PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
  msdelay(0);
  MSG message{};
  EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_APP, WM_APP, PM_REMOVE));
}

ULONGLONG ThreadCpuMilliseconds() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  const auto value = [](const FILETIME& t) {
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10000;
  };
  return value(kernel) + value(user);
}

TEST(MsDelay, SleepsWhileItWaits) {
  const ULONGLONG wallStart = GetTickCount64(), cpuStart = ThreadCpuMilliseconds();
  msdelay(400);
  const ULONGLONG wall = GetTickCount64() - wallStart, cpu = ThreadCpuMilliseconds() - cpuStart;
  EXPECT_GE(wall, 400u);
  EXPECT_LT(wall, 1500u);
  EXPECT_LT(cpu, 100u) << "the wait kept the processor busy";
}

}  // namespace
}  // namespace talu::setup
