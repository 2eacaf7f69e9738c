// The batch check over a database of many reports: R reports of about M objects each
// (columns with expressions, five title levels, ranges, labels of every source kind,
// groups and sums), written once, then every report opened unseen, laid out and
// checked as `qxreportformat check --all` does. Prints the time of the check; not run
// by ctest.
//
//   build/bench/bench_check [--pg "host=127.0.0.1 port=5432 dbname=qxrf user=qxrf password=qxrf"] [R [M]]
#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/clsDefinitionStore.h"
#include "document/clsFormatCheck.h"
#include "document/clsFormatStore.h"
#include "document/clsFormatTransfer.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {
clsFormatRow MakeRow(qint32 kind, std::initializer_list<std::pair<FldColumn, QVariant>> values)
{
    clsFormatRow row(kind);
    for (const auto& [column, value] : values)
        row.Set(column, value);
    return row;
}

// One format of about `objects` rows; every name and expression in it is sound, so the
// check has everything to look at and nothing to report.
clsFormatSnapshot Synthetic(int objects)
{
    using C = FldColumn;
    clsFormatSnapshot s;
    s.HasCatalogue = true;
    s.Report = {QStringLiteral("合成报表"), QStringLiteral("GL"), QString(), QStringLiteral("vimba"), QString(), 0, 1};
    const int cols = qMax(8, objects * 24 / 100);
    const int labels = qMax(4, objects * 20 / 100);
    for (int i = 1; i <= cols; ++i) {
        const bool computed = i > 2 && i % 10 == 0;
        s.Rows.push_back(MakeRow(FormatKind::Column,
                                 {{C::Name, QStringLiteral("列%1").arg(i)}, {C::OrderEx, i},
                                  {C::Expression, computed ? QString() : QStringLiteral("f%1").arg(i)},
                                  {C::iColSize, 1000}, {C::FormatEx, QStringLiteral("#,0.00")}, {C::iAlignStyle, 3},
                                  {C::Visible, -1}, {C::Note, QString()},
                                  {C::Condition, computed ? QStringLiteral("[列%1]+[列%2]*2").arg(i - 1).arg(i - 2) : QString()},
                                  {C::iSize, 0}, {C::TopEx, 0}, {C::Height, 320}}));
        if (i <= cols / 3)
            s.Rows.push_back(MakeRow(FormatKind::Sum, {{C::Name, QStringLiteral("列%1").arg(i)}, {C::nameForeign, QString()}, {C::OrderEx, 0}}));
    }
    // Level 5 is one title per column; levels 4..1 span 2, 4, 8 and 16 columns.
    for (int level = 5, span = 1; level >= 1; --level, span *= 2)
        for (int left = 1; left + span - 1 <= cols; left += span) {
            const QString name = level == 5 ? QStringLiteral("列%1").arg(left) : QStringLiteral("标题%1_%2").arg(level).arg(left);
            s.Rows.push_back(MakeRow(FormatKind::Title, {{C::Name, name}, {C::nameForeign, name}, {C::TopEx, level},
                                                         {C::LeftEx, left}, {C::Width, span}, {C::Height, 1}, {C::Visible, 1}}));
        }
    s.Rows.push_back(MakeRow(FormatKind::Group, {{C::Name, QStringLiteral("列1")}, {C::nameForeign, QStringLiteral("列1")},
                                                 {C::OrderEx, -1}, {C::iSize, 0}}));
    s.Rows.push_back(MakeRow(FormatKind::HelpId, {{C::OrderEx, 1001}}));
    const char* ranges[][3] = {{"标题区域", "标题区", "显示/打印"}, {"页标题区域", "页眉区", "只打印"},
                               {"正文区域", "正文区", "显示/打印"}, {"页脚注区域", "页尾区", "只打印"},
                               {"脚注区域", "脚注区", "显示/打印"}};
    const int perRange = (labels + 3) / 4;
    const int rows = (perRange + 9) / 10;
    for (int r = 0; r < 5; ++r)
        s.Rows.push_back(MakeRow(FormatKind::Range,
                                 {{C::OrderEx, r + 1}, {C::Name, QString::fromUtf8(ranges[r][0])}, {C::nameForeign, QString()},
                                  {C::FormatEx, QString::fromUtf8(ranges[r][2])}, {C::Expression, QString::fromUtf8(ranges[r][1])},
                                  {C::iSize, 25}, {C::iColSize, 0}, {C::iAlignStyle, 350}, {C::TopEx, 0}, {C::LeftEx, 0},
                                  {C::Width, 0}, {C::Height, 100 + rows * 400}}));
    const int labelRanges[] = {0, 1, 3, 4};
    for (int i = 0; i < labels; ++i) {
        const int inRange = i % perRange;
        QString kind = QStringLiteral("文本"), source = QStringLiteral("文本%1").arg(i + 1), group;
        if (i % 5 == 3 && i >= 2) {
            kind = QStringLiteral("表达式");
            source = QStringLiteral("[标签%1]&[标签%2]").arg(i).arg(i - 1);
        } else if (i % 5 == 4) {
            kind = QStringLiteral("公式");
            source = QStringLiteral("GetPeriod()");
            group = QStringLiteral("系统内置公式");
        }
        s.Rows.push_back(MakeRow(FormatKind::Label,
                                 {{C::OrderEx, i + 1}, {C::Name, QStringLiteral("标签%1").arg(i + 1)},
                                  {C::nameForeign, QString::fromUtf8(ranges[labelRanges[i / perRange]][0])},
                                  {C::FormatEx, QStringLiteral("显示/打印")},
                                  {C::Condition, QStringLiteral("False,134,False,宋体,9,False,False,400")}, {C::iAlignStyle, 0},
                                  {C::Note, kind + QStringLiteral(";;") + group}, {C::iColSize, 0}, {C::Expression, source},
                                  {C::TopEx, 100 + (inRange / 10) * 400}, {C::LeftEx, (inRange % 10) * 1200},
                                  {C::Height, 300}, {C::Width, 1000}}));
    }
    s.Rows.push_back(MakeRow(FormatKind::Print, {{C::Condition, QString()}, {C::iSize, 9}, {C::OrderEx, 2}, {C::TopEx, 200},
                                                 {C::LeftEx, 180}, {C::Width, 180}, {C::Height, 180}, {C::iColSize, 1}}));
    clsFormatStore::OrderAsRead(s.Rows);
    return s;
}

