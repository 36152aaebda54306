#pragma once

#include <sys/types.h>

#include <chrono>

// The calling thread's kernel id.
pid_t CurrentThreadId();

// Waits until thread `tid` of this process is asleep in the kernel (waiting on a lock, for
// instance) rather than running; false when it still runs after `timeout`. Lets a test hold
// one thread until another has really reached a blocking call, without guessing a delay.
bool WaitUntilThreadSleeps(pid_t tid, std::chrono::milliseconds timeout);
