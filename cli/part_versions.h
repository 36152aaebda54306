#pragma once

#include <string>

// The versions of a printer's parts as its description gives them; empty for a part it does
// not name.
struct PartVersions {
    std::string controller;
    std::string engine;
    std::string network;
};
