// The timed wait of the setup runs: the window stays live while a run pauses.
#pragma once

#include <windows.h>

#include <functional>

namespace talu::setup {

// Returns once more than `ms` milliseconds have passed, having served the thread's message
// queue at least once (also for 0) and whenever messages arrived; the thread sleeps in
// between. A negative `ms` returns at once without serving the queue.
void msdelay(int ms);

// msdelay with the millisecond tick counter given (GetTickCount for msdelay). Elapsed time is
// the unsigned difference of two readings, which stays right when the counter wraps.
using TTickSource = std::function<DWORD()>;
void DelayServingMessages(int ms, const TTickSource& tickCount);

}  // namespace talu::setup
