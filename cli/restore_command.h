#pragma once

#include "cli/arguments.h"
#include "discovery/model_list.h"

// `tolvane-cli restore`: checks the file, finds the targets, asks when a person is there, and
// delivers; returns the exit status of the interface (0, 1, 2, 3 or 130).
int RunRestore(const CliArguments& arguments, int versionKind, const ModelListEntry* models);
