#pragma once

#include "workflow/printer_list_view.h"

#include <array>
#include <string>
#include <vector>

// A list control that keeps what it is told to show, as a window's list would.
class FakePrinterListView final : public PrinterListView {
  public:
    void ShowRows(std::span<const PrinterListRow> shown) override {
        rows.assign(shown.begin(), shown.end());
        // A list that loses its rows loses its focus frame with them.
        focus = -1;
    }
    void ReorderRows(std::span<const int> formerRows) override {
        std::vector<PrinterListRow> reordered;
        for (int former : formerRows)
            reordered.push_back(rows.at(static_cast<size_t>(former)));
        rows = std::move(reordered);
    }
    void ShowTick(int row, int tickState, const std::u16string& tickText) override {
        rows.at(static_cast<size_t>(row)).tickState = tickState;
        rows.at(static_cast<size_t>(row)).tickText = tickText;
    }
    void ShowSortMark(int column, int mark) override {
        marks.at(static_cast<size_t>(column)) = mark;
    }
    int FocusRow() const override { return focus; }
    void SetFocusRow(int row) override { focus = row; }
    void MoveFocusRow(int row) override { focus = row; }
    int PageRows() const override { return pageRows; }
    void EnableCommands(const CommandButtonStates& states) override { commands = states; }
    void ShowSortMenu(const std::vector<SortMenuEntry>& entries) override { menu = entries; }

    std::vector<std::u16string> Column(int column) const {
        std::vector<std::u16string> texts;
        for (const PrinterListRow& row : rows) {
            const std::u16string* cells[] = {&row.tickText, &row.address, &row.name, &row.status};
            texts.push_back(*cells[column]);
        }
        return texts;
    }
    std::vector<int> States() const {
        std::vector<int> states;
        for (const PrinterListRow& row : rows)
            states.push_back(row.tickState);
        return states;
    }
    int RowOf(const std::u16string& address) const {
        for (size_t row = 0; row < rows.size(); ++row)
            if (rows[row].address == address)
                return static_cast<int>(row);
        return -1;
    }

    std::vector<PrinterListRow> rows;
    std::array<int, 4> marks{-1, -1, -1, -1};
    int focus = -1;
    int pageRows = 4;
    CommandButtonStates commands{};
    std::vector<SortMenuEntry> menu; // the last sort menu shown
};
