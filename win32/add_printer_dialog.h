#pragma once

#include "win32/dialog.h"

#include <cstdint>

// The add-printer dialog: one IPv4 address, most significant part first, blank parts as 0.
class CDlgSetIPAddress : public CDialog {
  public:
    CDlgSetIPAddress();
    void SetAddress(uint32_t address) { m_address = address; }
    uint32_t Address() const { return m_address; }

  protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

  private:
    uint32_t m_address = 0;
};
