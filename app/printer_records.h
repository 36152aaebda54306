#pragma once

#include <cstdint>

// Records of the printer table. All are zero-filled blocks from HeapAllocZero, linked into
// singly linked chains by their next field.

constexpr int kNameUnits = 129;   // 128 characters and a terminator
constexpr int kIpUnits = 16;      // 15 characters and a terminator
constexpr int kNodeIpUnits = 256; // delivery nodes keep a roomier address field
constexpr int kModelNameBytes = 256;

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

struct ModelListEntry {
    char name[kModelNameBytes];
    ModelListEntry* next;
};

struct DeliveryNode {
    char16_t ipAddress[kNodeIpUnits];
    char16_t name[kNameUnits];
    int32_t sent;
    DeliveryNode* next;
};
