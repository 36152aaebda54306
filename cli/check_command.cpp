#include "cli/check_command.h"

#include "cli/console.h"
#include "delivery/backup_file.h"
#include "platform/exclusive_file.h"
#include "text/string_ids.h"
#include "text/string_table.h"

#include <QFileInfo>

#include <new>

namespace {

QString ContentProblem(BackupContent content) {
    switch (content) {
    case BackupContent::CannotOpen:
        return QStringLiteral("cannot be opened (held by another program, or not readable)");
    case BackupContent::EmptyOrTooLarge:
        return QStringLiteral("empty or too large (0 bytes, or 4 GiB or more)");
    case BackupContent::OutOfMemory:
        return QStringLiteral("cannot be read whole (out of memory)");
    case BackupContent::NoComponentMarker:
        return QStringLiteral(
            "not a backup file (no \"@PJL COMMENT VERSION:<component>=\" marker)");
    case BackupContent::NoDownloadKeyword:
        return QStringLiteral("not a backup file (no \"@PJL ENTER LANGUAGE=DOWNLOAD\" keyword)");
    case BackupContent::Valid:
        break;
    }
    return {};
}

// The open fails alike for a missing file and for one another program holds.
BackupCheck OpenFailure(const QString& path) {
    const bool present = QFileInfo(path).exists();
    return {false, path + QStringLiteral(": ") +
                       (present ? ContentProblem(BackupContent::CannotOpen)
                                : QStringLiteral("does not exist"))};
}

BackupCheck Verdict(const QString& path, BackupContent content, const char* productCode) {
    const QString prefix = path + QStringLiteral(": ");
    if (content != BackupContent::Valid)
        return {false, prefix + ContentProblem(content)};
    if (!CheckProductCode(productCode))
        return {false, prefix + QStringLiteral("wrong product (code \"%1\", expected \"%2\")")
                                    .arg(QString::fromLatin1(productCode),
                                         QString::fromStdU16String(ResString(IDS_PRODUCT_CODE)))};
    return {true, prefix + QStringLiteral("backup file for this product")};
}

BackupCheck ReadVerdict(const QString& path, ExclusiveFile& file, std::vector<uint8_t>* data) {
    const uint64_t length = file.Length();
    if (length == 0 || length >= kMaxBackupFileLength)
        return Verdict(path, BackupContent::EmptyOrTooLarge, "");
    try {
        data->resize(length);
    } catch (const std::bad_alloc&) {
        return Verdict(path, BackupContent::OutOfMemory, "");
    }
    if (!file.ReadWhole(data->data(), static_cast<uint32_t>(length)))
        return {false, path + QStringLiteral(": cannot be read whole (read error)")};
    char productCode[kProductCodeFieldBytes] = {};
    return Verdict(path, CheckBackupContent(data->data(), data->size(), productCode), productCode);
}

} // namespace

BackupCheck CheckBackup(const QString& path) {
    if (!BackupFileExists(path.toStdU16String()))
        return OpenFailure(path);
    char productCode[kProductCodeFieldBytes] = {};
    return Verdict(path, InspectBackupFile(path.toStdU16String(), productCode), productCode);
}

BackupCheck ReadBackup(const QString& path, std::vector<uint8_t>* data) {
    data->clear();
    ExclusiveFile file;
    if (!file.Open(path.toStdU16String()))
        return OpenFailure(path);
    const BackupCheck check = ReadVerdict(path, file, data);
    if (!check.accepted)
        data->clear();
    return check;
}

int RunCheck(const QString& path) {
    const BackupCheck check = CheckBackup(path);
    if (!check.accepted) {
        PrintError(check.message);
        return kExitUsage;
    }
    PrintOut(check.message);
    return kExitSuccess;
}
