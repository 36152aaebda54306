#pragma once

#include <cstdint>

constexpr int kNameUnits = 129;   // 128 characters and a terminator
constexpr int kNodeIpUnits = 256; // delivery nodes keep a roomier address field

// One ticked printer handed to the delivery job; a zero-filled heap block in a singly linked
// chain.
struct DeliveryNode {
    char16_t ipAddress[kNodeIpUnits];
    char16_t name[kNameUnits];
    int32_t sent;
    DeliveryNode* next;
};
