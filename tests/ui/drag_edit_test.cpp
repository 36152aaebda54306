#include "tests/support/message_box_recorder.h"
#include "ui/drag_edit.h"
#include "ui/field_exchange.h"
#include "ui/qt_text.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

namespace {

constexpr int kTypingLimit = 259;

struct DropOutcome {
    bool entered;
    bool dropped;
};

// Drags `mimeData` over the field and drops it, as a file manager would.
DropOutcome DragAndDrop(QWidget* field, const QMimeData* mimeData) {
    QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, mimeData, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(field, &enter);
    QDropEvent drop(QPointF(4, 4), Qt::CopyAction, mimeData, Qt::LeftButton, Qt::NoModifier);
    drop.ignore();
    QApplication::sendEvent(field, &drop);
    return {enter.isAccepted(), drop.isAccepted()};
}

QUrl File(const QString& path) {
    return QUrl::fromLocalFile(path);
}

} // namespace

class DragEditTest : public QObject {
    Q_OBJECT

  private slots:
    void drop_data() {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("plainText");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("expected");

        const QString longPath = QStringLiteral("/srv/") + QString(291, QChar('b')) + ".rvk";
        QTest::newRow("three files: the first one only")
            << QList<QUrl>{File("/home/ana/one.rvk"), File("/home/ana/two.rvk"), File("/tmp/3.rvk")}
            << QString() << false << "/home/ana/one.rvk";
        QTest::newRow("a folder is taken as it is") << QList<QUrl>{File("/home/ana/backups/")}
                                                    << QString() << false << "/home/ana/backups/";
        QTest::newRow("spaces and non-ASCII kept")
            << QList<QUrl>{File(QString::fromUtf8("/home/ana/Adressbücher/büro 1.rvk"))}
            << QString() << false << QString::fromUtf8("/home/ana/Adressbücher/büro 1.rvk");
        QTest::newRow("300-character path kept whole past the typing limit")
            << QList<QUrl>{File(longPath)} << QString() << false << longPath;
        QTest::newRow("web link before a file: the file")
            << QList<QUrl>{QUrl("https://example.invalid/a.rvk"), File("/tmp/b.rvk")} << QString()
            << false << "/tmp/b.rvk";
        QTest::newRow("read-only field ignores the drop")
            << QList<QUrl>{File("/tmp/b.rvk")} << QString() << true << "typed";
        QTest::newRow("plain text is refused") << QList<QUrl>{} << "/tmp/b.rvk" << false << "typed";
        QTest::newRow("web link only is refused")
            << QList<QUrl>{QUrl("https://example.invalid/a.rvk")} << QString() << false << "typed";
    }

    void drop() {
        QFETCH(QList<QUrl>, urls);
        QFETCH(QString, plainText);
        QFETCH(bool, readOnly);
        QFETCH(QString, expected);

        CDragEdit field;
        LimitTyping(&field, kTypingLimit);
        QTest::keyClicks(&field, "typed");
        field.setReadOnly(readOnly);
        QMimeData mimeData;
        if (!urls.isEmpty())
            mimeData.setUrls(urls);
        if (!plainText.isEmpty())
            mimeData.setText(plainText);

        const DropOutcome outcome = DragAndDrop(&field, &mimeData);
        const bool taken = expected != QStringLiteral("typed");
        QCOMPARE(outcome.entered, taken);
        QCOMPARE(outcome.dropped, taken);
        QCOMPARE(field.text(), expected);
    }

    void typingLimit() {
        QLineEdit field;
        LimitTyping(&field, 8);
        QTest::keyClicks(&field, "abcdefghij");
        QCOMPARE(field.text(), QStringLiteral("abcdefgh"));

        // Editing inside the text keeps the caret where the operator put it.
        field.setCursorPosition(2);
        QTest::keyClick(&field, Qt::Key_Delete);
        QTest::keyClicks(&field, "X");
        QCOMPARE(field.text(), QStringLiteral("abXdefgh"));
        QCOMPARE(field.cursorPosition(), 3);

        // A longer text from the program stays whole; it can shrink but not grow by typing.
        SetFieldText(&field, QStringLiteral("0123456789AB"));
        QCOMPARE(field.text(), QStringLiteral("0123456789AB"));
        QTest::keyClicks(&field, "Z");
        QCOMPARE(field.text(), QStringLiteral("0123456789AB"));
        field.setCursorPosition(5);
        QTest::keyClick(&field, Qt::Key_Backspace);
        QCOMPARE(field.text(), QStringLiteral("012356789AB"));
        QCOMPARE(field.cursorPosition(), 4);
        QTest::keyClicks(&field, "Z");
        QCOMPARE(field.text(), QStringLiteral("012356789AB"));

        // Back under the limit, the limit holds again.
        field.selectAll();
        QTest::keyClicks(&field, "abcdefghij");
        QCOMPARE(field.text(), QStringLiteral("abcdefgh"));
    }

    void readFieldText() {
        MessageBoxRecorder recorder;
        QLineEdit field;
        QString member = QStringLiteral("before");
        SetFieldText(&field, QString(260, QChar('p')));
        QVERIFY(!ReadFieldText(&field, kTypingLimit, &member));
        QCOMPARE(member, QStringLiteral("before"));
        QCOMPARE(field.selectedText().size(), 260);
        QCOMPARE(recorder.Count(), size_t{1});
        QCOMPARE(QtText(recorder.Boxes().front().caption), QStringLiteral("Tolvane"));
        QCOMPARE(QtText(recorder.Boxes().front().text),
                 QStringLiteral("Please enter no more than 259 characters."));
        QCOMPARE(recorder.Boxes().front().flags, unsigned(MB_OK | MB_ICONEXCLAMATION));

        SetFieldText(&field, QString(259, QChar('p')));
        QVERIFY(ReadFieldText(&field, kTypingLimit, &member));
        QCOMPARE(member, QString(259, QChar('p')));
        QCOMPARE(recorder.Count(), size_t{1});
    }
};

QTEST_MAIN(DragEditTest)
#include "drag_edit_test.moc"
