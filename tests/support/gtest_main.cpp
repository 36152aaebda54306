#include "text/heap.h"

#include <gtest/gtest.h>

#include <csignal>

int main(int argc, char** argv) {
    // The program takes its heap at start-up; the tests do the same before any record is made.
    TakeProcessHeap();
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
