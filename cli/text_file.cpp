#include "cli/text_file.h"

#include "platform/exclusive_file.h"
#include "platform/utf8.h"

namespace {

// A list of printers or a report, even with long labels, stays far below this.
constexpr uint64_t kMostTextBytes = 16 * 1024 * 1024;

} // namespace

bool ReadTextFile(const std::string& path, std::string* text, std::string* error) {
    ExclusiveFile file;
    if (!file.Open(Utf8ToWide(path))) {
        *error = path + ": cannot be read";
        return false;
    }
    const uint64_t length = file.Length();
    if (length > kMostTextBytes) {
        *error = path + ": larger than 16 MiB";
        return false;
    }
    text->assign(length, '\0');
    if (!file.ReadWhole(reinterpret_cast<uint8_t*>(text->data()), static_cast<uint32_t>(length))) {
        *error = path + ": cannot be read";
        return false;
    }
    return true;
}
