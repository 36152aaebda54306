#include "tests/support/file_access.h"

#include <windows.h>
#include <winioctl.h>

HeldFile::HeldFile(const std::string& path, Holder) {
    // As an editor keeps a file: open for writing and sharing everything, so only the program's
    // own open, which shares nothing, can make the refusal.
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        m_handle = file;
}

HeldFile::~HeldFile() {
    Release();
}

bool HeldFile::Held() const {
    return m_handle != nullptr;
}

void HeldFile::Release() {
    if (m_handle != nullptr)
        ::CloseHandle(m_handle);
    m_handle = nullptr;
}

bool WriterTurnedAway(const std::string& path) {
    // A writer that shares everything is still refused by an open that shares nothing.
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(file);
    return false;
}

bool SetSparseLength(const std::string& path, uint64_t length) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // Where the volume cannot hold sparse files the length is still set, only not as a hole.
    DWORD returned = 0;
    ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(length);
    const bool done =
        ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file) != 0;
    ::CloseHandle(file);
    return done;
}
