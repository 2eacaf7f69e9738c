#include "modWindows.h"
#include "clsDocument.h"
#include "clsMessagePrompt.h"
#include "designer/frmMainView.h"
#include "clsPrintSetting.h"
#include "plugins/servers/modFunctionServers.h"
#include <QPrinterInfo>

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
// Runs when the shared library is loaded, so a host only has to link the component.
struct AutoInit
{
    AutoInit() { InitializeComponentWindows(); }
} g_autoInit;
}
