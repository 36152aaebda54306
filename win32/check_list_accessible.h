#pragma once

#include <windows.h>

#include <oleacc.h>

#include <string>
#include <vector>

// A row of the check-box list as screen readers are told of it.
struct AccessibleRow {
    std::u16string name;
    int tickState;
    bool focused; // the focus row, while the list has the keyboard focus
};

// The row's accessible state: always focusable, checked when ticked, unavailable when locked,
// focused when it has the keyboard focus; never selected (rows are not selected).
LONG AccessibleRowState(const AccessibleRow& row);

// The rows as they are at the moment of a request.
class AccessibleRows {
  public:
    virtual int AccessibleRowCount() const = 0;
    virtual AccessibleRow AccessibleRowAt(int row) const = 0;

  protected:
    ~AccessibleRows() = default;
};

// Tells screen readers what a row of the check-box list is: the control draws its own state
// images, so on its own it reports plain list items. Every row is annotated (the system's
// dynamic annotation of accessible properties) as a check box named by its cells, its state
// computed from the row when a screen reader asks, so it is never stale.
class CheckListAccessible {
  public:
    CheckListAccessible();
    ~CheckListAccessible();
    CheckListAccessible(const CheckListAccessible&) = delete;
    CheckListAccessible& operator=(const CheckListAccessible&) = delete;

    // Answers for the rows of `list` from `rows`, as many as it has now (call again when that
    // number changes), until Detach or destruction.
    void Annotate(HWND list, const AccessibleRows* rows);
    void Detach();

    // A property of a row as a screen reader's request reaches our server; VT_EMPTY when the
    // server has none (or there is no annotation service).
    VARIANT RowProperty(int row, const MSAAPROPID& property) const;

  private:
    class RowServer;
    IAccPropServices* m_services = nullptr;
    std::vector<RowServer*> m_servers; // one per row, in row order
    HWND m_list = nullptr;
};
