#include "document/clsDatabaseError.h"
#include "clsTestDatabase.h"
#include <QSqlQuery>
#include <QtTest>

// Each backend, reached through its client library and through Qt's driver; reads
// also answered from a read-ahead.
static void BothWays()
{
    clsTestDatabase::AddBackendColumn();
    QTest::addColumn<bool>("direct");
    QTest::addColumn<bool>("ahead");
    clsTestDatabase::RowPerBackend("client library", true, false);
    clsTestDatabase::RowPerBackend("driver", false, false);
    clsTestDatabase::RowPerBackend("read ahead", true, true);
}

// The row's way to the database (the client library or Qt's driver) for one test; the
// default is put back after it.
struct clsRowWay
{
    clsRowWay()
    {
        QFETCH(bool, direct);
        clsConnection::SetDirectAccess(direct);
    }
    ~clsRowWay() { clsConnection::SetDirectAccess(true); }
};

class tst_clsConnection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Through the client libraries and through Qt's drivers alike.
    void reading_data() { BothWays(); }
    void reading()
    {
        const clsRowWay way;
        QXRF_OPEN_DB(db);
        clsConnection& c = db.Conn();
        c.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,OrderEx,Name,Note) values (7,0,1,'  列一  ',NULL)"));
        c.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,OrderEx,Name,Note) values (7,0,2,'O''Brien','x')"));
        // Read ahead, answers and failures come where the statements run, and only once.
        const QString read = QStringLiteral("Select * from Rpt_FldDEF where ID = ? order by OrderEx");
        const QString nowhere = QStringLiteral("select * from nowhere where x = ?");
        QFETCH(bool, ahead);
        // A probe is only asked whether the database takes it, and is no failure.
        const QString there = QStringLiteral("select * from Rpt_FldDEF"), missing = QStringLiteral("select * from nowhere");
        if (ahead) {
            {
                // After a forward-only query of the driver's, which leaves libpq in single-row mode.
                QSqlQuery before(c.Database());
                before.setForwardOnly(true);
                QVERIFY(before.exec(QStringLiteral("select Name from Rpt_FldDEF")));
                while (before.next()) {
                }
            }
            c.ReadAhead({{read, {7}}, {nowhere, {1}}, {read, {8}}, {there, {}, true}, {missing, {}, true}});
        }
        const qint64 answeredBefore = c.AnsweredAhead();
        const qint64 failedBefore = c.FailureCount();
        QVERIFY(!c.Takes(missing));
        QVERIFY(c.Takes(there));
        QVERIFY_THROWS_EXCEPTION(clsDatabaseError, c.Open(nowhere, {1}));
        QCOMPARE(c.FailureCount(), failedBefore + 1);
        QVERIFY(c.Open(read, {8}).Eof());
        clsRecordset rs = c.Open(read, {7});
        const bool pipelined = ahead && db.Backend() == QLatin1String("postgres");
        QCOMPARE(c.AnsweredAhead() - answeredBefore, pipelined ? 5 : 0);
        QCOMPARE(c.ReadAheadTrips(), pipelined ? 1 : 0);
        QVERIFY(!rs.Eof());
        // Names in any case, texts trimmed, Null as empty and as 0.
        QCOMPARE((QStringList{rs.Text(QStringLiteral("NAME")), rs.Text(QStringLiteral("note")),
                              QString::number(rs.Long(QStringLiteral("iColSize"))), QString::number(rs.Long(QStringLiteral("orderex")))}),
                 (QStringList{"列一", "", "0", "1"}));
        QVERIFY_THROWS_EXCEPTION(clsDatabaseError, rs.Value(QStringLiteral("nosuchcolumn")));
        rs.MoveNext();
        QCOMPARE(rs.Text(QStringLiteral("Name")), QStringLiteral("O'Brien"));
        rs.MoveNext();
        QVERIFY(rs.Eof());
        QVERIFY_THROWS_EXCEPTION(clsDatabaseError, rs.Text(QStringLiteral("Name")));
        rs.Close();
        // A write after the read-ahead: the read sees it.
        if (ahead)
            c.ReadAhead({{read, {9}}, {nowhere, {1}}});
        c.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,OrderEx,Name) values (9,0,1,'后写')"));
        QCOMPARE(c.Open(read, {9}).Text(QStringLiteral("Name")), QStringLiteral("后写"));

        // Failures carry the driver's text and the database's own code.
        const qint64 before = c.FailureCount();
        try {
            c.Execute(QStringLiteral("Insert into NoSuchTable values (?)"), {1});
            QFAIL("no error raised");
        } catch (const clsDatabaseError& e) {
            QVERIFY2(e.Description().contains(QLatin1String("nosuchtable"), Qt::CaseInsensitive), qPrintable(e.Description()));
            QVERIFY(!e.Code().isEmpty());
        }
        QVERIFY_THROWS_EXCEPTION(clsDatabaseError, c.Open(QStringLiteral("select * from nowhere where x = ?"), {1}));
        QCOMPARE(c.FailureCount(), before + 2);
        QVERIFY(c.ConnectionString().startsWith(QLatin1String("Driver=Q")));
    }

    // Rows beyond one statement's limit on values go in several statements on SQLite,
    // in one on PostgreSQL, each seen by the hook; order, Null and texts holding quotes,
    // backslashes, tabs and line breaks come back as written, written and read through
    // the client libraries and through Qt's drivers alike; a bad row fails the statement
    // that carries it.
    void insertManyAcrossStatements_data() { BothWays(); }
    void insertManyAcrossStatements()
    {
        const clsRowWay way;
        QXRF_OPEN_DB(db);
        clsConnection& c = db.Conn();
        const QStringList columns = QStringLiteral("ID,ModeEx,OrderEx,Name").split(QLatin1Char(','));
        const int perStatement = c.MaxBoundValues() / int(columns.size());
        const int n = 2 * perStatement + 3;
        std::vector<QVariantList> rows;
        for (int i = 1; i <= n; ++i)
            rows.push_back({5, 26, i, i % 100 == 0 ? QVariant() : QVariant(QStringLiteral("标签'(%1),?{\\\"}\t\r\n\\N ").arg(i))});
        int statements = 0;
        c.SetStatementHook([&](const QString&) { ++statements; });
        c.BeginTrans();
        c.InsertMany(QStringLiteral("Rpt_FldDEF"), columns, rows);
        c.CommitTrans();
        QCOMPARE(statements, db.Backend() == QLatin1String("postgres") ? 1 : 3);
        // Read back the same way: names once, then every row's values as written.
        QStringList names;
        std::vector<QVariantList> read;
        c.ReadMany(QStringLiteral("select ID, ModeEx, OrderEx, Name from Rpt_FldDEF where ID = ? and Name <> ? order by OrderEx"),
                   {5, QString()}, [&](const QStringList& seen) { names = seen; },
                   [&](QVariant* v) { read.push_back({v[0].toInt(), v[1].toInt(), v[2].toInt(), v[3]}); });
        QCOMPARE(names.join(QLatin1Char(',')).toLower(), columns.join(QLatin1Char(',')).toLower());
        std::vector<QVariantList> named;
        std::copy_if(rows.begin(), rows.end(), std::back_inserter(named), [](const QVariantList& r) { return !r[3].isNull(); });
        QCOMPARE(read, named);
        QCOMPARE(db.Scalar(QStringLiteral("select count(*) from Rpt_FldDEF where ID=5 and Name is null")).toInt(), n / 100);

        rows.back()[1] = QVariant();   // ModeEx is NOT NULL
        const qint64 before = c.FailureCount();
        c.BeginTrans();
        QVERIFY_THROWS_EXCEPTION(clsDatabaseError, c.InsertMany(QStringLiteral("Rpt_FldDEF"), columns, rows));
        c.RollbackTrans();
        QCOMPARE(c.FailureCount(), before + 1);
        QCOMPARE(db.Scalar(QStringLiteral("select count(*) from Rpt_FldDEF where ID=5")).toInt(), n);
    }

    // A transaction's statements are kept or dropped together however its BEGIN and
    // COMMIT travel (on a server, with its first and its last statement).
    void transactions_data() { BothWays(); }
    void transactions()
    {
        const clsRowWay way;
        QXRF_OPEN_DB(db);
        clsConnection& c = db.Conn();
        const QString add = QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,OrderEx,Name) values (6,0,?,'x')");
        const auto stored = [&] { return db.Scalar(QStringLiteral("select count(*) from Rpt_FldDEF where ID=6")).toInt(); };
        QVERIFY(c.BeginTrans());
        QVERIFY(c.InTransaction());
        QVERIFY(c.CommitTrans());   // nothing ran: nothing to commit
        QVERIFY(!c.InTransaction());
        c.BeginTrans();
        c.Execute(add, {1});
        QVERIFY(c.RollbackTrans());
        QCOMPARE(stored(), 0);
        int rows = 0;
        c.BeginTrans();
        c.Execute(add, {1});
        QVERIFY(c.CommitTransAfter({add, {2}}, rows));
        QCOMPARE(rows, 1);
        QVERIFY(!c.InTransaction());
        QCOMPARE(stored(), 2);
        // The last statement fails: nothing is committed, the rollback is the caller's.
        c.BeginTrans();
        c.Execute(add, {3});
        QVERIFY_THROWS_EXCEPTION(clsDatabaseError, c.CommitTransAfter({QStringLiteral("Insert into NoSuchTable values (?)"), {1}}, rows));
        QVERIFY(c.InTransaction());
        c.RollbackTrans();
        QCOMPARE(stored(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_clsConnection)
#include "tst_clsConnection.moc"
