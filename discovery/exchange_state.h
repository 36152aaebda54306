#pragma once

#include "platform/sockets.h"

#include <memory>
#include <string>
#include <vector>

// One UDP socket of a discovery exchange; done once a datagram was read from it or its receive
// failed.
class SocketData {
  public:
    SocketData(SocketHandle handle) : socket(handle) {}
    ~SocketData() = default;

    SocketHandle socket;
    int done = 0;
};

// One reply kept by the exchange: the sender's description and address, and whether the model
// filter accepted it.
class PrinterData {
  public:
    PrinterData(std::u16string text, std::u16string sender)
        : description(std::move(text)), address(std::move(sender)) {}
    ~PrinterData() = default;

    std::u16string description;
    std::u16string address;
    int matched = 0;
};

using SocketArray = std::vector<std::unique_ptr<SocketData>>;
using AnswerArray = std::vector<std::unique_ptr<PrinterData>>;
