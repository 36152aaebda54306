#include "tests/support/message_box_recorder.h"
#include "text/notices.h"
#include "ui/community_dialog.h"
#include "ui/qt_text.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

const QString kNoticeCaption = QStringLiteral("Verify the Community Name.");
const QString kNoticeText = QStringLiteral(
    "Invalid characters in the Community Name. Only alphabets, numbers, \"\"-\"\" (hyphen) and "
    "\"\"_\"\" (underscore) can be used.");

// Types each character as a key press carrying that text, as a keyboard layout would.
void Type(QWidget* widget, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

class CommunityDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void typingCheck_data() {
        QTest::addColumn<QString>("initial");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("paste");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("notices");

        QTest::newRow("space after a valid name") << "orchid" << 6 << " " << false << "orchid" << 1;
        QTest::newRow("full stop after a valid name")
            << "orchid" << 6 << "." << false << "orchid" << 1;
        QTest::newRow("paste with a dollar third: last three go")
            << "" << 0 << "ab$cd" << true << "ab" << 3;
        QTest::newRow("bad character typed between 2nd and 3rd")
            << "abcd" << 2 << "#" << false << "ab" << 3;
        QTest::newRow("accented letter is not ASCII")
            << "orchid" << 6 << QString(QChar(0xE9)) << false << "orchid" << 1;
        QTest::newRow("Cyrillic letter is not ASCII")
            << "orchid" << 6 << QString(QChar(0x416)) << false << "orchid" << 1;
        QTest::newRow("fullwidth digit is not ASCII")
            << "abc" << 3 << QString(QChar(0xFF11)) << false << "abc" << 1;
        QTest::newRow("bad first character leaves nothing") << "" << 0 << "!" << false << "" << 1;
        QTest::newRow("hyphen and underscore allowed")
            << "orchid" << 6 << "-_" << false << "orchid-_" << 0;
        QTest::newRow("digits and both cases allowed")
            << "" << 0 << "Az09Zz" << false << "Az09Zz" << 0;
    }

    void typingCheck() {
        QFETCH(QString, initial);
        QFETCH(int, cursor);
        QFETCH(QString, input);
        QFETCH(bool, paste);
        QFETCH(QString, expected);
        QFETCH(int, notices);

        MessageBoxRecorder recorder;
        CDlgSNMP dialog;
        dialog.SetCommunityName(initial);
        dialog.show();
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("communityEdit"));
        QVERIFY(edit);
        QCOMPARE(recorder.Count(), size_t{0});
        edit->setCursorPosition(cursor);
        if (paste) {
            QApplication::clipboard()->setText(input);
            edit->paste();
        } else {
            Type(edit, input);
        }

        QCOMPARE(edit->text(), expected);
        QCOMPARE(recorder.Count(), size_t(notices));
        for (const RecordedMessageBox& box : recorder.Boxes()) {
            QCOMPARE(box.owner, nullptr);
            QCOMPARE(QtText(box.caption), kNoticeCaption);
            QCOMPARE(QtText(box.text), kNoticeText);
            QCOMPARE(box.flags, unsigned(MB_OK | MB_ICONHAND | MB_TASKMODAL));
        }
        if (notices > 0)
            QCOMPARE(edit->selectedText(), expected);
    }

    // The check re-runs on its own write-back; a long bad tail set by the program still ends.
    void correctionRepeatsUntilClean() {
        MessageBoxRecorder recorder;
        CDlgSNMP dialog;
        dialog.SetCommunityName(QStringLiteral("ab") + QString(29, QChar('$')));
        dialog.show();
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("communityEdit"));
        QCOMPARE(edit->text(), QStringLiteral("ab"));
        QCOMPARE(recorder.Count(), size_t{29});
        QCOMPARE(edit->selectedText(), QStringLiteral("ab"));
    }

    void deletingAllGivesEmptyName() {
        MessageBoxRecorder recorder;
        CDlgSNMP dialog;
        dialog.SetCommunityName(QStringLiteral("orchid"));
        dialog.show();
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("communityEdit"));
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString());
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        QCOMPARE(recorder.Count(), size_t{0});
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.CommunityName(), QString());
    }

    void typingStopsAtThirtyOneCharacters() {
        MessageBoxRecorder recorder;
        CDlgSNMP dialog;
        dialog.show();
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("communityEdit"));
        Type(edit, QString(40, QChar('a')));
        QCOMPARE(edit->text(), QString(31, QChar('a')));
        dialog.accept();
        QCOMPARE(recorder.Count(), size_t{0});
        QCOMPARE(dialog.CommunityName(), QString(31, QChar('a')));
    }

    void longerNameSetByProgramIsRefusedOnOk() {
        MessageBoxRecorder recorder;
        QWidget mainWindow;
        SetAppMainWindow(&mainWindow);
        const QString longName(32, QChar('x'));
        CDlgSNMP dialog;
        dialog.SetCommunityName(longName);
        dialog.show();
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("communityEdit"));
        QCOMPARE(edit->text(), longName);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        SetAppMainWindow(nullptr);

        QCOMPARE(recorder.Count(), size_t{1});
        const RecordedMessageBox box = recorder.Boxes().front();
        QCOMPARE(box.owner, &mainWindow);
        QCOMPARE(QtText(box.caption), QStringLiteral("Tolvane"));
        QCOMPARE(QtText(box.text), QStringLiteral("Please enter no more than 31 characters."));
        QCOMPARE(box.flags, unsigned(MB_OK | MB_ICONEXCLAMATION));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.focusWidget(), edit);
        QCOMPARE(edit->selectedText(), longName);
        QCOMPARE(dialog.CommunityName(), longName);
    }

    void execEndsWithOkOrCancel() {
        MessageBoxRecorder recorder;
        CDlgSNMP dialog;
        dialog.SetCommunityName(QStringLiteral("orchid"));
        QTimer::singleShot(0, &dialog, [&dialog] {
            auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("communityEdit"));
            QTest::keyClicks(edit, "public");
            dialog.findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(dialog.CommunityName(), QStringLiteral("orchid"));

        QTimer::singleShot(0, &dialog, [&dialog] {
            auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("communityEdit"));
            // The name is selected on opening: typing replaces it.
            QTest::keyClicks(edit, "public");
            dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.CommunityName(), QStringLiteral("public"));
        QCOMPARE(recorder.Count(), size_t{0});
    }
};

QTEST_MAIN(CommunityDialogTest)
#include "community_dialog_test.moc"
