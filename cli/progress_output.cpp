#include "cli/progress_output.h"

#include "cli/console.h"

#include <QStringList>

#include <algorithm>

namespace {

constexpr int kBarWidth = 24;
constexpr qsizetype kNameWidth = 20;

QString Megabytes(uint64_t bytes) {
    return QString::number(static_cast<double>(bytes) / 1e6, 'f', 1) + QStringLiteral(" MB");
}

QString Rate(uint64_t bytes, double seconds) {
    const double rate = seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0;
    return QString::number(rate, 'f', 1) + QStringLiteral(" MB/s");
}

QString Bar(uint64_t bytes, uint64_t total) {
    const int filled =
        total == 0 ? kBarWidth : static_cast<int>(kBarWidth * std::min(bytes, total) / total);
    return u'[' + QString(filled, u'#') + QString(kBarWidth - filled, u'.') + u']';
}

// Escaped first, so the cut keeps the column's width.
QString ShortName(const QString& text) {
    const QString name = Inert(text);
    return name.size() > kNameWidth ? name.left(kNameWidth - 1) + u'~' : name;
}

bool Ended(Outcome outcome) {
    return outcome != Outcome::Waiting && outcome != Outcome::Sending;
}

} // namespace

QString OutcomeText(Outcome outcome) {
    switch (outcome) {
    case Outcome::Sent:
        return QStringLiteral("sent");
    case Outcome::Failed:
        return QStringLiteral("failed");
    case Outcome::Cancelled:
        return QStringLiteral("cancelled");
    case Outcome::Skipped:
        return QStringLiteral("skipped");
    case Outcome::Sending:
        return QStringLiteral("sending");
    case Outcome::Waiting:
        break;
    }
    return QStringLiteral("waiting");
}

ProgressOutput::ProgressOutput(std::FILE* stream, bool terminal, uint64_t fileSize)
    : m_stream(stream), m_terminal(terminal), m_fileSize(fileSize) {}

void ProgressOutput::Write(const QString& line) {
    std::fputs(Inert(line).toLocal8Bit().append('\n').constData(), m_stream);
}

void ProgressOutput::ClearLiveBlock() {
    // Up one line and erase it, once per line of the block.
    for (; m_liveLines > 0; --m_liveLines)
        std::fputs("\x1b[1A\x1b[2K", m_stream);
}

void ProgressOutput::ReportEnded(const std::vector<PrinterState>& printers) {
    m_reported.resize(printers.size(), false);
    for (size_t i = 0; i < printers.size(); ++i) {
        const PrinterState& printer = printers[i];
        if (m_reported[i] || !Ended(printer.outcome))
            continue;
        m_reported[i] = true;
        QString line = printer.address + u' ' + OutcomeText(printer.outcome) + u' ' +
                       QString::number(printer.bytes) + QStringLiteral(" bytes ") +
                       QString::number(printer.seconds, 'f', 1) + u's';
        if (!printer.error.isEmpty())
            line += QStringLiteral(": ") + printer.error;
        Write(line);
    }
}

void ProgressOutput::Update(const std::vector<PrinterState>& printers, double elapsedSeconds) {
    if (m_terminal)
        ClearLiveBlock();
    ReportEnded(printers);
    if (!m_terminal) {
        std::fflush(m_stream);
        return;
    }
    uint64_t bytes = 0;
    int ended = 0;
    for (const PrinterState& printer : printers) {
        bytes += printer.bytes;
        ended += Ended(printer.outcome) ? 1 : 0;
        if (printer.outcome != Outcome::Sending)
            continue;
        Write(printer.address.leftJustified(15) + u' ' +
              ShortName(printer.name).leftJustified(kNameWidth) + u' ' +
              Bar(printer.bytes, m_fileSize) + u' ' + Megabytes(printer.bytes) + u' ' +
              Rate(printer.bytes, printer.seconds));
        ++m_liveLines;
    }
    Write(QStringLiteral("total: %1 of %2 printers done, %3, %4")
              .arg(ended)
              .arg(printers.size())
              .arg(Megabytes(bytes), Rate(bytes, elapsedSeconds)));
    ++m_liveLines;
    std::fflush(m_stream);
}

void ProgressOutput::Finish(const std::vector<PrinterState>& printers) {
    if (m_terminal)
        ClearLiveBlock();
    ReportEnded(printers);
    std::fflush(m_stream);
}

void PrintSummary(const std::vector<PrinterState>& printers) {
    const QStringList header = {QStringLiteral("ADDRESS"), QStringLiteral("NAME"),
                                QStringLiteral("OUTCOME"), QStringLiteral("BYTES"),
                                QStringLiteral("SECONDS"), QStringLiteral("ERROR")};
    std::vector<QStringList> rows = {header};
    for (const PrinterState& printer : printers)
        rows.push_back({printer.address,
                        printer.name.isEmpty() ? QStringLiteral("-") : Inert(printer.name),
                        OutcomeText(printer.outcome), QString::number(printer.bytes),
                        QString::number(printer.seconds, 'f', 1), Inert(printer.error)});
    std::vector<qsizetype> widths(header.size(), 0);
    for (const QStringList& row : rows)
        for (qsizetype column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype column = 0; column < row.size(); ++column)
            line += row[column].leftJustified(widths[column] + 2);
        PrintOut(line.trimmed());
    }
}
