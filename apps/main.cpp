// The host: opens a report database (an SQLite file, created with the demo reports
// when missing, or a PostgreSQL database) and opens a report's format in the designer.
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
#include "modFormatCommands.h"
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <cstdio>

namespace {
void Print(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputs("\n", stdout);
}

QString OpenDatabase(const QCommandLineParser& args, const QString& name)
{
    if (args.isSet(QStringLiteral("pg")))
        return clsDefinitionStore::OpenPostgres(args.value(QStringLiteral("pg")), name);
    return clsDefinitionStore::OpenSqliteFile(args.value(QStringLiteral("db")), name);
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

// Lays the report out exactly as the designer would and writes the canvas to a
// picture or a PDF page, without any window.
int Render(clsDocument& doc, const QString& out, double zoom)
{
    clsRangeManager* ranges = doc.RangeManager();
    clsCanvasScene* scene = doc.Scene();
    if (!ranges || !scene) {
        Print(QStringLiteral("报表没有可以画出的区域。"));
        return 1;
    }
    ranges->DrawBackView();
    ranges->DrawPaperWidthTopic();
    ranges->DrawAllObjects();
    if (out.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        QString error;
        if (!clsScenePainter::RenderToPdf(*scene, out, &error)) {
            Print(error);
            return 2;
        }
    } else {
        const QImage image = clsScenePainter::RenderToImage(*scene, zoom);
        if (!image.save(out)) {
            Print(QStringLiteral("无法写入文件: ") + out);
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
    if (headless || qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen"))
        clsPrompt::Install(nullptr);
    QApplication::setApplicationName(QStringLiteral("qxreportformat"));
    QApplication::setOrganizationName(QStringLiteral("QXReportFormat"));
    if (const std::optional<int> status = RunFormatCommand(QApplication::arguments()))
        return *status;

    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral("报表格式定义"));
    args.addHelpOption();
    args.addPositionalArgument(QStringLiteral("command"), QStringLiteral("design (default) | init-db | list | show | render"));
    const QString defaultDb = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("demo.db"));
    args.addOption({QStringLiteral("db"), QStringLiteral("SQLite report database (created with demo reports when missing)."), QStringLiteral("file"), defaultDb});
    args.addOption({QStringLiteral("pg"), QStringLiteral("PostgreSQL connection: \"host=... port=... dbname=... user=... password=...\"."), QStringLiteral("options")});
    args.addOption({QStringLiteral("system"), QStringLiteral("Subsystem code of the report."), QStringLiteral("code"), QStringLiteral("GL")});
    args.addOption({QStringLiteral("report"), QStringLiteral("Report name."), QStringLiteral("name"), QStringLiteral("科目余额表")});
    args.addOption({QStringLiteral("operator"), QStringLiteral("Operator name."), QStringLiteral("name"), QStringLiteral("demo")});
    args.addOption({QStringLiteral("demo"), QStringLiteral("init-db: also write the demo reports.")});
    args.addOption({QStringLiteral("out"), QStringLiteral("render: the picture (.png) or page (.pdf) to write."), QStringLiteral("file"), QStringLiteral("page.png")});
    args.addOption({QStringLiteral("zoom"), QStringLiteral("render: scale of the picture."), QStringLiteral("factor"), QStringLiteral("1")});
    args.process(app);

    const QString command = args.positionalArguments().value(0, QStringLiteral("design"));
    if (!args.isSet(QStringLiteral("pg")))
        QDir().mkpath(QFileInfo(args.value(QStringLiteral("db"))).absolutePath());
    const QString error = OpenDatabase(args, QStringLiteral("host"));
    if (!error.isEmpty()) {
        Print(QStringLiteral("无法打开数据库: ") + error);
        return 2;
    }
    clsConnection conn(QStringLiteral("host"));
    try {
        if (command == QLatin1String("init-db")) {
            conn.BeginTrans();
            clsDefinitionStore::CreateSchema(conn);
            if (args.isSet(QStringLiteral("demo")))
                clsDefinitionStore::LoadDemoData(conn);
            conn.CommitTrans();
            Print(QStringLiteral("报表定义表已建立。"));
            return 0;
        }
        if (command == QLatin1String("list"))
            return ListReports(conn);
    } catch (const clsDatabaseError& e) {
        conn.RollbackTrans();
        Print(e.Description());
        return 2;
    }

    // Rendering and a host without a display need no designer window.
    const bool offscreen = qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen");
    if (command == QLatin1String("render") || command == QLatin1String("show") || offscreen)
        clsDocument::SetDesignerProvider({});
    clsDocument doc;
    if (!doc.OpenDocument(&conn, args.value(QStringLiteral("report")), args.value(QStringLiteral("system")),
                          args.value(QStringLiteral("operator"))))
        return 1;
    if (command == QLatin1String("render")) {
        bool ok = false;
        const double zoom = args.value(QStringLiteral("zoom")).toDouble(&ok);
        return Render(doc, args.value(QStringLiteral("out")), ok && zoom > 0 ? zoom : 1.0);
    }
    if (command == QLatin1String("show") || offscreen)
        return Summarise(doc);
    // The designer window is up; the host's loop runs until it is closed.
    return app.exec();
}
