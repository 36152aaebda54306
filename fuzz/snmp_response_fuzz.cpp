// Feeds arbitrary datagrams to the SNMP reply decoder.
#include "discovery/snmp_codec.h"
#include "text/heap.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    TakeProcessHeap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // libFuzzer's buffer is exactly `size` bytes, so ASan sees any read past the datagram.
    char* description = nullptr;
    if (SnmpParseResponseBytes(data, size, &description) != 0)
        std::abort();
    if (description != nullptr && std::strlen(description) > 255)
        std::abort();

    // The shared receive buffer must decode a datagram that fits it the same way.
    if (size <= kSnmpReceiveBufferBytes) {
        std::memcpy(SnmpReceiveBuffer(), data, size);
        char* shared = nullptr;
        if (SnmpParseResponse(size, &shared) != 0)
            std::abort();
        if ((shared == nullptr) != (description == nullptr))
            std::abort();
        if (shared != nullptr && std::strcmp(shared, description) != 0)
            std::abort();
        HeapFree(shared);
    }
    HeapFree(description);
    return 0;
}
