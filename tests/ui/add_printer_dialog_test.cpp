#include "ui/add_printer_dialog.h"
#include "ui/ip_address_edit.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// Types into whichever part has the focus at each key, as the keyboard would: "\b" is
// Backspace, "<" and ">" the arrow keys, anything else a character key.
void Type(QDialog* dialog, const QString& keys) {
    for (QChar c : keys) {
        QWidget* target = dialog->focusWidget();
        QVERIFY(target);
        if (c == QChar('\b'))
            QTest::keyClick(target, Qt::Key_Backspace);
        else if (c == QChar('<'))
            QTest::keyClick(target, Qt::Key_Left);
        else if (c == QChar('>'))
            QTest::keyClick(target, Qt::Key_Right);
        else
            QTest::keyClick(target, c.toLatin1());
    }
}

QStringList PartTexts(const QDialog& dialog) {
    QStringList texts;
    for (int index = 0; index < CIPAddressEdit::kPartCount; ++index)
        texts << dialog.findChild<QLineEdit*>(QStringLiteral("part%1").arg(index))->text();
    return texts;
}

void ClickButton(QDialog* dialog, const char* name) {
    QTest::mouseClick(dialog->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
}

} // namespace

class AddPrinterDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void typedAddress_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<quint32>("expected");

        QTest::newRow("untouched field is 0.0.0.0") << "" << quint32(0);
        QTest::newRow("only two parts typed") << "10.1" << quint32(0x0A010000);
        QTest::newRow("third digit moves on") << "1921680.10" << quint32(0xC0A8000A);
        QTest::newRow("dot right after a full part skips nothing")
            << "192.168.0.10" << quint32(0xC0A8000A);
        QTest::newRow("255 is the largest part") << "255.255.255.255" << quint32(0xFFFFFFFF);
        QTest::newRow("larger number becomes 255") << "256.1" << quint32(0xFF010000);
        QTest::newRow("dot in the last part is ignored") << "1.2.3.4.5" << quint32(0x0102032D);
        QTest::newRow("letters are refused") << "a1b.c2" << quint32(0x01020000);
        QTest::newRow("backspace in an empty part goes back") << "1.2\b\b3" << quint32(0x0D000000);
        QTest::newRow("left arrow at a part's start goes back") << "1.2<<5" << quint32(0x0F020000);
        QTest::newRow("right arrow at a part's end goes on") << "7>9" << quint32(0x075A0000);
    }

    void typedAddress() {
        QFETCH(QString, keys);
        QFETCH(quint32, expected);

        CDlgSetIPAddress dialog;
        dialog.SetAddress(0);
        dialog.show();
        Type(&dialog, keys);
        ClickButton(&dialog, "okButton");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Address(), expected);
    }

    void openingShowsTheMemberAndFocusesTheField() {
        CDlgSetIPAddress dialog;
        dialog.SetAddress(0xC0A8000A);
        dialog.show();
        QCOMPARE(PartTexts(dialog), QStringList({"192", "168", "0", "10"}));
        auto* first = dialog.findChild<QLineEdit*>(QStringLiteral("part0"));
        QCOMPARE(dialog.focusWidget(), first);
        QCOMPARE(first->selectedText(), QStringLiteral("192"));
        dialog.accept();
        QCOMPARE(dialog.Address(), quint32(0xC0A8000A));

        dialog.SetAddress(0);
        dialog.show();
        QCOMPARE(PartTexts(dialog), QStringList({"0", "0", "0", "0"}));
        dialog.reject();
    }

    void blankPartsReadAsZero() {
        CDlgSetIPAddress dialog;
        dialog.SetAddress(0x01020304);
        dialog.show();
        for (auto* part : dialog.findChildren<QLineEdit*>())
            part->clear();
        dialog.accept();
        QCOMPARE(dialog.Address(), quint32(0));
    }

    void cancelLeavesTheMember() {
        CDlgSetIPAddress dialog;
        dialog.SetAddress(0x01020304);
        QTimer::singleShot(0, &dialog, [&dialog] {
            Type(&dialog, QStringLiteral("9.9.9.9"));
            ClickButton(&dialog, "cancelButton");
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(dialog.Address(), quint32(0x01020304));
    }
};

QTEST_MAIN(AddPrinterDialogTest)
#include "add_printer_dialog_test.moc"
