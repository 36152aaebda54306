#pragma once

#include "tests/unit/snmp_test_replies.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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
            const int handle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            sockaddr_in local{};
            local.sin_family = AF_INET;
            local.sin_addr.s_addr = inet_addr(agent.address.c_str());
            local.sin_port = htons(m_port);
            if (bind(handle, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0) {
                close(handle);
                continue;
            }
            socklen_t length = sizeof(local);
            getsockname(handle, reinterpret_cast<sockaddr*>(&local), &length);
            m_port = ntohs(local.sin_port);
            m_sockets.push_back(handle);
        }
        if (pipe(m_stop) == 0)
            m_thread = std::thread([this] { Serve(); });
    }

    ~LoopbackAgents() {
        if (m_thread.joinable()) {
            const char byte = 0;
            [[maybe_unused]] const ssize_t written = write(m_stop[1], &byte, 1);
            m_thread.join();
            close(m_stop[0]);
            close(m_stop[1]);
        }
        for (int handle : m_sockets)
            close(handle);
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
        std::vector<pollfd> set;
        for (int handle : m_sockets)
            set.push_back({handle, POLLIN, 0});
        set.push_back({m_stop[0], POLLIN, 0});
        while (poll(set.data(), set.size(), -1) > 0 && set.back().revents == 0) {
            for (size_t i = 0; i < m_sockets.size(); ++i) {
                if (set[i].revents != 0)
                    Answer(i);
            }
        }
    }

    void Answer(size_t index) {
        snmp_test::Bytes request(2048);
        sockaddr_in sender{};
        socklen_t length = sizeof(sender);
        const ssize_t got = recvfrom(m_sockets[index], request.data(), request.size(), 0,
                                     reinterpret_cast<sockaddr*>(&sender), &length);
        if (got < 0)
            return;
        request.resize(static_cast<size_t>(got));
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        const snmp_test::Bytes& reply = m_agents[index].reply;
        if (!reply.empty())
            sendto(m_sockets[index], reply.data(), reply.size(), 0,
                   reinterpret_cast<sockaddr*>(&sender), length);
    }

    std::vector<Agent> m_agents;
    std::vector<int> m_sockets;
    uint16_t m_port = 0;
    int m_stop[2] = {-1, -1};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<snmp_test::Bytes> m_requests;
};
