#pragma once

#include <nlohmann/json_fwd.hpp>

#include <string>

// The restore report as CSV for a spreadsheet: UTF-8 with a byte-order mark, CR LF line ends,
// a heading and one row per printer with the file's name, size and SHA-256 in every row
// (RFC 4180 quoting). Control characters are written as visible escapes, and a field that a
// spreadsheet would run as a formula gets a leading '.
std::string RestoreReportCsv(const nlohmann::json& report);
