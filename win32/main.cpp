#include "win32/application.h"
#include "win32/command_line.h"
#include "win32/message_box.h"

#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // DLLs loaded later (by this program or by Windows for it) come from system32 only, never
    // from the program's folder.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::u16string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(reinterpret_cast<const char16_t*>(argv[i]));
    LocalFree(argv);

    // Answered before anything starts: no sockets, no single-instance lock.
    const CommandLine commandLine = ParseProgramCommandLine(arguments);
    if (commandLine.action != CommandLine::Action::Run) {
        SetMessageBoxFunction(ShowWin32MessageBox);
        return AnswerCommandLine(commandLine);
    }
    // The accessibility annotations of the printer list are COM objects.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CTolvaneApp app(commandLine.backupFile);
    app.InitInstance();
    if (SUCCEEDED(com))
        CoUninitialize();
    return app.ExitStatus();
}
