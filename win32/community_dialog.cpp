#include "win32/community_dialog.h"

#include "text/community_name.h"
#include "text/notices.h"
#include "win32/resource.h"
#include "win32/window_text.h"

CDlgSNMP::CDlgSNMP() : CDialog(IDD_COMMUNITY) {}

BOOL CDlgSNMP::OnInitDialog() {
    SetWindowTextOf(Item(IDC_FILE_NAME), m_communityName);
    SendMessageW(Item(IDC_FILE_NAME), EM_LIMITTEXT, kCommunityNameMaxChars, 0);
    return TRUE;
}

void CDlgSNMP::OnOK() {
    const std::u16string name = WindowText(Item(IDC_FILE_NAME));
    if (name.size() > static_cast<size_t>(kCommunityNameMaxChars)) {
        ShowFieldTooLong(kCommunityNameMaxChars);
        SetFocus(Item(IDC_FILE_NAME));
        SendMessageW(Item(IDC_FILE_NAME), EM_SETSEL, 0, -1);
        return;
    }
    m_communityName = name;
    EndDialog(IDOK);
}

bool CDlgSNMP::OnCommand(int id, int code, HWND) {
    if (id != IDC_FILE_NAME || code != EN_UPDATE)
        return false;
    CheckTyping();
    return true;
}

void CDlgSNMP::CheckTyping() {
    HWND field = Item(IDC_FILE_NAME);
    const bool dropped = m_trim.Trim(
        WindowText(field), [field](const std::u16string& name) { SetWindowTextOf(field, name); });
    if (dropped) {
        SendMessageW(field, EM_SETSEL, 0, -1);
        SendMessageW(field, EM_SCROLLCARET, 0, 0);
    }
}
