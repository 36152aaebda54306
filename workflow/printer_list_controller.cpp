#include "workflow/printer_list_controller.h"

#include "platform/text_convert.h"
#include "platform/tick.h"
#include "printers/sort_menu.h"
#include "text/inert_text.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace {

// Keys typed further apart than this start a new address.
constexpr uint32_t kTypingPauseMs = 1000;

bool IsAddressCharacter(char16_t typed) {
    return (typed >= u'0' && typed <= u'9') || typed == u'.';
}

PrinterListRow ShownRow(const PrinterEntry& entry, int state) {
    // A device chooses its own name: shown inert, it stays on one line of its row.
    return {state, TickText(state == kTickTicked), std::u16string(WideText(entry.ipAddress)),
            InertText(WideText(entry.name)), StatusText(entry.status)};
}

} // namespace

PrinterListController::PrinterListController(PrinterListView& view, Clock clock)
    : m_view(view), m_clock(clock ? std::move(clock) : Clock(TickCount)) {}

void PrinterListController::SetUpTable(PrinterTableLists* lists) {
    m_lists = lists;
}

void PrinterListController::SetOutOfMemoryStop(std::function<void()> stop) {
    m_outOfMemoryStop = std::move(stop);
}

bool PrinterListController::OutOfMemoryStopped() const {
    return m_outOfMemory;
}

int PrinterListController::BuildModelList(const char* modelList) {
    if (::BuildModelList(modelList, &m_lists->models) != 0)
        return 1;
    OutOfMemoryStop();
    return 0;
}

int PrinterListController::RunDiscoveryDriver(int versionKind, std::u16string_view community) {
    const TableOutcome outcome = ::RunDiscoveryDriver(m_lists, versionKind, community);
    if (outcome == kTableOutOfMemory)
        OutOfMemoryStop();
    return outcome == kTableRebuilt ? 1 : 0;
}

void PrinterListController::RefreshPrinters(int versionKind, std::u16string_view community) {
    DeliveryNode* ticked = nullptr;
    int count = 0;
    if (CollectTickedPrinters(&ticked, &count) == 0)
        return;
    const FocusedPrinter focus = Focus();
    // The rows refer to the entries about to be released.
    m_rows.clear();
    m_view.ShowRows({});
    const TableOutcome outcome = RebuildPrinterEntries(m_lists, versionKind, community, ticked);
    FreeDeliveryNodes(ticked);
    if (outcome == kTableOutOfMemory) {
        OutOfMemoryStop();
        return;
    }
    RefillFocusing(focus);
}

void PrinterListController::FillPrinterList() {
    m_rows.clear();
    std::vector<PrinterListRow> shown;
    for (PrinterEntry* entry = m_lists->entries; entry != nullptr; entry = entry->next) {
        const int state = TickStateOf(*entry);
        m_rows.push_back({entry, state});
        shown.push_back(ShownRow(*entry, state));
    }
    m_view.ShowRows(shown);
}

void PrinterListController::UpdateCommandButtons() {
    m_view.EnableCommands(ComputeCommandButtons(TableRowsOf(*this)));
}

void PrinterListController::Refill() {
    RefillFocusing(Focus());
}

void PrinterListController::RefillFocusing(const FocusedPrinter& focus) {
    FillPrinterList();
    UpdateCommandButtons();
    Resort();
    Refocus(focus);
}

PrinterListController::FocusedPrinter PrinterListController::Focus() const {
    const int row = m_view.FocusRow();
    if (row < 0 || row >= RowCount())
        return {{}, row};
    return {RowAddress(row), row};
}

void PrinterListController::Refocus(const FocusedPrinter& focus) {
    const int row = FocusRowAfter(*this, focus.address, focus.row);
    if (row >= 0)
        m_view.SetFocusRow(row);
}

void PrinterListController::SelectAll() {
    TickAllRows(*this);
    UpdateCommandButtons();
}

void PrinterListController::ClearAll() {
    UntickAllRows(*this);
    UpdateCommandButtons();
}

bool PrinterListController::AnyRowTicked() const {
    return std::any_of(m_rows.begin(), m_rows.end(),
                       [](const Row& row) { return IsTickedState(row.state); });
}

int PrinterListController::CollectTickedPrinters(DeliveryNode** nodes, int* count) {
    return ::CollectTickedPrinters(m_lists->entries, RowEntriesOf(*this), nodes, count);
}

int PrinterListController::RecordDeliveryResults(const DeliveryNode* nodes) {
    return ::RecordDeliveryResults(nodes, m_lists->entries);
}

