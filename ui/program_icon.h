#pragma once

#include <QIcon>

// The program's icon (a printer with an address book) in every size it is drawn at.
QIcon ProgramIcon();
