// The host: opens a report database (an SQLite file, or a PostgreSQL database) and runs
// one command on it: the designer, a summary, a picture of a report, the catalogue, or
// making the tables. Its exit status is 0 only when nothing went wrong.
#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/clsDefinitionStore.h"
#include "document/clsDocument.h"
#include "document/clsPrintSetting.h"
#include "document/clsPrompt.h"
#include "document/modPublicDefine.h"
#include "columns/clsFieldsManager.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include "designer/clsCanvasScene.h"
#include "designer/clsScenePainter.h"
#include "designer/clsCanvasWidget.h"
#include "designer/frmMainView.h"
#include "modFormatCommands.h"
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

namespace {
void Print(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputs("\n", stdout);
}

void PrintError(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputs("\n", stderr);
}

// Passes every message on to the prompt in use (the designer's message boxes, or
// standard error without a display) and counts the ones that report something, so
// that the exit status tells a caller what the messages told the user.
class clsHostPrompt : public clsPrompt
{
public:
    explicit clsHostPrompt(clsPrompt& inner) : m_inner(inner) {}
    void Beep() override { m_inner.Beep(); }
    PromptAnswer Message(const QString& text, PromptIcon icon, const QString& title, PromptButtons buttons) override
    {
        if (buttons == PromptButtons::Ok)
            ++m_reported;
        return m_inner.Message(text, icon, title, buttons);
    }
    void Log(const QString& text) override
    {
        ++m_reported;
        m_inner.Log(text);
    }
    int Reported() const { return m_reported; }

private:
    clsPrompt& m_inner;
    int m_reported = 0;
};

const QStringList kCommands{QStringLiteral("design"), QStringLiteral("init-db"), QStringLiteral("list"),
                            QStringLiteral("show"), QStringLiteral("render")};

// Opens the database the options name. Only the default SQLite file is made when it is
// missing (with the demo reports, so the designer can be tried at once); any other
// database is made on purpose by init-db. Commands that only read get a connection
// that cannot write.
QString OpenDatabase(const QCommandLineParser& args, const QString& command, const QString& name)
{
    const bool readOnly = command != QLatin1String("design") && command != QLatin1String("init-db");
    if (args.isSet(QStringLiteral("pg")))
        return clsDefinitionStore::OpenPostgres(args.value(QStringLiteral("pg")), name, readOnly);
    const QString path = args.value(QStringLiteral("db"));
    const bool initDb = command == QLatin1String("init-db");
    if (!QFileInfo::exists(path) && (initDb || !args.isSet(QStringLiteral("db")))) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        const QString error = clsDefinitionStore::CreateSqliteFile(path, name, !initDb);
        if (!error.isEmpty())
            return error;
        QSqlDatabase::database(name, false).close();
    }
    return clsDefinitionStore::OpenSqliteFile(path, name, readOnly);
}

int ListReports(clsConnection& conn)
{
    clsRecordset rs = conn.Open(QStringLiteral("Select Name ,SystemID  from  Rpt_GlbDEF   Where  Relation ='vimba'  AND Type <> 0   order by SystemID ,Name  "));
    for (; !rs.Eof(); rs.MoveNext())
        Print(rs.Text(QStringLiteral("systemid")).toUpper() + QStringLiteral("   ") + rs.Text(QStringLiteral("name")));
    return 0;
}

int Summarise(clsDocument& doc)
{
    Print(QStringLiteral("报表格式定义-%1 (ID %2, 子系统 %3)").arg(doc.m_strReportName).arg(doc.m_lngReportID).arg(doc.m_strSystemID));
    const clsPrintSetting* p = doc.GetPrintObject();
    if (p)
        Print(QStringLiteral("  打印设置: 纸张 %1, 方向 %2, 边距 上%3 下%4 左%5 右%6 (0.1毫米), 表体边框 %7")
                  .arg(p->LngPaperType).arg(p->LngOrientation).arg(p->LngPrintTop).arg(p->LngPrintButton)
                  .arg(p->LngPrintLeft).arg(p->LngPrintRight).arg(p->blnListFrame ? QStringLiteral("是") : QStringLiteral("否")));
    if (auto* f = doc.FieldsManager())
        Print(QStringLiteral("  列: %1, 复合标题: %2, 帮助ID: %3").arg(f->Cols.size()).arg(f->Titles.size()).arg(f->ReportHelpID()));
    if (auto* r = doc.RangeManager())
        Print(QStringLiteral("  区域: %1").arg(r->Ranges.size()));
    if (auto* l = doc.LabelManager())
        Print(QStringLiteral("  标签: %1").arg(l->Labels.size()));
    return 0;
}

