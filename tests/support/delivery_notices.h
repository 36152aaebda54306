#pragma once

#include "platform/message_box.h"
#include "platform/text_convert.h"
#include "tests/support/message_box_recorder.h"

#include <ostream>
#include <string>
#include <vector>

// The texts of the delivery's notices as the operator reads them, for tests that check them.
namespace delivery_notices {

inline const std::u16string kSending = u"Sending Backup Data\r\nPrinter:";
inline const std::u16string kFailed =
    u"Printer Update failed." + std::u16string(22, u' ') + u"\r\nPrinter:";
inline const std::u16string kCheckConnection = u"\r\nCheck the printer connection.";
inline const std::u16string kCommunication = u"\r\nCommunication error.";
inline const std::u16string kNext =
    u"\r\n\r\nClick OK to update the next printer or Cancel to end all processing.";
inline const std::u16string kInterrupted = u"Printer Update interrupted.\r\nPrinter:";
inline const std::u16string kSendCaption = u"Error occurs while sending the data.";
inline const std::u16string kCancelCaption = u"Canceling Update...";
inline constexpr unsigned kOkCancel = MB_OKCANCEL | MB_ICONEXCLAMATION | MB_TASKMODAL;
inline constexpr unsigned kOkOnly = MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL;

// A message box as the operator sees it.
struct Box {
    std::u16string caption;
    std::u16string text;
    unsigned flags;
    bool operator==(const Box&) const = default;
};

inline void PrintTo(const Box& box, std::ostream* out) {
    *out << "{" << WideToNarrow(box.caption) << " | " << WideToNarrow(box.text) << " | "
         << box.flags << "}";
}

inline const Box kOutOfMemory{u"Out of Memory", u"Out of Memory.\r\nProgram will be terminated.",
                              MB_OK | MB_ICONEXCLAMATION};
inline const Box kBadUpdateFile{kSendCaption,
                                u"Please check the update file." + std::u16string(20, u' ') +
                                    u"\r\nProgram will be terminate.",
                                kOkOnly};

inline std::vector<Box> BoxesOf(const MessageBoxRecorder& recorder) {
    std::vector<Box> boxes;
    for (const auto& box : recorder.Boxes())
        boxes.push_back({box.caption, box.text, box.flags});
    return boxes;
}

} // namespace delivery_notices
