#pragma once

#include "delivery/backup_file.h"

#include <cstdint>

constexpr int kModelListBytes = 256;
constexpr int32_t kDefaultVersionKind = 9; // selects no version text

// The built-in settings, filled at start-up; nothing is read from or written to a file. The main
// window works on its own copy, whose backupFilePath each Download command overwrites with the
// file it checked and sends.
struct AppSettings {
    char16_t backupFilePath[kPathUnits];
    int32_t versionKind;
    char modelList[kModelListBytes]; // comma-separated accepted models, narrow text
};

// Fills `settings` with the defaults (the model list from the string table, made narrow).
void FillDefaultSettings(AppSettings* settings);
