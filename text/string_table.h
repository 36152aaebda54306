#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Room of a caller's buffer for LoadResString, in UTF-16 code units, terminator included.
constexpr int kResStringBufferUnits = 260;

// Copies table entry `id` into `buffer` (kResStringBufferUnits units), terminates it and
// returns its length; returns 0 and leaves the buffer alone when there is no such entry.
int LoadResString(uint16_t id, char16_t* buffer);

// The same entry as a string; empty when absent.
std::u16string ResString(uint16_t id);

// The ids of every entry, in table order (for checks that walk the whole table).
std::vector<uint16_t> ResStringIds();
