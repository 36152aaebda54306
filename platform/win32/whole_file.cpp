#include "platform/whole_file.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

bool WriteFileWhole(std::u16string_view path, std::string_view content) {
    static std::atomic<unsigned> s_serial{0};
    const std::wstring target(path.begin(), path.end());
    const std::wstring temporary = target + L".tmp-" + std::to_wstring(::GetCurrentProcessId()) +
                                   L"-" + std::to_wstring(s_serial++);
    const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool written = true;
    while (written && !content.empty()) {
        DWORD count = 0;
        const auto chunk = static_cast<DWORD>(std::min<size_t>(content.size(), 1 << 30));
        written = ::WriteFile(file, content.data(), chunk, &count, nullptr) && count > 0;
        content.remove_prefix(count);
    }
    written = written && ::FlushFileBuffers(file);
    const bool closed = ::CloseHandle(file);
    if (written && closed &&
        ::MoveFileExW(temporary.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileW(temporary.c_str());
    return false;
}
