#include "cli/console.h"

#include "platform/message_box.h"
#include "text/inert_text.h"

#include <cstdio>

namespace {

int NoticeAsErrorLine(WindowHandle, const std::u16string& text, const std::u16string&,
                      unsigned flags) {
    QString line = QString::fromStdU16String(text);
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

QString Inert(const QString& text) {
    return QString::fromStdString(InertText(text.toStdString()));
}

void PrintOut(const QString& line) {
    std::fputs(Inert(line).toLocal8Bit().append('\n').constData(), stdout);
}

void PrintError(const QString& line) {
    std::fflush(stdout);
    std::fputs(QStringLiteral("tolvane-cli: %1\n").arg(Inert(line)).toLocal8Bit().constData(),
               stderr);
}

void PrintText(const QByteArray& text) {
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
}

QString Grouped(uint64_t count) {
    QString digits = QString::number(count);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u',');
    return digits;
}

void InstallConsoleNotices() {
    SetMessageBoxFunction(NoticeAsErrorLine);
}
