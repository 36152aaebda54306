#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The backup file as the Download command checks it, with the rule that failed.
struct BackupCheck {
    bool accepted = false;
    std::string message; // "FILE: ..." for the operator
};

// Runs the Download command's three checks in their order.
BackupCheck CheckBackup(const std::string& path);

// Reads the file once, holding it as CheckBackup's open does, and runs the same checks on
// exactly the bytes read, which stay in `data` when accepted (it is emptied otherwise).
BackupCheck ReadBackup(const std::string& path, std::vector<uint8_t>* data);

// `tolvane-cli check FILE`: 0 for a backup file of this product, else 2.
int RunCheck(const std::string& path);
