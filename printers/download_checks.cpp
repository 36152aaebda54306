#include "printers/download_checks.h"

#include "delivery/backup_file.h"
#include "platform/text_convert.h"
#include "text/notices.h"
#include "text/string_ids.h"

bool CheckDownload(DownloadForm& form, char16_t* path) {
    // A name too long for the field has had its notice; going on would send the name the
    // field held before.
    std::u16string name;
    if (!form.ReadFileName(kFileNameFieldChars, &name))
        return false;
    if (!form.AnyRowTicked()) {
        AppMessageBox(IDS_SELECT_PRINTERS, MB_OK);
        return false;
    }
    // The path slot holds 255 characters: a longer name is refused the same way as one too
    // long for the field.
    if (name.size() > static_cast<size_t>(kDeliveryPathChars)) {
        form.ReadFileName(kDeliveryPathChars, &name);
        return false;
    }
    CopyWideField(path, kPathUnits, name);
    if (name.empty()) {
        AppMessageBox(IDS_ENTER_FILE_NAME, MB_OK);
        return false;
    }
    if (AppMessageBox(IDS_CONFIRM_SEND, MB_YESNO) != IDYES)
        return false;
    const std::u16string_view copied = WideText(path);
    if (!BackupFileExists(copied)) {
        AppMessageBox(IDS_FILE_NOT_EXIST, MB_OK);
        return false;
    }
    char productCode[kProductCodeFieldBytes] = {};
    if (!ValidateBackupFile(copied, productCode) || !CheckProductCode(productCode)) {
        AppMessageBox(IDS_NOT_BACKUP_FILE, MB_OK);
        return false;
    }
    return true;
}
