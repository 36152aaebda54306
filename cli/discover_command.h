#pragma once

#include "cli/arguments.h"
#include "discovery/model_list.h"

// `tolvane-cli discover`: the table (or JSON) of accepted printers; 0 also when none is found,
// 1 when the search failed.
int RunDiscover(const CliArguments& arguments, int versionKind, const ModelListEntry* models);
