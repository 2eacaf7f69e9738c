#include "fieldsRows.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QtTest>

using namespace fieldsRows;

// Group rows (ModeEx 3) and sum rows (ModeEx 4): what a column's flags write and what
// a load gives back.
class tst_groupsAndSums : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void groupRows_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("group");
        QTest::addColumn<bool>("subtotal");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("row");      // "OrderEx|iSize" or empty for no row
        QTest::addColumn<int>("loadedGroup");
        QTest::addColumn<bool>("loadedSubtotal");
        QTest::addColumn<bool>("loadedRunning");
        for (const QString& b : clsTestDatabase::Backends()) {
            const auto row = [&](const char* name) { return &clsTestDatabase::NewRow(b, QLatin1String(name)); };
            *row("grouped with subtotal") << 2 << true << false << "-1|0" << 2 << true << false;
            *row("grouped with running total") << 2 << false << true << "0|1" << 2 << false << true;
            *row("not groupable with field") << 0 << false << false << "-2|0" << 0 << false << false;
            *row("not groupable keeps running flag") << 0 << false << true << "-2|1" << 0 << false << true;
            *row("groupable, not grouped") << 1 << true << false << "" << 1 << false << false;
        }
    }
    void groupRows()
    {
        QXRF_OPEN_DB(db);
        QFETCH(int, group);
        QFETCH(bool, subtotal);
        QFETCH(bool, running);
        QFETCH(QString, row);
        clsConnection& c = db.Conn();
        InsertCol(c, 8, Col(QStringLiteral("客'户"), 1));
        ColRow computed = Col(QStringLiteral("计算"), 2, 0, QString());  // no field: never has a group row
        computed.condition = QStringLiteral("[a]");
        InsertCol(c, 8, computed);
        Doc env(c);
        clsFieldsManager fm;
        Load(fm, 8);
        clsRepcol* col = fm.FindCol(QStringLiteral("客'户"));
        QCOMPARE(col->TpyGroup, 1);  // a column with a field can be grouped
        col->TpyGroup = group;
        col->BlnGroupSum = subtotal;
        col->BlnGroupAccount = running;
        bool ok = false;
        fm.SaveAllObjects(ok);
        QVERIFY(ok);
        if (row.isEmpty()) {
            QCOMPARE(db.Count(QStringLiteral("ModeEx=3 and ID=8")), 0);
        } else {
            QCOMPARE(db.Count(QStringLiteral("ModeEx=3 and ID=8")), 1);
            const QString stored = db.Scalar(QStringLiteral("select OrderEx from Rpt_FldDEF where ModeEx=3 and ID=8")).toString()
                + QLatin1Char('|') + db.Scalar(QStringLiteral("select iSize from Rpt_FldDEF where ModeEx=3 and ID=8")).toString();
            QCOMPARE(stored, row);
            QCOMPARE(db.Scalar(QStringLiteral("select nameForeign from Rpt_FldDEF where ModeEx=3 and ID=8")).toString(),
                     QStringLiteral("客'户"));
        }
        clsFieldsManager again;
        Load(again, 8);
        const clsRepcol* back = again.FindCol(QStringLiteral("客'户"));
        QTEST(back->TpyGroup, "loadedGroup");
        QTEST(back->BlnGroupSum, "loadedSubtotal");
        QTEST(back->BlnGroupAccount, "loadedRunning");
        QCOMPARE(back->TpyOrder, row.isEmpty() ? 0 : 1);
        QCOMPARE(again.FindCol(QStringLiteral("计算"))->TpyGroup, 0);
    }

    void sumRows_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("dtype");
        QTest::addColumn<int>("sum");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("loadedSum");
        QTest::addColumn<bool>("loadedNumber");
        for (const QString& b : clsTestDatabase::Backends()) {
            const auto row = [&](const char* name) { return &clsTestDatabase::NewRow(b, QLatin1String(name)); };
            *row("numeric, default") << 0 << -1 << 1 << -1 << true;
            *row("numeric, sum") << 0 << 0 << 1 << 0 << true;
            *row("numeric, balance scheme") << 0 << 2 << 1 << 2 << true;
            *row("text column with a sum") << 1 << 0 << 0 << -1 << false;
            *row("date column") << 2 << 1 << 0 << -1 << false;
        }
    }
    void sumRows()
    {
        QXRF_OPEN_DB(db);
        QFETCH(int, dtype);
        QFETCH(int, sum);
        ColRow r = Col(QStringLiteral("金'额"), 1);
        r.dtype = dtype;
        InsertCol(db.Conn(), 9, r);
        Doc env(db.Conn());
        clsFieldsManager fm;
        Load(fm, 9);
        clsRepcol* col = fm.Cols.front().get();
        QCOMPARE(col->lngSum, -1);
        col->lngSum = sum;
        col->CaptionForeign = QStringLiteral("Amo'unt");
        bool ok = false;
        fm.SaveAllObjects(ok);
        QVERIFY(ok);
        QTEST(db.Count(QStringLiteral("ModeEx=4 and ID=9")), "rows");
        if (dtype == 0) {
            QCOMPARE(db.Scalar(QStringLiteral("select OrderEx from Rpt_FldDEF where ModeEx=4 and ID=9")).toInt(), sum);
            QCOMPARE(db.Scalar(QStringLiteral("select nameForeign from Rpt_FldDEF where ModeEx=4 and ID=9")).toString(),
                     QStringLiteral("Amo'unt"));
        }
        clsFieldsManager again;
        Load(again, 9);
        QTEST(again.Cols.front()->lngSum, "loadedSum");
        QTEST(again.Cols.front()->blnNumber, "loadedNumber");
    }

    void rowsOfUnknownColumnsAreIgnored_data() { clsTestDatabase::AddBackendRows(); }
    void rowsOfUnknownColumnsAreIgnored()
    {
        QXRF_OPEN_DB(db);
        clsConnection& c = db.Conn();
        InsertCol(c, 10, QStringLiteral("Amt"), 1);
        InsertGroup(c, 10, QStringLiteral("gone"), -1, 1);
        InsertSum(c, 10, QStringLiteral("gone"), 2);
        InsertGroup(c, 10, QStringLiteral("AMT"), -1, 0);  // names compare without case
        InsertSum(c, 10, QStringLiteral("amt"), 0);
        Doc env(c);
        clsRecordingPrompt prompt;
        clsFieldsManager fm;
        Load(fm, 10);
        QCOMPARE(fm.Cols.size(), size_t(1));
        QCOMPARE(fm.Cols.front()->TpyGroup, 2);
        QVERIFY(fm.Cols.front()->BlnGroupSum);
        QVERIFY(!fm.Cols.front()->BlnGroupAccount);
        QCOMPARE(fm.Cols.front()->lngSum, 0);
        QCOMPARE(prompt.messages.size(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_groupsAndSums)
#include "tst_groupsAndSums.moc"
