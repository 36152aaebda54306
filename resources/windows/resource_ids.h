#pragma once

// The program's icon and the list's images, shared by the resource script and the code.
#define IDI_TOLVANE 128
#define IDB_UNTICKED 300
#define IDB_TICKED 301
#define IDB_TICKED_LOCKED 302
#define IDB_UNTICKED_LOCKED 303
#define IDB_SORT_UP 304
#define IDB_SORT_DOWN 305
