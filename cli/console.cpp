#include "cli/console.h"

#include "platform/message_box.h"

#include <cstdio>

namespace {

int NoticeAsErrorLine(QWidget*, const QString& text, const QString&, unsigned flags) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    PrintError(line);
    // A question nobody answered is declined.
    switch (flags & MB_TYPEMASK) {
    case MB_YESNO:
        return IDNO;
    case MB_OKCANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

} // namespace

void PrintOut(const QString& line) {
    std::fputs(line.toLocal8Bit().append('\n').constData(), stdout);
}

void PrintError(const QString& line) {
    std::fflush(stdout);
    std::fputs(QStringLiteral("tolvane-cli: %1\n").arg(line).toLocal8Bit().constData(), stderr);
}

void InstallConsoleNotices() {
    SetMessageBoxFunction(NoticeAsErrorLine);
}
