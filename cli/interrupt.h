#pragma once

#include <chrono>

// Arms Ctrl-C for one run, with none pending: the first Ctrl-C only raises a flag and wakes
// WaitForInterrupt; a second one ends the process as usual.
void CatchInterrupt();

bool Interrupted();

// Waits up to `timeout` for the first Ctrl-C; true once it has come.
bool WaitForInterrupt(std::chrono::milliseconds timeout);
