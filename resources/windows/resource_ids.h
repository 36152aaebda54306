#pragma once

// Numbers of the Windows programs' resources, read by the resource compiler and by C++ alike
// (so #define only). Dialogs take 100-199 and their controls 1000-1099; the string table keeps
// the numbers of text/string_ids.h.

#define IDI_TOLVANE 128

// The printer list's tick boxes and the header's sort marks.
#define IDB_UNTICKED 300
#define IDB_TICKED 301
#define IDB_TICKED_LOCKED 302
#define IDB_UNTICKED_LOCKED 303
#define IDB_SORT_UP 304
#define IDB_SORT_DOWN 305
