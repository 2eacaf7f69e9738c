#include "modWindows.h"
#include "clsDocument.h"
#include "clsMessagePrompt.h"
#include "designer/frmMainView.h"
#include "clsPrintSetting.h"
#include "plugins/servers/modFunctionServers.h"
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QToolTip>
#include <QPrinterInfo>
#include <QTranslator>

void RegisterFilterComponent();  // plugins/filter
void RegisterQueryDefineComponent();  // plugins/query

void InitializeComponentWindows()
{
    static clsMessagePrompt prompt;
    static bool done = false;
    if (done)
        return;
    done = true;
    clsPrompt::Install(&prompt);
    // The document shows the one designer window; without a QApplication it keeps its stand-in.
    clsDocument::SetDesignerProvider([]() -> clsDesignerView* { return frmMainView::Instance(); });
    clsPrintSetting::SetDefaultPrinterProvider([] { return QPrinterInfo::defaultPrinterName(); });
    RegisterFilterComponent();
    RegisterQueryDefineComponent();
    RegisterFunctionServers();
}

namespace {
// Qt's own dialogs and buttons (font, colour, file, printer, "OK", "Close") speak the
// component's language. Runs once the host's application object exists.
void InstallQtTranslations()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator->load(QStringLiteral("qt_zh_CN"), folder) || translator->load(QStringLiteral("qtbase_zh_CN"), folder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
}
Q_COREAPP_STARTUP_FUNCTION(InstallQtTranslations)

namespace {
// Runs when the shared library is loaded, so a host only has to link the component.
struct AutoInit
{
    AutoInit() { InitializeComponentWindows(); }
} g_autoInit;
}

void ExplainRefusedKeys(QLineEdit* box, std::function<QString()> rule)
{
    QObject::connect(box, &QLineEdit::inputRejected, box, [box, rule = std::move(rule)] {
        const QString text = rule();
        if (!text.isEmpty())
            QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())), text, box);
    });
}
