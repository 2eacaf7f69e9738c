#include "modFormatCommands.h"
#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/clsDefinitionStore.h"
#include "document/clsFormatCheck.h"
#include "document/clsFormatTransfer.h"
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <cstdio>
#include <unistd.h>

namespace {
const QStringList kCommands = {QStringLiteral("export"), QStringLiteral("import"), QStringLiteral("copy"),
                               QStringLiteral("check")};

enum Status { Done = 0, Refused = 1, Unusable = 2 };

void Write(std::FILE* stream, const QString& text)
{
    std::fputs(text.toUtf8().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// A bar on stderr while many reports are worked through, only when stderr is a
// terminal; messages printed meanwhile first clear it.
class Progress
{
public:
    explicit Progress(qsizetype total) : m_total(total), m_shown(total > 1 && isatty(fileno(stderr))) {}
    ~Progress() { Clear(); }

    void Step(const QString& item)
    {
        ++m_done;
        if (!m_shown)
            return;
        constexpr int width = 30;
        const int filled = m_total > 0 ? int(m_done * width / m_total) : width;
        const QString bar = QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char('.'));
        const QString text = QStringLiteral("\r\033[K[%1] %2/%3 %4").arg(bar).arg(m_done).arg(m_total).arg(item.left(40));
        std::fputs(text.toUtf8().constData(), stderr);
        std::fflush(stderr);
        m_drawn = true;
    }
    void Say(const QString& text)
    {
        Clear();
        Write(stderr, text);
    }
    void Clear()
    {
        if (m_drawn) {
            std::fputs("\r\033[K", stderr);
            std::fflush(stderr);
            m_drawn = false;
        }
    }

private:
    qsizetype m_total;
    qsizetype m_done = 0;
    bool m_shown;
    bool m_drawn = false;
};

QString DefaultDatabase()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("demo.db"));
}

bool TableReadable(clsConnection& conn, const QString& table)
{
    try {
        conn.Open(QStringLiteral("Select count(*) as n From ") + table + QStringLiteral(" Where 1 = 0"));
        return true;
    } catch (const clsDatabaseError&) {
        return false;
    }
}

// Opens an SQLite file or a PostgreSQL database under `connectionName`. A source must
// exist (the default demo file is created with its reports, as the host does); a
// target gets the definition tables when it has none of them, and is refused when it
// has only some.
bool OpenDatabase(const QString& file, const QString& pg, const QString& connectionName, bool target, QString& error)
{
    if (!pg.isEmpty()) {
        error = clsDefinitionStore::OpenPostgres(pg, connectionName);
    } else {
        const QString path = file.isEmpty() ? DefaultDatabase() : file;
        if (!target && !file.isEmpty() && !QFileInfo::exists(path)) {
            error = QStringLiteral("数据库文件不存在：") + path;
            return false;
        }
        QDir().mkpath(QFileInfo(path).absolutePath());
        // A new target file is what a copy is asked to make; the tables follow below.
        if (target && !QFileInfo::exists(path))
            error = clsDefinitionStore::CreateSqliteFile(path, connectionName, false);
        else
            error = clsDefinitionStore::OpenSqliteFile(path, connectionName, !target);
    }
    if (!error.isEmpty())
        return false;
    clsConnection conn(connectionName);
    int present = 0;
    const QStringList tables = {QStringLiteral("Rpt_GlbDEF"), QStringLiteral("Rpt_FldDEF"), QStringLiteral("Rpt_FltDEF"),
                                QStringLiteral("rpt_fundef"), QStringLiteral("rpt_funPere")};
    for (const QString& table : tables)
        present += TableReadable(conn, table) ? 1 : 0;
    if (present == tables.size())
        return true;
    if (!target || present > 0) {
        error = QStringLiteral("数据库中没有完整的报表定义表（%1/%2），请先运行 init-db").arg(present).arg(tables.size());
        return false;
    }
    try {
        conn.BeginTrans();
        clsDefinitionStore::CreateSchema(conn);
        conn.CommitTrans();
    } catch (const clsDatabaseError& e) {
        conn.RollbackTrans();
        error = e.Description();
        return false;
    }
    Write(stderr, QStringLiteral("已在目标数据库中建立报表定义表。"));
    return true;
}

struct Selection
{
    bool all = false;
    QString report;
    QString system;
};

// The reports a command works on: every catalogue row, or the one named.
bool SelectReports(clsConnection& conn, const Selection& which, std::vector<clsFormatTransfer::ReportEntry>& reports,
                   QString& error)
{
    if (which.all) {
        reports = clsFormatTransfer::ListReports(conn);
        return true;
    }
    const qint32 id = clsFormatTransfer::FindReport(conn, which.report, which.system);
    if (id < 0) {
        error = QStringLiteral("没有找到报表定义...（%1/%2）").arg(which.system, which.report);
        return false;
    }
    reports.push_back({id, which.report, which.system});
    return true;
}

