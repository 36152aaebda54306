#include "ui/check_list_accessible.h"

#include "ui/check_list_ctrl.h"

#include <QAbstractItemModel>
#include <QAccessibleWidget>
#include <QHeaderView>

#include <map>

namespace {

bool IsLocked(int state) {
    return state == kImageTickedLocked || state == kImageUntickedLocked;
}

// One row: not an object of its own, so it reads the list each time it is asked.
class RowAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    RowAccessible(CMyListCtrl* list, int row) : m_list(list), m_row(row) {}

    bool isValid() const override { return !m_list.isNull() && m_row < m_list->GetItemCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parent()->window(); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_list.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    // A check box named by its row: the role itself tells a screen reader that the row can be
    // ticked, as the bridge to AT-SPI passes on no "checkable" state of its own.
    QAccessible::Role role() const override { return QAccessible::CheckBox; }
    void setText(QAccessible::Text, const QString&) override {}

    // "10.77.1.11, Korvil 2950MFP-N, Not completed": the columns after the tick.
    QString text(QAccessible::Text kind) const override {
        if (kind != QAccessible::Name || !isValid())
            return {};
        QStringList cells;
        for (int column = 1; column < m_list->columnCount(); ++column)
            cells.append(m_list->GetItemText(m_row, column));
        return cells.join(QStringLiteral(", "));
    }

    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect row = m_list->visualRect(m_list->model()->index(m_row, 0));
        // From the row's left edge, which moves with horizontal scrolling.
        const QRect whole(-m_list->header()->offset(), row.top(), m_list->header()->length(),
                          row.height());
        return QRect(m_list->viewport()->mapToGlobal(whole.topLeft()), whole.size());
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid())
            return state;
        const int tick = m_list->GetStateImage(m_row);
        state.focusable = true;
        state.focused = m_list->hasFocus() && m_list->currentIndex().row() == m_row;
        state.checkable = true;
        state.checked = tick == kImageTicked || tick == kImageTickedLocked;
        state.disabled = IsLocked(tick);
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
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
    QPointer<CMyListCtrl> m_list;
    int m_row;
};

// The list: its children are its rows, made on first use. Assistive technology keeps what a
// row object said until it hears of a change, so whenever rows come, go or move (a refill, a
// sort) the row objects are made anew rather than left to read another printer's row.
class ListAccessible : public QAccessibleWidget {
  public:
    explicit ListAccessible(CMyListCtrl* list) : QAccessibleWidget(list, QAccessible::List) {
        const QAbstractItemModel* model = list->model();
        const auto forget = [this] { ForgetRows(); };
        QObject::connect(model, &QAbstractItemModel::rowsInserted, &m_connections, forget);
        QObject::connect(model, &QAbstractItemModel::rowsRemoved, &m_connections, forget);
        QObject::connect(model, &QAbstractItemModel::modelReset, &m_connections, forget);
        QObject::connect(model, &QAbstractItemModel::layoutChanged, &m_connections, forget);
    }
    ~ListAccessible() override { ForgetRows(); }

    int childCount() const override { return List()->GetItemCount(); }

    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        const auto known = m_rows.find(index);
        if (known != m_rows.end())
            return QAccessible::accessibleInterface(known->second);
        auto* row = new RowAccessible(List(), index);
        m_rows[index] = QAccessible::registerAccessibleInterface(row);
        return row;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        for (const auto& [row, id] : m_rows)
            if (QAccessible::accessibleInterface(id) == child)
                return row;
        return -1;
    }

    QAccessibleInterface* focusChild() const override {
        const int row = List()->currentIndex().row();
        return List()->hasFocus() && row >= 0 ? child(row) : nullptr;
    }

  private:
    CMyListCtrl* List() const { return static_cast<CMyListCtrl*>(widget()); }
    void ForgetRows() {
        for (const auto& [row, id] : m_rows)
            QAccessible::deleteAccessibleInterface(id);
        m_rows.clear();
    }

    mutable std::map<int, QAccessible::Id> m_rows;
    // Ends the model connections with this object.
    QObject m_connections;
};

QAccessibleInterface* CheckListFactory(const QString&, QObject* object) {
    if (auto* list = qobject_cast<CMyListCtrl*>(object))
        return new ListAccessible(list);
    return nullptr;
}

} // namespace

void InstallCheckListAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(CheckListFactory);
        return true;
    }();
    static_cast<void>(installed);
}
