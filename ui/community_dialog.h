#pragma once

#include "text/community_name.h"
#include "ui/dialog_base.h"

#include <QString>

class QLineEdit;

// The dialog in which the operator edits the SNMP community name. Only ASCII letters, digits,
// hyphen and underscore can stay in the field, and at most 31 characters are accepted.
class CDlgSNMP : public CDialogBase {
    Q_OBJECT
  public:
    static constexpr int kMaxNameLength = kCommunityNameMaxChars;

    explicit CDlgSNMP(QWidget* parent = nullptr);

    // The caller puts the current name in before opening and reads it back after OK.
    void SetCommunityName(const QString& name) { m_communityName = name; }
    QString CommunityName() const { return m_communityName; }

    void accept() override;

  protected:
    void OnInitDialog() override;

  private:
    void CheckTypedName();

    QLineEdit* m_nameEdit;
    QString m_communityName;
    CommunityNameTrim m_trim;
};
