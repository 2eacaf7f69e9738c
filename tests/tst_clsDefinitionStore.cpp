#include "document/clsConnection.h"
#include "document/clsDefinitionStore.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "columns/clsFieldsManager.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QTemporaryDir>
#include <QtTest>

class tst_clsDefinitionStore : public QObject
{
    Q_OBJECT
private:
    static void backends()
    {
        clsTestDatabase::AddBackendColumn();
        for (const QString& b : clsTestDatabase::Backends())
            QTest::newRow(qPrintable(b)) << b;
    }

private Q_SLOTS:
    void schemaIsCreatedOnceAndDemoIsRepeatable_data() { backends(); }
    void schemaIsCreatedOnceAndDemoIsRepeatable()
    {
        QXRF_OPEN_DB(db, false);
        QVERIFY(!clsDefinitionStore::HasSchema(db.Conn()));
        clsDefinitionStore::CreateSchema(db.Conn());
        QVERIFY(clsDefinitionStore::HasSchema(db.Conn()));
        clsDefinitionStore::CreateSchema(db.Conn());   // nothing to do the second time
        clsDefinitionStore::LoadDemoData(db.Conn());
        const int rows = db.Scalar(QStringLiteral("select count(*) from Rpt_FldDEF")).toInt();
        QVERIFY(rows > 100);
        clsDefinitionStore::LoadDemoData(db.Conn());
        QCOMPARE(db.Scalar(QStringLiteral("select count(*) from Rpt_FldDEF")).toInt(), rows);
        QCOMPARE(db.Scalar(QStringLiteral("select count(*) from Rpt_GlbDEF")).toInt(), 5);
        QCOMPARE(db.Scalar(QStringLiteral("select count(*) from Rpt_GlbDEF where Cols <> 0")).toInt(), 0);
        // The catalogue functions carry their parameters in order.
        QCOMPARE(db.Scalar(QStringLiteral("select name from rpt_funPere where id = 8 and OrderEX = 2")).toString(),
                 QStringLiteral("缺省值"));
    }

    void demoReportsOpen_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("report");
        QTest::addColumn<bool>("opens");
        for (const QString& b : clsTestDatabase::Backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(" GL"))) << b << QStringLiteral("GL") << QStringLiteral("科目余额表") << true;
            QTest::newRow(qPrintable(b + QStringLiteral(" AP"))) << b << QStringLiteral("AP") << QStringLiteral("应付账款账龄分析表") << true;
            QTest::newRow(qPrintable(b + QStringLiteral(" WA"))) << b << QStringLiteral("WA") << QStringLiteral("工资汇总表") << true;
            QTest::newRow(qPrintable(b + QStringLiteral(" AR"))) << b << QStringLiteral("AR") << QStringLiteral("应收账款明细表") << true;
            QTest::newRow(qPrintable(b + QStringLiteral(" FA"))) << b << QStringLiteral("FA") << QStringLiteral("固定资产折旧计算表") << false;
        }
    }
    void demoReportsOpen()
    {
        QXRF_OPEN_DB(db, true, true);
        QFETCH(QString, system);
        QFETCH(QString, report);
        QFETCH(bool, opens);
        clsRecordingPrompt prompt;
        clsDocument doc;
        QCOMPARE(doc.OpenDocument(&db.Conn(), report, system, QStringLiteral("演示")), opens);
        if (!opens)
            return;
        QCOMPARE(prompt.messages.size(), 0);
        QVERIFY(!doc.FieldsManager()->Cols.empty());
        QVERIFY(doc.RangeManager()->Ranges.size() >= 5);
        QVERIFY(!doc.LabelManager()->Labels.empty());
        // A demo report saves without a message and reads back the same.
        const QStringList before = db.Dump(doc.m_lngReportID);
        doc.SaveReportFormat();
        QVERIFY2(prompt.messages.isEmpty(), qPrintable(prompt.LastText()));
        QVERIFY(doc.LastSaveWritten());
        clsDocument again;
        QVERIFY(again.OpenDocument(&db.Conn(), report, system, QStringLiteral("演示")));
        QCOMPARE(again.FieldsManager()->Cols.size(), doc.FieldsManager()->Cols.size());
        QCOMPARE(again.LabelManager()->Labels.size(), doc.LabelManager()->Labels.size());
        if (system != QLatin1String("AR"))   // the AR report gets its default ranges and label on the first save
            QCOMPARE(db.Dump(doc.m_lngReportID).size(), before.size());
    }

    void sqliteFileIsCreatedWithTheDemo()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("新建/demo.db"));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QCOMPARE(clsDefinitionStore::OpenSqliteFile(path, QStringLiteral("store-test")), QString());
        {
            clsConnection conn(QStringLiteral("store-test"));
            clsRecordset rs = conn.Open(QStringLiteral("select count(*) as n from Rpt_GlbDEF"));
            QCOMPARE(rs.Long(QStringLiteral("n")), 5);
        }
        QSqlDatabase::database(QStringLiteral("store-test"), false).close();
        QSqlDatabase::removeDatabase(QStringLiteral("store-test"));
        // Opening an existing file changes nothing in it.
        QCOMPARE(clsDefinitionStore::OpenSqliteFile(path, QStringLiteral("store-test")), QString());
        QSqlDatabase::database(QStringLiteral("store-test"), false).close();
        QSqlDatabase::removeDatabase(QStringLiteral("store-test"));
    }
};

QTEST_GUILESS_MAIN(tst_clsDefinitionStore)
#include "tst_clsDefinitionStore.moc"
