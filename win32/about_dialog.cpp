#include "win32/about_dialog.h"

#include "text/string_ids.h"
#include "win32/resource.h"
#include "win32/window_text.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() {
    SetWindowTextOf(Item(IDC_VERSION_LINE), LoadResourceString(IDS_VERSION_LINE));
    return TRUE;
}
