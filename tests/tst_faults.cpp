// Faults under open and save: a connection that goes away, a statement that fails,
// a lock someone else holds, a database that cannot be written, hostile text, values
// of the wrong type, rows of kinds the designer does not know. Never a crash, a
// message in the component's words, nothing stored lost, no lock left behind: the
// lock column is read after every save.
#include "document/clsDatabaseError.h"
#include "document/clsDefinitionStore.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QSqlDatabase>
#include <QtTest>

class tst_faults : public QObject
{
    Q_OBJECT
private:
    // Saves, and answers whether it wrote and the report's lock column afterwards.
    static QString SaveOutcome(clsDocument& doc, clsTestDatabase& db, qint32 id)
    {
        doc.SaveReportFormat();
        return QStringLiteral("written %1, Cols %2").arg(int(doc.LastSaveWritten()))
            .arg(db.Scalar(QStringLiteral("select Cols from Rpt_GlbDEF where ID=%1").arg(id)).toInt());
    }
    // A save that wrote nothing keeps the format marked changed and has told the user why.
    static bool Refused(const clsDocument& doc, const clsRecordingPrompt& prompt)
    {
        if (doc.LastSaveWritten() || !doc.DocChanged() || doc.LastSaveProblem().isEmpty())
            return false;
        return g_blnRunMode ? prompt.logs.contains(doc.LastSaveProblem()) : !prompt.messages.isEmpty();
    }

    QMap<QString, QString> m_reasons;   // what each kind of refusal told the user, across rows

private Q_SLOTS:
    void cleanup() { g_blnRunMode = false; }

    // The connection goes away before the k-th statement of an open or of a save. For a
    // save that is every statement: on SQLite the busy wait read, cut and put back around
    // the lock update, then delete, insert and unlock; on PostgreSQL lock, delete, insert
    // and unlock.
    void connectionClosed_data()
    {
        clsTestDatabase::AddBackendColumn();
        QTest::addColumn<bool>("duringSave");
        QTest::addColumn<int>("closeAt");
        for (const QString& b : clsTestDatabase::Backends()) {
            for (int k : {1, 2, 3, 5, 8, 12, 16})
                clsTestDatabase::NewRow(b, QStringLiteral("open statement %1").arg(k)) << false << k;
            for (int k = 1; k <= (b == QLatin1String("sqlite") ? 7 : 4); ++k)
                clsTestDatabase::NewRow(b, QStringLiteral("save statement %1").arg(k)) << true << k;
        }
    }
    void connectionClosed()
    {
        QXRF_OPEN_DB(db, true, true);
        QFETCH(bool, duringSave);
        QFETCH(int, closeAt);
        const QString name = QStringLiteral("科目余额表"), system = QStringLiteral("GL");
        const QStringList before = db.Dump(1);
        clsRecordingPrompt prompt;
        clsDocument doc;
        if (duringSave) {
            QVERIFY(doc.OpenDocument(&db.Conn(), name, system, QString()));
            doc.SetPrintSetting(QStringLiteral("另一台打印机"), 8, 2, 100, 100, 100, 100, false);
        }
        // The host's connection closes when the k-th statement is about to run.
        int seen = 0;
        const QString connection = db.Conn().Name();
        db.Conn().SetStatementHook([&](const QString&) {
            if (++seen == closeAt)
                QSqlDatabase::database(connection, false).close();
        });
        if (duringSave)
            doc.SaveReportFormat();
        else
            doc.OpenDocument(&db.Conn(), name, system, QString());
        db.Conn().SetStatementHook({});
        for (const auto& m : prompt.messages)
            QVERIFY2(!m.text.trimmed().isEmpty() && m.title == QStringLiteral("格式"), qPrintable(m.text));
        if (!db.Conn().IsOpen()) {
            // Saving on the dead connection writes nothing, keeps the changes and says so.
            if (!duringSave) {
                doc.SetDocChanged(true);
                prompt.Clear();
                doc.SaveReportFormat();
            }
            QVERIFY(Refused(doc, prompt));
            QVERIFY(!db.Conn().InTransaction());
            QVERIFY(db.Reopen());
        } else {
            QVERIFY2(!duringSave && seen < closeAt, "the connection was closed but still reads as open");
        }
        QCOMPARE(db.Dump(1), before);
        QCOMPARE(db.Scalar(QStringLiteral("select Cols from Rpt_GlbDEF where ID=1")).toInt(), 0);
        // Once the connection is back the report opens, and the same document saves.
        clsDocument again;
        QVERIFY(again.OpenDocument(&db.Conn(), name, system, QString()));
        if (duringSave) {
            QCOMPARE(SaveOutcome(doc, db, 1), QStringLiteral("written 1, Cols 0"));
            QCOMPARE(db.Count(QStringLiteral("ID=1 and ModeEx=27 and Condition='另一台打印机'")), 1);
        }
    }

