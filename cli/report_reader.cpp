#include "cli/report_reader.h"

#include "cli/text_file.h"
#include "discovery/address_range.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace {

// The fields a restore report always has; anything else is not one of ours.
bool RestoreReport(const nlohmann::json& report) {
    if (!report.is_object() || !report.contains("file") || !report["file"].is_string() ||
        !report.contains("printers") || !report["printers"].is_array() ||
        (report.contains("sha256") && !report["sha256"].is_string()))
        return false;
    for (const nlohmann::json& printer : report["printers"]) {
        uint32_t address = 0;
        if (!printer.is_object() || !printer.contains("address") ||
            !printer["address"].is_string() || !printer.contains("outcome") ||
            !printer["outcome"].is_string() ||
            !ParseIpv4Address(printer["address"].get<std::string>(), &address))
            return false;
    }
    return true;
}

} // namespace

bool ReadFailedPrinters(const std::string& path, const std::string& sha256, bool force,
                        std::vector<std::string>* addresses, std::string* error) {
    std::string text;
    if (!ReadTextFile(path, &text, error))
        return false;
    const nlohmann::json report = nlohmann::json::parse(text, nullptr, false);
    if (report.is_discarded() || !RestoreReport(report)) {
        *error = path + ": not a restore report of tolvane-cli (JSON)";
        return false;
    }
    if (!force && !report.contains("sha256")) {
        *error = path + ": does not say which file it was made for (no \"sha256\"); give --force "
                        "to send to its printers anyway";
        return false;
    }
    if (!force && report["sha256"] != sha256) {
        *error = path + ": was made for another file (its SHA-256 differs); give --force to send "
                        "to its printers anyway";
        return false;
    }
    for (const nlohmann::json& printer : report["printers"]) {
        const std::string address = printer["address"].get<std::string>();
        if (printer["outcome"] != "sent" &&
            std::find(addresses->begin(), addresses->end(), address) == addresses->end())
            addresses->push_back(address);
    }
    return true;
}
