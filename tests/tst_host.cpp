// The host program as a caller meets it: what it opens, what it refuses, what it
// never writes, and an exit status that says whether something went wrong.
#include "document/clsConnection.h"
#include "document/clsDefinitionStore.h"
#include "clsTestDatabase.h"
#include <QCryptographicHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
struct HostRun
{
    int status = -1;
    QString printed;  // standard output
    QString output;   // standard output and standard error
};

QByteArray FileHash(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1) : QByteArray();
}

QStringList Where(const clsTestDatabase& db)
{
    return {db.Backend() == QLatin1String("sqlite") ? QStringLiteral("--db") : QStringLiteral("--pg"), db.Where()};
}
}

class tst_host : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home;

    HostRun Run(const QStringList& args, const QStringList& env = {})
    {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        // The default database lives under the test's own folder, never the user's.
        e.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path());
        for (const QString& kv : env)
            e.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
        p.setProcessEnvironment(e);
        p.start(QStringLiteral(QXRF_HOST), args);
        HostRun run;   // a host that does not end keeps -1, and is killed with its QProcess
        if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
            run.status = p.exitCode();
        run.printed = QString::fromUtf8(p.readAllStandardOutput());
        run.output = run.printed + QString::fromUtf8(p.readAllStandardError());
        return run;
    }

