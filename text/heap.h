#pragma once

#include <cstddef>
#include <string_view>

// The program's own records, list nodes and text copies are zero-filled blocks of one process
// heap. Until TakeProcessHeap has run, every allocation yields no block.
void TakeProcessHeap();

// A zero-filled block of `size` bytes, or nullptr when the heap refuses.
void* HeapAllocZero(size_t size);

// Releases a block of HeapAllocZero or HeapStrDup; nullptr is ignored.
void HeapFree(void* block);

// A heap copy of a zero-terminated wide text with its terminator; nullptr for no text or when
// the heap refuses.
char16_t* HeapStrDup(const char16_t* text);

// A heap copy of `text` with a terminator; nullptr when the heap refuses.
char16_t* HeapStrDup(std::u16string_view text);

// A heap copy of the wide text `wide` in the locale's narrow encoding, with its terminator; no
// text counts as empty. nullptr only when the heap refuses.
char* HeapNarrowCopy(const char16_t* wide);

// Allocates one zero-filled record of type T from the heap (T must be trivially constructible).
template <typename T> T* HeapNew() {
    return static_cast<T*>(HeapAllocZero(sizeof(T)));
}

// Test seam for out-of-memory paths. Allocations are counted from the last Reset.
namespace AllocationHook {

// Makes allocation number `n` (1 = the next one) fail; with `persistent`, every allocation
// from that one on fails too.
void FailNth(long n, bool persistent = false);

// Stops failing and restarts the allocation count.
void Reset();

// Allocations made since the last Reset (failed ones included).
long Count();

// Blocks handed out and not yet released.
long LiveBlocks();

} // namespace AllocationHook
