#pragma once

#include "cli/arguments.h"
#include "cli/part_versions.h"
#include "discovery/model_list.h"

#include <functional>
#include <string>
#include <vector>

// One accepted printer as the printer table would show it, and the versions of its parts.
struct FoundPrinter {
    std::string address; // UTF-8
    std::string name;    // empty when the printer gives none (the table's locked "-" row)
    std::string version; // empty when the settings select none
    PartVersions versions;
    std::string label; // of the first target line that holds the address
};

// What a search tells its caller while it runs, and how the caller stops it; either may be
// left empty.
struct SearchWatch {
    // Asked between the searches and during the scan; once it says true the search ends with
    // kResultCancelled and finds nothing.
    bool (*cancelled)() = nullptr;
    // What the search does now, such as "searching in 10.1.0.0/22: 412 of 1,022 asked, 3
    // answered"; at least ten times a second.
    std::function<void(const std::string&)> status;
};

// Searches by broadcast, single addresses and ranges in one paced scan (waiting and asking silent
// addresses again as the scope says), and turns the results into printer-table entries, so names
// are cut and nameless printers marked by the table's own rules. One printer per address, sorted
// as the table's address column sorts. Returns 0, or the result code of the search.
int SearchPrinters(const SearchScope& scope, int versionKind, const ModelListEntry* models,
                   std::vector<FoundPrinter>* found, const SearchWatch& watch = {});

// Whether `range` holds the dotted `address`.
bool RangeHolds(const AddressRange& range, const std::string& address);

// The label of the first target line that holds `address`; empty when none does.
std::string LabelOf(const SearchScope& scope, const std::string& address);

// One line for a failed search.
std::string SearchFailureText(int code);
