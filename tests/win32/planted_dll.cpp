// A stand-in for a DLL planted beside a program: loading it leaves a file named "loaded" in its
// own folder. It exports the one IP Helper function the probe imports.
#include <windows.h>

#include <string>

extern "C" __declspec(dllexport) DWORD WINAPI GetNumberOfInterfaces(DWORD* count) {
    *count = 0;
    return NO_ERROR;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(instance, path, MAX_PATH);
    std::wstring marker(path, length);
    marker.replace(marker.find_last_of(L'\\') + 1, std::wstring::npos, L"loaded");
    const HANDLE file = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return TRUE;
}
