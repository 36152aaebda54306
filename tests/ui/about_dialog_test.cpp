#include "ui/about_dialog.h"
#include "ui/program_icon.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class AboutDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void showsVersionLineAsItStands() {
        CAboutDlg about;
        about.show();
        QCOMPARE(about.windowTitle(), QStringLiteral("About Tolvane"));
        auto* text = about.findChild<QLabel*>(QStringLiteral("versionText"));
        QVERIFY(text);
        QCOMPARE(text->text(),
                 QStringLiteral("Tolvane for Korvil 2950MFP Address Book Version 0.2.1"));
        QCOMPARE(text->textFormat(), Qt::PlainText);
        QVERIFY(!about.findChild<QLabel*>(QStringLiteral("iconLabel"))->pixmap().isNull());
        auto* ok = about.findChild<QPushButton*>(QStringLiteral("okButton"));
        QVERIFY(ok->isDefault());
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(about.result(), int(QDialog::Accepted));
        QVERIFY(!about.isVisible());
    }

    void programIconHasEverySize() {
        const QIcon icon = ProgramIcon();
        for (int size : {16, 32, 48, 64, 128, 256}) {
            // Each size is drawn from its own file, not scaled from another one.
            const QImage image = icon.pixmap(size, size).toImage();
            const QImage drawn(QStringLiteral(":/icons/tolvane-%1.png").arg(size));
            QCOMPARE(drawn.size(), QSize(size, size));
            QCOMPARE(image.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                     drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        }
    }

    void aboutEntryOpensTheBoxModally() {
        QDialog window;
        QAction* entry = InstallAboutEntry(&window);
        QCOMPARE(entry->text(), QStringLiteral("&About Tolvane..."));
        QCOMPARE(entry->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(window.contextMenuPolicy(), Qt::ActionsContextMenu);
        QVERIFY(window.actions().contains(entry));

        QString seenText;
        QTimer::singleShot(0, &window, [&seenText] {
            auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
            QVERIFY(about);
            seenText = about->findChild<QLabel*>(QStringLiteral("versionText"))->text();
            about->accept();
        });
        entry->trigger();
        QCOMPARE(seenText, QStringLiteral("Tolvane for Korvil 2950MFP Address Book Version 0.2.1"));
    }
};

QTEST_MAIN(AboutDialogTest)
#include "about_dialog_test.moc"
