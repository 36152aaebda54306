#pragma once

#include "ui/check_list_ctrl.h"
#include "workflow/printer_list_controller.h"

#include <QPoint>
#include <QPointer>

class QAbstractButton;
class CSortHeader;

// The printer table's widget: the rows, header and sort menu its controller asks for, and the
// clicks and keys it hands to the controller.
class CNetworkPrinterList : public CMyListCtrl, private PrinterListView {
    Q_OBJECT
  public:
    explicit CNetworkPrinterList(QWidget* parent = nullptr);

    // The header, the state images and the four columns.
    void SetUpTable();
    // The main window's "Select All", "Clear All" and "Download..." buttons, which the
    // controller enables and disables.
    void SetCommandButtons(QAbstractButton* selectAll, QAbstractButton* clearAll,
                           QAbstractButton* download);
    // The sort marks' two images (up, then down).
    void InitHeaderImages();

    PrinterListController& Controller();

    void OnCellClick(int row, int column) override;

  protected:
    bool OnKey(const QKeyEvent& event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void ShowRows(std::span<const PrinterListRow> rows) override;
    void ReorderRows(std::span<const int> formerRows) override;
    void ShowTick(int row, int tickState, const std::u16string& tickText) override;
    void ShowSortMark(int column, int mark) override;
    int FocusRow() const override;
    void SetFocusRow(int row) override;
    void MoveFocusRow(int row) override;
    int PageRows() const override;
    void EnableCommands(const CommandButtonStates& states) override;
    void ShowSortMenu(const std::vector<SortMenuEntry>& entries) override;

    CSortHeader* SortHeader() const;

    PrinterListController m_controller;
    QPointer<QAbstractButton> m_selectAll;
    QPointer<QAbstractButton> m_clearAll;
    QPointer<QAbstractButton> m_download;
    QPoint m_menuAt; // where the sort menu opens, in screen coordinates
};
