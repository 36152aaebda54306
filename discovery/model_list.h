#pragma once

// One accepted model name of the discovery filter, in a singly linked chain of zero-filled heap
// blocks.

constexpr int kModelNameBytes = 256; // 255 narrow characters and a terminator

struct ModelListEntry {
    char name[kModelNameBytes];
    ModelListEntry* next;
};
