// Open and save of synthetic reports at scale, against the database's own limit
// measured in the same run (one transaction of prepared inserts of the same rows,
// and one read of them). Prints one line per case; not run by ctest.
//
//   build/bench/bench_openSave [--pg "host=127.0.0.1 port=5432 dbname=qxrf user=qxrf password=qxrf"] [N ...]
#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/clsDefinitionStore.h"
#include "document/clsDocument.h"
#include "document/clsPrompt.h"
#include "document/modPublicDefine.h"
#include "ranges/clsRangeManager.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <cstdio>

namespace {
class SilentPrompt : public clsPrompt
{
public:
    void Beep() override {}
    PromptAnswer Message(const QString& text, PromptIcon, const QString&, PromptButtons) override
    {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
        return PromptAnswer::No;
    }
};

// A report of about n object rows: columns, titles in five levels over them,
// labels, the five ranges plus group ranges, groups and sums.
void Generate(clsConnection& c, int id, int n)
{
    c.BeginTrans();
    c.Execute(QStringLiteral("insert into Rpt_GlbDEF (ID,Name,SystemID,Relation,IsBaseTable,Type,Cols) values (%1,'合成报表%1','GL','vimba',0,1,0)").arg(id));
    const int cols = qMax(8, n * 3 / 10);
    const int labels = qMax(4, n * 15 / 100);
    QSqlQuery q(c.Database());
    q.prepare(QStringLiteral("insert into Rpt_FldDEF (ID,Name,ModeEx,OrderEx,Expression,iColSize,FormatEx,iAlignStyle,Visible,Note,Condition,iSize,TopEx,Height) "
                             "values (?,?,0,?,?,1000,'#,0.00',3,-1,'',?,0,0,320)"));
    for (int i = 1; i <= cols; ++i) {
        q.addBindValue(id); q.addBindValue(QStringLiteral("列%1").arg(i)); q.addBindValue(i);
        q.addBindValue(QStringLiteral("f%1").arg(i)); q.addBindValue(QString());
        q.exec();
    }
    q.prepare(QStringLiteral("insert into Rpt_FldDEF (ID,Name,nameForeign,ModeEx,TopEx,LeftEx,Width,Height,Visible) values (?,?,?,5,?,?,?,1,1)"));
    // Level 5 is one title per column; levels 4..1 span 2, 4, 8, 16 columns.
    for (int level = 5, span = 1; level >= 1; --level, span *= 2) {
        for (int left = 1; left + span - 1 <= cols; left += span) {
            const QString name = level == 5 ? QStringLiteral("列%1").arg(left) : QStringLiteral("标题%1_%2").arg(level).arg(left);
            q.addBindValue(id); q.addBindValue(name); q.addBindValue(name); q.addBindValue(level);
            q.addBindValue(left); q.addBindValue(span);
            q.exec();
        }
    }
    const char* ranges[][3] = {{"标题区域", "标题区", "显示/打印"}, {"页标题区域", "页眉区", "只打印"},
                               {"正文区域", "正文区", "显示/打印"}, {"页脚注区域", "页尾区", "只打印"},
                               {"脚注区域", "脚注区", "显示/打印"}};
    int order = 0;
    for (auto& r : ranges)
        c.Execute(QStringLiteral("insert into Rpt_FldDEF (ID,ModeEx,OrderEx,Name,nameForeign,FormatEx,Expression,iSize,iColSize,iAlignStyle,TopEx,LeftEx,Width,Height) "
                                 "values (%1,25,%2,'%3','','%4','%5',25,0,350,0,0,0,1000)")
                      .arg(id).arg(++order).arg(QString::fromUtf8(r[0]), QString::fromUtf8(r[2]), QString::fromUtf8(r[1])));
    const int groups = qMax(1, cols / 100);
    for (int g = 1; g <= groups; ++g) {
        c.Execute(QStringLiteral("insert into Rpt_FldDEF (ID,Name,nameForeign,ModeEx,OrderEx,iSize) values (%1,'列%2','列%2',3,-1,1)").arg(id).arg(g));
        for (const char* kind : {"标题", "脚注"})
            c.Execute(QStringLiteral("insert into Rpt_FldDEF (ID,ModeEx,OrderEx,Name,nameForeign,FormatEx,Expression,iSize,iColSize,iAlignStyle,TopEx,LeftEx,Width,Height) "
                                     "values (%1,25,%2,'[分组]列%3_%4','列%3','只打印','%5',25,0,350,0,0,0,600)")
                          .arg(id).arg(++order).arg(g).arg(QString::fromUtf8(kind))
                          .arg(QString::fromUtf8(kind) == QStringLiteral("标题") ? QStringLiteral("分组标题区") : QStringLiteral("分组脚注区")));
    }
    q.prepare(QStringLiteral("insert into Rpt_FldDEF (ID,Name,nameForeign,ModeEx,OrderEx) values (?,?,'',4,0)"));
    for (int i = 1; i <= cols; ++i) {
        q.addBindValue(id); q.addBindValue(QStringLiteral("列%1").arg(i));
        q.exec();
    }
    q.prepare(QStringLiteral("insert into Rpt_FldDEF (ID,ModeEx,OrderEx,Name,nameForeign,FormatEx,Condition,iAlignStyle,Note,iColSize,Expression,TopEx,LeftEx,Height,Width) "
                             "values (?,26,?,?,?,'显示/打印','False,134,False,宋体,9,False,False,400',0,'文本;;',0,?,?,?,300,1000)"));
    const char* labelRanges[] = {"标题区域", "页标题区域", "页脚注区域", "脚注区域"};
    for (int i = 1; i <= labels; ++i) {
        q.addBindValue(id); q.addBindValue(i); q.addBindValue(QStringLiteral("标签%1").arg(i));
        q.addBindValue(QString::fromUtf8(labelRanges[i % 4])); q.addBindValue(QStringLiteral("文字%1").arg(i));
        q.addBindValue((i / 20) * 350 % 700); q.addBindValue((i % 20) * 1100);
        q.exec();
    }
    c.Execute(QStringLiteral("insert into Rpt_FldDEF (ID,ModeEx,OrderEx) values (%1,22,7)").arg(id));
    c.CommitTrans();
}

// The database's own limit for the same rows: a read of them, and one transaction
// of prepared inserts writing them again under another ID.
void Limits(clsConnection& c, int id, int copyId, double& readMs, double& writeMs, int& rows)
{
    QElapsedTimer t;
    QList<QVariantList> data;
    t.start();
    {
        QSqlQuery q(c.Database());
        q.setForwardOnly(true);
        q.exec(QStringLiteral("select * from Rpt_FldDEF where ID = %1").arg(id));
        const int n = q.record().count();
        while (q.next()) {
            QVariantList row;
            row.reserve(n);
            for (int i = 0; i < n; ++i)
                row << q.value(i);
            data << row;
        }
    }
    readMs = t.nsecsElapsed() / 1e6;
    rows = data.size();
    const int fields = data.isEmpty() ? 0 : data.first().size();
    QStringList marks;
    for (int i = 0; i < fields; ++i)
        marks << QStringLiteral("?");
    t.restart();
    c.Database().transaction();
    QSqlQuery q(c.Database());
    q.prepare(QStringLiteral("insert into Rpt_FldDEF values (%1)").arg(marks.join(QLatin1Char(','))));
    for (QVariantList& row : data) {
        row[0] = copyId;
        for (const QVariant& v : row)
            q.addBindValue(v);
        if (!q.exec())
            std::fprintf(stderr, "limit insert failed: %s\n", q.lastError().text().toUtf8().constData());
    }
    c.Database().commit();
    writeMs = t.nsecsElapsed() / 1e6;
    c.Execute(QStringLiteral("delete from Rpt_FldDEF where ID = %1").arg(copyId));
}

void RunCase(clsConnection& c, const QString& backend, int n, int id)
{
    Generate(c, id, n);
    double readMs = 0, writeMs = 0;
    int rows = 0;
    Limits(c, id, id + 500000, readMs, writeMs, rows);

    QElapsedTimer t;
    clsDocument doc;
    t.start();
    const bool opened = doc.OpenDocument(&c, QStringLiteral("合成报表%1").arg(id), QStringLiteral("GL"), QStringLiteral("bench"));
    if (opened)
        doc.RangeManager()->DrawAllObjects();   // what the designer does when it shows the report
    const double openMs = t.nsecsElapsed() / 1e6;
    doc.SetDocChanged(true);
    t.restart();
    doc.SaveReportFormat();
    const double saveMs = t.nsecsElapsed() / 1e6;
    std::printf("%-8s N=%-6d rows=%-6d open=%9.2f ms  read-limit=%8.2f ms  open/read=%6.2f  save=%9.2f ms  write-limit=%8.2f ms  save/write=%6.2f  %s\n",
                backend.toUtf8().constData(), n, rows, openMs, readMs, openMs / qMax(readMs, 0.001), saveMs, writeMs,
                saveMs / qMax(writeMs, 0.001), opened && doc.LastSaveWritten() ? "ok" : "NOT SAVED");
    std::fflush(stdout);
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SilentPrompt prompt;
    clsPrompt::Install(&prompt);
    QStringList args = app.arguments().mid(1);
    QString pg;
    const int pgAt = args.indexOf(QStringLiteral("--pg"));
    if (pgAt >= 0 && pgAt + 1 < args.size()) {
        pg = args[pgAt + 1];
        args.remove(pgAt, 2);
    }
    QList<int> sizes;
    for (const QString& a : args)
        sizes << a.toInt();
    if (sizes.isEmpty())
        sizes = {500, 2000, 10000};

    QTemporaryDir dir;
    const QString error = clsDefinitionStore::CreateSqliteFile(dir.filePath(QStringLiteral("bench.db")), QStringLiteral("sqlite"), false);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "sqlite: %s\n", error.toUtf8().constData());
        return 1;
    }
    clsConnection sqlite(QStringLiteral("sqlite"));
    int id = 1000;
    for (int n : sizes)
        RunCase(sqlite, QStringLiteral("sqlite"), n, ++id);

    if (!pg.isEmpty()) {
        const QString pgError = clsDefinitionStore::OpenPostgres(pg, QStringLiteral("pg"));
        if (!pgError.isEmpty()) {
            std::fprintf(stderr, "postgres: %s\n", pgError.toUtf8().constData());
            return 1;
        }
        clsConnection conn(QStringLiteral("pg"));
        const QString schema = QStringLiteral("qxrf_bench");
        conn.Execute(QStringLiteral("SET client_min_messages TO warning"));
        conn.Execute(QStringLiteral("DROP SCHEMA IF EXISTS ") + schema + QStringLiteral(" CASCADE"));
        conn.Execute(QStringLiteral("CREATE SCHEMA ") + schema);
        conn.Execute(QStringLiteral("SET search_path TO ") + schema);
        clsDefinitionStore::CreateSchema(conn);
        for (int n : sizes)
            RunCase(conn, QStringLiteral("postgres"), n, ++id);
        conn.Execute(QStringLiteral("DROP SCHEMA ") + schema + QStringLiteral(" CASCADE"));
    }
    return 0;
}
