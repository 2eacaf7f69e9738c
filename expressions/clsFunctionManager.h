#pragma once
#include "clsFunction.h"
#include "document/clsConnection.h"
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class clsConnection;

// The function catalogue: table functions from rpt_fundef / rpt_funPere and the
// service functions offered by the suite's function servers, grouped into classes.
// Also checks a label formula against the catalogue.
class clsFunctionManager
{
public:
    std::vector<std::unique_ptr<clsFunction>> mFuncs;
    std::vector<std::unique_ptr<clsFunction>> mZ9Funcs;

    // One service-function class: its caption, its server's programmatic identifier
    // and the name of the routine that reads it (used in error messages).
    struct ServiceClass
    {
        QString caption;
        QString progId;
        QString routine;
    };
    static const std::vector<ServiceClass>& ServiceClasses();
    // The service class of that caption (case ignored), or nullptr for a table class.
    static const ServiceClass* FindServiceClass(const QString& caption);

    void LoadDefFunctions(bool& ok);
    bool LoadDefFunctions();
    bool LoadAllFuncClass();
    // The queries LoadDefFunctions runs for a subsystem, for reading them ahead.
    static std::vector<clsConnection::Statement> LoadStatements(const QString& systemId);

    bool EnumerateDefFuncClass(QString& caption, bool restart);
    bool EnumerateFunctions(const QString& caption, QString& name, QString& define, bool& restart);
    clsFunction* GetFuncObject(const QString& name);
    QList<clsPere>* GetFuncParameter(const QString& caption, const QString& name);
    bool AnalyzerZ9Functions();

    bool AnalyzerFuncCW();
    bool AnalyzerFuncGZ();
    bool AnalyzerFuncGD();
    bool AnalyzerFuncYS();
    bool AnalyzerFuncZW();
    bool AnalyzerFuncCG();
    bool AnalyzerFuncCH();
    bool AnalyzerFuncXS();
    bool AnalyzerFuncCB();
    bool AnalyzerFuncZJ();
    bool AnalyzerFuncKC();

    bool CheckFunction(const QString& text);
    void GetRefLists(const QString& refType, QStringList& out) const;

    const QStringList& FuncClasses() const { return m_classes; }

    // Fills a function's name, definition and parameters from a server's form text
    // ("定义|NAME(<a>,[<b>],〈c〉)").
    static void ParseServerForm(const QString& form, clsFunction& func);
    // The text a server's srvcheck receives for a call of `func` with argument text `args`.
    static QString BuildServiceCheckText(const clsFunction& func, const QString& args);
    // A formula's function name (before the first "(") and its argument text (up to the
    // following ")"), both trimmed.
    static void SplitFormula(const QString& text, QString& name, QString& args);
    // The arguments of a call: trimmed pieces between commas, up to the first empty one.
    static QStringList ArgumentList(const QString& args);

    // Classes whose server could not be created are named to the user once per run;
    // this forgets which were named (a new run, or a test).
    static void ForgetMissingServerNotice();

private:
    bool ReadServerClass(int index);
    bool ReadOneClass(int index);
    void NoticeMissingServers();
    bool CheckTableFunction(const QString& args, const clsFunction& func);
    bool CheckZ9ServiceFunction(const QString& args, const clsFunction& func);

    QStringList m_classes;
    QStringList m_missing;  // classes whose server could not be created, not yet told
    int m_classCursor = -1;
    int m_funcCursor = 0;
    int m_z9Cursor = 0;
};
