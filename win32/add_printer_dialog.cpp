#include "win32/add_printer_dialog.h"

#include "win32/resource.h"

CDlgSetIPAddress::CDlgSetIPAddress() : CDialog(IDD_ADD_PRINTER) {}

BOOL CDlgSetIPAddress::OnInitDialog() {
    SendMessageW(Item(IDC_ADDRESS), IPM_SETADDRESS, 0, static_cast<LPARAM>(m_address));
    SetFocus(Item(IDC_ADDRESS));
    return FALSE;
}

void CDlgSetIPAddress::OnOK() {
    // The control reads blank parts as 0; how many parts were filled does not matter.
    DWORD address = 0;
    SendMessageW(Item(IDC_ADDRESS), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    m_address = address;
    EndDialog(IDOK);
}
