#pragma once

#include <string>
#include <vector>

// The printers of an earlier restore report (JSON) whose outcome was not "sent", in the
// report's order, after checking that the report was made for the file of SHA-256 `sha256`.
// Unless `force`, a report for another file or without the digest is refused. False with a
// one-line reason, also for a file that is not a restore report of this tool.
bool ReadFailedPrinters(const std::string& path, const std::string& sha256, bool force,
                        std::vector<std::string>* addresses, std::string* error);
