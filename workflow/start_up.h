#pragma once

#include "printers/settings.h"

// The steps of the start-up that each program takes its own way.
class StartUpSteps {
  public:
    // The system's controls the windows use; nothing to do where the toolkit registers its own.
    virtual void PrepareControls() {}
    // True for the first instance per user; a later one brings the first one's window forward
    // and hands it the command line's file (or tells the operator it could not).
    virtual bool FirstInstance() = 0;
    // The program's own window class; nothing to do where windows need none.
    virtual void RegisterWindowClass() {}
    // Runs the main window over `settings` until it ends; its end code.
    virtual int RunMainWindow(const AppSettings& settings) = 0;

  protected:
    virtual ~StartUpSteps() = default;
};

// The start-up once the command line is read: the controls, the sockets (whose failure notice
// ends it), the one instance per user, the window class, the built-in settings (into
// `settings`) and the transport, then the main window. Gives the exit status: kEndOutOfMemory
// when the window ended with it, otherwise 0.
int RunStartUp(StartUpSteps& steps, AppSettings* settings);
