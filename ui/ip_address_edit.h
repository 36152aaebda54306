#pragma once

#include <QFrame>

#include <array>
#include <cstdint>

class QLineEdit;

// A four-part IPv4 address field: four small number fields joined by dots, drawn as one field.
// Each part holds 0 to 255 (a larger number is cut to 255 as it is typed); a blank part reads
// as 0. Typing "." or a part's third digit moves on to the next part, Backspace in an empty
// part and the arrow keys at a part's edge move between parts.
class CIPAddressEdit : public QFrame {
    Q_OBJECT
  public:
    static constexpr int kPartCount = 4;

    explicit CIPAddressEdit(QWidget* parent = nullptr);

    // The address in host order: the first part is the most significant byte. Setting it shows
    // every part, zeros included.
    void SetAddress(uint32_t address);
    uint32_t Address() const;

    // Puts the focus in one part with its text selected, so typing replaces it.
    void SetFieldFocus(int part);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnPartEdited(int part);
    bool HandleKey(int part, int key);

    std::array<QLineEdit*, kPartCount> m_parts{};
};
