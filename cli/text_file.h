#pragma once

#include <string>

// The whole of a small file the tool is given (a targets file, a report), read through the file
// functions that take any path. False with "FILE: reason" when it cannot be read or is larger
// than 16 MiB.
bool ReadTextFile(const std::string& path, std::string* text, std::string* error);
