#include "delivery/backup_file.h"

#include "platform/exclusive_file.h"
#include "platform/text_convert.h"
#include "text/heap.h"
#include "text/notices.h"
#include "text/string_ids.h"
#include "text/string_table.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Components whose version marker identifies a backup file, in the order they are tried.
constexpr const char* kComponentNames[] = {
    "RELEASE", "MCUFIRM", "MCUNVM",   "NICBOOT",  "NICAPPL",
    "FEEDER",  "BOOT",    "DUPLEXER", "AIOCMAIN", "BACKUP",
};
constexpr std::string_view kMarkerPrefix = "@PJL COMMENT VERSION:";
constexpr std::string_view kDownloadKeyword = "@PJL ENTER LANGUAGE=DOWNLOAD";
// The keyword is followed by a two-byte line break that nobody checks.
constexpr size_t kProductCodeOffset = kDownloadKeyword.size() + 2;
constexpr size_t kProductCodeMaxBytes = kProductCodeFieldBytes - 1;

bool HasComponentMarker(std::string_view text) {
    for (const char* name : kComponentNames) {
        const std::string marker = std::string(kMarkerPrefix) + name + "=";
        if (text.find(marker) != std::string_view::npos)
            return true;
    }
    return false;
}

// Copies the field that starts after the keyword at `keyword`: at most 16 bytes, up to a NUL or
// the end of the data, then cut at the first space.
void CopyProductCode(const uint8_t* data, size_t length, size_t keyword, char* productCode) {
    size_t count = 0;
    for (size_t at = keyword + kProductCodeOffset;
         count < kProductCodeMaxBytes && at < length && data[at] != 0; ++at)
        productCode[count++] = static_cast<char>(data[at]);
    productCode[count] = '\0';
    if (char* space = std::strchr(productCode, ' '))
        *space = '\0';
}

} // namespace

BackupContent CheckBackupContent(const uint8_t* data, size_t length, char* productCode) {
    productCode[0] = '\0';
    // The searches see the content only up to its first NUL byte.
    const auto* nul = static_cast<const uint8_t*>(std::memchr(data, 0, length));
    const std::string_view text(reinterpret_cast<const char*>(data),
                                nul != nullptr ? static_cast<size_t>(nul - data) : length);
    if (!HasComponentMarker(text))
        return BackupContent::NoComponentMarker;
    const size_t keyword = text.find(kDownloadKeyword);
    if (keyword == std::string_view::npos)
        return BackupContent::NoDownloadKeyword;
    CopyProductCode(data, length, keyword, productCode);
    return BackupContent::Valid;
}

namespace {

char16_t FoldAsciiLetter(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

} // namespace

bool BackupFileExists(std::u16string_view path) {
    ExclusiveFile file;
    return file.Open(path);
}

BackupContent InspectBackupFile(std::u16string_view path, char* productCode) {
    productCode[0] = '\0';
    ExclusiveFile file;
    if (!file.Open(path))
        return BackupContent::CannotOpen;
    const uint64_t length = file.Length();
    if (length == 0 || length >= kMaxBackupFileLength)
        return BackupContent::EmptyOrTooLarge;
    auto* data = static_cast<uint8_t*>(HeapAllocZero(length));
    if (data == nullptr) {
        ShowOutOfMemory();
        return BackupContent::OutOfMemory;
    }
    file.ReadWhole(data, static_cast<uint32_t>(length));
    const BackupContent verdict = CheckBackupContent(data, length, productCode);
    HeapFree(data);
    return verdict;
}

bool ValidateBackupFile(std::u16string_view path, char* productCode) {
    return InspectBackupFile(path, productCode) == BackupContent::Valid;
}

bool CheckProductCode(const char* productCode) {
    const std::u16string expected = ResString(IDS_PRODUCT_CODE);
    const std::u16string field = NarrowToWide(productCode);
    return field.size() == expected.size() &&
           std::equal(field.begin(), field.end(), expected.begin(), [](char16_t a, char16_t b) {
               return FoldAsciiLetter(a) == FoldAsciiLetter(b);
           });
}