// The designer window as the user would see it, drawn to a picture: for a look at the
// designer on a machine without a display.
int Screenshot(const QString& file, double zoom, bool grid)
{
    frmMainView* w = frmMainView::Instance();
    w->resize(1280, 800);
    // The user's own zoom and grid are remembered settings; the picture must not change them.
    const double userZoom = w->Zoom();
    const bool userGrid = w->Action(QStringLiteral("mnuGrid"))->isChecked();
    w->SetZoom(zoom);
    if (grid)
        w->SetGridShown(true);
    w->Canvas()->ScrollTo(0, 0);
    QApplication::processEvents();
    const QImage picture = w->grab().toImage();
    w->SetZoom(userZoom);
    w->SetGridShown(userGrid);
    if (!picture.save(file)) {
        PrintError(QStringLiteral("无法写入文件: ") + file);
        return 2;
    }
    Print(QStringLiteral("已写入 ") + file);
    return 0;
}

// Lays the report out exactly as the designer would and writes the canvas to a
// picture or a PDF page, without any window.
int Render(clsDocument& doc, const QString& out, double zoom)
{
    clsRangeManager* ranges = doc.RangeManager();
    clsCanvasScene* scene = doc.Scene();
    if (!ranges || !scene) {
        PrintError(QStringLiteral("报表没有可以画出的区域。"));
        return 1;
    }
    ranges->DrawBackView();
    ranges->DrawPaperWidthTopic();
    ranges->DrawAllObjects();
    if (out.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        QString error;
        if (!clsScenePainter::RenderToPdf(*scene, out, &error)) {
            PrintError(error);
            return 2;
        }
    } else if (QFileInfo(out).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0) {
        // Band by band: a large report's picture never sits in memory whole.
        QString error;
        if (!clsScenePainter::RenderToPng(*scene, out, zoom, &error)) {
            PrintError(error);
            return 2;
        }
    } else {
        const QImage image = clsScenePainter::RenderToImage(*scene, zoom);
        if (image.isNull()) {
            const QSize size = clsScenePainter::RenderSize(*scene, zoom);
            PrintError(QStringLiteral("无法生成 %1 x %2 像素的图像，请用较小的缩放比例。").arg(size.width()).arg(size.height()));
            return 2;
        }
        if (!image.save(out)) {
            PrintError(QStringLiteral("无法写入文件: ") + out);
            return 2;
        }
    }
    Print(QStringLiteral("已输出: ") + out);
    return 0;
}
}

