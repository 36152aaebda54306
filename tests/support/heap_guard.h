#pragma once

#include "text/heap.h"

#include <gtest/gtest.h>

// Checks that a test leaves as many live heap blocks as it found, and resets the failure hook.
class HeapLeakGuard {
  public:
    HeapLeakGuard() : m_start(AllocationHook::LiveBlocks()) { AllocationHook::Reset(); }
    ~HeapLeakGuard() {
        AllocationHook::Reset();
        EXPECT_EQ(AllocationHook::LiveBlocks(), m_start) << "heap blocks leaked";
    }
    HeapLeakGuard(const HeapLeakGuard&) = delete;
    HeapLeakGuard& operator=(const HeapLeakGuard&) = delete;

  private:
    long m_start;
};
