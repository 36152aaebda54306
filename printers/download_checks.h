#pragma once

#include "delivery/backup_file.h"

#include <string>

// The longest backup file name the window's field holds, and the longest one a delivery can
// take (its path slot keeps 255 characters and a terminator).
constexpr int kFileNameFieldChars = 259;
constexpr int kDeliveryPathChars = kPathUnits - 1;

// What the Download command needs from the window that runs it.
class DownloadForm {
  public:
    virtual ~DownloadForm() = default;
    // Reads the file-name field into `name` when it holds at most `maxChars` characters; a longer
    // text gets the field's length notice, the field the focus, and false.
    virtual bool ReadFileName(int maxChars, std::u16string* name) = 0;
    virtual bool AnyRowTicked() const = 0;
};

// The Download command's checks before a delivery, in their order, each refusal with its notice:
// the field, a ticked printer, the path's length, a name at all, the operator's confirmation,
// the file's presence and its content. True when the delivery may start; `path` (kPathUnits)
// then holds the file's path.
bool CheckDownload(DownloadForm& form, char16_t* path);
