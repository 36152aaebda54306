#pragma once

#include "text/community_name.h"
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
    // After a removal the whole field is selected.
    void CheckTyping();

    std::u16string m_communityName;
    CommunityNameTrim m_trim;
};
