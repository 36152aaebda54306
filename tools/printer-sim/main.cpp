// printer-sim: plays any number of printers on the addresses of this host (normally inside
// scripts/printer-lab). See README, "Simulated printers and the printer lab".
#include "event_loop.h"
#include "printer_config.h"
#include "raw_port.h"
#include "snmp_agent.h"

#include <sys/epoll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

namespace {

struct Options {
    std::string printers;
    std::string jobs;
    std::string readyFile;
    bool listAddresses = false;
    bool exitWithParent = false;
};

constexpr const char* kUsage =
    "usage: printer-sim --printers FILE --jobs DIR [--ready-file PATH] [--exit-with-parent]\n"
    "       printer-sim --printers FILE --list-addresses\n";

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--printers" && hasValue)
            options->printers = argv[++i];
        else if (argument == "--jobs" && hasValue)
            options->jobs = argv[++i];
        else if (argument == "--ready-file" && hasValue)
            options->readyFile = argv[++i];
        else if (argument == "--list-addresses")
            options->listAddresses = true;
        else if (argument == "--exit-with-parent")
            options->exitWithParent = true;
        else
            return false;
    }
    return !options->printers.empty() && (options->listAddresses || !options->jobs.empty());
}

// A thousand printers hold thousands of sockets; the default soft limit is 1024.
void RaiseDescriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// SIGTERM and SIGINT end the loop through a descriptor, so no signal can slip in between a
// check and the wait.
int WatchStopSignals(EventLoop& loop) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int fd = ::signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd >= 0)
        loop.Watch(fd, EPOLLIN, [&loop](uint32_t) { loop.Stop(); });
    return fd;
}

// Written whole under a temporary name, so whoever waits for it never sees a partial file.
bool SignalReady(const std::string& path, size_t printers) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary);
        out << "ready " << printers << "\n";
        if (!out)
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv) {
    const pid_t parent = ::getppid();
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::cerr << kUsage;
        return 2;
    }
    if (options.exitWithParent) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            return 1;
    }

    std::ifstream file(options.printers);
    if (!file) {
        std::cerr << "printer-sim: cannot read " << options.printers << "\n";
        return 2;
    }
    LabDescription description;
    std::string error;
    if (!ParseDescription(file, &description, &error)) {
        std::cerr << "printer-sim: " << options.printers << ": " << error << "\n";
        return 2;
    }
    std::vector<RawBehaviour> behaviours(description.printers.size());
    std::vector<SnmpPrinter> agents(description.printers.size());
    for (size_t i = 0; i < description.printers.size(); ++i) {
        const PrinterDescription& printer = description.printers[i];
        const std::string* raw = printer.Find("raw");
        if ((raw != nullptr && !ParseRawBehaviour(*raw, &behaviours[i], &error)) ||
            !ReadSnmpPrinter(printer, &agents[i], &error)) {
            std::cerr << "printer-sim: " << options.printers << ": line " << printer.line << ": "
                      << error << "\n";
            return 2;
        }
    }
    std::chrono::milliseconds jitter{0};
    const std::string* jitterText = description.FindGlobal("jitter");
    if (jitterText != nullptr && !ParseDuration(*jitterText, &jitter, &error)) {
        std::cerr << "printer-sim: " << options.printers << ": " << error << "\n";
        return 2;
    }
    FloodSettings flood;
    if (!ParseFloodSettings(description.FindGlobal("flood"), description.FindGlobal("flood-time"),
                            description.FindGlobal("flood-junk"), &flood, &error)) {
        std::cerr << "printer-sim: " << options.printers << ": " << error << "\n";
        return 2;
    }
    if (options.listAddresses) {
        for (const PrinterDescription& printer : description.printers)
            std::cout << printer.address << "\n";
        return 0;
    }

    RaiseDescriptorLimit();
    std::error_code created;
    std::filesystem::create_directories(options.jobs, created);
    EventLoop loop;
    if (!loop.Valid() || WatchStopSignals(loop) < 0) {
        std::cerr << "printer-sim: " << std::strerror(errno) << "\n";
        return 1;
    }
    RawPort rawPort(loop, options.jobs);
    for (size_t i = 0; i < description.printers.size(); ++i) {
        if (!rawPort.AddPrinter(description.printers[i].address, behaviours[i], &error)) {
            std::cerr << "printer-sim: " << error << "\n";
            return 1;
        }
    }
    SnmpAgent snmpAgent(loop, jitter, std::move(flood));
    for (SnmpPrinter& agent : agents)
        snmpAgent.AddPrinter(std::move(agent));
    if (!snmpAgent.Start(&error)) {
        std::cerr << "printer-sim: " << error << "\n";
        return 1;
    }
    if (!options.readyFile.empty() &&
        !SignalReady(options.readyFile, description.printers.size())) {
        std::cerr << "printer-sim: cannot write " << options.readyFile << "\n";
        return 1;
    }
    return loop.Run() ? 0 : 1;
}
