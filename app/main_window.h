#pragma once

#include "printers/settings.h"
#include "workflow/main_window_controller.h"

#include <QDialog>
#include <QIcon>
#include <QString>
#include <QTimer>

#include <memory>

class CDlgSetIPAddress;
class CDlgSNMP;
class CDragEdit;
class CNetworkPrinterList;
class CSending;
class QPushButton;

// The program's main window: the backup file name, the printer table and the command buttons.
// It draws and runs its dialogs for the workflow (MainWindowController), to which its buttons go.
// Ending it ends the program.
class CTolvaneDlg : public QDialog, private MainWindowView {
    Q_OBJECT
  public:
    // `commandLineFile` becomes the initial backup file name. The settings are the running
    // application's; without one (as in tests) the built-in defaults.
    explicit CTolvaneDlg(const QString& commandLineFile, QWidget* parent = nullptr);
    ~CTolvaneDlg() override;

    // The OK command (the Enter key) does nothing: the window does not close.
    void accept() override;

    void setVisible(bool visible) override;

    // A file handed over by a second start: it goes into the file name field as a drop would,
    // but only once no dialog of the window is open, so that a question on screen never names
    // another file than the one it sends. False when the field cannot take it.
    bool HandOverFile(const QString& path);

  protected:
    // Enter presses the focused button and does nothing elsewhere.
    void keyPressEvent(QKeyEvent* event) override;

    // Runs once, before the window first shows.
    void OnInitDialog();

  private:
    void BuildForm();
    const AppSettings& SourceSettings();
    void ApplyHandedOverFileWhenIdle();

    std::u16string FileFieldText() const override;
    void ShowFileName(const std::u16string& name) override;
    void SelectFileField() override;
    void ShowBusy(bool busy) override;
    void SetTitle(const std::u16string& title) override;
    bool RunAddPrinterDialog(uint32_t* address) override;
    bool RunCommunityDialog(std::u16string* name) override;
    bool RunFileDialog(std::u16string* path) override;
    DeliveryJob& ProgressJob() override;
    int RunDeliveryDialog() override;
    void EndWindow(int code) override;

    QIcon m_hIcon;
    CSending* m_sending;
    CDlgSNMP* m_dlgSNMP;
    CDlgSetIPAddress* m_dlgSetIPAddress;
    AppSettings m_defaultSettings{};
    CNetworkPrinterList* m_printerList = nullptr;
    CDragEdit* m_fileNameEdit = nullptr;
    std::unique_ptr<MainWindowController> m_controller;

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
};
