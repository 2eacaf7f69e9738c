// Designers in processes of their own, each with its own connection, saving a large
// report: a second save that starts while the first holds the lock is refused at once
// and says why, and a save killed at any point leaves the former format whole and no
// lock behind.
#include "document/clsDefinitionStore.h"
#include "document/clsDocument.h"
#include "columns/clsFieldsManager.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QtTest>
#include <cstdio>

namespace {
constexpr int kLabels = 2000;

void Say(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// Child: open the report, give every kind of its format a mark of this designer (so a
// stored mix shows), save, and tell the parent how it went. The statement hook can hold
// the save before statement `pauseAt` (-1: the one after the lock) until `release` exists.
int RunDesigner(const QStringList& args)
{
    const QString backend = args.value(0), where = args.value(1), tag = args.value(2), release = args.value(4);
    const int pauseAt = args.value(3).toInt();
    const QString error = backend == QLatin1String("sqlite") ? clsDefinitionStore::OpenSqliteFile(where, QStringLiteral("designer"))
                                                             : clsDefinitionStore::OpenPostgres(where, QStringLiteral("designer"));
    if (!error.isEmpty())
        return 3;
    clsConnection conn(QStringLiteral("designer"));
    clsRecordingPrompt prompt;
    clsDocument doc;
    if (!doc.OpenDocument(&conn, QStringLiteral("科目余额表"), QStringLiteral("GL"), tag))
        return 4;
    for (auto& l : doc.LabelManager()->Labels)
        l->strSou = tag + l->StrName;
    for (auto& r : doc.RangeManager()->Ranges)
        r->lngLines = tag.size() * 7 + 3;
    for (auto& c : doc.FieldsManager()->Cols)
        c->strnote = tag;
    doc.SetPrintSetting(tag, 9, 1, 180, 180, 180, 200, true);
    if (backend != QLatin1String("sqlite"))
        Say(QStringLiteral("pid=%1").arg(conn.Open(QStringLiteral("select pg_backend_pid() as pid")).Long(QStringLiteral("pid"))));

    int statements = 0;
    bool lockRan = false;
    conn.SetStatementHook([&](const QString& sql) {
        ++statements;
        if (statements == pauseAt || (pauseAt < 0 && lockRan)) {
            lockRan = false;
            Say(QStringLiteral("paused"));
            QElapsedTimer waited;
            waited.start();
            while ((release.isEmpty() || !QFile::exists(release)) && waited.elapsed() < 60000)
                QThread::msleep(5);
        }
        if (sql.contains(QLatin1String("Set Cols= 1"))) {
            lockRan = true;
            Say(QStringLiteral("locking"));
        }
    });
    doc.SaveReportFormat();
    Say(QStringLiteral("statements=%1 written=%2 changed=%3 problem=%4")
            .arg(statements).arg(doc.LastSaveWritten() ? 1 : 0).arg(doc.DocChanged() ? 1 : 0).arg(doc.LastSaveProblem()));
    return 0;
}

// Reads the child's lines until one starts with `prefix`.
QString WaitForLine(QProcess& p, const QString& prefix)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 60000) {
        while (p.canReadLine()) {
            const QString line = QString::fromUtf8(p.readLine()).trimmed();
            if (line.startsWith(prefix))
                return line;
        }
        if (p.state() == QProcess::NotRunning && !p.canReadLine())
            return QString();
        p.waitForReadyRead(50);
    }
    return QString();
}
}

class tst_concurrentSave : public QObject
{
    Q_OBJECT
private:
    QString m_where;
    QTemporaryDir m_dir;

    // The demo's GL report with kLabels more labels, so that a save's insert is large
    // enough for the server to be caught in the middle of it.
    void Prepare(clsTestDatabase& db)
    {
        m_where = db.Where();
        std::vector<QVariantList> rows;
        for (int i = 1; i <= kLabels; ++i)
            rows.push_back({1, 26, 100 + i, QStringLiteral("批量标签%1").arg(i), QStringLiteral("标题区域"), QStringLiteral("显示/打印"),
                            QStringLiteral("False,134,False,宋体,9,False,False,400"), 0, QStringLiteral("文本;;"), 0,
                            QStringLiteral("文字%1").arg(i), i % 3 * 300, i % 10 * 1100, 300, 1000});
        QVERIFY(db.Conn().BeginTrans());
        db.Conn().InsertMany(QStringLiteral("Rpt_FldDEF"),
                             QStringLiteral("ID,ModeEx,OrderEx,Name,nameForeign,FormatEx,Condition,iAlignStyle,Note,iColSize,"
                                            "Expression,TopEx,LeftEx,Height,Width").split(QLatin1Char(',')),
                             rows);
        QVERIFY(db.Conn().CommitTrans());
    }