int main(int argc, char** argv)
{
    // Without a display the commands still run: windows go offscreen and messages to stderr.
    const bool headless = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (headless)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool offscreen = qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen");
    if (offscreen)
        clsPrompt::Install(nullptr);
    clsHostPrompt prompt(clsPrompt::Current());
    clsPrompt::Install(&prompt);
    QApplication::setApplicationName(QStringLiteral("qxreportformat"));
    QApplication::setOrganizationName(QStringLiteral("QXReportFormat"));
    if (const std::optional<int> status = RunFormatCommand(QApplication::arguments()))
        return *status;

    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral("报表格式定义"));
    args.addHelpOption();
    args.addPositionalArgument(QStringLiteral("command"), kCommands.join(QStringLiteral(" | ")) + QStringLiteral(" (design by default)"));
    const QString defaultDb = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("demo.db"));
    args.addOption({QStringLiteral("db"), QStringLiteral("SQLite report database (the default one is created with demo reports when missing)."), QStringLiteral("file"), defaultDb});
    args.addOption({QStringLiteral("pg"), QStringLiteral("PostgreSQL: a libpq connection string (\"host=... dbname=... user=... password='...'\") or URI (postgresql://...)."), QStringLiteral("conninfo")});
    args.addOption({QStringLiteral("system"), QStringLiteral("Subsystem code of the report."), QStringLiteral("code"), QStringLiteral("GL")});
    args.addOption({QStringLiteral("report"), QStringLiteral("Report name."), QStringLiteral("name"), QStringLiteral("科目余额表")});
    args.addOption({QStringLiteral("operator"), QStringLiteral("Operator name."), QStringLiteral("name"), QStringLiteral("demo")});
    args.addOption({QStringLiteral("demo"), QStringLiteral("init-db: also write the demo reports.")});
    args.addOption({QStringLiteral("out"), QStringLiteral("render: the picture (.png) or page (.pdf) to write."), QStringLiteral("file"), QStringLiteral("page.png")});
    args.addOption({QStringLiteral("zoom"), QStringLiteral("render: scale of the picture; design --screenshot: the canvas zoom."), QStringLiteral("factor"), QStringLiteral("1")});
    args.addOption({QStringLiteral("screenshot"), QStringLiteral("design: draw the designer window to this picture and quit (works without a display)."), QStringLiteral("file")});
    args.addOption({QStringLiteral("grid"), QStringLiteral("design --screenshot: show the grid.")});
    args.process(app);

    const QString command = args.positionalArguments().value(0, QStringLiteral("design"));
    const QString screenshot = args.value(QStringLiteral("screenshot"));
    const bool window = command == QLatin1String("design") && (!offscreen || !screenshot.isEmpty());
    // Said on standard error, and in a message box where the designer would have opened.
    const auto fail = [&](const QString& text) {
        PrintError(text);
        if (window)
            ShowMessage(text);
        return 2;
    };
    if (!kCommands.contains(command))
        return fail(QStringLiteral("未知的命令: ") + command);
    bool zoomOk = false;
    const double zoom = args.value(QStringLiteral("zoom")).toDouble(&zoomOk);
    if (!zoomOk || !(zoom > 0))
        return fail(QStringLiteral("缩放比例无效: ") + args.value(QStringLiteral("zoom")));

    const QString error = OpenDatabase(args, command, QStringLiteral("host"));
    if (!error.isEmpty())
        return fail(QStringLiteral("无法打开数据库: ") + error);
    clsConnection conn(QStringLiteral("host"));
    try {
        if (command == QLatin1String("init-db")) {
            conn.BeginTrans();
            clsDefinitionStore::CreateSchema(conn);
            if (args.isSet(QStringLiteral("demo")))
                clsDefinitionStore::LoadDemoData(conn);
            if (!conn.CommitTrans())
                throw conn.LastFailure();
            Print(QStringLiteral("报表定义表已建立。"));
            return 0;
        }
        // A database without one of the tables is not repaired behind the user's back.
        const QString missing = clsDefinitionStore::MissingTable(conn);
        if (!missing.isEmpty())
            return fail(QStringLiteral("数据库中没有表 %1，不是报表定义库；请用 init-db 建立报表定义表。").arg(missing));
        if (command == QLatin1String("list"))
            return ListReports(conn);
    } catch (const clsDatabaseError& e) {
        conn.RollbackTrans();
        return fail(e.Description());
    }

    // Rendering and a host without a display need no designer window.
    if (!window)
        clsDocument::SetDesignerProvider({});
    clsDocument doc;
    if (!doc.OpenDocument(&conn, args.value(QStringLiteral("report")), args.value(QStringLiteral("system")),
                          args.value(QStringLiteral("operator"))))
        return 1;
    // A part of the format that could not be loaded has been reported; the command
    // still shows what it has, and says so in its status.
    const int reportedAtOpen = prompt.Reported();
    int status = 0;
    if (command == QLatin1String("render"))
        status = Render(doc, args.value(QStringLiteral("out")), zoom);
    else if (!window)
        status = Summarise(doc);
    else if (!screenshot.isEmpty())
        status = Screenshot(screenshot, zoom, args.isSet(QStringLiteral("grid")));
    else
        status = app.exec();   // the designer window is up until the user closes it
    return status != 0 ? status : (reportedAtOpen > 0 ? 1 : 0);
}
