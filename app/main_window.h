#pragma once

#include <QDialog>
#include <QString>

// End code of the main window after an out-of-memory stop; it ends the program.
constexpr int kEndOutOfMemory = 5;

// The program's main window.
class CTolvaneDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CTolvaneDlg(const QString& commandLineFile, QWidget* parent = nullptr);

  private:
    QString m_backupFileName;
};
