#include "cli/json_output.h"

#include "cli/csv_report.h"
#include "cli/progress_output.h"
#include "platform/utf8.h"
#include "platform/whole_file.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace {

// Four spaces as before; text that is not UTF-8 never makes the dump fail, its bytes become
// U+FFFD. JSON leaves DEL and the C1 controls (U+0080 to U+009F) as they are: written as \u
// escapes they read back the same and cannot steer a terminal that shows the file. Outside
// strings JSON holds none of them, so no string can be cut.
std::string Dump(const nlohmann::json& value) {
    const std::string json =
        value.dump(4, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
    std::string out;
    out.reserve(json.size());
    for (size_t i = 0; i < json.size(); ++i) {
        const auto byte = static_cast<unsigned char>(json[i]);
        const auto next = i + 1 < json.size() ? static_cast<unsigned char>(json[i + 1]) : 0;
        char escape[8];
        if (byte == 0x7F || (byte == 0xC2 && next >= 0x80 && next <= 0x9F)) {
            std::snprintf(escape, sizeof(escape), "\\u%04x", byte == 0x7F ? 0x7F : next);
            out += escape;
            i += byte == 0xC2 ? 1 : 0;
        } else {
            out += json[i];
        }
    }
    return out;
}

nlohmann::json VersionsJson(const PartVersions& versions) {
    return {{"controller", versions.controller},
            {"engine", versions.engine},
            {"network", versions.network}};
}

} // namespace

std::string DiscoveredPrintersJson(const std::vector<FoundPrinter>& printers) {
    nlohmann::json array = nlohmann::json::array();
    for (const FoundPrinter& printer : printers)
        array.push_back({{"address", printer.address},
                         {"name", printer.name},
                         {"label", printer.label},
                         {"version", printer.version},
                         {"versions", VersionsJson(printer.versions)}});
    return Dump(array);
}

bool WriteRestoreReport(const std::string& path, const std::string& file, uint64_t size,
                        const std::string& sha256, const std::vector<PrinterState>& printers) {
    nlohmann::json array = nlohmann::json::array();
    int sent = 0;
    int failed = 0;
    for (const PrinterState& printer : printers) {
        sent += printer.outcome == Outcome::Sent ? 1 : 0;
        failed += printer.outcome == Outcome::Failed ? 1 : 0;
        array.push_back({
            {"address", printer.address},
            {"name", printer.name},
            {"label", printer.label},
            {"outcome", OutcomeText(printer.outcome)},
            {"bytes", printer.bytes},
            {"seconds", std::round(printer.seconds * 1000) / 1000},
            {"error", printer.error},
            {"versions", VersionsJson(printer.versions)},
        });
    }
    const nlohmann::json report = {{"file", file},      {"size", size}, {"sha256", sha256},
                                   {"printers", array}, {"sent", sent}, {"failed", failed}};
    std::string extension = path.substr(std::min(path.size(), path.rfind('.')));
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return WriteFileWhole(Utf8ToWide(path),
                          extension == ".csv" ? RestoreReportCsv(report) : Dump(report));
}
