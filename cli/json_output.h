#pragma once

#include "cli/fleet_delivery.h"
#include "cli/printer_search.h"

#include <string>
#include <vector>

// discover --json: [{"address", "name", "version", "versions": {"controller", "engine",
// "network"}}], "" for what the printer does not give; ends with a line end.
std::string DiscoveredPrintersJson(const std::vector<FoundPrinter>& printers);

// Writes the restore report {"file", "size", "printers": [{"address", "name", "outcome",
// "bytes", "seconds", "error", "versions"}], "sent", "failed"} whole or not at all. False when it
// cannot.
bool WriteRestoreReport(const std::string& path, const std::string& file, uint64_t size,
                        const std::vector<PrinterState>& printers);
