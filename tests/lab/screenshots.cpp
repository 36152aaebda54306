// Takes the README's pictures: runs the real main window in the printer lab on a real display
// (Xvfb from scripts/screenshots), goes through a delivery in which one printer fails, and saves
// the main window, the progress dialog and the failure notice as PNG files.
// Usage: lab_screenshots BACKUP_FILE OUTPUT_DIR
#include "app/main_window.h"
#include "app/network_printer_list.h"
#include "delivery/transport.h"
#include "platform/message_box.h"
#include "platform/socket_startup.h"
#include "tests/lab/lab_environment.h"
#include "text/heap.h"
#include "text/notices.h"
#include "ui/add_printer_dialog.h"
#include "ui/ip_address_edit.h"
#include "ui/qt_message_box.h"
#include "ui/sending_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <functional>

namespace {

QString g_outputDir;
int g_failures = 0;

// Lets pending paints and the window manager catch up.
void Settle(int ms = 400) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Saves what the screen shows of `window`, its frame included when a window manager drew one.
void Save(QWidget* window, const QString& name) {
    const QRect frame = window->frameGeometry();
    const QPixmap shot =
        window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const QString path = QDir(g_outputDir).filePath(name);
    if (!shot.save(path)) {
        std::fprintf(stderr, "lab_screenshots: cannot write %s\n", qPrintable(path));
        ++g_failures;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

// Waits, while the event loop runs, until `ready` holds; false after `ms`.
bool WaitFor(const std::function<bool()>& ready, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!ready()) {
        if (timer.elapsed() > ms)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

int RowOf(CNetworkPrinterList* list, const QString& address) {
    for (int row = 0; row < list->GetItemCount(); ++row) {
        if (list->GetItemText(row, 1) == address)
            return row;
    }
    return -1;
}

void Tick(CNetworkPrinterList* list, const QString& address) {
    const int row = RowOf(list, address);
    if (row < 0) {
        std::fprintf(stderr, "lab_screenshots: no row for %s\n", qPrintable(address));
        ++g_failures;
        return;
    }
    list->OnListClick(QPoint(list->header()->sectionViewportPosition(0) + 5,
                             list->visualItemRect(list->topLevelItem(row)).center().y()));
}

// Answers the delivery's question and notices as an operator would, saving pictures on the way.
class Operator : public QObject {
  public:
    Operator() {
        connect(&m_poll, &QTimer::timeout, this, &Operator::Look);
        m_poll.start(50);
    }

  private:
    void Look() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr && box->isVisible() && m_handled != box) {
            m_handled = box;
            Settle();
            if (box->text().contains(QStringLiteral("Are you sure")))
                box->button(QMessageBox::Yes)->click();
            else {
                Save(box, QStringLiteral("failure-notice.png"));
                box->button(QMessageBox::Ok)->click();
            }
            return;
        }
        // A printer half-way through its data.
        auto* sending = qobject_cast<CSending*>(QApplication::activeModalWidget());
        if (sending == nullptr || m_progressSaved)
            return;
        auto* progress = sending->findChild<QProgressBar*>(QStringLiteral("progress"));
        const bool shown =
            sending->windowHandle() != nullptr && sending->windowHandle()->isExposed();
        if (shown && progress->value() > progress->maximum() / 4 &&
            progress->value() < progress->maximum() * 3 / 4) {
            m_progressSaved = true;
            Save(sending, QStringLiteral("sending.png"));
        }
    }

    QTimer m_poll;
    QMessageBox* m_handled = nullptr;
    bool m_progressSaved = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3 || !InsidePrinterLab()) {
        std::fprintf(stderr, "usage (inside scripts/printer-lab): lab_screenshots BACKUP_FILE "
                             "OUTPUT_DIR\n");
        return 2;
    }
    g_outputDir = QString::fromLocal8Bit(argv[2]);
    TakeProcessHeap();
    SetMessageBoxFunction(ShowQtMessageBox);
    if (!AfxSocketInit() || TransportProbe() != 1)
        return 1;
    InstallTcpTransport();

    CTolvaneDlg window(QString::fromLocal8Bit(argv[1]));
    SetAppMainWindow(&window);
    QTimer::singleShot(0, &window, [&window] {
        auto* list = window.findChild<CNetworkPrinterList*>(QStringLiteral("printerList"));
        // The printer behind a router, added by its address.
        QTimer::singleShot(0, &window, [] {
            WaitFor(
                [] {
                    return qobject_cast<CDlgSetIPAddress*>(QApplication::activeModalWidget()) !=
                           nullptr;
                },
                5000);
            auto* dialog = qobject_cast<CDlgSetIPAddress*>(QApplication::activeModalWidget());
            dialog->findChild<CIPAddressEdit*>(QStringLiteral("addressEdit"))
                ->SetAddress(0x0A4D0214); // 10.77.2.20
            Settle(200);
            dialog->accept();
        });
        window.findChild<QPushButton*>(QStringLiteral("addPrinterButton"))->click();
        for (const char* address : {"10.77.1.11", "10.77.1.12", "10.77.1.15", "10.77.2.20"})
            Tick(list, QLatin1String(address));
        Settle();
        Save(&window, QStringLiteral("main-window.png"));

        Operator answers;
        window.findChild<QPushButton*>(QStringLiteral("downloadButton"))->click();
        Settle();
        Save(&window, QStringLiteral("after-delivery.png"));
        window.reject();
    });
    window.exec();
    SetAppMainWindow(nullptr);
    return g_failures == 0 ? 0 : 1;
}
