#include "text/heap.h"

#include "platform/text_convert.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<bool> g_heapTaken{false};
std::atomic<long> g_allocationCount{0};
std::atomic<long> g_failAt{0};
std::atomic<bool> g_failPersistent{false};
std::atomic<long> g_liveBlocks{0};

bool ShouldFail(long number) {
    const long failAt = g_failAt.load();
    if (failAt <= 0)
        return false;
    return number == failAt || (g_failPersistent.load() && number > failAt);
}

} // namespace

void TakeProcessHeap() {
    g_heapTaken = true;
}

void* HeapAllocZero(size_t size) {
    if (!g_heapTaken)
        return nullptr;
    const long number = ++g_allocationCount;
    if (ShouldFail(number))
        return nullptr;
    // A zero-byte request still yields a distinct block, as the platform heap does.
    void* block = std::calloc(1, size == 0 ? 1 : size);
    if (block != nullptr)
        ++g_liveBlocks;
    return block;
}

void HeapFree(void* block) {
    if (block == nullptr)
        return;
    --g_liveBlocks;
    std::free(block);
}

char16_t* HeapStrDup(const char16_t* text) {
    if (text == nullptr)
        return nullptr;
    return HeapStrDup(WideText(text));
}

char16_t* HeapStrDup(std::u16string_view text) {
    const size_t length = text.size();
    auto* copy = static_cast<char16_t*>(HeapAllocZero((length + 1) * sizeof(char16_t)));
    if (copy != nullptr && length > 0)
        std::memcpy(copy, text.data(), length * sizeof(char16_t));
    return copy;
}

namespace AllocationHook {

void FailNth(long n, bool persistent) {
    g_allocationCount = 0;
    g_failPersistent = persistent;
    g_failAt = n;
}

void Reset() {
    g_failAt = 0;
    g_failPersistent = false;
    g_allocationCount = 0;
}

long Count() {
    return g_allocationCount.load();
}

long LiveBlocks() {
    return g_liveBlocks.load();
}

} // namespace AllocationHook

char* HeapNarrowCopy(const char16_t* wide) {
    const std::string narrow = WideToNarrow(WideText(wide));
    auto* copy = static_cast<char*>(HeapAllocZero(narrow.size() + 1));
    if (copy != nullptr)
        std::memcpy(copy, narrow.data(), narrow.size());
    return copy;
}
