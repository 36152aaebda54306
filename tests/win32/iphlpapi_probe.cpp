// Imports IP Helper the ordinary way, so that Windows' search order finds a copy beside it: the
// planting test's proof that its planted DLL would be loaded if a program let it.
#include <winsock2.h>
// After winsock2.h, whose types it needs.
#include <iphlpapi.h>

int main() {
    DWORD count = 0;
    return ::GetNumberOfInterfaces(&count) == NO_ERROR ? 0 : 1;
}
