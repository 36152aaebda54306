#pragma once

#include "platform/message_box.h"
#include "tests/support/message_box_recorder.h"

#include <QString>

#include <ostream>
#include <vector>

// The texts of the delivery's notices as the operator reads them, for tests that check them.
namespace delivery_notices {

inline const QString kSending = QStringLiteral("Sending Backup Data\r\nPrinter:");
inline const QString kFailed =
    QStringLiteral("Printer Update failed.") + QString(22, u' ') + QStringLiteral("\r\nPrinter:");
inline const QString kCheckConnection = QStringLiteral("\r\nCheck the printer connection.");
inline const QString kCommunication = QStringLiteral("\r\nCommunication error.");
inline const QString kNext =
    QStringLiteral("\r\n\r\nClick OK to update the next printer or Cancel to end all processing.");
inline const QString kInterrupted = QStringLiteral("Printer Update interrupted.\r\nPrinter:");
inline const QString kSendCaption = QStringLiteral("Error occurs while sending the data.");
inline const QString kCancelCaption = QStringLiteral("Canceling Update...");
inline constexpr unsigned kOkCancel = MB_OKCANCEL | MB_ICONEXCLAMATION | MB_TASKMODAL;
inline constexpr unsigned kOkOnly = MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL;

// A message box as the operator sees it.
struct Box {
    QString caption;
    QString text;
    unsigned flags;
    bool operator==(const Box&) const = default;
};

inline void PrintTo(const Box& box, std::ostream* out) {
    *out << "{" << qPrintable(box.caption) << " | " << qPrintable(box.text) << " | " << box.flags
         << "}";
}

inline const Box kOutOfMemory{QStringLiteral("Out of Memory"),
                              QStringLiteral("Out of Memory.\r\nProgram will be terminated."),
                              MB_OK | MB_ICONEXCLAMATION};
inline const Box kBadUpdateFile{kSendCaption,
                                QStringLiteral("Please check the update file.") +
                                    QString(20, u' ') +
                                    QStringLiteral("\r\nProgram will be terminate."),
                                kOkOnly};

inline std::vector<Box> BoxesOf(const MessageBoxRecorder& recorder) {
    std::vector<Box> boxes;
    for (const auto& box : recorder.Boxes())
        boxes.push_back({box.caption, box.text, box.flags});
    return boxes;
}

} // namespace delivery_notices
