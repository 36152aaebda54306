#include "platform/message_box.h"

#include "platform/text_convert.h"

#include <cstdio>

namespace {

// Without a window system nobody can answer, so the safe answer is given: OK for a plain
// notice, Cancel or No for a question.
int AnswerWithoutDisplay(WindowHandle, const std::u16string& text, const std::u16string& caption,
                         unsigned flags) {
    std::fprintf(stderr, "%s: %s\n", WideToNarrow(caption).c_str(), WideToNarrow(text).c_str());
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

int MessageBoxExW(WindowHandle owner, const std::u16string& text, const std::u16string& caption,
                  unsigned flags) {
    return g_messageBox(owner, text, caption, flags);
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function) {
    MessageBoxFunction previous = g_messageBox;
    g_messageBox = function ? function : AnswerWithoutDisplay;
    return previous;
}