QString Label(const clsFormatTransfer::ReportEntry& r)
{
    return r.SystemID.trimmed() + QLatin1Char('/') + r.Name.trimmed();
}

int Export(clsConnection& conn, const Selection& which, const QString& out)
{
    std::vector<clsFormatTransfer::ReportEntry> reports;
    QString error;
    if (!SelectReports(conn, which, reports, error)) {
        Write(stderr, error);
        return Refused;
    }
    if (!which.all) {
        const clsFormatSnapshot snapshot = clsFormatTransfer::ReadReport(conn, reports.front().ID);
        if (out.isEmpty() || out == QLatin1String("-")) {
            std::fputs(snapshot.ToJson().toUtf8().constData(), stdout);
            return Done;
        }
        if (!clsFormatTransfer::WriteFile(out, snapshot, error)) {
            Write(stderr, error);
            return Refused;
        }
        Write(stderr, QStringLiteral("已导出 %1 到 %2").arg(Label(reports.front()), out));
        return Done;
    }
    if (out.isEmpty() || !QDir().mkpath(out)) {
        Write(stderr, QStringLiteral("--all 需要用 --out 指定一个可以写入的文件夹"));
        return Unusable;
    }
    Progress progress(qsizetype(reports.size()));
    QSet<QString> taken;
    int failed = 0;
    for (const clsFormatTransfer::ReportEntry& r : reports) {
        progress.Step(Label(r));
        QString name = clsFormatTransfer::FileNameFor(r);
        // Two catalogue rows of one name and subsystem still get a file each.
        if (taken.contains(name.toCaseFolded()))
            name.insert(name.size() - 5, QStringLiteral("_%1").arg(r.ID));
        taken.insert(name.toCaseFolded());
        try {
            if (!clsFormatTransfer::WriteFile(QDir(out).filePath(name), clsFormatTransfer::ReadReport(conn, r.ID), error)) {
                progress.Say(error);
                ++failed;
            }
        } catch (const clsDatabaseError& e) {
            progress.Say(Label(r) + QStringLiteral("：") + e.Description());
            ++failed;
        }
    }
    progress.Say(QStringLiteral("已导出 %1 个报表到 %2，失败 %3 个").arg(qsizetype(reports.size()) - failed).arg(out).arg(failed));
    return failed ? Refused : Done;
}

int Import(clsConnection& conn, const QString& in, const clsFormatTransfer::ImportOptions& options)
{
    clsFormatSnapshot snapshot;
    QString error;
    const qint32 id = clsFormatTransfer::ImportFile(conn, in, options, snapshot, error);
    if (id < 0) {
        Write(stderr, error);
        return Refused;
    }
    const QString name = options.Name.isEmpty() ? snapshot.Report.Name : options.Name;
    const QString system = options.SystemID.isEmpty() ? snapshot.Report.SystemID : options.SystemID;
    Write(stderr, QStringLiteral("已导入 %1/%2（ID %3）").arg(system.trimmed(), name.trimmed()).arg(id));
    return Done;
}

int Copy(clsConnection& from, clsConnection& to, const Selection& which, bool replace)
{
    std::vector<clsFormatTransfer::ReportEntry> reports;
    QString error;
    if (!SelectReports(from, which, reports, error)) {
        Write(stderr, error);
        return Refused;
    }
    Progress progress(qsizetype(reports.size()));
    int failed = 0;
    for (const clsFormatTransfer::ReportEntry& r : reports) {
        progress.Step(Label(r));
        if (clsFormatTransfer::CopyReport(from, to, r.ID, replace, error) < 0) {
            progress.Say(Label(r) + QStringLiteral("：") + error);
            ++failed;
        }
    }
    progress.Say(QStringLiteral("已复制 %1 个报表，失败 %2 个").arg(qsizetype(reports.size()) - failed).arg(failed));
    return failed ? Refused : Done;
}

int Check(clsConnection& conn, const Selection& which)
{
    std::vector<clsFormatTransfer::ReportEntry> reports;
    QString error;
    if (!SelectReports(conn, which, reports, error)) {
        Write(stderr, error);
        return Refused;
    }
    clsFormatCheck check(conn);
    Progress progress(qsizetype(reports.size()));
    qsizetype problems = 0, unanalysed = 0;
    for (const clsFormatTransfer::ReportEntry& r : reports) {
        progress.Step(Label(r));
        std::vector<clsFormatCheck::Problem> found;
        if (check.CheckReport(r.ID, found) == clsFormatCheck::Outcome::NoColumns)
            ++unanalysed;
        if (!found.empty())
            progress.Clear();
        for (const clsFormatCheck::Problem& p : found)
            Write(stdout, clsFormatCheck::Line(p));
        problems += qsizetype(found.size());
    }
    QString summary = QStringLiteral("已检查 %1 个报表，发现 %2 个问题").arg(qsizetype(reports.size()) - unanalysed).arg(problems);
    if (unanalysed)
        summary += QStringLiteral("；%1 个报表还没有字段列表，未检查").arg(unanalysed);
    progress.Say(summary);
    return problems ? Refused : Done;
}
}

