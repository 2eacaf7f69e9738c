#pragma once
#include <QString>
#include <QStringList>
#include <vector>

// The function servers built into this component, one per function class of the suite
// (general ledger, payroll, fixed assets, receivables and payables, purchasing,
// inventory costing, sales, costing, cash, stock, financial analysis).
struct FunctionServerCatalogue
{
    QString progId;
    bool linePerArgument;   // the ledger takes one argument per line, blanks kept
    QStringList forms;      // "定义|NAME(<必要参数>,[<可选参数>])", as srvItemForm gives them
};
const std::vector<FunctionServerCatalogue>& FunctionServerCatalogues();

// Registers every built-in server with the component registry under its programmatic
// identifier. The component calls it once when it loads.
void RegisterFunctionServers();
// Removes them again (hosts that install servers of their own, and tests).
void UnregisterFunctionServers();
