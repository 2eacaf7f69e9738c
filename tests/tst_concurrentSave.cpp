// Two designers, each in its own process with its own connection, save the same
// report at the same moment, round after round. Every round must end with exactly one
// complete format stored and the lock released; a designer whose save was not written
// keeps its format marked changed.
#include "document/clsConnection.h"
#include "document/clsDefinitionStore.h"
#include "document/clsDocument.h"
#include "document/clsPrintSetting.h"
#include "document/modPublicDefine.h"
#include "columns/clsFieldsManager.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>
#include <cstdio>

namespace {
// Gives every kind of the format a mark of this designer, so a stored mix shows.
void MarkFormat(clsDocument& doc, const QString& tag)
{
    for (auto& l : doc.LabelManager()->Labels)
        l->strSou = tag + l->StrName;
    for (auto& r : doc.RangeManager()->Ranges)
        r->lngLines = tag.size() * 7 + 3;
    for (auto& c : doc.FieldsManager()->Cols)
        c->strnote = tag;
    doc.SetPrintSetting(tag, 9, 1, 180, 180, 180, 200, true);
}

// Child: open, mark, wait for the start file, save, print the outcome.
int RunDesigner(const QStringList& args)
{
    // args: backend, where (file or "options|schema"), tag, start file, rounds
    const QString backend = args.value(0), where = args.value(1), tag = args.value(2), start = args.value(3);
    QSqlDatabase db;
    if (backend == QLatin1String("sqlite")) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("designer"));
        db.setDatabaseName(where);
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("designer"));
        clsDefinitionStore::OpenPostgres(where.section(QLatin1Char('|'), 0, 0), QStringLiteral("designer"));
    }
    if (!db.isOpen() && !db.open())
        return 3;
    if (backend != QLatin1String("sqlite")) {
        QSqlQuery(db).exec(QStringLiteral("SET client_min_messages TO warning"));
        QSqlQuery(db).exec(QStringLiteral("SET search_path TO ") + where.section(QLatin1Char('|'), 1));
    }
    clsConnection conn(QStringLiteral("designer"));
    clsRecordingPrompt prompt;
    clsDocument doc;
    if (!doc.OpenDocument(&conn, QStringLiteral("科目余额表"), QStringLiteral("GL"), tag))
        return 4;
    MarkFormat(doc, tag);
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(start) && waited.elapsed() < 20000)
        QThread::usleep(200);
    doc.SaveReportFormat();
    std::printf("written=%d changed=%d messages=%d\n", doc.LastSaveWritten() ? 1 : 0, doc.DocChanged() ? 1 : 0,
                int(prompt.messages.size()));
    return 0;
}
}

class tst_concurrentSave : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void oneCompleteFormatPerRound_data()
    {
        clsTestDatabase::AddBackendColumn();
        for (const QString& b : clsTestDatabase::Backends())
            QTest::newRow(qPrintable(b)) << b;
    }
    void oneCompleteFormatPerRound()
    {
        QXRF_OPEN_DB(db, true, true);
        const QString where = backend == QLatin1String("sqlite")
            ? db.Path()
            : clsTestDatabase::PostgresOptions() + QLatin1Char('|') + db.Schema();
        QTemporaryDir dir;

        // Each designer's format on its own, to know what a complete one looks like.
        QMap<QString, QStringList> formats;
        const QStringList tags{QStringLiteral("甲设计者"), QStringLiteral("乙")};
        for (const QString& tag : tags) {
            QProcess p;
            const QString start = dir.filePath(QStringLiteral("go-") + tag);
            QFile(start).open(QIODevice::WriteOnly);
            p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--designer"), backend, where, tag, start});
            QVERIFY(p.waitForFinished(30000));
            QCOMPARE(p.exitCode(), 0);
            QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()).trimmed(), QStringLiteral("written=1 changed=0 messages=0"));
            formats.insert(tag, db.Dump(1));
        }
        QVERIFY(formats.first() != formats.last());

        const int rounds = 12;
        int bothWritten = 0, oneSkipped = 0;
        for (int round = 0; round < rounds; ++round) {
            const QString start = dir.filePath(QStringLiteral("start-%1").arg(round));
            QProcess a, b;
            a.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--designer"), backend, where, tags[0], start});
            b.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--designer"), backend, where, tags[1], start});
            QVERIFY(a.waitForStarted() && b.waitForStarted());
            QThread::msleep(400);   // both have opened the report and are waiting
            QFile(start).open(QIODevice::WriteOnly);
            QVERIFY(a.waitForFinished(30000) && b.waitForFinished(30000));
            QCOMPARE(a.exitCode(), 0);
            QCOMPARE(b.exitCode(), 0);
            const QString outA = QString::fromUtf8(a.readAllStandardOutput()).trimmed();
            const QString outB = QString::fromUtf8(b.readAllStandardOutput()).trimmed();
            for (const QString& out : {outA, outB})
                QVERIFY2(out == QLatin1String("written=1 changed=0 messages=0") || out == QLatin1String("written=0 changed=1 messages=0"),
                         qPrintable(out));
            QVERIFY2(outA.startsWith(QLatin1String("written=1")) || outB.startsWith(QLatin1String("written=1")),
                     "neither designer saved");
            const QStringList stored = db.Dump(1);
            QVERIFY2(stored == formats.value(tags[0]) || stored == formats.value(tags[1]),
                     qPrintable(QStringLiteral("round %1 stored a mixed format").arg(round)));
            if (outA.startsWith(QLatin1String("written=0")))
                QCOMPARE(stored, formats.value(tags[1]));
            if (outB.startsWith(QLatin1String("written=0")))
                QCOMPARE(stored, formats.value(tags[0]));
            QCOMPARE(db.Scalar(QStringLiteral("select Cols from Rpt_GlbDEF where ID=1")).toInt(), 0);
            (outA.startsWith(QLatin1String("written=1")) && outB.startsWith(QLatin1String("written=1")) ? bothWritten : oneSkipped)++;
        }
        qInfo("%s: %d rounds, both saved one after the other in %d, one skipped in %d",
              qPrintable(backend), rounds, bothWritten, oneSkipped);
    }
};

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--designer") == 0) {
        QCoreApplication app(argc, argv);
        return RunDesigner(app.arguments().mid(2));
    }
    QCoreApplication app(argc, argv);
    tst_concurrentSave test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_concurrentSave.moc"
