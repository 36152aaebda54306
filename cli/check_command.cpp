#include "cli/check_command.h"

#include "cli/console.h"
#include "delivery/backup_file.h"
#include "platform/exclusive_file.h"
#include "text/string_ids.h"
#include "text/string_table.h"

#include "platform/utf8.h"

#include <filesystem>
#include <new>

namespace {

std::string ContentProblem(BackupContent content) {
    switch (content) {
    case BackupContent::CannotOpen:
        return "cannot be opened (held by another program, or not readable)";
    case BackupContent::EmptyOrTooLarge:
        return "empty or too large (0 bytes, or 4 GiB or more)";
    case BackupContent::OutOfMemory:
        return "cannot be read whole (out of memory)";
    case BackupContent::NoComponentMarker:
        return "not a backup file (no \"@PJL COMMENT VERSION:<component>=\" marker)";
    case BackupContent::NoDownloadKeyword:
        return "not a backup file (no \"@PJL ENTER LANGUAGE=DOWNLOAD\" keyword)";
    case BackupContent::Valid:
        break;
    }
    return {};
}

// The open fails alike for a missing file and for one another program holds.
BackupCheck OpenFailure(const std::string& path) {
    std::error_code error;
    const bool present = std::filesystem::exists(std::filesystem::path(Utf8ToWide(path)), error);
    return {false,
            path + ": " + (present ? ContentProblem(BackupContent::CannotOpen) : "does not exist")};
}

BackupCheck Verdict(const std::string& path, BackupContent content, const char* productCode) {
    const std::string prefix = path + ": ";
    if (content != BackupContent::Valid)
        return {false, prefix + ContentProblem(content)};
    if (!CheckProductCode(productCode))
        return {false, prefix + "wrong product (code \"" + productCode + "\", expected \"" +
                           Utf8(ResString(IDS_PRODUCT_CODE)) + "\")"};
    return {true, prefix + "backup file for this product"};
}

BackupCheck ReadVerdict(const std::string& path, ExclusiveFile& file, std::vector<uint8_t>* data) {
    const uint64_t length = file.Length();
    if (length == 0 || length >= kMaxBackupFileLength)
        return Verdict(path, BackupContent::EmptyOrTooLarge, "");
    try {
        data->resize(length);
    } catch (const std::bad_alloc&) {
        return Verdict(path, BackupContent::OutOfMemory, "");
    }
    if (!file.ReadWhole(data->data(), static_cast<uint32_t>(length)))
        return {false, path + ": cannot be read whole (read error)"};
    char productCode[kProductCodeFieldBytes] = {};
    return Verdict(path, CheckBackupContent(data->data(), data->size(), productCode), productCode);
}

} // namespace

BackupCheck CheckBackup(const std::string& path) {
    if (!BackupFileExists(Utf8ToWide(path)))
        return OpenFailure(path);
    char productCode[kProductCodeFieldBytes] = {};
    return Verdict(path, InspectBackupFile(Utf8ToWide(path), productCode), productCode);
}

BackupCheck ReadBackup(const std::string& path, std::vector<uint8_t>* data) {
    data->clear();
    ExclusiveFile file;
    if (!file.Open(Utf8ToWide(path)))
        return OpenFailure(path);
    const BackupCheck check = ReadVerdict(path, file, data);
    if (!check.accepted)
        data->clear();
    return check;
}

int RunCheck(const std::string& path) {
    const BackupCheck check = CheckBackup(path);
    if (!check.accepted) {
        PrintError(check.message);
        return kExitUsage;
    }
    PrintOut(check.message);
    return kExitSuccess;
}
