#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Room for the product-code field of a backup file: 16 bytes and a terminator.
constexpr int kProductCodeFieldBytes = 17;

// A backup file must be shorter than 4 GiB: its length travels as 32 bits.
constexpr uint64_t kMaxBackupFileLength = uint64_t{1} << 32;

// Room for a backup file's path: 255 characters and a terminator.
constexpr int kPathUnits = 256;

// True when the file opens for reading without sharing (it exists, is readable and no other
// program holds it locked).
bool BackupFileExists(std::u16string_view path);

// What the content check found, by the first rule that failed.
enum class BackupContent {
    Valid,
    CannotOpen,        // missing, unreadable or locked by another program
    EmptyOrTooLarge,   // 0 bytes, or 4 GiB or more
    OutOfMemory,       // no buffer for the file (after the out-of-memory notice)
    NoComponentMarker, // no "@PJL COMMENT VERSION:<component>=" in the text part
    NoDownloadKeyword, // no "@PJL ENTER LANGUAGE=DOWNLOAD" in the text part
};

// ValidateBackupFile with the reason for a refusal.
BackupContent InspectBackupFile(std::u16string_view path, char* productCode);

// Reads the whole file and checks that its text part carries a component marker and the
// download keyword; on success `productCode` (kProductCodeFieldBytes) holds the product-code
// field that follows the keyword. False for an unreadable, empty or 4 GiB or larger file, and
// when memory runs out (after the out-of-memory notice).
bool ValidateBackupFile(std::u16string_view path, char* productCode);

// The content check of ValidateBackupFile over `length` bytes of file content; fills
// `productCode` the same way ("" when the check fails). Valid, NoComponentMarker or
// NoDownloadKeyword.
BackupContent CheckBackupContent(const uint8_t* data, size_t length, char* productCode);

// True when the field equals the product code of the string table, ignoring the case of the
// ASCII letters only.
bool CheckProductCode(const char* productCode);
