#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string_view>

// The backup file's name field: a file dropped on it from the shell replaces its text with
// the first dropped path, whole (beyond the typing limit too); a read-only field ignores drops.
class CDragEdit {
  public:
    CDragEdit() = default;
    ~CDragEdit();
    CDragEdit(const CDragEdit&) = delete;
    CDragEdit& operator=(const CDragEdit&) = delete;

    void Attach(HWND edit);
    HWND GetSafeHwnd() const { return m_hWnd; }
    void OnDropFiles(HDROP drop);
    // Puts `path` in the field as a drop does; false (the text unchanged) when it is read-only.
    bool TakePath(std::u16string_view path);

  private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    HWND m_hWnd = nullptr;
};
