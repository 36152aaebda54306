#include "platform/exclusive_file.h"

#include <windows.h>

#include <string>

ExclusiveFile::~ExclusiveFile() {
    Close();
}

bool ExclusiveFile::Open(std::u16string_view path) {
    Close();
    if (path.empty() || path.find(u'\0') != std::u16string_view::npos)
        return false;
    const std::wstring name(path.begin(), path.end());
    // Share mode 0: refused while another program has the file open, and it keeps every other
    // program out until it is closed.
    const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // A device or a pipe is no backup file; a folder does not open at all without backup
    // semantics.
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        return false;
    }
    m_handle = file;
    return true;
}

uint64_t ExclusiveFile::Length() const {
    LARGE_INTEGER size{};
    if (m_handle == nullptr || !::GetFileSizeEx(m_handle, &size))
        return 0;
    return static_cast<uint64_t>(size.QuadPart);
}

bool ExclusiveFile::ReadWhole(uint8_t* buffer, uint32_t length) {
    LARGE_INTEGER start{};
    if (m_handle == nullptr || !::SetFilePointerEx(m_handle, start, nullptr, FILE_BEGIN))
        return false;
    uint32_t done = 0;
    while (done < length) {
        DWORD count = 0;
        if (!::ReadFile(m_handle, buffer + done, length - done, &count, nullptr) || count == 0)
            return false;
        done += count;
    }
    return true;
}

void ExclusiveFile::Close() {
    if (m_handle != nullptr)
        ::CloseHandle(m_handle);
    m_handle = nullptr;
}
