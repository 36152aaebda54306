#pragma once

#include <string_view>

// The longest community name the dialog takes.
constexpr int kCommunityNameMaxChars = 31;

// True when every character is a plain ASCII letter or digit, '-' or '_': the name goes out in
// SNMP requests as narrow text.
bool IsValidCommunityName(std::u16string_view name);
