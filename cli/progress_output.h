#pragma once

#include "cli/fleet_delivery.h"

#include <cstdio>
#include <string>
#include <vector>

std::string OutcomeText(Outcome outcome);

// Progress of a restore on standard error. Every printer gets one line when it ends; on a
// terminal a live block below them shows a bar, bytes and rate per printer being served and a
// total line.
class ProgressOutput {
  public:
    ProgressOutput(std::FILE* stream, bool terminal, uint64_t fileSize);

    // Called at most ten times a second with the run's current states.
    void Update(const std::vector<PrinterState>& printers, double elapsedSeconds);
    // Writes the lines of printers that ended since the last call and removes the live block.
    void Finish(const std::vector<PrinterState>& printers);

  private:
    void ReportEnded(const std::vector<PrinterState>& printers);
    void ClearLiveBlock();
    void Write(const std::string& line);

    std::FILE* m_stream;
    bool m_terminal;
    uint64_t m_fileSize;
    std::vector<bool> m_reported;
    int m_liveLines = 0;
};

// restore --dry-run: what would be sent to whom, and what would be skipped and why.
void PrintPlan(const std::vector<PrinterState>& printers);

// The summary table on standard output: address, name, outcome, bytes, seconds, error.
void PrintSummary(const std::vector<PrinterState>& printers);
