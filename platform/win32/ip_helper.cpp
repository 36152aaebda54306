#include "platform/win32/ip_helper.h"

namespace {

// GetProcAddress's untyped result as the function it names; through void (*)(), the one type
// every function pointer converts from without a warning.
template <typename Function> bool Find(HMODULE library, const char* name, Function* function) {
    *function =
        reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
    return *function != nullptr;
}

const IpHelper* Load() {
    static IpHelper helper{};
    const HMODULE library =
        ::LoadLibraryExW(L"iphlpapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library == nullptr ||
        !Find(library, "GetAdaptersAddresses", &helper.getAdaptersAddresses) ||
        !Find(library, "GetTcpTable", &helper.getTcpTable) ||
        !Find(library, "GetIpForwardTable", &helper.getIpForwardTable))
        return nullptr;
    return &helper;
}

} // namespace

const IpHelper* LoadIpHelper() {
    // Loaded once for the life of the process, whichever thread asks first.
    static const IpHelper* const helper = Load();
    return helper;
}
