#pragma once

#include <winsock2.h>
// After winsock2.h, whose types it needs.
#include <iphlpapi.h>

// The IP Helper functions the network code calls. iphlpapi.dll is not one of the DLLs Windows
// always takes from its own folder (KnownDLLs), so importing it would load a copy planted beside
// the program; it is loaded from system32 only, at run time, instead.
struct IpHelper {
    decltype(&::GetAdaptersAddresses) getAdaptersAddresses;
    decltype(&::GetTcpTable) getTcpTable;
    decltype(&::GetIpForwardTable) getIpForwardTable;
};

// The library, loaded at the first call; null when it or one of its functions is missing.
const IpHelper* LoadIpHelper();
