#pragma once

#include "platform/sockets.h"
#include "tests/support/loopback_sockets.h"
#include "tests/unit/snmp_test_replies.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Simulated SNMP agents on loopback addresses (127.0.0.x) sharing one unprivileged port; each
// answers every request with its own canned reply, or stays silent when it has none.
class LoopbackAgents {
  public:
    struct Agent {
        std::string address;
        snmp_test::Bytes reply; // empty: silent
    };

    explicit LoopbackAgents(std::vector<Agent> agents) : m_agents(std::move(agents)) {
        for (Agent& agent : m_agents) {
            const SocketHandle handle = OpenLoopbackDatagram(agent.address, m_port);
            if (handle == kInvalidSocket)
                continue;
            m_port = ntohs(LocalAddress(handle).sin_port);
            m_sockets.push_back(handle);
        }
        // The serving thread wakes for a datagram to this socket, sent by the destructor.
        m_stop = OpenLoopbackDatagram("127.0.0.1");
        if (m_stop != kInvalidSocket)
            m_thread = std::thread([this] { Serve(); });
    }

    ~LoopbackAgents() {
        if (m_thread.joinable()) {
            const uint8_t byte = 0;
            SendDatagram(m_stop, LocalAddress(m_stop), &byte, 1);
            m_thread.join();
        }
        CloseSocket(m_stop);
        for (SocketHandle handle : m_sockets)
            CloseSocket(handle);
    }

    LoopbackAgents(const LoopbackAgents&) = delete;
    LoopbackAgents& operator=(const LoopbackAgents&) = delete;

    bool Ready() const { return m_thread.joinable() && m_sockets.size() == m_agents.size(); }
    uint16_t Port() const { return m_port; }

    std::vector<snmp_test::Bytes> Requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

  private:
    void Serve() {
        std::vector<SocketHandle> set = m_sockets;
        set.push_back(m_stop);
        size_t ready = 0;
        for (;;) {
            const WaitOutcome outcome = WaitReadable(set, 1000, &ready);
            if (outcome == WaitOutcome::kFailed ||
                (outcome == WaitOutcome::kReady && ready == m_sockets.size()))
                return;
            if (outcome == WaitOutcome::kReady)
                Answer(ready);
        }
    }

    void Answer(size_t index) {
        snmp_test::Bytes request(2048);
        sockaddr_in sender{};
        const ssize_t got =
            ReceiveDatagram(m_sockets[index], request.data(), request.size(), &sender);
        if (got < 0)
            return;
        request.resize(static_cast<size_t>(got));
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        const snmp_test::Bytes& reply = m_agents[index].reply;
        if (!reply.empty())
            SendDatagram(m_sockets[index], sender, reply.data(), reply.size());
    }

    std::vector<Agent> m_agents;
    std::vector<SocketHandle> m_sockets;
    uint16_t m_port = 0;
    SocketHandle m_stop = kInvalidSocket;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<snmp_test::Bytes> m_requests;
};
