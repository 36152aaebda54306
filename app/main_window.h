#pragma once

#include "printers/download_checks.h"
#include "printers/settings.h"
#include "printers/table_refresh.h"
#include "workflow/main_window_view.h"

#include <QDialog>
#include <QIcon>
#include <QString>
#include <QTimer>

class CDlgSetIPAddress;
class CDlgSNMP;
class CDragEdit;
class CNetworkPrinterList;
class CSending;
class QPushButton;

// The program's main window: the backup file name, the printer table and every command of the
// workflow. Ending it ends the program.
class CTolvaneDlg : public QDialog, private DownloadForm {
    Q_OBJECT
  public:
    // `commandLineFile` becomes the initial backup file name. The settings are the running
    // application's; without one (as in tests) the built-in defaults.
    explicit CTolvaneDlg(const QString& commandLineFile, QWidget* parent = nullptr);
    ~CTolvaneDlg() override;

    // The OK command (the Enter key) does nothing: the window does not close.
    void accept() override;

    void setVisible(bool visible) override;

    // The commands, as their buttons run them.
    void RefreshPrinters();
    void OnAddPrinter();
    void OnCommunity();
    void OnBrowse();
    void OnDownload();

    QString CommunityName() const { return m_communityName; }

    // A file handed over by a second start: it goes into the file name field as a drop would,
    // but only once no dialog of the window is open, so that a question on screen never names
    // another file than the one it sends. False when the field cannot take it.
    bool HandOverFile(const QString& path);

  protected:
    // Enter presses the focused button and does nothing elsewhere.
    void keyPressEvent(QKeyEvent* event) override;

    // Runs once, before the window first shows.
    void OnInitDialog();

    // Between the members and the controls: towards the controls when `save` is false; from
    // them otherwise, returning false (after the length message) for a name that is too long.
    bool DoDataExchange(bool save);

  private:
    void BuildForm();
    const AppSettings& SourceSettings();
    bool ReadFileName(int maxChars, std::u16string* name) override;
    bool AnyRowTicked() const override;
    void Deliver();
    void OnOutOfMemoryStop();
    void ApplyHandedOverFileWhenIdle();

    QIcon m_hIcon;
    PrinterTableLists m_lists; // hand-added printers, entries, models, results, delivery nodes
    QString m_communityName;
    CSending* m_sending;
    CDlgSNMP* m_dlgSNMP;
    CDlgSetIPAddress* m_dlgSetIPAddress;
    AppSettings m_settings{};
    AppSettings m_defaultSettings{};
    CNetworkPrinterList* m_printerList = nullptr;
    QString m_backupFileName;
    CDragEdit* m_fileNameEdit = nullptr;

    QPushButton* m_browseButton = nullptr;
    QPushButton* m_selectAllButton = nullptr;
    QPushButton* m_clearAllButton = nullptr;
    QPushButton* m_updateButton = nullptr;
    QPushButton* m_addPrinterButton = nullptr;
    QPushButton* m_communityButton = nullptr;
    QPushButton* m_downloadButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    QString m_handedOverFile;
    QTimer m_handoverTimer;
    bool m_initialised = false;
    bool m_stopping = false;
};