int Run(clsConnection& conn, int reports, int objects)
{
    clsDefinitionStore::CreateSchema(conn);
    clsDefinitionStore::LoadDemoData(conn);   // the function catalogue the formulas name
    conn.Execute(QStringLiteral("delete from Rpt_GlbDEF"));
    conn.Execute(QStringLiteral("delete from Rpt_FldDEF"));
    conn.Execute(QStringLiteral("delete from Rpt_FltDEF"));
    clsFormatSnapshot format = Synthetic(objects);
    QElapsedTimer timer;
    timer.start();
    conn.BeginTrans();
    for (int r = 1; r <= reports; ++r) {
        format.Report.Name = QStringLiteral("合成报表%1").arg(r);
        QString error;
        if (clsFormatTransfer::Import(conn, format, {}, error) < 0) {
            std::fprintf(stderr, "import: %s\n", error.toUtf8().constData());
            return 1;
        }
    }
    conn.CommitTrans();
    std::printf("%d reports of %zu objects written in %.1f s\n", reports, format.Rows.size(), timer.elapsed() / 1000.0);

    timer.restart();
    clsFormatCheck check(conn);
    std::vector<clsFormatCheck::Problem> problems;
    int checked = 0;
    for (const clsFormatTransfer::ReportEntry& r : clsFormatTransfer::ListReports(conn))
        checked += check.CheckReport(r.ID, problems) == clsFormatCheck::Outcome::Checked ? 1 : 0;
    const double seconds = timer.elapsed() / 1000.0;
    std::printf("check: %d reports in %.1f s (%.1f ms a report), %zu problems\n", checked, seconds,
                seconds * 1000.0 / qMax(1, checked), problems.size());
    for (size_t i = 0; i < problems.size() && i < 5; ++i)
        std::printf("  %s\n", clsFormatCheck::Line(problems[i]).toUtf8().constData());
    return problems.empty() ? 0 : 1;
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString pg;
    const int pgAt = int(args.indexOf(QStringLiteral("--pg")));
    if (pgAt >= 0 && pgAt + 1 < args.size()) {
        pg = args[pgAt + 1];
        args.remove(pgAt, 2);
    }
    const int reports = args.value(0, QStringLiteral("1000")).toInt();
    const int objects = args.value(1, QStringLiteral("500")).toInt();
    try {
        if (!pg.isEmpty()) {
            const QString error = clsDefinitionStore::OpenPostgres(pg, QStringLiteral("bench"));
            if (!error.isEmpty()) {
                std::fprintf(stderr, "postgres: %s\n", error.toUtf8().constData());
                return 2;
            }
            clsConnection conn(QStringLiteral("bench"));
            const QString schema = QStringLiteral("qxrf_bench_check");
            conn.Execute(QStringLiteral("SET client_min_messages TO warning"));
            conn.Execute(QStringLiteral("DROP SCHEMA IF EXISTS ") + schema + QStringLiteral(" CASCADE"));
            conn.Execute(QStringLiteral("CREATE SCHEMA ") + schema);
            conn.Execute(QStringLiteral("SET search_path TO ") + schema);
            const int status = Run(conn, reports, objects);
            conn.Execute(QStringLiteral("DROP SCHEMA ") + schema + QStringLiteral(" CASCADE"));
            return status;
        }
        QTemporaryDir dir;
        const QString error = clsDefinitionStore::CreateSqliteFile(dir.filePath(QStringLiteral("check.db")), QStringLiteral("bench"), false);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "sqlite: %s\n", error.toUtf8().constData());
            return 2;
        }
        clsConnection conn(QStringLiteral("bench"));
        return Run(conn, reports, objects);
    } catch (const clsDatabaseError& e) {
        std::fprintf(stderr, "%s\n", e.Description().toUtf8().constData());
        return 2;
    }
}
