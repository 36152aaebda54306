#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

// The SHA-256 digest (FIPS 180-4) of `data`, and its lower-case hexadecimal form: a report
// names the file it was made for by it.
std::array<uint8_t, 32> Sha256(std::span<const uint8_t> data);
std::string Sha256Hex(std::span<const uint8_t> data);
