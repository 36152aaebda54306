#pragma once

#include <QString>

#include <cstdint>

// The backup file as the Download command checks it, with the rule that failed.
struct BackupCheck {
    bool accepted = false;
    QString message; // "FILE: ..." for the operator
};

// Runs the Download command's three checks in their order.
BackupCheck CheckBackup(const QString& path);

// `tolvane-cli check FILE`: 0 for a backup file of this product, else 2.
int RunCheck(const QString& path);