void PrinterListController::InitialSort() {
    OnColumnClick(kColumnAddress);
}

void PrinterListController::OnColumnClick(int column) {
    if (column < 0)
        return;
    const SortClick click = ClickSortColumn(m_sort, column);
    if (click.unmarkColumn >= 0)
        m_view.ShowSortMark(click.unmarkColumn, kSortMarkNone);
    m_view.ShowSortMark(column, click.mark);
    SortRows(column, click.direction);
}

void PrinterListController::Resort() {
    SortRows(m_sort.column, 1 - m_sort.nextDirection);
}

const SortState& PrinterListController::Sort() const {
    return m_sort;
}

void PrinterListController::OnContextMenu() {
    m_view.ShowSortMenu(SortMenuEntries(m_sort));
}

void PrinterListController::OnCellClick(int row, int column) {
    if (column != kColumnTick || row < 0 || row >= RowCount())
        return;
    const int state = RowState(row);
    // Locked rows keep their state.
    if (!IsLockedState(state))
        SetRowState(row, IsTickedState(state) ? kTickUnticked : kTickTicked);
    FollowRowTick(*this, row);
    UpdateCommandButtons();
}

bool PrinterListController::OnKey(ListKey key) {
    const int count = RowCount();
    if (count == 0)
        return key == ListKey::Space;
    const int focus = m_view.FocusRow();
    const int page = std::max(1, m_view.PageRows());
    int row = focus;
    switch (key) {
    case ListKey::Up:
        row = focus < 0 ? 0 : focus - 1;
        break;
    case ListKey::Down:
        row = focus + 1;
        break;
    case ListKey::Home:
        row = 0;
        break;
    case ListKey::End:
        row = count - 1;
        break;
    case ListKey::PageUp:
        row = focus < 0 ? 0 : focus - page;
        break;
    case ListKey::PageDown:
        row = focus + page;
        break;
    case ListKey::Space:
        if (focus >= 0)
            OnCellClick(focus, kColumnTick);
        return true;
    }
    m_view.MoveFocusRow(std::clamp(row, 0, count - 1));
    return true;
}

void PrinterListController::OnCharacter(char16_t typed) {
    if (!IsAddressCharacter(typed))
        return;
    const uint32_t now = m_clock();
    if (m_typed.empty() || now - m_lastTyped >= kTypingPauseMs)
        m_typed.clear();
    m_typed += typed;
    m_lastTyped = now;
    for (int row = 0; row < RowCount(); ++row) {
        if (RowAddress(row).starts_with(m_typed)) {
            m_view.MoveFocusRow(row);
            return;
        }
    }
}

int PrinterListController::RowCount() const {
    return static_cast<int>(m_rows.size());
}

PrinterEntry* PrinterListController::EntryAt(int row) const {
    return row >= 0 && row < RowCount() ? m_rows[static_cast<size_t>(row)].entry : nullptr;
}

int PrinterListController::RowState(int row) const {
    return m_rows[static_cast<size_t>(row)].state;
}

void PrinterListController::SetRowState(int row, int state) {
    m_rows[static_cast<size_t>(row)].state = state;
}

PrinterEntry* PrinterListController::RowEntry(int row) const {
    return EntryAt(row);
}

std::u16string PrinterListController::RowAddress(int row) const {
    return std::u16string(WideText(m_rows[static_cast<size_t>(row)].entry->ipAddress));
}

void PrinterListController::SetRowTickText(int row, const std::u16string& text) {
    m_view.ShowTick(row, RowState(row), text);
}

void PrinterListController::OutOfMemoryStop() {
    m_rows.clear();
    m_view.ShowRows({});
    ReleaseTableLists(m_lists);
    m_outOfMemory = true;
    if (m_outOfMemoryStop)
        m_outOfMemoryStop();
}

void PrinterListController::SortRows(int column, int direction) {
    const SortParams params{direction, IsTextColumn(column), column};
    std::vector<int> formerRows(m_rows.size());
    std::iota(formerRows.begin(), formerRows.end(), 0);
    std::stable_sort(formerRows.begin(), formerRows.end(), [&](int a, int b) {
        return ComparePrinterRows(EntryAt(a), EntryAt(b), params) < 0;
    });
    // The focus frame stays with its printer.
    const FocusedPrinter focus = Focus();
    std::vector<Row> sorted;
    for (int former : formerRows)
        sorted.push_back(m_rows[static_cast<size_t>(former)]);
    m_rows = std::move(sorted);
    m_view.ReorderRows(formerRows);
    Refocus(focus);
}
