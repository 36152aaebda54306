#include "workflow/start_up.h"

#include "delivery/transport.h"
#include "platform/socket_startup.h"
#include "text/notices.h"
#include "text/string_ids.h"
#include "workflow/main_window_view.h"

int RunStartUp(StartUpSteps& steps, AppSettings* settings) {
    steps.PrepareControls();
    if (!AfxSocketInit()) {
        AppMessageBox(IDS_SOCKET_INIT_FAILED, MB_OK);
        return 0;
    }
    if (!steps.FirstInstance())
        return 0;
    steps.RegisterWindowClass();

    FillDefaultSettings(settings);
    if (TransportProbe() == 1)
        InstallTcpTransport();
    return steps.RunMainWindow(*settings) == kEndOutOfMemory ? kEndOutOfMemory : 0;
}
