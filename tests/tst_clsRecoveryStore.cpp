#include "document/clsRecoveryStore.h"
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

// What a recovery file gives back: the format written, or a refusal that names the file,
// never another report's format.
class tst_clsRecoveryStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void readBack_data()
    {
        QTest::addColumn<QString>("file");   // what the file holds before reading
        QTest::addColumn<bool>("read");
        QTest::newRow("as written") << QString() << true;
        QTest::newRow("no file") << QStringLiteral("-") << false;
        QTest::newRow("cut short by a crash of the disk") << QStringLiteral("{\"format\":{\"format\":1,") << false;
        QTest::newRow("another report's file") << QStringLiteral("other") << false;
        QTest::newRow("a format that does not read") << QStringLiteral("bad rows") << false;
    }
    void readBack()
    {
        QFETCH(QString, file);
        QFETCH(bool, read);
        const clsRecoveryStore store(QStringLiteral("Driver=QSQLITE;Database=/tmp/a.db;"), QStringLiteral("GL"),
                                     QStringLiteral("科目余额表"));
        clsFormatSnapshot written;
        written.Rows.push_back(clsFormatRow(FormatKind::Label).Set(FldColumn::Name, QStringLiteral("标签1"))
                                   .Set(FldColumn::Width, qlonglong(1000)));
        QString error;
        QVERIFY2(store.Write(written, error), qPrintable(error));
        if (file == QLatin1String("-")) {
            QVERIFY(store.Remove());
        } else if (file == QLatin1String("other")) {
            // Written for the same report of another database, then put under this name.
            const clsRecoveryStore other(QStringLiteral("Driver=QSQLITE;Database=/tmp/b.db;"), QStringLiteral("GL"),
                                         QStringLiteral("科目余额表"));
            QVERIFY(other.FilePath() != store.FilePath());
            QVERIFY(other.Write(written, error));
            QVERIFY(store.Remove() && QFile::rename(other.FilePath(), store.FilePath()));
        } else if (!file.isEmpty()) {
            QFile f(store.FilePath());
            QVERIFY(f.open(QIODevice::ReadWrite));
            const QByteArray text = file == QLatin1String("bad rows") ? f.readAll().replace("\"ModeEx\":26", "\"ModeEx\":99") : file.toUtf8();
            QVERIFY(f.resize(0) && f.seek(0) && f.write(text) == text.size());
        }
        clsFormatSnapshot back;
        QDateTime when;
        error.clear();
        QCOMPARE(store.Read(back, when, error), read);
        if (read) {
            QCOMPARE(back, written);
            QVERIFY(qAbs(when.secsTo(QDateTime::currentDateTime())) < 60);
        } else {
            QVERIFY(error.contains(store.FilePath()));
        }
        QVERIFY(store.Remove() && !store.Exists());
    }
};

QTEST_GUILESS_MAIN(tst_clsRecoveryStore)
#include "tst_clsRecoveryStore.moc"
