#pragma once

#include <windows.h>

#include <commctrl.h>

// A modal dialog made from its template: the thin base every window of the program derives
// from. The dialog procedure finds the object through the window's user data.
class CDialog {
  public:
    explicit CDialog(int templateId) : m_templateId(templateId) {}
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally over `owner`; returns the code it ended with, -1 when it could
    // not be made.
    INT_PTR DoModal(HWND owner);

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }

  protected:
    // Runs once the controls exist; TRUE gives the focus to the first tab stop.
    virtual BOOL OnInitDialog() { return TRUE; }
    // The default button and Enter (IDOK), and Escape, the close box and IDCANCEL.
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // A command from a control or menu other than IDOK and IDCANCEL; true when handled.
    virtual bool OnCommand(int id, int code, HWND control);
    // A control's notification; true when handled, with the answer in *result.
    virtual bool OnNotify(NMHDR* header, LRESULT* result);
    // Any other message; true when handled, with the answer in *result.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    void EndDialog(INT_PTR code);

    HWND m_hWnd = nullptr;

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    int m_templateId;
};
