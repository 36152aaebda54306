#pragma once

#include <QStringView>

#include <cstddef>
#include <cstdint>

// Room for the product-code field of a backup file: 16 bytes and a terminator.
constexpr int kProductCodeFieldBytes = 17;

// True when the file opens for reading without sharing (it exists, is readable and no other
// program holds it locked).
bool BackupFileExists(QStringView path);

// Reads the whole file and checks that its text part carries a component marker and the
// download keyword; on success `productCode` (kProductCodeFieldBytes) holds the product-code
// field that follows the keyword. False for an unreadable, empty or 4 GiB or larger file, and
// when memory runs out (after the out-of-memory notice).
bool ValidateBackupFile(QStringView path, char* productCode);

// The content check of ValidateBackupFile over `length` bytes of file content; fills
// `productCode` the same way ("" when the check fails).
bool CheckBackupContent(const uint8_t* data, size_t length, char* productCode);

// True when the field equals the product code of the string table, ignoring the case of the
// ASCII letters only.
bool CheckProductCode(const char* productCode);