    // A statement that fails with the connection still open, anywhere in a save: the
    // save rolls back (a commit would keep the kinds written before the failure), the
    // lock is released, the format stays changed and the user learns why.
    void failingStatementRollsBack_data()
    {
        clsTestDatabase::AddBackendColumn();
        QTest::addColumn<QString>("failAt");   // the first statement holding this text; "": the middle one, "*": the last
        for (const QString& b : clsTestDatabase::Backends()) {
            clsTestDatabase::NewRow(b, QStringLiteral("lock")) << QStringLiteral("Set Cols= 1");
            clsTestDatabase::NewRow(b, QStringLiteral("first write")) << QStringLiteral("delete from");
            clsTestDatabase::NewRow(b, QStringLiteral("middle")) << QString();
            clsTestDatabase::NewRow(b, QStringLiteral("last")) << QStringLiteral("*");
        }
    }
    void failingStatementRollsBack()
    {
        QXRF_OPEN_DB(db, true, true);
        QFETCH(QString, failAt);
        clsRecordingPrompt prompt;
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QString()));
        // Make the in-memory format differ from the stored one.
        doc.SetPrintSetting(QStringLiteral("打印机'甲"), 8, 2, 100, 110, 120, 130, false);
        const QStringList before = db.Dump(1);

        QStringList texts;
        db.Conn().SetStatementHook([&](const QString& sql) { texts << sql; });
        QCOMPARE(SaveOutcome(doc, db, 1), QStringLiteral("written 1, Cols 0"));   // count the statements of a whole save
        db.Conn().SetStatementHook({});
        const QStringList saved = db.Dump(1);
        QVERIFY(saved != before);
        // Put the previous format back, then fail the save at the chosen statement.
        db.Conn().Execute(QStringLiteral("delete from Rpt_FldDEF where ID=1"));
        clsDefinitionStore::LoadDemoData(db.Conn());
        QCOMPARE(db.Dump(1), before);

        qsizetype k = failAt.isEmpty() ? texts.size() / 2 : texts.size();
        if (!failAt.isEmpty() && failAt != QLatin1String("*"))
            k = std::find_if(texts.cbegin(), texts.cend(), [&](const QString& t) { return t.contains(failAt, Qt::CaseInsensitive); }) - texts.cbegin() + 1;
        QVERIFY(k <= texts.size());
        int seen = 0;
        db.Conn().SetStatementHook([&](const QString&) {
            if (++seen == k)
                throw clsDatabaseError(QStringLiteral("磁盘已满"));
        });
        doc.SetDocChanged(true);
        prompt.Clear();
        QCOMPARE(SaveOutcome(doc, db, 1), QStringLiteral("written 0, Cols 0"));
        db.Conn().SetStatementHook({});
        QVERIFY(Refused(doc, prompt));
        QVERIFY2(doc.LastSaveProblem().contains(QStringLiteral("磁盘已满")), qPrintable(doc.LastSaveProblem()));
        QCOMPARE(prompt.messages.size(), 1);   // the failing kind's report, or the refusal itself
        QCOMPARE(db.Dump(1), before);
        // The next save goes through.
        QCOMPARE(SaveOutcome(doc, db, 1), QStringLiteral("written 1, Cols 0"));
        QVERIFY(doc.LastSaveProblem().isEmpty());
        QCOMPARE(db.Dump(1), saved);
    }

    // Saves that are refused before anything is written tell the user why, in a message
    // or in RunMode's log, and the same reason gets the same words on both databases.
    void refusedSaveSaysWhy_data()
    {
        clsTestDatabase::AddBackendColumn();
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("reason");    // refusals of one reason tell the same
        QTest::addColumn<bool>("runMode");
        QTest::addColumn<QString>("options");   // of the designer's own connection
        QTest::addColumn<QString>("setup");     // "other:": on another connection, in a transaction left open
        const QString lock = QStringLiteral("Update Rpt_GlbDEF Set Cols= 1 Where ID =1");
        for (const QString& b : clsTestDatabase::Backends()) {
            const QString readOnly = b == QLatin1String("sqlite") ? QStringLiteral("QSQLITE_OPEN_READONLY")
                                                                 : QStringLiteral("options='-c default_transaction_read_only=on'");
            const QList<QStringList> refusals{{"lock marked", "held", "", lock},
                                              {"lock held by a save", "held", "", "other:" + lock},
                                              {"read-only", "read-only", readOnly, ""},
                                              {"report gone", "gone", "", "delete from Rpt_GlbDEF where ID=1"}};
            for (bool runMode : {false, true})
                for (const QStringList& r : refusals)
                    clsTestDatabase::NewRow(b, r[0] + (runMode ? QStringLiteral(" RunMode") : QString()))
                        << r[0] << r[1] << runMode << r[2] << r[3];
        }
        // Writes that wait too long: SQLite busy past its wait at the commit (another
        // connection reading), a PostgreSQL statement past its timeout (a table lock).
        clsTestDatabase::NewRow(QStringLiteral("sqlite"), QStringLiteral("busy")) << QStringLiteral("busy") << QStringLiteral("busy") << false
            << QStringLiteral("QSQLITE_BUSY_TIMEOUT=100") << QStringLiteral("other:select count(*) as n from Rpt_FldDEF");
        clsTestDatabase::NewRow(QStringLiteral("postgres"), QStringLiteral("too slow")) << QStringLiteral("too slow") << QStringLiteral("too slow")
            << false << QStringLiteral("options='-c statement_timeout=200'") << QStringLiteral("other:lock table Rpt_FldDEF in access exclusive mode");
    }
    void refusedSaveSaysWhy()
    {
        QXRF_OPEN_DB(db, true, true);
        QFETCH(QString, refusal);
        QFETCH(QString, reason);
        QFETCH(bool, runMode);
        QFETCH(QString, options);
        QFETCH(QString, setup);
        std::unique_ptr<clsConnection> own = options.isEmpty() ? nullptr : db.OpenAnother(options);
        clsRecordingPrompt prompt;
        clsDocument doc;
        QVERIFY(doc.OpenDocument(own ? own.get() : &db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QString()));
        const QStringList before = db.Dump(1);
        std::unique_ptr<clsConnection> other;
        if (setup.startsWith(QLatin1String("other:"))) {
            // Another designer, say between taking the lock and committing.
            other = db.OpenAnother();
            QVERIFY(other && other->BeginTrans());
            setup = setup.mid(6);
        }
        clsConnection& on = other ? *other : db.Conn();
        if (setup.startsWith(QLatin1String("select")))
            on.Open(setup).Close();
        else if (!setup.isEmpty())
            on.Execute(setup);
        g_blnRunMode = runMode;
        doc.SetDocChanged(true);
        doc.SaveReportFormat();
        QVERIFY(Refused(doc, prompt));
        QCOMPARE(prompt.messages.size(), runMode ? 0 : 1);
        if (!runMode && refusal != QLatin1String("too slow"))   // there the kind that waited reported it as its error
            QCOMPARE(prompt.Shown(), clsRecordingPrompt::Refusal(doc.LastSaveProblem()));
        // In the user's words, not the driver's.
        QVERIFY2(!doc.LastSaveProblem().contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(doc.LastSaveProblem()));
        for (auto it = m_reasons.cbegin(); it != m_reasons.cend(); ++it)
            QVERIFY2((it.key() == reason) == (it.value() == doc.LastSaveProblem()), qPrintable(doc.LastSaveProblem()));
        m_reasons.insert(reason, doc.LastSaveProblem());
        if (reason == QLatin1String("held"))
            QCOMPARE(doc.LastSaveProblem(), QStringLiteral("报表格式正在被其他用户保存，请稍后再试"));
        if (other && other->InTransaction())
            other->RollbackTrans();
        QCOMPARE(db.Dump(1), before);
        QCOMPARE(db.Scalar(QStringLiteral("select coalesce(max(Cols), 0) from Rpt_GlbDEF where ID=1")).toInt(), refusal == QLatin1String("lock marked") ? 1 : 0);
    }

    // A stored report name that would break a statement built from it, read in a session
    // whose strings take backslash escapes, is found and saved as it stands (such names
    // asked for on the command line: tst_host).
    void hostileTextChangesNoStatement_data()
    {
        clsTestDatabase::AddBackendColumn();
        QTest::addColumn<QString>("text");
        for (const QString& b : clsTestDatabase::Backends()) {
            clsTestDatabase::NewRow(b, QStringLiteral("backslash quote")) << QStringLiteral("x\\'; update Rpt_GlbDEF set Cols=7 where ID=2; --");
            clsTestDatabase::NewRow(b, QStringLiteral("quote")) << QStringLiteral("x'; update Rpt_GlbDEF set Cols=7 where ID=2; --");
            clsTestDatabase::NewRow(b, QStringLiteral("two backslashes")) << QStringLiteral("x\\\\'); update Rpt_GlbDEF set Cols=7; --");
        }
    }
    void hostileTextChangesNoStatement()
    {
        QXRF_OPEN_DB(db, true, true);
        QFETCH(QString, text);
        std::unique_ptr<clsConnection> escaping = db.OpenAnother(
            backend == QLatin1String("postgres") ? QStringLiteral("options='-c standard_conforming_strings=off'") : QString());
        QVERIFY(escaping);
        if (backend == QLatin1String("postgres"))
            QCOMPARE(escaping->Open(QStringLiteral("show standard_conforming_strings")).Text(QStringLiteral("standard_conforming_strings")),
                     QStringLiteral("off"));
        clsRecordingPrompt prompt;
        escaping->Execute(QStringLiteral("update Rpt_GlbDEF set Name = ? where ID = 2"), {text});
        clsDocument doc;
        QVERIFY(doc.OpenDocument(escaping.get(), text, QStringLiteral("AP"), text));
        QCOMPARE(doc.m_lngReportID, 2);
        doc.SetDocChanged(true);
        QCOMPARE(SaveOutcome(doc, db, 2), QStringLiteral("written 1, Cols 0"));
        QCOMPARE(db.Scalar(QStringLiteral("select Name from Rpt_GlbDEF where ID=2")).toString(), text);
    }

    // Rows the designer does not expect: kinds it does not know, kept through a save, and
    // (SQLite keeps whatever a column is given) text in every number column of a kind,
    // told as a type mismatch with nothing written.
    void unexpectedRows_data()
    {
        clsTestDatabase::AddBackendColumn();
        QTest::addColumn<int>("mode");   // -1: 5000 rows of unknown kinds
        for (const QString& b : clsTestDatabase::Backends())
            clsTestDatabase::NewRow(b, QStringLiteral("unknown kinds")) << -1;
        for (int mode : {0, 3, 4, 5, 22, 25, 26, 27})
            clsTestDatabase::NewRow(QStringLiteral("sqlite"), QStringLiteral("text in the numbers of ModeEx %1").arg(mode)) << mode;
    }
    void unexpectedRows()
    {
        QXRF_OPEN_DB(db, true, true);
        QFETCH(int, mode);
        if (mode < 0) {
            std::vector<QVariantList> rows;
            for (int i = 0; i < 5000; ++i)
                rows.push_back({1, i % 2 ? 99 : 7, i, QStringLiteral("未知%1").arg(i), QStringLiteral("x'y")});
            db.Conn().BeginTrans();
            db.Conn().InsertMany(QStringLiteral("Rpt_FldDEF"), {"ID", "ModeEx", "OrderEx", "Name", "Expression"}, rows);
            db.Conn().CommitTrans();
        } else {
            db.Conn().Execute(QStringLiteral("update Rpt_FldDEF set OrderEx='甲', iAlignStyle='乙', iColSize='丙', TopEx='丁', "
                                             "LeftEx='戊', Width='己', Height='庚', iSize='辛', Visible='壬' "
                                             "where ID = 3 and ModeEx = %1").arg(mode));
        }
        const QStringList before = db.Dump(3);
        clsRecordingPrompt prompt;
        clsDocument doc;
        const bool opened = mode < 0 ? doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QString())
                                     : doc.OpenDocument(&db.Conn(), QStringLiteral("工资汇总表"), QStringLiteral("WA"), QString());
        for (const auto& m : prompt.messages) {
            QCOMPARE(m.title, QStringLiteral("格式"));
            QVERIFY2(m.text.contains(QStringLiteral("类型不匹配")) || m.text.startsWith(QStringLiteral("没有找到报表")), qPrintable(m.text));
        }
        if (mode >= 0) {
            doc.CloseDocument(true);
            QCOMPARE(db.Dump(3), before);   // opening and closing wrote nothing
            return;
        }
        QVERIFY(opened);
        QCOMPARE(prompt.messages.size(), 0);
        doc.SetDocChanged(true);
        QCOMPARE(SaveOutcome(doc, db, 1), QStringLiteral("written 1, Cols 0"));
        QCOMPARE(db.Count(QStringLiteral("ID=1 and ModeEx in (7, 99)")), 5000);
    }
};

QTEST_GUILESS_MAIN(tst_faults)
#include "tst_faults.moc"
