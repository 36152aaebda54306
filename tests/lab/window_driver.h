#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <memory>

class CNetworkPrinterList;
class CTolvaneDlg;

// What the printer table shows for one printer.
struct ShownRow {
    QString name;
    QString status;
    bool operator==(const ShownRow&) const = default;
};

// The main window driven through its buttons, as a person would, for lab programs that use it
// for a long time or against many kinds of printer. Message boxes are left to whatever the
// program installed (a MessageBoxRecorder).
class WindowDriver {
  public:
    // Opens the window with `backupPath` in the file name field; the opening runs a search.
    explicit WindowDriver(const QString& backupPath);
    ~WindowDriver();
    WindowDriver(const WindowDriver&) = delete;
    WindowDriver& operator=(const WindowDriver&) = delete;

    // "Update".
    void Search();
    // The table by address.
    std::map<QString, ShownRow> Rows() const;
    // "Clear All", then a click on the tick box of each of `addresses` that the table lists.
    void Tick(const QStringList& addresses);
    // "Download...". While the progress dialog serves `cancelAt`, its Cancel is clicked once,
    // 300 ms after that printer's turn began.
    void Download(const QString& cancelAt = {});

  private:
    int RowOf(const QString& address) const;
    void Click(const char* button);

    std::unique_ptr<CTolvaneDlg> m_window;
    CNetworkPrinterList* m_list;
};
