#pragma once

#include <cstdint>
#include <string>

#ifndef _WIN32
#include <sys/types.h>
#endif

// Another program's hold on a file, as the program meets it. Here: an exclusive lock on an open
// of its own, taken in this process or in a child process. On Windows: an open for writing that
// shares everything; the system weighs sharing the same whichever process holds the open, so
// both holders are that.
class HeldFile {
  public:
    enum class Holder { kThisProcess, kChildProcess };

    HeldFile(const std::string& path, Holder holder);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // False when the hold could not be taken.
    bool Held() const;
    // Ends the hold, and the child process with it.
    void Release();

  private:
#ifdef _WIN32
    void* m_handle = nullptr; // the HANDLE of the open
#else
    int m_fd = -1;      // the lock's open, or the pipe that ends the child
    pid_t m_child = -1; // -1: the lock is this process's
#endif
};

// True when an open of `path` for writing is turned away at once while the program holds it.
bool WriterTurnedAway(const std::string& path);

// Sets the length of the file `path`, leaving a hole where it grows so no space is taken.
bool SetSparseLength(const std::string& path, uint64_t length);