std::optional<int> RunFormatCommand(const QStringList& arguments)
{
    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral("报表格式的导出、导入、复制和检查"));
    args.addHelpOption();
    args.addPositionalArgument(QStringLiteral("command"), QStringLiteral("export | import | copy | check"));
    const auto option = [&](const char* name, const char* about, const char* value = nullptr) {
        if (value)
            args.addOption({QString::fromLatin1(name), QString::fromUtf8(about), QString::fromLatin1(value)});
        else
            args.addOption({QString::fromLatin1(name), QString::fromUtf8(about)});
    };
    option("db", "SQLite 报表数据库（缺省为演示数据库）", "file");
    option("pg", "PostgreSQL 连接：\"host=... port=... dbname=... user=... password=...\"", "options");
    option("report", "报表名称", "name");
    option("system", "子系统代码（缺省 GL）", "code");
    option("all", "全部报表");
    option("out", "export：输出文件（缺省为标准输出）；与 --all 一起时为文件夹", "path");
    option("in", "import：要导入的文件", "file");
    option("as", "import：导入后的报表名称", "name");
    option("replace", "import、copy：替换同名的报表");
    option("from-db", "copy：源 SQLite 数据库", "file");
    option("from-pg", "copy：源 PostgreSQL 连接", "options");
    option("to-db", "copy：目标 SQLite 数据库（不存在时建立）", "file");
    option("to-pg", "copy：目标 PostgreSQL 连接", "options");

    const bool parsed = args.parse(arguments);
    const QString command = parsed ? args.positionalArguments().value(0) : arguments.value(1);
    if (!kCommands.contains(command))
        return std::nullopt;
    if (!parsed) {
        Write(stderr, args.errorText());
        return Unusable;
    }
    if (args.isSet(QStringLiteral("help"))) {
        Write(stdout, args.helpText());
        return Done;
    }
    Selection which;
    which.all = args.isSet(QStringLiteral("all"));
    which.report = args.value(QStringLiteral("report"));
    which.system = args.isSet(QStringLiteral("system")) ? args.value(QStringLiteral("system")) : QStringLiteral("GL");
    // check works on every report unless one is named; the others need to be told.
    if (command == QLatin1String("check") && which.report.isEmpty())
        which.all = true;
    if (command != QLatin1String("import") && which.all == !which.report.isEmpty()) {
        Write(stderr, QStringLiteral("%1：请用 --report（和 --system）指定一个报表，或用 --all").arg(command));
        return Unusable;
    }

    QString error;
    if (command == QLatin1String("copy")) {
        const QString fromPg = args.value(QStringLiteral("from-pg")), toPg = args.value(QStringLiteral("to-pg"));
        const QString fromDb = args.value(QStringLiteral("from-db")), toDb = args.value(QStringLiteral("to-db"));
        if ((fromPg.isEmpty() && fromDb.isEmpty()) || (toPg.isEmpty() && toDb.isEmpty())) {
            Write(stderr, QStringLiteral("copy：需要 --from-db 或 --from-pg，以及 --to-db 或 --to-pg"));
            return Unusable;
        }
        if (!OpenDatabase(fromDb, fromPg, QStringLiteral("source"), false, error)
            || !OpenDatabase(toDb, toPg, QStringLiteral("target"), true, error)) {
            Write(stderr, QStringLiteral("无法打开数据库: ") + error);
            return Unusable;
        }
        clsConnection from(QStringLiteral("source")), to(QStringLiteral("target"));
        try {
            return Copy(from, to, which, args.isSet(QStringLiteral("replace")));
        } catch (const clsDatabaseError& e) {
            Write(stderr, e.Description());
            return Unusable;
        }
    }

    const bool import = command == QLatin1String("import");
    if (import && !args.isSet(QStringLiteral("in"))) {
        Write(stderr, QStringLiteral("import：请用 --in 指定要导入的文件"));
        return Unusable;
    }
    if (!OpenDatabase(args.value(QStringLiteral("db")), args.value(QStringLiteral("pg")), QStringLiteral("formats"),
                      import, error)) {
        Write(stderr, QStringLiteral("无法打开数据库: ") + error);
        return Unusable;
    }
    clsConnection conn(QStringLiteral("formats"));
    try {
        if (command == QLatin1String("export"))
            return Export(conn, which, args.value(QStringLiteral("out")));
        if (command == QLatin1String("check"))
            return Check(conn, which);
        clsFormatTransfer::ImportOptions options;
        options.Name = args.value(QStringLiteral("as"));
        options.SystemID = args.value(QStringLiteral("system"));
        options.Replace = args.isSet(QStringLiteral("replace"));
        return Import(conn, args.value(QStringLiteral("in")), options);
    } catch (const clsDatabaseError& e) {
        Write(stderr, e.Description());
        return Unusable;
    }
}
