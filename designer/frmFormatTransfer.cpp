#include "frmFormatTransfer.h"
#include "document/clsDesignerView.h"
#include "document/clsDocument.h"
#include "document/clsFormatTransfer.h"
#include "document/modPublicDefine.h"
#include <QDir>
#include <QFileDialog>

namespace {
frmFormatTransfer::FileHook& Hook()
{
    static frmFormatTransfer::FileHook hook;
    return hook;
}

const QString kFilter = QStringLiteral("报表格式 (*.json);;所有文件 (*)");

QString AskFile(QWidget* parent, bool save, const QString& suggested)
{
    if (Hook())
        return Hook()(save);
    return save ? QFileDialog::getSaveFileName(parent, QStringLiteral("导出格式"), suggested, kFilter)
                : QFileDialog::getOpenFileName(parent, QStringLiteral("导入格式"), QString(), kFilter);
}

clsDocument* OpenDocument()
{
    return g_objDocument && g_objDocument->IsOpen() ? g_objDocument : nullptr;
}
}

void frmFormatTransfer::SetFileHook(FileHook hook)
{
    Hook() = std::move(hook);
}

void frmFormatTransfer::ExportFormat(QWidget* parent)
{
    clsDocument* doc = OpenDocument();
    if (!doc)
        return;
    // What is written is what a save would write now; a format the save's checks
    // refuse is not exported either (the user has been told why).
    clsFormatSnapshot snapshot;
    QString error;
    if (!clsFormatTransfer::SnapshotOfDocument(*doc, snapshot, error)) {
        if (!error.isEmpty())
            ShowMessage(error);
        return;
    }
    const QString suggested = QDir::home().filePath(
        clsFormatTransfer::FileNameFor({doc->m_lngReportID, doc->m_strReportName, doc->m_strSystemID}));
    const QString path = AskFile(parent, true, suggested);
    if (path.isEmpty())
        return;
    if (!clsFormatTransfer::WriteFile(path, snapshot, error))
        ShowMessage(error);
}

void frmFormatTransfer::ImportFormat(QWidget* parent)
{
    clsDocument* doc = OpenDocument();
    if (!doc)
        return;
    const QString path = AskFile(parent, false, QString());
    if (path.isEmpty())
        return;
    clsFormatSnapshot snapshot;
    QString error;
    clsFormatTransfer::ImportOptions target;
    target.Name = doc->m_strReportName;
    target.SystemID = doc->m_strSystemID;
    if (!clsFormatTransfer::ReadFile(path, snapshot, error)
        || !clsFormatTransfer::Validate(snapshot, target, error)) {
        ShowMessage(error.startsWith(QStringLiteral("文件 ")) ? error : QStringLiteral("文件 %1：").arg(path) + error);
        return;
    }
    QString question = QStringLiteral("用文件中的格式替换报表“%1”的格式并保存?").arg(doc->m_strReportName);
    if (snapshot.HasCatalogue && !SameText(snapshot.Report.Name.trimmed(), doc->m_strReportName.trimmed()))
        question += QStringLiteral("\r\n（文件中的格式属于报表“%1”）").arg(snapshot.Report.Name.trimmed());
    if (!AskYesNo(question))
        return;
    if (!doc->RestoreSnapshot(snapshot)) {
        ShowMessage(QStringLiteral("文件中的格式没有报表列，不能导入..."));
        return;
    }
    doc->SetDocChanged(true);
    doc->CommitStep(QStringLiteral("导入格式"));
    // Laid out before the save: its title check works on the drawn titles.
    clsDocument::Designer()->RefreshFormatReport();
    doc->SaveReportFormat();
    if (!doc->LastSaveWritten() && doc->DocChanged())
        ShowMessage(QStringLiteral("导入的格式已经显示，但还没有保存..."));
}