    void Start(QProcess& p, const QString& backend, const QString& tag, int pauseAt = 0, const QString& release = QString())
    {
        p.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--designer"), backend, m_where, tag, QString::number(pauseAt), release});
        QVERIFY(p.waitForStarted());
    }

    // The child's last line, once it has ended.
    static QString Outcome(QProcess& p)
    {
        const QString line = WaitForLine(p, QStringLiteral("statements="));
        p.waitForFinished(60000);
        return line;
    }

private Q_SLOTS:
    void saves_data() { clsTestDatabase::AddBackendRows(); }
    void saves()
    {
        QXRF_OPEN_DB(db, true, true);
        Prepare(db);
        QProcess solo;
        Start(solo, backend, QStringLiteral("甲"));
        const QString outcome = Outcome(solo);
        QVERIFY2(outcome.contains(QLatin1String("written=1 changed=0 problem=")), qPrintable(outcome));
        const int statements = outcome.section(QLatin1Char(' '), 0, 0).section(QLatin1Char('='), 1).toInt();
        QVERIFY(statements >= 4);
        const QStringList former = db.Dump(1);

        // 甲 holds the lock while 乙 tries; 甲 goes on only after 乙 has had time to
        // finish, so a 乙 that waited for the lock instead would get it and write.
        const QString release = m_dir.filePath(QStringLiteral("release-") + backend);
        QProcess a, b;
        Start(a, backend, QStringLiteral("甲"), -1, release);
        QVERIFY(!WaitForLine(a, QStringLiteral("paused")).isEmpty());
        Start(b, backend, QStringLiteral("乙"));
        QVERIFY(!WaitForLine(b, QStringLiteral("locking")).isEmpty());
        QThread::msleep(500);
        QFile(release).open(QIODevice::WriteOnly);
        const QString outB = Outcome(b);
        const QString outA = Outcome(a);
        QVERIFY2(outA.contains(QLatin1String("written=1 changed=0 problem=")) && outA.endsWith(QLatin1Char('=')), qPrintable(outA));
        QVERIFY2(outB.contains(QLatin1String("written=0 changed=1 problem=")) && !outB.endsWith(QLatin1Char('=')), qPrintable(outB));
        QCOMPARE(db.Dump(1), former);
        QCOMPARE(db.Scalar(QStringLiteral("select Cols from Rpt_GlbDEF where ID=1")).toInt(), 0);

        // kill -9 before each statement of a save (lock, delete, the bulk inserts, unlock):
        // each time the former format stays whole and unlocked, and the next designer saves.
        for (int kill = 1; kill <= statements; ++kill) {
            QProcess p;
            Start(p, backend, QStringLiteral("乙"), kill);
            const QString pid = backend == QLatin1String("sqlite") ? QString() : WaitForLine(p, QStringLiteral("pid=")).section(QLatin1Char('='), 1);
            QVERIFY(!WaitForLine(p, QStringLiteral("paused")).isEmpty());
            p.kill();
            QVERIFY(p.waitForFinished());
            // The server ends the killed designer's session, and its transaction, on its own time.
            if (backend != QLatin1String("sqlite"))
                QTRY_COMPARE_WITH_TIMEOUT(db.Scalar(QStringLiteral("select count(*) from pg_stat_activity where pid = ") + pid).toInt(), 0, 30000);
            QVERIFY2(db.Dump(1) == former, qPrintable(QStringLiteral("kill %1 left another format").arg(kill)));
            QCOMPARE(db.Scalar(QStringLiteral("select Cols from Rpt_GlbDEF where ID=1")).toInt(), 0);
        }
        QProcess last;
        Start(last, backend, QStringLiteral("乙"));
        QVERIFY(Outcome(last).contains(QLatin1String("written=1")));
        QVERIFY(db.Dump(1) != former);
        QCOMPARE(db.Scalar(QStringLiteral("select Cols from Rpt_GlbDEF where ID=1")).toInt(), 0);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--designer") == 0)
        return RunDesigner(app.arguments().mid(2));
    tst_concurrentSave test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_concurrentSave.moc"
