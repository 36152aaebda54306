#include "tests/lab/window_driver.h"

#include "app/main_window.h"
#include "app/network_printer_list.h"
#include "text/notices.h"
#include "ui/sending_dialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

WindowDriver::WindowDriver(const QString& backupPath)
    : m_window(std::make_unique<CTolvaneDlg>(backupPath)) {
    SetAppMainWindow(m_window.get());
    m_window->show();
    m_list = m_window->findChild<CNetworkPrinterList*>(QStringLiteral("printerList"));
}

WindowDriver::~WindowDriver() {
    SetAppMainWindow(nullptr);
    m_window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void WindowDriver::Search() {
    Click("updateButton");
}

std::map<QString, ShownRow> WindowDriver::Rows() const {
    std::map<QString, ShownRow> rows;
    for (int row = 0; row < m_list->GetItemCount(); ++row)
        rows[m_list->GetItemText(row, 1)] = {m_list->GetItemText(row, 2),
                                             m_list->GetItemText(row, 3)};
    return rows;
}

int WindowDriver::RowOf(const QString& address) const {
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        if (m_list->GetItemText(row, 1) == address)
            return row;
    }
    return -1;
}

void WindowDriver::Click(const char* button) {
    QTest::mouseClick(m_window->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
}

void WindowDriver::Tick(const QStringList& addresses) {
    Click("clearAllButton");
    for (const QString& address : addresses) {
        const int row = RowOf(address);
        if (row < 0)
            continue;
        const QRect rect = m_list->visualItemRect(m_list->topLevelItem(row));
        QTest::mouseClick(
            m_list->viewport(), Qt::LeftButton, {},
            QPoint(m_list->header()->sectionViewportPosition(0) + 5, rect.center().y()));
    }
}

void WindowDriver::Download(const QString& cancelAt) {
    QTimer watch;
    QElapsedTimer turn;
    bool cancelled = false;
    if (!cancelAt.isEmpty()) {
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<CSending*>(QApplication::activeModalWidget());
            const bool serving =
                dialog != nullptr && dialog->findChild<QLabel*>(QStringLiteral("statusText"))
                                         ->text()
                                         .endsWith(u':' + cancelAt);
            if (!serving || cancelled) {
                turn.invalidate();
                return;
            }
            if (!turn.isValid())
                turn.start();
            if (turn.elapsed() >= 300) {
                cancelled = true;
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cancelButton")),
                                  Qt::LeftButton);
            }
        });
        watch.start(10);
    }
    Click("downloadButton");
}
