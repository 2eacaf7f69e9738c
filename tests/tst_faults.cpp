// Faults under open and save: a connection that goes away, values of the wrong type,
// rows of kinds the designer does not know. Never a crash, a message in the
// component's words, nothing stored lost, no lock left behind.
#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/clsDefinitionStore.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "columns/clsFieldsManager.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

class tst_faults : public QObject
{
    Q_OBJECT
private:
    // Closes the host's connection when the k-th statement is about to run.
    static void CloseAt(clsTestDatabase& db, int k, int* seen)
    {
        const QString name = db.Conn().Name();
        db.Conn().SetStatementHook([name, k, seen](const QString&) {
            if (++*seen == k)
                QSqlDatabase::database(name, false).close();
        });
    }
    static void Reopen(clsTestDatabase& db)
    {
        QSqlDatabase sql = QSqlDatabase::database(db.Conn().Name(), false);
        QVERIFY(sql.open());
        if (!db.Schema().isEmpty()) {
            QSqlQuery(sql).exec(QStringLiteral("SET client_min_messages TO warning"));
            QSqlQuery(sql).exec(QStringLiteral("SET search_path TO ") + db.Schema());
        }
    }

private Q_SLOTS:
    void cleanup() { g_blnRunMode = false; }

    void connectionClosedDuringOpen_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("closeAt");
        for (const QString& b : clsTestDatabase::Backends())
            for (int k : {1, 2, 3, 5, 8, 12, 16})
                QTest::newRow(qPrintable(QStringLiteral("%1 statement %2").arg(b).arg(k))) << b << k;
    }
    void connectionClosedDuringOpen()
    {
        QXRF_OPEN_DB(db, true, true);
        QFETCH(int, closeAt);
        const QStringList before = db.Dump(1);
        clsRecordingPrompt prompt;
        clsDocument doc;
        int seen = 0;
        CloseAt(db, closeAt, &seen);
        doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QString());
        db.Conn().SetStatementHook({});
        for (const auto& m : prompt.messages)
            QVERIFY2(!m.text.trimmed().isEmpty() && m.title == QStringLiteral("格式"), qPrintable(m.text));
        if (!db.Conn().IsOpen()) {
            // Saving on the dead connection writes nothing and keeps the changes.
            doc.SetDocChanged(true);
            doc.SaveReportFormat();
            QVERIFY(!doc.LastSaveWritten());
            QVERIFY(doc.DocChanged());
            Reopen(db);
        } else {
            QVERIFY2(seen < closeAt, "the connection was closed but still reads as open");
        }
        QCOMPARE(db.Dump(1), before);
        QCOMPARE(db.Scalar(QStringLiteral("select Cols from Rpt_GlbDEF where ID=1")).toInt(), 0);
        clsDocument again;
        QVERIFY(again.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QString()));
    }

    void connectionClosedDuringSave_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("closeAt");
        for (const QString& b : clsTestDatabase::Backends())
            for (int k : {1, 2, 4, 10, 30})
                QTest::newRow(qPrintable(QStringLiteral("%1 statement %2").arg(b).arg(k))) << b << k;
    }
    void connectionClosedDuringSave()
    {
        QXRF_OPEN_DB(db, true, true);
        QFETCH(int, closeAt);
        clsRecordingPrompt prompt;
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("应付账款账龄分析表"), QStringLiteral("AP"), QString()));
        const QStringList before = db.Dump(2);
        doc.SetPrintSetting(QStringLiteral("另一台打印机"), 8, 2, 100, 100, 100, 100, false);
        int seen = 0;
        CloseAt(db, closeAt, &seen);
        doc.SaveReportFormat();
        db.Conn().SetStatementHook({});
        QVERIFY(!doc.LastSaveWritten());
        QVERIFY(doc.DocChanged());
        QVERIFY(!db.Conn().InTransaction());
        Reopen(db);
        QCOMPARE(db.Dump(2), before);
        QCOMPARE(db.Scalar(QStringLiteral("select Cols from Rpt_GlbDEF where ID=2")).toInt(), 0);
        // The same document saves once the connection is back.
        doc.SaveReportFormat();
        QVERIFY(doc.LastSaveWritten());
        QCOMPARE(db.Count(QStringLiteral("ID=2 and ModeEx=27 and Condition='另一台打印机'")), 1);
    }

    // SQLite keeps whatever a column is given; every number column of every kind gets text.
    void wrongTypesInEveryColumn_data()
    {
        QTest::addColumn<int>("mode");
        for (int mode : {0, 3, 4, 5, 22, 25, 26, 27})
            QTest::newRow(qPrintable(QStringLiteral("ModeEx %1").arg(mode))) << mode;
    }
    void wrongTypesInEveryColumn()
    {
        QFETCH(int, mode);
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        QVERIFY(db.Ready());
        db.Conn().Execute(QStringLiteral("update Rpt_FldDEF set OrderEx='甲', iAlignStyle='乙', iColSize='丙', TopEx='丁', "
                                         "LeftEx='戊', Width='己', Height='庚', iSize='辛', Visible='壬' "
                                         "where ID = 3 and ModeEx = %1").arg(mode));
        const QStringList before = db.Dump(3);
        clsRecordingPrompt prompt;
        clsDocument doc;
        doc.OpenDocument(&db.Conn(), QStringLiteral("工资汇总表"), QStringLiteral("WA"), QString());
        for (const auto& m : prompt.messages) {
            QCOMPARE(m.title, QStringLiteral("格式"));
            QVERIFY2(m.text.contains(QStringLiteral("类型不匹配")) || m.text.startsWith(QStringLiteral("没有找到报表")), qPrintable(m.text));
        }
        doc.CloseDocument(true);
        QCOMPARE(db.Dump(3), before);   // opening and closing wrote nothing
    }

    void unknownKindsAreLeftAlone_data()
    {
        clsTestDatabase::AddBackendColumn();
        for (const QString& b : clsTestDatabase::Backends())
            QTest::newRow(qPrintable(b)) << b;
    }
    void unknownKindsAreLeftAlone()
    {
        QXRF_OPEN_DB(db, true, true);
        db.Conn().BeginTrans();
        QSqlQuery q(db.Conn().Database());
        q.prepare(QStringLiteral("insert into Rpt_FldDEF (ID,ModeEx,OrderEx,Name,Expression) values (1,?,?,?,?)"));
        for (int i = 0; i < 5000; ++i) {
            q.addBindValue(i % 2 ? 99 : 7);
            q.addBindValue(i);
            q.addBindValue(QStringLiteral("未知%1").arg(i));
            q.addBindValue(QStringLiteral("x'y"));
            QVERIFY(q.exec());
        }
        db.Conn().CommitTrans();
        clsRecordingPrompt prompt;
        clsDocument doc;
        QElapsedTimer t;
        t.start();
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QString()));
        QCOMPARE(prompt.messages.size(), 0);
        doc.SetDocChanged(true);
        doc.SaveReportFormat();
        QVERIFY(doc.LastSaveWritten());
        QCOMPARE(db.Count(QStringLiteral("ID=1 and ModeEx in (7, 99)")), 5000);
        qInfo("open and save beside 5,000 unknown rows: %lld ms", t.elapsed());
    }
};

QTEST_GUILESS_MAIN(tst_faults)
#include "tst_faults.moc"
