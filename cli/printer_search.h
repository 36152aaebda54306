#pragma once

#include "cli/arguments.h"
#include "discovery/model_list.h"

#include <QString>

#include <vector>

// One accepted printer as the printer table would show it.
struct FoundPrinter {
    QString address;
    QString name;    // empty when the printer gives none (the table's locked "-" row)
    QString version; // empty when the settings select none
};

// Searches as the window does (broadcast and single addresses through FindNetworkPrinters) plus
// the paced scan of the ranges, and turns the results into printer-table entries, so names are
// cut and nameless printers marked by the table's own rules. One printer per address, sorted as
// the table's address column sorts. Returns 0, or the result code of the search that failed.
// `cancelled`, when given, is asked between the searches and during the scan; once it says true
// the search ends with kResultCancelled and finds nothing.
int SearchPrinters(const SearchScope& scope, int versionKind, const ModelListEntry* models,
                   std::vector<FoundPrinter>* found, bool (*cancelled)() = nullptr);

// One line for a failed search.
QString SearchFailureText(int code);
