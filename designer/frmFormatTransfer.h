#pragma once
#include <QString>
#include <functional>

class QWidget;

// 文件→导出格式 and 文件→导入格式 of the designer: the open report's format written to
// a file of its JSON text, and a file's format put into the open report and saved by
// the document's own save (its checks, its lock, its one transaction).
class frmFormatTransfer
{
public:
    static void ExportFormat(QWidget* parent);
    static void ImportFormat(QWidget* parent);

    // Answers the file dialogs instead of showing them (tests): called with True for
    // the export's dialog, False for the import's; an empty answer cancels.
    using FileHook = std::function<QString(bool save)>;
    static void SetFileHook(FileHook hook);
};
