#pragma once

// Starts the socket library before the first socket: Winsock 2.2 on Windows; elsewhere only
// SIGPIPE is set aside, and the step is kept so that the program's start-up order stays
// visible. False when the library cannot be used. Tests can make it fail.
bool AfxSocketInit();

// Test seam: makes the next AfxSocketInit calls fail (true) or succeed again (false).
void SetSocketStartupFails(bool fails);

// Each system's own start-up, behind AfxSocketInit.
bool StartSockets();
