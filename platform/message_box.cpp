#include "platform/message_box.h"

#include <cstdio>

namespace {

// Without a window system nobody can answer, so the safe answer is given: OK for a plain
// notice, Cancel or No for a question.
int AnswerWithoutDisplay(QWidget*, const QString& text, const QString& caption, unsigned flags) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return IDCANCEL;
    case MB_YESNO:
        return IDNO;
    default:
        return IDOK;
    }
}

MessageBoxFunction g_messageBox = AnswerWithoutDisplay;

} // namespace

int MessageBoxExW(QWidget* owner, const QString& text, const QString& caption, unsigned flags) {
    return g_messageBox(owner, text, caption, flags);
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function) {
    MessageBoxFunction previous = g_messageBox;
    g_messageBox = function ? function : AnswerWithoutDisplay;
    return previous;
}
