#include "platform/socket_startup.h"
#include "text/heap.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // The program takes its heap at start-up; the tests do the same before any record is made.
    TakeProcessHeap();
    // The socket library, as the program's start-up has it (SIGPIPE set aside, Winsock started).
    AfxSocketInit();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
