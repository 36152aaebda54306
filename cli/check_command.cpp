#include "cli/check_command.h"

#include "cli/console.h"
#include "delivery/backup_file.h"
#include "text/string_ids.h"
#include "text/string_table.h"

#include <QFileInfo>

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

} // namespace

BackupCheck CheckBackup(const QString& path) {
    const QString prefix = path + QStringLiteral(": ");
    if (!BackupFileExists(path)) {
        // The open fails alike for a missing file and for one another program holds.
        const bool present = QFileInfo(path).exists();
        return {false, prefix + (present ? ContentProblem(BackupContent::CannotOpen)
                                         : QStringLiteral("does not exist"))};
    }
    char productCode[kProductCodeFieldBytes] = {};
    const BackupContent content = InspectBackupFile(path, productCode);
    if (content != BackupContent::Valid)
        return {false, prefix + ContentProblem(content)};
    if (!CheckProductCode(productCode))
        return {false,
                prefix + QStringLiteral("wrong product (code \"%1\", expected \"%2\")")
                             .arg(QString::fromLatin1(productCode), ResString(IDS_PRODUCT_CODE))};
    return {true, prefix + QStringLiteral("backup file for this product")};
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
