#pragma once

#include <string_view>

// Writes `content` to `path` whole or not at all: into a new file beside it, then renamed over
// it, so that a reader never sees half of it and an old file stays until the new one is
// complete. False when it cannot.
bool WriteFileWhole(std::u16string_view path, std::string_view content);
