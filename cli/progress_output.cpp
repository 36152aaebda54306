#include "cli/progress_output.h"

#include "cli/console.h"

#include <algorithm>

namespace {

constexpr size_t kBarWidth = 24;
constexpr size_t kNameWidth = 20;

std::string Megabytes(uint64_t bytes) {
    return Fixed(static_cast<double>(bytes) / 1e6, 1) + " MB";
}

std::string Rate(uint64_t bytes, double seconds) {
    const double rate = seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0;
    return Fixed(rate, 1) + " MB/s";
}

std::string Bar(uint64_t bytes, uint64_t total) {
    const auto filled =
        static_cast<size_t>(total == 0 ? kBarWidth : kBarWidth * std::min(bytes, total) / total);
    return '[' + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + ']';
}

// Escaped first, so the cut keeps the column's width; cut between characters.
std::string ShortName(const std::string& text) {
    const std::string name = Inert(text);
    if (CharacterCount(name) <= kNameWidth)
        return name;
    size_t at = 0;
    for (size_t kept = 0; kept < kNameWidth - 1; ++kept)
        do
            ++at;
        while (at < name.size() && (static_cast<unsigned char>(name[at]) & 0xC0) == 0x80);
    return name.substr(0, at) + '~';
}

bool Ended(Outcome outcome) {
    return outcome != Outcome::Waiting && outcome != Outcome::Sending;
}

} // namespace

std::string OutcomeText(Outcome outcome) {
    switch (outcome) {
    case Outcome::Sent:
        return "sent";
    case Outcome::Failed:
        return "failed";
    case Outcome::Cancelled:
        return "cancelled";
    case Outcome::Skipped:
        return "skipped";
    case Outcome::Sending:
        return "sending";
    case Outcome::Waiting:
        break;
    }
    return "waiting";
}

ProgressOutput::ProgressOutput(std::FILE* stream, bool terminal, uint64_t fileSize)
    : m_stream(stream), m_terminal(terminal), m_fileSize(fileSize) {}

void ProgressOutput::Write(const std::string& line) {
    std::fputs((Inert(line) + '\n').c_str(), m_stream);
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
        std::string line = printer.address + ' ' + OutcomeText(printer.outcome) + ' ' +
                           std::to_string(printer.bytes) + " bytes " + Fixed(printer.seconds, 1) +
                           's';
        if (!printer.error.empty())
            line += ": " + printer.error;
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
        Write(PadRight(printer.address, 15) + ' ' + PadRight(ShortName(printer.name), kNameWidth) +
              ' ' + Bar(printer.bytes, m_fileSize) + ' ' + Megabytes(printer.bytes) + ' ' +
              Rate(printer.bytes, printer.seconds));
        ++m_liveLines;
    }
    Write("total: " + std::to_string(ended) + " of " + std::to_string(printers.size()) +
          " printers done, " + Megabytes(bytes) + ", " + Rate(bytes, elapsedSeconds));
    ++m_liveLines;
    std::fflush(m_stream);
}

void ProgressOutput::Finish(const std::vector<PrinterState>& printers) {
    if (m_terminal)
        ClearLiveBlock();
    ReportEnded(printers);
    std::fflush(m_stream);
}

void PrintPlan(const std::vector<PrinterState>& printers) {
    std::vector<std::vector<std::string>> rows = {{"ADDRESS", "NAME", "LABEL", "PLAN", "WHY"}};
    for (const PrinterState& printer : printers) {
        const bool send = printer.outcome == Outcome::Waiting;
        rows.push_back({printer.address, printer.name.empty() ? "-" : Inert(printer.name),
                        printer.label.empty() ? "-" : Inert(printer.label), send ? "send" : "skip",
                        Inert(printer.error)});
    }
    PrintColumns(rows);
}

void PrintSummary(const std::vector<PrinterState>& printers) {
    // Labels come from a targets file; without one the table keeps its columns.
    const bool labels = std::any_of(printers.begin(), printers.end(),
                                    [](const PrinterState& p) { return !p.label.empty(); });
    std::vector<std::vector<std::string>> rows = {
        {"ADDRESS", "NAME", "OUTCOME", "BYTES", "SECONDS", "ERROR"}};
    for (const PrinterState& printer : printers)
        rows.push_back({printer.address, printer.name.empty() ? "-" : Inert(printer.name),
                        OutcomeText(printer.outcome), std::to_string(printer.bytes),
                        Fixed(printer.seconds, 1), Inert(printer.error)});
    for (size_t i = 0; labels && i < rows.size(); ++i) {
        const std::string& label = i == 0 ? "LABEL" : printers[i - 1].label;
        rows[i].insert(rows[i].begin() + 2, label.empty() ? "-" : Inert(label));
    }
    PrintColumns(rows);
}
