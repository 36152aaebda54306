#pragma once

#include <QString>

class QWidget;

// Draws a message box with QMessageBox; installed with SetMessageBoxFunction at start-up.
int ShowQtMessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags);