private Q_SLOTS:
    // A database without one of the tables is named and refused the same way on both
    // databases, and is not repaired: the table is still missing afterwards.
    void missingTableIsNamedNotRepaired_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("table");
        for (const QString& b : clsTestDatabase::Backends())
            for (const char* t : {"Rpt_GlbDEF", "Rpt_FldDEF", "Rpt_FltDEF", "rpt_fundef", "rpt_funPere"})
                clsTestDatabase::NewRow(b, QLatin1String(t)) << QString::fromLatin1(t);
    }
    void missingTableIsNamedNotRepaired()
    {
        QXRF_OPEN_DB(db, true, true);
        QFETCH(QString, table);
        db.Conn().Execute(QStringLiteral("drop table ") + table);
        for (const char* command : {"list", "render", "design"}) {
            const HostRun run = Run(QStringList{QString::fromLatin1(command)} + Where(db) + QStringList{"--out", m_home.filePath("x.png")});
            QVERIFY2(run.status > 0 && run.output.contains(table), qPrintable(run.output));
        }
        QVERIFY(!clsDefinitionStore::HasSchema(db.Conn()));
    }

    void commandsAndStatuses_data()
    {
        QTest::addColumn<QStringList>("args");   // "@DB@" stands for the demo database's file
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<QString>("says");
        QTest::newRow("list") << QStringList{"list", "--db", "@DB@"} << true << QStringLiteral("GL   科目余额表");
        QTest::newRow("render") << QStringList{"render", "--db", "@DB@", "--out", "@OUT@"} << true << QStringLiteral("@OUT@");
        QTest::newRow("unknown report") << QStringList{"render", "--db", "@DB@", "--report", "无此报表", "--out", "@OUT@"} << false << QStringLiteral("没有找到报表定义");
        QTest::newRow("report without columns") << QStringList{"show", "--db", "@DB@", "--system", "FA", "--report", "固定资产折旧计算表"} << false << QString();
        QTest::newRow("picture too large") << QStringList{"render", "--db", "@DB@", "--zoom", "1000", "--out", "@OUT@"} << false << QStringLiteral("像素");
        QTest::newRow("unknown command") << QStringList{"export-all", "--db", "@DB@"} << false << QStringLiteral("export-all");
        QTest::newRow("other file is not made") << QStringList{"list", "--db", "@NEW@"} << false << QStringLiteral("@NEW@");
        QTest::newRow("connection string unreadable") << QStringList{"list", "--pg", "host=h qxrf"} << false << QStringLiteral("qxrf");
    }
    void commandsAndStatuses()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, succeeds);
        QFETCH(QString, says);
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        QVERIFY(db.Ready());
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("page.png"));
        const QString fresh = dir.filePath(QStringLiteral("new.db"));
        args.replaceInStrings(QStringLiteral("@OUT@"), out).replaceInStrings(QStringLiteral("@NEW@"), fresh).replaceInStrings(QStringLiteral("@DB@"), db.Path());
        says.replace(QLatin1String("@OUT@"), out).replace(QLatin1String("@NEW@"), fresh);
        const QByteArray before = FileHash(db.Path());
        const HostRun run = Run(args);
        QVERIFY2(succeeds ? run.status == 0 : run.status > 0, qPrintable(QString::number(run.status) + QLatin1Char(' ') + run.output));
        QVERIFY2(run.output.contains(says), qPrintable(run.output));
        QCOMPARE(FileHash(db.Path()), before);   // none of these writes the database
        QVERIFY(!QFile::exists(fresh));
        QCOMPARE(QFile::exists(out), succeeds && args.contains(out));
    }

    // A load error the host has reported makes its status nonzero, though it still draws.
    void loadErrorMakesTheStatusNonzero()
    {
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        QVERIFY(db.Ready());
        db.Conn().Execute(QStringLiteral("update Rpt_FldDEF set Height = 4294967296 where ID = 1 and ModeEx = 25"));
        const HostRun run = Run({"render", "--db", db.Path(), "--out", m_home.filePath("overflow.png")});
        QVERIFY2(run.status > 0 && run.output.contains(QStringLiteral("溢出")), qPrintable(run.output));
    }

    // Only the default database is made when it is missing, with the demo reports;
    // init-db makes any other, empty unless asked for the demo.
    void databasesAreMadeOnlyOnPurpose()
    {
        const HostRun first = Run({QStringLiteral("list")});
        QCOMPARE(first.status, 0);
        QCOMPARE(first.printed.count(QStringLiteral("   ")), 5);
        const QString path = m_home.filePath(QStringLiteral("新库.db"));
        QCOMPARE(Run({QStringLiteral("init-db"), QStringLiteral("--db"), path}).status, 0);
        const HostRun empty = Run({QStringLiteral("list"), QStringLiteral("--db"), path});
        QCOMPARE(std::pair(empty.status, empty.printed), std::pair(0, QString()));
        QCOMPARE(Run({QStringLiteral("init-db"), QStringLiteral("--demo"), QStringLiteral("--db"), path}).status, 0);
        QCOMPARE(Run({QStringLiteral("list"), QStringLiteral("--db"), path}).printed, first.printed);
    }

    // Text from the command line never becomes part of a statement, even in a session
    // whose strings take backslash escapes (a server, role or PGOPTIONS setting).
    void hostileNamesRunNothing_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("text");
        const QStringList attempts{QStringLiteral("x\\'; update Rpt_GlbDEF set Cols=7 where ID=2; --"),
                                   QStringLiteral("x'; update Rpt_GlbDEF set Cols=7 where ID=2; --"),
                                   QStringLiteral("x\\\\'); update Rpt_GlbDEF set Cols=7; --")};
        for (const QString& b : clsTestDatabase::Backends())
            for (const char* option : {"--report", "--system"})
                for (int i = 0; i < attempts.size(); ++i)
                    clsTestDatabase::NewRow(b, QStringLiteral("%1 %2").arg(QLatin1String(option)).arg(i + 1)) << QString::fromLatin1(option) << attempts[i];
    }
    void hostileNamesRunNothing()
    {
        QXRF_OPEN_DB(db, true, true);
        QFETCH(QString, option);
        QFETCH(QString, text);
        QStringList where = Where(db);
        if (backend == QLatin1String("postgres"))
            where.last().replace(QLatin1String("options='"), QLatin1String("options='-c standard_conforming_strings=off "));
        // design without a display opens the report on a connection that may write.
        const HostRun run = Run(QStringList{QStringLiteral("design"), option, text} + where,
                                {QStringLiteral("PGOPTIONS=-c standard_conforming_strings=off")});
        QVERIFY2(run.status > 0 && run.output.contains(QStringLiteral("没有找到报表定义")), qPrintable(run.output));
        QCOMPARE(db.Scalar(QStringLiteral("select count(*) from Rpt_GlbDEF where Cols <> 0")).toInt(), 0);
    }

    // A server that takes the connection and never answers: the default connect timeout
    // ends the wait with a message and a nonzero status.
    void unresponsiveServerEndsWithAnError()
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        QVERIFY(::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0);
        QVERIFY(::listen(fd, 8) == 0);   // the kernel completes connections nobody accepts
        QVERIFY(::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0);
        const HostRun run = Run({"list", "--pg", QStringLiteral("host=127.0.0.1 port=%1 dbname=qxrf user=qxrf").arg(ntohs(address.sin_port))});
        ::close(fd);
        QVERIFY2(run.status > 0 && run.output.contains(QStringLiteral("无法打开数据库")), qPrintable(run.output));
    }
};

QTEST_GUILESS_MAIN(tst_host)
#include "tst_host.moc"
