#pragma once

#include <chrono>

// Arms Ctrl-C, SIGTERM and SIGHUP for one run, with none pending: the first only raises a flag
// and wakes WaitForInterrupt; a second of the same kind ends the process as usual.
void CatchInterrupt();

bool Interrupted();

// The conventional status after the first of those signals: 128 + its number (130 for Ctrl-C).
int InterruptedExitStatus();

// Waits up to `timeout` for the first of them; true once it has come.
bool WaitForInterrupt(std::chrono::milliseconds timeout);
