#include "ui/check_list_accessible.h"

#include "ui/check_list_ctrl.h"

#include <QAbstractItemModel>
#include <QAccessibleWidget>
#include <QHeaderView>
#include <QPointer>

#include <map>
#include <utility>

namespace {

bool IsLocked(int state) {
    return state == kImageTickedLocked || state == kImageUntickedLocked;
}

// Without the spaces that pad a title on screen ("  Select").
QString HeaderText(const CMyListCtrl* list, int column) {
    return list->model()->headerData(column, Qt::Horizontal).toString().trimmed();
}

// One cell of the table, or with row -1 one column header: not an object of its own, so it
// reads the list each time it is asked. Headers take the cell interface too, because the bridge
// to AT-SPI asks every child of a table for its row and column.
class CellAccessible : public QAccessibleInterface,
                       public QAccessibleTableCellInterface,
                       public QAccessibleActionInterface {
  public:
    CellAccessible(CMyListCtrl* list, int row, int column)
        : m_list(list), m_row(row), m_column(column) {}

    bool isValid() const override {
        return !m_list.isNull() && m_row < m_list->GetItemCount() &&
               m_column < m_list->columnCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return table()->window(); }
    QAccessibleInterface* parent() const override { return table(); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}

    // The first cell is the tick: its role tells a screen reader that the row can be ticked, as
    // the bridge to AT-SPI passes on no "checkable" state of its own.
    QAccessible::Role role() const override {
        if (IsHeader())
            return QAccessible::ColumnHeader;
        return IsTick() ? QAccessible::CheckBox : QAccessible::Cell;
    }

    // The tick is named by its column; its description is the rest of the row,
    // "10.77.1.11, Korvil 2950MFP-N, Not completed", as the row was read before it had cells.
    QString text(QAccessible::Text kind) const override {
        if (!isValid())
            return {};
        if (kind == QAccessible::Name)
            return IsHeader() || IsTick() ? HeaderText(m_list, m_column)
                                          : m_list->GetItemText(m_row, m_column);
        if (kind == QAccessible::Description && IsTick()) {
            QStringList cells;
            for (int column = 1; column < m_list->columnCount(); ++column)
                cells.append(m_list->GetItemText(m_row, column));
            return cells.join(QStringLiteral(", "));
        }
        return {};
    }

    QRect rect() const override {
        if (!isValid())
            return {};
        if (IsHeader()) {
            const QHeaderView* header = m_list->header();
            const QRect section(header->sectionViewportPosition(m_column), 0,
                                header->sectionSize(m_column), header->height());
            return QRect(header->viewport()->mapToGlobal(section.topLeft()), section.size());
        }
        const QRect cell = m_list->visualRect(m_list->model()->index(m_row, m_column));
        return QRect(m_list->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid() || IsHeader())
            return state;
        state.focusable = true;
        state.focused = m_list->hasFocus() && m_list->currentIndex().row() == m_row &&
                        m_list->AccessibleFocusColumn() == m_column;
        if (IsTick()) {
            const int tick = m_list->GetStateImage(m_row);
            state.checkable = true;
            state.checked = tick == kImageTicked || tick == kImageTickedLocked;
            state.disabled = IsLocked(tick);
        }
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        if (type == QAccessible::ActionInterface && IsTick())
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        if (IsHeader() || !isValid())
            return {};
        return {table()->tableInterface()->cellAt(-1, m_column)};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override {
        return QAccessible::queryAccessibleInterface(m_list.data());
    }

    // Toggling goes through the list's own click rules, so a locked row keeps its tick.
    QStringList actionNames() const override {
        return isValid() && !IsLocked(m_list->GetStateImage(m_row)) ? QStringList{toggleAction()}
                                                                    : QStringList{};
    }
    void doAction(const QString& name) override {
        if (name == toggleAction() && isValid())
            m_list->OnCellClick(m_row, 0);
    }
    QStringList keyBindingsForAction(const QString&) const override {
        return {QStringLiteral("Space")};
    }

  private:
    bool IsHeader() const { return m_row < 0; }
    bool IsTick() const { return m_row >= 0 && m_column == 0; }

    QPointer<CMyListCtrl> m_list;
    int m_row;
    int m_column;
};

// The list as a table: its children are the column headers, then the cells row by row, made on
// first use. Assistive technology keeps what a cell object said until it hears of a change, so
// whenever rows come, go or move (a refill, a sort) the cell objects are made anew rather than
// left to read another printer's row. The view reports such changes only while assistive
// technology listens, so the model's own signals are followed too.
class ListAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    explicit ListAccessible(CMyListCtrl* list) : QAccessibleWidget(list, QAccessible::Table) {
        const QAbstractItemModel* model = list->model();
        const auto forget = [this] { ForgetCells(); };
        QObject::connect(model, &QAbstractItemModel::rowsInserted, &m_connections, forget);
        QObject::connect(model, &QAbstractItemModel::rowsRemoved, &m_connections, forget);
        QObject::connect(model, &QAbstractItemModel::modelReset, &m_connections, forget);
        QObject::connect(model, &QAbstractItemModel::layoutChanged, &m_connections, forget);
    }
    ~ListAccessible() override { ForgetCells(); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override { return (rowCount() + 1) * columnCount(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        return Cell(index / columnCount() - 1, index % columnCount());
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (const auto& [place, id] : m_cells)
            if (QAccessible::accessibleInterface(id) == child)
                return (place.first + 1) * columnCount() + place.second;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QHeaderView* header = List()->header();
        const QPoint inHeader = header->viewport()->mapFromGlobal(QPoint(x, y));
        if (header->viewport()->rect().contains(inHeader)) {
            const int column = header->logicalIndexAt(inHeader);
            return column >= 0 ? Cell(-1, column) : nullptr;
        }
        const QPoint inRows = List()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = List()->indexAt(inRows);
        if (!List()->viewport()->rect().contains(inRows) || !index.isValid())
            return nullptr;
        return Cell(index.row(), index.column());
    }
    QAccessibleInterface* focusChild() const override {
        const int row = List()->currentIndex().row();
        return List()->hasFocus() && row >= 0 ? cellAt(row, List()->AccessibleFocusColumn())
                                              : nullptr;
    }

    // Row -1 is the header row.
    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row < -1 || row >= rowCount() || column < 0 || column >= columnCount())
            return nullptr;
        return Cell(row, column);
    }
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QString columnDescription(int column) const override { return HeaderText(List(), column); }
    QString rowDescription(int) const override { return {}; }
    int columnCount() const override { return List()->columnCount(); }
    int rowCount() const override { return List()->GetItemCount(); }

    // Rows are never selected: only their ticks change.
    int selectedCellCount() const override { return 0; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }

    // A cell's new text or tick leaves every cell where it was.
    void modelChange(QAccessibleTableModelChangeEvent* event) override {
        if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged)
            ForgetCells();
    }

