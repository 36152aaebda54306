#pragma once

#include <windows.h>

#include <string>

// Tells screen readers what a row of the check-box list is: the control draws its own state
// images, so on its own it reports plain list items. Each row is annotated (the system's
// dynamic annotation of accessible properties) as a check box named by its cells, checked when
// ticked, unavailable when locked.
class CheckListAccessible {
  public:
    CheckListAccessible();
    ~CheckListAccessible();
    CheckListAccessible(const CheckListAccessible&) = delete;
    CheckListAccessible& operator=(const CheckListAccessible&) = delete;

    void AnnotateRow(HWND list, int row, const std::u16string& name, bool ticked, bool locked);

  private:
    struct IAccPropServices* m_services = nullptr;
};
