#pragma once

// The socket library needs no start-up on this platform; the step is kept so that the
// program's start-up order stays visible, and tests can make it fail.
bool AfxSocketInit();

// Test seam: makes the next AfxSocketInit calls fail (true) or succeed again (false).
void SetSocketStartupFails(bool fails);
