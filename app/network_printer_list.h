#pragma once

#include "printers/list_rows.h"
#include "printers/printer_table.h"
#include "printers/table_refresh.h"
#include "ui/check_list_ctrl.h"

#include <QPointer>
#include <QStringView>

class QAbstractButton;
class CSortHeader;

// The printer table: one row per entry of the main window's entry chain, with its tick box,
// address, name and delivery status, sortable by any column.
class CNetworkPrinterList : public CMyListCtrl, private PrinterListRows {
    Q_OBJECT
  public:
    explicit CNetworkPrinterList(QWidget* parent = nullptr);

    // The list's setup: the header, the state images and the four columns. `lists` are the main
    // window's and must outlive the list's use of them.
    void SetUpTable(PrinterTableLists* lists);

    // The main window's "Select All", "Clear All" and "Download..." buttons, which
    // UpdateCommandButtons enables and disables.
    void SetCommandButtons(QAbstractButton* selectAll, QAbstractButton* clearAll,
                           QAbstractButton* download);

    // Builds the model filter list from the settings' model list. Returns 1, or 0 after the
    // out-of-memory stop.
    int BuildModelList(const char* modelList);

    // Searches and builds the entry chain. Returns 1 when it was rebuilt, 0 when discovery
    // failed or after the out-of-memory stop.
    int RunDiscoveryDriver(int versionKind, QStringView community);

    // Searches again, keeping the ticks and the delivery outcomes, then refills and re-sorts.
    void RefreshPrinters(int versionKind, QStringView community);

    // Replaces every row by the rows of the entry chain.
    void FillPrinterList();
    void UpdateCommandButtons();
    // FillPrinterList, UpdateCommandButtons and the re-sort, as after every rebuild.
    void Refill();

    void SelectAll();
    void ClearAll();

    // The ticked printers for a delivery, in entry-chain order. Returns 1, or 0 after the
    // out-of-memory notice with no nodes.
    int CollectTickedPrinters(DeliveryNode** nodes, int* count);
    // Writes a delivery's outcome into the entries and the history; 1 when every node was sent.
    int RecordDeliveryResults(const DeliveryNode* nodes);

    // The sort marks' two images (up, then down).
    void InitHeaderImages();
    // Sorts by "IP Address" when the table first shows.
    void InitialSort();
    // A click on the header of `column`: sorts by it, reversing on a repeated click.
    void OnColumnClick(int column);
    // Sorts by the current column in the direction of the last sort.
    void Resort();

    PrinterEntry* EntryAt(int row) const;
    const SortState& Sort() const;

  signals:
    // The lists could not be built: the notice was shown and every list released. The main
    // window ends with kEndOutOfMemory.
    void outOfMemoryStop();

  protected:
    void OnCellClick(int row, int column) override;
    // The sort menu: one entry per column, each doing what a click on its header does.
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    int RowCount() const override;
    int RowState(int row) const override;
    void SetRowState(int row, int state) override;
    PrinterEntry* RowEntry(int row) const override;
    std::u16string RowAddress(int row) const override;
    void SetRowTickText(int row, const std::u16string& text) override;

    void OutOfMemoryStop();
    void SortRows(int column, int direction);
    // The focus row follows its printer (by address) across refills; when the printer is gone,
    // the focus keeps its place, so the keyboard and a screen reader still have a row.
    struct FocusRow {
        std::u16string address;
        int row = -1;
    };
    FocusRow Focus() const;
    void Refocus(const FocusRow& focus);
    void RefillFocusing(const FocusRow& focus);
    CSortHeader* SortHeader() const;

    PrinterTableLists* m_lists = nullptr;
    SortState m_sort;
    QPointer<QAbstractButton> m_selectAll;
    QPointer<QAbstractButton> m_clearAll;
    QPointer<QAbstractButton> m_download;
};
