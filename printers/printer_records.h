#pragma once

#include "delivery/delivery_node.h"
#include "discovery/model_list.h"

#include <cstdint>

// Records of the printer table. All are zero-filled blocks from HeapAllocZero, linked into
// singly linked chains by their next field.

constexpr int kIpUnits = 16; // 15 characters and a terminator

enum RowStatus : int32_t {
    kStatusNotCompleted = 0,
    kStatusSent = 3,
    kStatusFailed = 4,
};

struct PrinterEntry {
    char16_t* versionText; // own heap copy; "-" when discovery gave none
    char16_t name[kNameUnits];
    char16_t ipAddress[kIpUnits];
    int32_t status; // RowStatus
    int32_t locked;
    PrinterEntry* next;
    int32_t ticked;
};

struct ManualPrinter {
    char16_t ipAddress[kIpUnits];
    char narrowIpAddress[kIpUnits];
    ManualPrinter* next;
};
