#pragma once

#include <cstdint>
#include <string_view>

// An existing regular file opened for reading only and without sharing. On Windows the open
// shares nothing, so it fails while any program has the file open and every other open fails
// while this one holds it. Elsewhere the open takes an exclusive advisory lock, so it fails
// while another program holds the file locked, and other programs that ask for the lock are
// refused while this one holds it; where the system grants a read lease, the open also fails
// while any program has the file open for writing, and a writer's open waits until this one is
// closed. Closed on destruction.
class ExclusiveFile {
  public:
    ExclusiveFile() = default;
    ~ExclusiveFile();
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    // False when the file does not exist, is not a regular file, cannot be read, is locked by
    // someone else, is open for writing, or when the path is one the system cannot name (an
    // embedded NUL).
    bool Open(std::u16string_view path);

    // The file's length in bytes; the file must be open.
    uint64_t Length() const;

    // Reads from the start into `buffer` until `length` bytes arrived, the file ends or a read
    // fails; bytes that did not arrive are left as they were. True when all of them arrived.
    bool ReadWhole(uint8_t* buffer, uint32_t length);

    void Close();

  private:
#ifdef _WIN32
    void* m_handle = nullptr; // the file's HANDLE while open
#else
    int m_fd = -1;
#endif
};
