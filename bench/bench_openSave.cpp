// Open and save of synthetic reports at scale, against the database's own limits
// measured side by side in the same run on the same rows:
//   read   the faster of one forward read of the report's rows (SELECT *, every value
//          fetched) through Qt's driver and the same through clsConnection::ReadMany
//          (the client library's own calls: SQLite's steps, libpq's whole result);
//   write  the fastest of: one transaction of one prepared insert run per row through
//          Qt's driver, one transaction of clsConnection::InsertMany (COPY through the
//          client library on PostgreSQL, SQLite's own prepared insert stepped per row on
//          SQLite: the database's own bulk write, without Qt's binding), and on
//          PostgreSQL COPY ... FROM STDIN through the psql client on the same server
//          (timed by psql's \timing, so without the client's start-up), when psql is on
//          the PATH.
// An open is clsDocument::OpenDocument with the report shown in a stand-in designer
// window that draws what the designer draws (sheet, paper width, one layout pass).
// Every case runs --reps times (5 by default), each repetition measuring every limit
// and the component in turn; minimum and median are printed, ratios are of medians.
// The cold first open (the first open on a newly opened connection) is reported on
// its own, against the warm read and against the cold read (the faster of the two
// reads, each the first statement on a newly opened connection). Statements are
// counted through the connection's statement hook, BEGIN and COMMIT apart; on
// PostgreSQL each is one round trip, but for those an open reads ahead together, which
// make one. Not run by ctest.
//
//   build/bench/bench_openSave [--reps 5] [--pg "host=127.0.0.1 port=5432 dbname=qxrf user=qxrf password=qxrf"]
//                              [--pg-only] [--opens-only] [N ...]
// --opens-only repeats only the warm open, for a profiler to look at.
#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/clsDefinitionStore.h"
#include "document/clsHeadlessDesigner.h"
#include "document/clsDocument.h"
#include "document/clsPrompt.h"
#include "document/modPublicDefine.h"
#include "ranges/clsRangeManager.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

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

