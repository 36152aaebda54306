#include "tests/support/fake_transport.h"

#include "text/heap.h"
#include "text/notices.h"

#include <algorithm>
#include <atomic>

namespace {
FakeTransport* g_fake = nullptr;

bool CancelRaised(const ConnectionData* connection) {
    return std::atomic_ref<int32_t>(const_cast<ConnectionData*>(connection)->cancelFlag).load() !=
           0;
}
} // namespace

FakeTransport::FakeTransport(int index) : m_index(index), m_previous(TransportTable[index]) {
    g_fake = this;
    TransportTable[index] =
        TransportEntry{&FakeTransport::Open, &FakeTransport::Send, &FakeTransport::Finish,
                       &FakeTransport::Cancel, &FakeTransport::Close};
}

FakeTransport::~FakeTransport() {
    TransportTable[m_index] = m_previous;
    g_fake = nullptr;
}

void FakeTransport::Script(const std::u16string& address, const FakePrinterScript& script) {
    std::lock_guard lock(m_mutex);
    m_scripts[address] = script;
}

FakePrinterLog FakeTransport::Log(const std::u16string& address) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_logs.find(address);
    return found == m_logs.end() ? FakePrinterLog{} : found->second;
}

bool FakeTransport::WaitFor(bool FakeTransport::*flag, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return this->*flag; });
}

bool FakeTransport::WaitUntilOpenHeld(std::chrono::milliseconds timeout) {
    return WaitFor(&FakeTransport::m_openHeld, timeout);
}

bool FakeTransport::WaitUntilStalled(std::chrono::milliseconds timeout) {
    return WaitFor(&FakeTransport::m_stalled, timeout);
}

bool FakeTransport::WaitUntilCloseHeld(std::chrono::milliseconds timeout) {
    return WaitFor(&FakeTransport::m_closeHeld, timeout);
}

void FakeTransport::ReleaseOpen() {
    std::lock_guard lock(m_mutex);
    m_openReleased = true;
    m_changed.notify_all();
}

void FakeTransport::ReleaseClose() {
    std::lock_guard lock(m_mutex);
    m_closeReleased = true;
    m_changed.notify_all();
}

int FakeTransport::MaxConcurrent() const {
    std::lock_guard lock(m_mutex);
    return m_maxConcurrent;
}

void FakeTransport::Leave() {
    --m_concurrent;
}

ResultCode FakeTransport::Open(int index, OpenRequest* request, ConnectionData** connection) {
    FakeTransport& self = *g_fake;
    *connection = nullptr;
    const std::u16string address(request->wideIpAddress);
    std::unique_lock lock(self.m_mutex);
    self.m_maxConcurrent = std::max(self.m_maxConcurrent, ++self.m_concurrent);
    const FakePrinterScript script = self.m_scripts[address];
    ++self.m_logs[address].opens;
    if (script.holdOpen) {
        self.m_openHeld = true;
        self.m_changed.notify_all();
        self.m_changed.wait(lock, [&] { return self.m_openReleased; });
    }
    if (script.openResult != kResultSuccess) {
        self.Leave();
        return script.openResult;
    }
    auto* data = HeapNew<ConnectionData>();
    if (data == nullptr) {
        self.Leave();
        return kResultOutOfMemory;
    }
    data->transportIndex = index;
    data->socketHandle = kInvalidSocket;
    self.m_addresses[data] = address;
    *connection = data;
    return kResultSuccess;
}

ResultCode FakeTransport::Send(ConnectionData* connection, const uint8_t* data, uint32_t length,
                               uint32_t* sent) {
    FakeTransport& self = *g_fake;
    *sent = 0;
    std::unique_lock lock(self.m_mutex);
    const std::u16string& address = self.m_addresses.at(connection);
    const FakePrinterScript script = self.m_scripts[address];
    FakePrinterLog& log = self.m_logs[address];
    log.blocks.push_back(length);
    ResultCode result = kResultSuccess;
    uint32_t taken = length;
    if (script.stallSends || CancelRaised(connection)) {
        self.m_stalled = true;
        self.m_changed.notify_all();
        self.m_changed.wait(lock, [&] { return CancelRaised(connection); });
        result = kResultCancelled;
        taken = 0;
    } else if (script.failAfter >= 0 &&
               static_cast<int64_t>(log.received.size() + length) > script.failAfter) {
        result = kResultNetworkFailure;
        taken = static_cast<uint32_t>(script.failAfter - static_cast<int64_t>(log.received.size()));
    }
    log.received.append(reinterpret_cast<const char*>(data), taken);
    log.sendResults.push_back(result);
    *sent = taken;
    return result;
}

ResultCode FakeTransport::Finish(ConnectionData* connection) {
    FakeTransport& self = *g_fake;
    std::unique_lock lock(self.m_mutex);
    const FakePrinterScript script = self.m_scripts[self.m_addresses.at(connection)];
    if (script.stallFinish || CancelRaised(connection)) {
        self.m_stalled = true;
        self.m_changed.notify_all();
        self.m_changed.wait(lock, [&] { return CancelRaised(connection); });
        return kResultCancelled;
    }
    return script.finishResult;
}

ResultCode FakeTransport::Cancel(ConnectionData* connection) {
    FakeTransport& self = *g_fake;
    std::lock_guard lock(self.m_mutex);
    if (connection != nullptr)
        std::atomic_ref<int32_t>(connection->cancelFlag).store(1);
    self.m_changed.notify_all();
    return kResultSuccess;
}

ResultCode FakeTransport::Close(ConnectionData* connection) {
    FakeTransport& self = *g_fake;
    std::unique_lock lock(self.m_mutex);
    const std::u16string address = self.m_addresses.at(connection);
    if (self.m_scripts[address].holdClose) {
        self.m_closeHeld = true;
        self.m_changed.notify_all();
        self.m_changed.wait(lock, [&] { return self.m_closeReleased; });
    }
    ++self.m_logs[address].closes;
    self.m_addresses.erase(connection);
    HeapFree(connection);
    self.Leave();
    return kResultSuccess;
}
