#include "cli/csv_report.h"

#include "text/inert_text.h"

#include <nlohmann/json.hpp>

namespace {

// A field as written: inert, guarded against formulas, quoted where RFC 4180 asks.
std::string Field(const nlohmann::json& value) {
    std::string text = value.is_string() ? InertText(value.get<std::string>())
                       : value.is_null() ? std::string()
                                         : value.dump();
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string::npos)
        text.insert(0, 1, '\'');
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

} // namespace

std::string RestoreReportCsv(const nlohmann::json& report) {
    static const char* const kFileColumns[] = {"file", "size", "sha256"};
    static const char* const kPrinterColumns[] = {"address", "name",    "label", "outcome",
                                                  "bytes",   "seconds", "error"};
    static const char* const kVersionColumns[] = {"controller", "engine", "network"};
    std::string csv = "\xEF\xBB\xBF";
    std::string heading;
    for (const auto& columns :
         {std::span<const char* const>(kFileColumns), std::span<const char* const>(kPrinterColumns),
          std::span<const char* const>(kVersionColumns)})
        for (const char* column : columns)
            heading += heading.empty() ? column : std::string(",") + column;
    csv += heading + "\r\n";
    for (const nlohmann::json& printer : report.at("printers")) {
        std::string row;
        const auto add = [&](const nlohmann::json& value) {
            if (!row.empty())
                row += ',';
            row += Field(value);
        };
        for (const char* column : kFileColumns)
            add(report.value(column, nlohmann::json()));
        for (const char* column : kPrinterColumns)
            add(printer.value(column, nlohmann::json()));
        for (const char* column : kVersionColumns)
            add(printer.at("versions").value(column, nlohmann::json()));
        csv += row + "\r\n";
    }
    return csv;
}
