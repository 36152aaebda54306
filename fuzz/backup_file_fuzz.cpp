// Feeds arbitrary file content to the backup-file content check and the product-code check.
#include "delivery/backup_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view kDownloadKeyword = "@PJL ENTER LANGUAGE=DOWNLOAD";
// The field starts after the keyword and the two bytes that follow it.
constexpr size_t kFieldOffset = kDownloadKeyword.size() + 2;

// The product code with A to Z in either case, and no other byte before, inside or after it.
bool IsProductCode(std::string_view field) {
    constexpr std::string_view kCode = "merin-aio-qtb";
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return field.size() == kCode.size() && std::equal(field.begin(), field.end(), kCode.begin(),
                                                      [&](char a, char b) { return fold(a) == b; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // libFuzzer's buffer is exactly `size` bytes, so ASan sees any read past the file's end.
    char field[kProductCodeFieldBytes];
    std::memset(field, 'x', sizeof(field));
    const bool valid = CheckBackupContent(data, size, field) == BackupContent::Valid;
    const size_t fieldLength = strnlen(field, sizeof(field));
    if (fieldLength == sizeof(field) || std::memchr(field, ' ', fieldLength) != nullptr)
        std::abort();
    if (!valid) {
        if (fieldLength != 0)
            std::abort();
        return 0;
    }
    // A valid file's field is the start of the bytes that follow the first keyword before the
    // first NUL byte.
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const size_t keyword = content.substr(0, content.find('\0')).find(kDownloadKeyword);
    if (keyword == std::string_view::npos)
        std::abort();
    const std::string_view after = content.substr(std::min(keyword + kFieldOffset, size));
    if (after.substr(0, fieldLength) != std::string_view(field, fieldLength))
        std::abort();
    if (CheckProductCode(field) != IsProductCode(std::string_view(field, fieldLength)))
        std::abort();
    return 0;
}
