#pragma once

#include "win32/dialog.h"

#include <string>

// The community name dialog: letters, digits, '-' and '_' only, at most 31 characters, checked
// while the name is typed.
class CDlgSNMP : public CDialog {
  public:
    CDlgSNMP();
    void SetCommunityName(const std::u16string& name) { m_communityName = name; }
    const std::u16string& CommunityName() const { return m_communityName; }

  protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    // Removes the last character while the field holds one that is not allowed, one notice
    // per removal, then selects the whole field.
    void CheckTyping();

    std::u16string m_communityName;
    bool m_checking = false;
};
