#pragma once

#include "ui/dialog_base.h"

#include <cstdint>

class CIPAddressEdit;

// The dialog in which the operator types the IPv4 address of a printer to add by hand.
class CDlgSetIPAddress : public CDialogBase {
    Q_OBJECT
  public:
    explicit CDlgSetIPAddress(QWidget* parent = nullptr);

    // Host order: the first dotted part is the most significant byte. Shown on opening, read
    // back on OK only.
    void SetAddress(uint32_t address) { m_address = address; }
    uint32_t Address() const { return m_address; }

    void accept() override;

  protected:
    void OnInitDialog() override;

  private:
    uint32_t m_address = 0;
    CIPAddressEdit* m_addressEdit;
};
