#pragma once

#include "cli/fleet_delivery.h"
#include "cli/printer_search.h"

#include <string>
#include <vector>

// discover --json: [{"address", "name", "label", "version", "versions": {"controller", "engine",
// "network"}}], "" for what the printer does not give; ends with a line end.
std::string DiscoveredPrintersJson(const std::vector<FoundPrinter>& printers);

// Writes the restore report whole or not at all: CSV for a path ending in ".csv" (any case),
// else JSON {"file", "size", "sha256", "printers": [{"address", "name", "label", "outcome",
// "bytes", "seconds", "error", "versions"}], "sent", "failed"}. False when it cannot.
bool WriteRestoreReport(const std::string& path, const std::string& file, uint64_t size,
                        const std::string& sha256, const std::vector<PrinterState>& printers);