  private:
    CMyListCtrl* List() const { return static_cast<CMyListCtrl*>(widget()); }
    QAccessibleInterface* Cell(int row, int column) const {
        const auto known = m_cells.find({row, column});
        if (known != m_cells.end())
            return QAccessible::accessibleInterface(known->second);
        auto* cell = new CellAccessible(List(), row, column);
        m_cells[{row, column}] = QAccessible::registerAccessibleInterface(cell);
        return cell;
    }
    void ForgetCells() {
        for (const auto& [place, id] : m_cells)
            QAccessible::deleteAccessibleInterface(id);
        m_cells.clear();
    }

    mutable std::map<std::pair<int, int>, QAccessible::Id> m_cells;
    // Ends the model connections with this object.
    QObject m_connections;
};

QAccessibleInterface* CheckListFactory(const QString&, QObject* object) {
    if (auto* list = qobject_cast<CMyListCtrl*>(object))
        return new ListAccessible(list);
    return nullptr;
}

QAccessibleInterface* CellOf(CMyListCtrl* list, int row, int column) {
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list);
    return table != nullptr ? table->tableInterface()->cellAt(row, column) : nullptr;
}

} // namespace

void InstallCheckListAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(CheckListFactory);
        return true;
    }();
    static_cast<void>(installed);
}

void AnnounceFocusCell(CMyListCtrl* list, int row, int column) {
    if (!QAccessible::isActive())
        return;
    if (QAccessibleInterface* cell = CellOf(list, row, column)) {
        QAccessibleEvent event(cell, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

void AnnounceTickChange(CMyListCtrl* list, int row) {
    if (!QAccessible::isActive())
        return;
    if (QAccessibleInterface* cell = CellOf(list, row, 0)) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(cell, changed);
        QAccessible::updateAccessibility(&event);
    }
}
