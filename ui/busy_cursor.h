#pragma once

// Shows the busy cursor over the whole application while it lives, for work that holds the
// user-interface thread (a printer search blocks it for its one-second window).
class BusyCursor {
  public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
