#include "text/string_ids.h"
#include "ui/file_filter.h"
#include "ui/qt_text.h"

#include <QtTest>

class FileFilterTest : public QObject {
    Q_OBJECT

  private slots:
    void convertsPairs_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("patterns already in the description stay in place")
            << QStringLiteral("Backup (*.rvk)|*.rvk||") << QStringLiteral("Backup (*.rvk)");
        QTest::newRow("every file is * here, also in the description")
            << QStringLiteral("All Files (*.*)|*.*||") << QStringLiteral("All Files (*)");
        QTest::newRow("a description without its patterns gets them appended")
            << QStringLiteral("Backups|*.rvk||") << QStringLiteral("Backups (*.rvk)");
        QTest::newRow("several patterns are joined by spaces")
            << QStringLiteral("Both|*.rvk;*.bak||") << QStringLiteral("Both (*.rvk *.bak)");
        QTest::newRow("shown patterns with several entries are rewritten together")
            << QStringLiteral("Both (*.rvk;*.bak)|*.rvk;*.bak||")
            << QStringLiteral("Both (*.rvk *.bak)");
        QTest::newRow("blanks around patterns are dropped")
            << QStringLiteral("Spaced| *.a ; *.b |") << QStringLiteral("Spaced (*.a *.b)");
        QTest::newRow("a pair without patterns is dropped")
            << QStringLiteral("Nothing||Text|*.txt||") << QStringLiteral("Text (*.txt)");
        QTest::newRow("a description without its pattern piece is dropped")
            << QStringLiteral("Dangling") << QString();
        QTest::newRow("an empty filter gives none") << QString() << QString();
    }

    void convertsPairs() {
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        QCOMPARE(QtFileFilter(filter), expected);
    }

    void backupFilterOfTheStringTable() {
        QCOMPARE(QtFileFilter(ResQString(IDS_BACKUP_FILTER)),
                 QStringLiteral("Backup File for Korvil 2950MFP(*.rvk);;All Files (*)"));
    }
};

QTEST_MAIN(FileFilterTest)
#include "file_filter_test.moc"