// Stands in for the designer window: showing a report draws it as the window does
// (the sheet, the paper width and one layout pass over the records).
class DrawingDesigner : public clsHeadlessDesigner
{
public:
    void RefreshFormatReport() override
    {
        if (clsRangeManager* ranges = DocumentRanges())
            ranges->DrawFormatReport();
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


struct Samples
{
    std::vector<double> v;
    void Add(double x) { v.push_back(x); }
    double Min() const { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }
    double Median() const
    {
        if (v.empty())
            return 0;
        std::vector<double> s = v;
        std::sort(s.begin(), s.end());
        return s.size() % 2 ? s[s.size() / 2] : (s[s.size() / 2 - 1] + s[s.size() / 2]) / 2;
    }
};

QList<QVariantList> ReadRows(clsConnection& c, int id, QStringList& names)
{
    QList<QVariantList> data;
    QSqlQuery q(c.Database());
    q.setForwardOnly(true);
    q.exec(QStringLiteral("select * from Rpt_FldDEF where ID = %1").arg(id));
    const QSqlRecord rec = q.record();
    names.clear();
    for (int i = 0; i < rec.count(); ++i)
        names << rec.fieldName(i);
    while (q.next()) {
        QVariantList row;
        row.reserve(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            row << q.value(i);
        data << row;
    }
    return data;
}

double TimeRead(clsConnection& c, int id)
{
    QElapsedTimer t;
    t.start();
    QStringList names;
    ReadRows(c, id, names);
    return t.nsecsElapsed() / 1e6;
}

// The same read through the client library's own calls (clsConnection::ReadMany), every
// value kept as the driver's read keeps it.
double TimeDirectRead(clsConnection& c, int id)
{
    QElapsedTimer t;
    t.start();
    QList<QVariantList> data;
    qsizetype width = 0;
    c.ReadMany(QStringLiteral("select * from Rpt_FldDEF where ID = ?"), {id},
               [&](const QStringList& names) { width = names.size(); },
               [&](QVariant* values) {
                   QVariantList row;
                   row.reserve(width);
                   for (qsizetype i = 0; i < width; ++i)
                       row << std::move(values[i]);
                   data << std::move(row);
               });
    return t.nsecsElapsed() / 1e6;
}

void DeleteCopy(clsConnection& c, int copyId)
{
    c.Execute(QStringLiteral("delete from Rpt_FldDEF where ID = %1").arg(copyId));
}

// One transaction, one prepared insert run once per row.
double TimePerRow(clsConnection& c, const QStringList& names, QList<QVariantList> data, int copyId)
{
    QStringList marks;
    for (int i = 0; i < names.size(); ++i)
        marks << QStringLiteral("?");
    QElapsedTimer t;
    t.start();
    c.Database().transaction();
    QSqlQuery q(c.Database());
    q.prepare(QStringLiteral("insert into Rpt_FldDEF (%1) values (%2)").arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    for (QVariantList& row : data) {
        row[0] = copyId;
        for (const QVariant& v : row)
            q.addBindValue(v);
        if (!q.exec())
            std::fprintf(stderr, "limit insert failed: %s\n", q.lastError().text().toUtf8().constData());
    }
    c.Database().commit();
    const double ms = t.nsecsElapsed() / 1e6;
    DeleteCopy(c, copyId);
    return ms;
}

// One transaction of bound multi-row inserts, as many rows a statement as the
// database takes.
double TimeMultiRow(clsConnection& c, const QStringList& names, const QList<QVariantList>& data, int copyId)
{
    std::vector<QVariantList> rows(data.begin(), data.end());
    QElapsedTimer t;
    t.start();
    for (QVariantList& row : rows)
        row[0] = copyId;
    c.Database().transaction();
    c.InsertMany(QStringLiteral("Rpt_FldDEF"), names, rows);
    c.Database().commit();
    const double ms = t.nsecsElapsed() / 1e6;
    DeleteCopy(c, copyId);
    return ms;
}

// COPY's text format: tab between values, \N for Null, backslash escapes.
QByteArray CopyText(const QList<QVariantList>& data, int copyId)
{
    QByteArray out;
    for (const QVariantList& row : data) {
        for (int i = 0; i < row.size(); ++i) {
            if (i)
                out += '\t';
            if (i == 0) {
                out += QByteArray::number(copyId);
                continue;
            }
            if (row[i].isNull()) {
                out += "\\N";
                continue;
            }
            QByteArray v = row[i].toString().toUtf8();
            v.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r");
            out += v;
        }
        out += '\n';
    }
    return out;
}

// COPY through psql in one transaction; the time is psql's own for BEGIN, COPY and
// COMMIT, so it leaves out starting the client and connecting. -1 without psql.
double TimeCopy(const QString& conninfo, const QString& schema, const QStringList& names, const QList<QVariantList>& data,
                int copyId, clsConnection& c, const QString& dir)
{
    static const QString psql = QStandardPaths::findExecutable(QStringLiteral("psql"));
    if (psql.isEmpty() || conninfo.isEmpty())
        return -1;
    const QString script = dir + QStringLiteral("/copy.sql");
    {
        QFile f(script);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write("SET search_path TO " + schema.toUtf8() + ";\n\\timing on\nBEGIN;\nCOPY Rpt_FldDEF ("
                + names.join(QLatin1Char(',')).toUtf8() + ") FROM STDIN;\n");
        f.write(CopyText(data, copyId));
        f.write("\\.\nCOMMIT;\n");
    }
    QProcess p;
    p.start(psql, {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                   QStringLiteral("-d"), conninfo, QStringLiteral("-f"), script});
    p.waitForFinished(120000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    if (p.exitCode() != 0) {
        std::fprintf(stderr, "psql: %s\n", p.readAllStandardError().constData());
        return -1;
    }
    double ms = 0;
    int timed = 0;
    static const QRegularExpression time(QStringLiteral("Time: ([0-9.]+) ms"));
    for (auto it = time.globalMatch(out); it.hasNext();) {
        ms += it.next().captured(1).toDouble();
        ++timed;
    }
    DeleteCopy(c, copyId);
    return timed >= 3 ? ms : -1;
}

// Statements an open runs, and round trips it makes for them (those read ahead together
// make one).
struct Trips
{
    int statements = 0;
    int roundTrips = 0;
};

double TimeOpen(clsConnection& c, int id, Trips* trips = nullptr)
{
    int n = 0;
    const qint64 aheadTrips = c.ReadAheadTrips(), answeredAhead = c.AnsweredAhead();
    c.SetStatementHook([&](const QString&) { ++n; });
    QElapsedTimer t;
    t.start();
    clsDocument doc;
    const bool opened = doc.OpenDocument(&c, QStringLiteral("合成报表%1").arg(id), QStringLiteral("GL"), QStringLiteral("bench"));
    const double ms = t.nsecsElapsed() / 1e6;
    c.SetStatementHook({});
    if (!opened)
        std::fprintf(stderr, "open failed\n");
    if (trips)
        *trips = {n, n - int(c.AnsweredAhead() - answeredAhead) + int(c.ReadAheadTrips() - aheadTrips)};
    return ms;
}

double TimeSave(clsConnection& c, clsDocument& doc, int* statements)
{
    int n = 0;
    c.SetStatementHook([&](const QString&) { ++n; });
    doc.SetDocChanged(true);
    QElapsedTimer t;
    t.start();
    doc.SaveReportFormat();
    const double ms = t.nsecsElapsed() / 1e6;
    c.SetStatementHook({});
    if (!doc.LastSaveWritten())
        std::fprintf(stderr, "NOT SAVED: %s\n", doc.LastSaveProblem().toUtf8().constData());
    *statements = n;
    return ms;
}

void Print(const char* what, const Samples& s)
{
    std::printf("    %-26s min %9.2f  median %9.2f ms\n", what, s.Min(), s.Median());
}

struct Backend
{
    QString label;
    // Opens a new connection of this name to the same database (for the cold open).
    std::function<QString(const QString&)> openAnother;
    QString conninfo;   // PostgreSQL only, for psql
    QString schema;
};

void RunCase(clsConnection& c, const Backend& b, int n, int id, int reps, const QString& dir, bool opensOnly)
{
    Generate(c, id, n);
    if (opensOnly) {
        {
            // Saved once, as the designer leaves a report: rows in the order it writes them.
            clsDocument doc;
            doc.OpenDocument(&c, QStringLiteral("合成报表%1").arg(id), QStringLiteral("GL"), QStringLiteral("bench"));
            int statements = 0;
            TimeSave(c, doc, &statements);
        }
        Samples open;
        for (int r = 0; r < reps; ++r)
            open.Add(TimeOpen(c, id));
        std::printf("%s N=%d, %d repetitions\n", b.label.toUtf8().constData(), n, reps);
        Print("open (warm)", open);
        return;
    }
    const int copyId = id + 500000;
    QStringList names;
    const QList<QVariantList> data = ReadRows(c, id, names);

    // The cold first open: a connection opened just now, its first report; beside it the
    // cold read, the same rows read first thing on a connection opened just now (on a
    // server a new session loads what it knows of the tables it touches first).
    Samples cold, coldRead;
    const auto onFresh = [&](int r, const char* what, const std::function<double(clsConnection&)>& timed) {
        const QString name = QStringLiteral("%1%2_%3").arg(QLatin1String(what)).arg(id).arg(r);
        const QString error = b.openAnother(name);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "cold connection: %s\n", error.toUtf8().constData());
            return -1.0;
        }
        double ms;
        {
            clsConnection fresh(name);
            ms = timed(fresh);
        }
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
        return ms;
    };
    for (int r = 0; r < reps; ++r) {
        const double o = onFresh(r, "cold", [&](clsConnection& fresh) { return TimeOpen(fresh, id); });
        const double q = onFresh(r, "coldread", [&](clsConnection& fresh) { return TimeRead(fresh, id); });
        const double d = onFresh(r, "colddirect", [&](clsConnection& fresh) { return TimeDirectRead(fresh, id); });
        if (o < 0 || q < 0 || d < 0)
            break;
        cold.Add(o);
        coldRead.Add(std::min(q, d));
    }

    Samples read, directRead, perRow, multiRow, copy, open, save, bestWrite;
    Trips openTrips;
    int saveStatements = 0;
    clsDocument doc;
    doc.OpenDocument(&c, QStringLiteral("合成报表%1").arg(id), QStringLiteral("GL"), QStringLiteral("bench"));
    for (int r = 0; r < reps; ++r) {
        const double qtRead = TimeRead(c, id), ownRead = TimeDirectRead(c, id);
        read.Add(qtRead);
        directRead.Add(ownRead);
        open.Add(TimeOpen(c, id, &openTrips));
        const double a = TimePerRow(c, names, data, copyId);
        const double m = TimeMultiRow(c, names, data, copyId);
        const double k = c.IsPostgres() ? TimeCopy(b.conninfo, b.schema, names, data, copyId, c, dir) : -1;
        perRow.Add(a);
        multiRow.Add(m);
        if (k > 0)
            copy.Add(k);
        bestWrite.Add(std::min({a, m, k > 0 ? k : a}));
        save.Add(TimeSave(c, doc, &saveStatements));
    }
    const auto best = [&]() -> std::pair<const char*, double> {
        std::pair<const char*, double> b{"per-row insert", perRow.Median()};
        if (multiRow.Median() < b.second)
            b = {"InsertMany", multiRow.Median()};
        if (!copy.v.empty() && copy.Median() < b.second)
            b = {"COPY (psql)", copy.Median()};
        return b;
    }();
    std::printf("%s N=%d (%d rows), %d repetitions\n", b.label.toUtf8().constData(), n, int(data.size()), reps);
    Print("read: Qt's driver", read);
    Print("read: ReadMany", directRead);
    Print("open (warm)", open);
    Print("open (cold, first)", cold);
    Print("read (cold, first; best)", coldRead);
    Print("write: per-row insert", perRow);
    Print("write: InsertMany", multiRow);
    if (!copy.v.empty())
        Print("write: COPY (psql)", copy);
    Print("save", save);
    const double readLimit = std::min(read.Median(), directRead.Median());
    std::printf("    open/best read %.2f   cold open/best read %.2f   cold open/cold read %.2f   (best read: %s)   save/best write %.2f (best: %s)   save/per-row %.2f\n",
                open.Median() / readLimit, cold.Median() / readLimit, cold.Median() / coldRead.Median(),
                directRead.Median() < read.Median() ? "ReadMany" : "Qt's driver", save.Median() / best.second, best.first,
                save.Median() / perRow.Median());
    if (c.IsPostgres())
        std::printf("    statements: open %d in %d round trips, save %d (+ BEGIN and COMMIT)\n", openTrips.statements,
                    openTrips.roundTrips, saveStatements);
    else
        std::printf("    statements: open %d, save %d (+ BEGIN and COMMIT)\n", openTrips.statements, saveStatements);
    std::fflush(stdout);
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SilentPrompt prompt;
    clsPrompt::Install(&prompt);
    // Every open shows its report in a designer, as the component does.
    DrawingDesigner designer;
    clsDocument::SetDesignerProvider([&designer]() -> clsDesignerView* { return &designer; });
    QStringList args = app.arguments().mid(1);
    const auto option = [&](const QString& name) {
        const int at = args.indexOf(name);
        if (at < 0 || at + 1 >= args.size())
            return QString();
        const QString value = args[at + 1];
        args.remove(at, 2);
        return value;
    };
    const QString pg = option(QStringLiteral("--pg"));
    const QString repsText = option(QStringLiteral("--reps"));
    const int reps = repsText.isEmpty() ? 5 : std::max(1, repsText.toInt());
    const bool pgOnly = args.removeAll(QStringLiteral("--pg-only")) > 0;
    const bool opensOnly = args.removeAll(QStringLiteral("--opens-only")) > 0;
    QList<int> sizes;
    for (const QString& a : args)
        sizes << a.toInt();
    if (sizes.isEmpty())
        sizes = {500, 2000, 10000};

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.db"));
    const QString error = clsDefinitionStore::CreateSqliteFile(file, QStringLiteral("sqlite"), false);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "sqlite: %s\n", error.toUtf8().constData());
        return 1;
    }
    clsConnection sqlite(QStringLiteral("sqlite"));
    Backend lite{QStringLiteral("sqlite"), [&](const QString& name) { return clsDefinitionStore::OpenSqliteFile(file, name); },
                 QString(), QString()};
    int id = 1000;
    if (!pgOnly)
        for (int n : sizes)
            RunCase(sqlite, lite, n, ++id, reps, dir.path(), opensOnly);

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
        Backend post{QStringLiteral("postgres"),
                     [&](const QString& name) {
                         const QString e = clsDefinitionStore::OpenPostgres(pg, name);
                         if (e.isEmpty())
                             QSqlQuery(QSqlDatabase::database(name, false)).exec(QStringLiteral("SET search_path TO ") + schema);
                         return e;
                     },
                     pg, schema};
        for (int n : sizes)
            RunCase(conn, post, n, ++id, reps, dir.path(), opensOnly);
        conn.Execute(QStringLiteral("DROP SCHEMA ") + schema + QStringLiteral(" CASCADE"));
    }
    return 0;
}
