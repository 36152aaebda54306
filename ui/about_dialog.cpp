#include "ui/about_dialog.h"

#include "text/string_ids.h"
#include "ui/program_icon.h"
#include "ui/qt_text.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent) : CDialogBase(parent), m_versionText(new QLabel(this)) {
    setWindowTitle(tr("About Tolvane"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("iconLabel"));
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    m_versionText->setObjectName(QStringLiteral("versionText"));
    // The version line is shown as it stands: no markup, no mnemonic.
    m_versionText->setTextFormat(Qt::PlainText);
    m_versionText->setWordWrap(true);
    m_versionText->setMinimumWidth(m_versionText->fontMetrics().averageCharWidth() * 32);
    m_versionText->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(16);
    layout->addWidget(icon, 0, 0, Qt::AlignTop);
    layout->addWidget(m_versionText, 0, 1);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setRowMinimumHeight(1, 8);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CAboutDlg::OnInitDialog() {
    m_versionText->setText(ResQString(IDS_VERSION_LINE));
}

QAction* InstallAboutEntry(QWidget* window) {
    auto* action = new QAction(ResQString(IDS_ABOUTBOX), window);
    action->setObjectName(QStringLiteral("aboutAction"));
    action->setShortcut(QKeySequence(Qt::Key_F1));
    action->setShortcutVisibleInContextMenu(true);
    QObject::connect(action, &QAction::triggered, window, [window] {
        CAboutDlg about(window);
        about.exec();
    });
    window->addAction(action);
    window->setContextMenuPolicy(Qt::ActionsContextMenu);
    return action;
}
