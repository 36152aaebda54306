// A stand-in for a DLL planted beside a program: loading it leaves a file named "loaded" in the
// current folder. It exports the one IP Helper function the probe imports.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI GetNumberOfInterfaces(DWORD* count) {
    *count = 0;
    return NO_ERROR;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH)
        ::CloseHandle(::CreateFileW(L"loaded", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return TRUE;
}
