#pragma once

#include "delivery/transport.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// What one fake printer does, chosen by its IP address text.
struct FakePrinterScript {
    ResultCode openResult = kResultSuccess; // a connection exists only for kResultSuccess
    int64_t failAfter =
        -1; // Send fails with kResultNetworkFailure once this many bytes were taken (-1: never)
    bool stallSends = false;                  // Send takes nothing and waits for a Cancel
    ResultCode finishResult = kResultSuccess; // the printer's answer after the last block
    bool stallFinish = false;                 // Finish waits for a Cancel
    bool holdOpen = false;                    // Open waits for ReleaseOpen before it answers
    bool holdClose = false;                   // Close waits for ReleaseClose
};

// What one fake printer saw.
struct FakePrinterLog {
    int opens = 0;
    int closes = 0;
    std::string received;
    std::vector<uint32_t> blocks; // the length of every Send call
    std::vector<int> sendResults;
};

// A transport of scripted printers installed into one TransportTable entry for its lifetime
// (the entry is restored afterwards). Safe to drive from the job's worker and a test thread.
class FakeTransport {
  public:
    explicit FakeTransport(int index = 1);
    ~FakeTransport();
    FakeTransport(const FakeTransport&) = delete;
    FakeTransport& operator=(const FakeTransport&) = delete;

    int Index() const { return m_index; }
    void Script(const std::u16string& address, const FakePrinterScript& script);
    FakePrinterLog Log(const std::u16string& address) const;

    // Waits until some Open is held / some Send or Finish stalls / some Close is held; false on
    // timeout.
    bool WaitUntilOpenHeld(std::chrono::milliseconds timeout);
    bool WaitUntilStalled(std::chrono::milliseconds timeout);
    bool WaitUntilCloseHeld(std::chrono::milliseconds timeout);
    void ReleaseOpen();
    void ReleaseClose();

    // The most printers that were being served at one time (from Open to the end of Close, or
    // to a failed Open's return).
    int MaxConcurrent() const;

  private:
    static ResultCode Open(int index, OpenRequest* request, ConnectionData** connection);
    static ResultCode Send(ConnectionData* connection, const uint8_t* data, uint32_t length,
                           uint32_t* sent);
    static ResultCode Finish(ConnectionData* connection);
    static ResultCode Cancel(ConnectionData* connection);
    static ResultCode Close(ConnectionData* connection);

    bool WaitFor(bool FakeTransport::*flag, std::chrono::milliseconds timeout);
    void Leave();

    const int m_index;
    TransportEntry m_previous;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::u16string, FakePrinterScript> m_scripts;
    std::map<std::u16string, FakePrinterLog> m_logs;
    std::map<const ConnectionData*, std::u16string> m_addresses;
    bool m_openHeld = false;
    bool m_openReleased = false;
    bool m_stalled = false;
    bool m_closeHeld = false;
    bool m_closeReleased = false;
    int m_concurrent = 0;
    int m_maxConcurrent = 0;
};
