#include "clsFunctionManager.h"
#include "columns/clsFieldsManager.h"
#include "document/clsComponentRegistry.h"
#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "labels/clsLabelManager.h"
#include <QHash>
#include <QSet>
#include <exception>

namespace {
const QString kModule = QStringLiteral("clsFunctionManager");
const QString kCrLf = QStringLiteral("\r\n");
const QString kLedgerClass = QStringLiteral("青禾账务函数");
const QString kInventoryClass = QStringLiteral("青禾存货核算函数");

// bNeed is 1 in the suite's own tables, a bit or boolean elsewhere; Null is "not needed".
bool ReadNeedFlag(const QVariant& value)
{
    if (value.isNull())
        return false;
    try {
        if (CDbl(value) == 1)
            return true;
    } catch (const clsDatabaseError&) {
    }
    try {
        return CBool(value);
    } catch (const clsDatabaseError&) {
        return false;
    }
}

// A parameter's name inside a server form piece: between "<" and ">", or between the
// full-width angle brackets when the piece has no "<".
QString PieceName(const QString& piece)
{
    int open = piece.indexOf(QLatin1Char('<'));
    QChar closing = QLatin1Char('>');
    if (open < 0) {
        open = piece.indexOf(QChar(0x3008));  // 〈
        closing = QChar(0x3009);              // 〉
    }
    if (open < 0)
        return QString();
    const int close = piece.indexOf(closing, open + 1);
    if (close < 0)
        return QString();
    return piece.mid(open + 1, close - open - 1).trimmed();
}

bool IsBracketed(const QString& arg)
{
    return arg.size() >= 2 && arg.startsWith(QLatin1Char('[')) && arg.endsWith(QLatin1Char(']'));
}

// Inside the brackets of an argument: its first and last characters dropped.
QString BracketInner(const QString& arg)
{
    return arg.mid(1, arg.size() - 2);
}

bool IsNumberArgument(const QString& arg)
{
    bool ok = false;
    arg.trimmed().toDouble(&ok);
    return ok;
}

bool IsQuotedText(const QString& arg)
{
    return arg.size() >= 2 && arg.startsWith(QLatin1Char('"')) && arg.endsWith(QLatin1Char('"'));
}
}

const std::vector<clsFunctionManager::ServiceClass>& clsFunctionManager::ServiceClasses()
{
    static const std::vector<ServiceClass> classes = {
        {QStringLiteral("青禾财务分析函数"), QStringLiteral("QXSvrCWFX.ClsMain"), QStringLiteral("AnalyzerFuncCW")},
        {QStringLiteral("青禾工资分析函数"), QStringLiteral("QXSvrGZ.ClsMain"), QStringLiteral("AnalyzerFuncGZ")},
        {QStringLiteral("青禾固定资产函数"), QStringLiteral("QXSvrGDZC.ClsMain"), QStringLiteral("AnalyzerFuncGD")},
        {QStringLiteral("青禾应收应付函数"), QStringLiteral("QXSvrYSYF.ClsMain"), QStringLiteral("AnalyzerFuncYS")},
        {QStringLiteral("青禾账务函数"), QStringLiteral("QXSvrZW.ClsMain"), QStringLiteral("AnalyzerFuncZW")},
        {QStringLiteral("青禾采购管理函数"), QStringLiteral("QXSvrCG.ClsMain"), QStringLiteral("AnalyzerFuncCG")},
        {QStringLiteral("青禾存货核算函数"), QStringLiteral("QXSvrCHHS.ClsMain"), QStringLiteral("AnalyzerFuncCH")},
        {QStringLiteral("青禾销售管理函数"), QStringLiteral("QXSvrXS.ClsMain"), QStringLiteral("AnalyzerFuncXS")},
        {QStringLiteral("青禾成本管理函数"), QStringLiteral("QXSvrCA.ClsMain"), QStringLiteral("AnalyzerFuncCB")},
        {QStringLiteral("青禾资金管理函数"), QStringLiteral("UsSvrZJ.ClsMain"), QStringLiteral("AnalyzerFuncZJ")},
        {QStringLiteral("青禾库存管理函数"), QStringLiteral("QXSvrKC.ClsMain"), QStringLiteral("AnalyzerFuncKC")},
    };
    return classes;
}

const clsFunctionManager::ServiceClass* clsFunctionManager::FindServiceClass(const QString& caption)
{
    const QString wanted = caption.trimmed();
    for (const ServiceClass& cls : ServiceClasses())
        if (SameText(cls.caption, wanted))
            return &cls;
    return nullptr;
}

void clsFunctionManager::LoadDefFunctions(bool& ok)
{
    ok = LoadDefFunctions();
}

namespace {
const QString kFunctionsRead = QStringLiteral("Select  * from rpt_fundef where cSystemID ='AA' or cSystemID=? ");
const QString kParametersRead = QStringLiteral("Select  * from rpt_funPere where id in (Select ID from rpt_fundef where cSystemID ='AA' "
                                               "or cSystemID=?) order by id,OrderEX ");
const QString kClassesRead = QStringLiteral("Select  cGroupDefine   from rpt_fundef group by cGroupDefine ");
}

std::vector<clsConnection::Statement> clsFunctionManager::LoadStatements(const QString& systemId)
{
    std::vector<clsConnection::Statement> statements = {
        {kFunctionsRead, {systemId}}, {kParametersRead, {systemId}}, {kClassesRead, {}}};
    for (const QString& probe : AccountProbes())
        statements.push_back({probe, {}, true});
    return statements;
}

bool clsFunctionManager::LoadDefFunctions()
{
    clsConnection* conn = DocumentConnection();
    if (!conn)
        return false;
    mFuncs.clear();
    m_funcCursor = 0;
    const QVariantList system{g_objDocument->m_strSystemID};
    bool functionsRead = false;
    try {
        clsRecordset rs = conn->Open(kFunctionsRead, system);
        QHash<qint32, std::vector<clsFunction*>> byId;
        // Each function joins the list as soon as it is read: a failure later on keeps it.
        while (!rs.Eof()) {
            auto func = std::make_unique<clsFunction>();
            func->id = rs.Long(QStringLiteral("ID"));
            func->StrName = rs.Text(QStringLiteral("cFunName"));
            func->strFuncDefine = rs.Text(QStringLiteral("cFunDefine"));
            func->StrGroup = rs.Text(QStringLiteral("cGroupDefine"));
            func->strLimitRange = rs.Text(QStringLiteral("cLimitRange"));
            func->blnUserDefine = rs.Long(QStringLiteral("bUserDefine")) == 1;
            func->blnlimited = rs.Boolean(QStringLiteral("blimited"));
            func->LngFirst = rs.Long(QStringLiteral("ifirst"));
            func->blnSysService = false;
            byId[func->id].push_back(func.get());
            mFuncs.push_back(std::move(func));
            rs.MoveNext();
        }
        rs.Close();
        functionsRead = true;

        // The parameters of every loaded function in one pass, in each function's order.
        if (!mFuncs.empty()) {
            clsRecordset ps = conn->Open(kParametersRead, system);
            while (!ps.Eof()) {
                const auto it = byId.constFind(ps.Long(QStringLiteral("id")));
                if (it != byId.constEnd()) {
                    clsPere pere;
                    pere.StrName = ps.Text(QStringLiteral("name"));
                    pere.strDefault = ps.Text(QStringLiteral("cDefault"));
                    pere.strRefType = ps.Text(QStringLiteral("cRefType"));
                    pere.lngDataType = ps.Long(QStringLiteral("cDataType"));
                    pere.bNeedInput = ReadNeedFlag(ps.Value(QStringLiteral("bNeed")));
                    for (clsFunction* func : it.value())
                        func->Peres.append(pere);
                }
                ps.MoveNext();
            }
            ps.Close();
        }
    } catch (const std::exception& e) {
        ReportException(e, kModule, QStringLiteral("LoadDefFunctions()"));
        // The functions read so far stay offered; without rpt_fundef the class list
        // would only fail again.
        if (functionsRead)
            LoadAllFuncClass();
        return false;
    }
    LoadAllFuncClass();
    return true;
}

bool clsFunctionManager::LoadAllFuncClass()
{
    m_classes.clear();
    clsConnection* conn = DocumentConnection();
    if (conn) {
        try {
            clsRecordset rs = conn->Open(kClassesRead);
            while (!rs.Eof()) {
                m_classes.append(rs.Text(QStringLiteral("cGroupDefine")));
                rs.MoveNext();
            }
            rs.Close();
        } catch (const std::exception& e) {
            ReportException(e, kModule, QStringLiteral("LoadAllFuncClass()"));
            return false;
        }
    }
    if (!ProbeAccountDatabase(conn)) {
        // Every service class but financial analysis, which only table rows bring in.
        const auto& classes = ServiceClasses();
        for (std::size_t i = 1; i < classes.size(); ++i)
            m_classes.append(classes[i].caption);
    }
    return true;
}

bool clsFunctionManager::EnumerateDefFuncClass(QString& caption, bool restart)
{
    if (restart)
        m_classCursor = -1;
    ++m_classCursor;
    if (m_classCursor >= 0 && m_classCursor < m_classes.size()) {
        caption = m_classes.at(m_classCursor);
        return true;
    }
    m_classCursor = -1;
    return false;
}

bool clsFunctionManager::EnumerateFunctions(const QString& caption, QString& name, QString& define, bool& restart)
{
    const bool service = FindServiceClass(caption) != nullptr;
    if (service && mZ9Funcs.empty() && !AnalyzerZ9Functions())
        return false;
    const auto& list = service ? mZ9Funcs : mFuncs;
    int& cursor = service ? m_z9Cursor : m_funcCursor;
    const QString wanted = caption.trimmed();

    // The cursor is 1-based: 0 stands before the first function.
    if (restart)
        cursor = 0;
    const int count = int(list.size());
    if (cursor <= count)
        ++cursor;
    while (cursor <= count && !SameText(list[cursor - 1]->StrGroup, wanted))
        ++cursor;
    if (cursor <= count) {
        name = list[cursor - 1]->StrName;
        define = list[cursor - 1]->strFuncDefine;
        return true;
    }
    name.clear();
    return false;
}

clsFunction* clsFunctionManager::GetFuncObject(const QString& name)
{
    const QString wanted = name.trimmed();
    for (const auto& func : mFuncs)
        if (SameText(func->StrName, wanted))
            return func.get();
    if (mZ9Funcs.empty() && !AnalyzerZ9Functions())
        return nullptr;
    for (const auto& func : mZ9Funcs)
        if (SameText(func->StrName, wanted))
            return func.get();
    return nullptr;
}

QList<clsPere>* clsFunctionManager::GetFuncParameter(const QString& caption, const QString& name)
{
    const QString group = caption.trimmed();
    const QString wanted = name.trimmed();
    const auto lastMatch = [&](std::vector<std::unique_ptr<clsFunction>>& list) -> QList<clsPere>* {
        QList<clsPere>* found = nullptr;
        for (auto& func : list)
            if (SameText(func->StrGroup, group) && SameText(func->StrName, wanted))
                found = &func->Peres;
        return found;
    };
    if (QList<clsPere>* peres = lastMatch(mFuncs))
        return peres;
    return lastMatch(mZ9Funcs);
}

bool clsFunctionManager::AnalyzerZ9Functions()
{
    mZ9Funcs.clear();
    m_z9Cursor = 0;
    bool any = false;
    // Every class is read even when an earlier one fails.
    for (int i = 0; i < int(ServiceClasses().size()); ++i)
        any = ReadServerClass(i) || any;
    NoticeMissingServers();
    return any;
}

bool clsFunctionManager::AnalyzerFuncCW() { return ReadOneClass(0); }
bool clsFunctionManager::AnalyzerFuncGZ() { return ReadOneClass(1); }
bool clsFunctionManager::AnalyzerFuncGD() { return ReadOneClass(2); }
bool clsFunctionManager::AnalyzerFuncYS() { return ReadOneClass(3); }
bool clsFunctionManager::AnalyzerFuncZW() { return ReadOneClass(4); }
bool clsFunctionManager::AnalyzerFuncCG() { return ReadOneClass(5); }
bool clsFunctionManager::AnalyzerFuncCH() { return ReadOneClass(6); }
bool clsFunctionManager::AnalyzerFuncXS() { return ReadOneClass(7); }
bool clsFunctionManager::AnalyzerFuncCB() { return ReadOneClass(8); }
bool clsFunctionManager::AnalyzerFuncZJ() { return ReadOneClass(9); }
bool clsFunctionManager::AnalyzerFuncKC() { return ReadOneClass(10); }

bool clsFunctionManager::ReadOneClass(int index)
{
    const bool read = ReadServerClass(index);
    NoticeMissingServers();
    return read;
}

namespace {
// The classes whose missing server the user has already been told about in this run.
QSet<QString>& ReportedMissing()
{
    static QSet<QString> reported;
    return reported;
}
}

void clsFunctionManager::NoticeMissingServers()
{
    QStringList fresh;
    for (const QString& caption : std::as_const(m_missing))
        if (!ReportedMissing().contains(caption))
            fresh.append(caption);
    m_missing.clear();
    // A host without some modules of the suite is normal: one notice for all of them,
    // once per run, and the designer goes on without their functions.
    if (fresh.isEmpty() || g_blnRunMode)
        return;
    for (const QString& caption : std::as_const(fresh))
        ReportedMissing().insert(caption);
    ShowMessage(QStringLiteral("以下函数类别的函数服务组件没有安装，其函数不能使用：\r\n") + fresh.join(QStringLiteral("、")));
}

void clsFunctionManager::ForgetMissingServerNotice()
{
    ReportedMissing().clear();
}

void clsFunctionManager::ParseServerForm(const QString& form, clsFunction& func)
{
    const int open = form.indexOf(QLatin1Char('('));
    const QString head = open < 0 ? form : form.left(open);
    const int bar = head.indexOf(QLatin1Char('|'));
    if (bar >= 0) {
        func.strFuncDefine = head.left(bar);
        func.StrName = head.mid(bar + 1).trimmed();
    } else {
        func.strFuncDefine = head.trimmed();
        func.StrName.clear();
    }
    func.Peres.clear();
    if (open < 0)
        return;
    const QStringList pieces = form.mid(open + 1).split(QLatin1Char(','));
    for (const QString& raw : pieces) {
        const QString piece = raw.trimmed();
        if (piece.isEmpty())
            break;
        const QString name = PieceName(piece);
        if (name.isEmpty())
            continue;
        clsPere pere;
        pere.StrName = name;
        pere.bNeedInput = (piece.contains(QLatin1Char('<')) || piece.contains(QChar(0x3008)))
            && !piece.contains(QStringLiteral("[<")) && !piece.contains(QStringLiteral("[〈"));
        pere.lngDataType = 1;
        func.Peres.append(pere);
    }
}

bool clsFunctionManager::ReadServerClass(int index)
{
    const ServiceClass& cls = ServiceClasses().at(std::size_t(index));
    const QString routine = cls.routine + QStringLiteral("()");
    std::unique_ptr<clsOutsideObject> server;
    try {
        server = clsComponentRegistry::Create(cls.progId);
    } catch (const clsOutsideError&) {
        m_missing.append(cls.caption);
        return false;
    }
    try {
        QVariantList none;
        const qint32 count = CLng(server->Invoke(QStringLiteral("srvCount"), none));
        for (qint32 i = 0; i < count; ++i) {
            QVariantList args{QVariant(i)};
            const QString form = server->Invoke(QStringLiteral("srvItemForm"), args).toString();
            auto func = std::make_unique<clsFunction>();
            ParseServerForm(form, *func);
            func->id = qint32(mZ9Funcs.size()) + i + 1;
            func->blnSysService = true;
            func->blnUserDefine = false;
            func->StrGroup = cls.caption;
            func->LngFirst = 1;
            mZ9Funcs.push_back(std::move(func));
        }
    } catch (const clsOutsideError& e) {
        ReportError(e.Description(), kModule, routine);
        return false;
    } catch (const std::exception& e) {
        ReportException(e, kModule, routine);
        return false;
    }
    return true;
}

void clsFunctionManager::SplitFormula(const QString& text, QString& name, QString& args)
{
    const int open = text.indexOf(QLatin1Char('('));
    name = (open < 0 ? text : text.left(open)).trimmed();
    args.clear();
    if (open >= 0) {
        const QString rest = text.mid(open + 1);
        const int close = rest.indexOf(QLatin1Char(')'));
        args = (close < 0 ? rest : rest.left(close)).trimmed();
    }
}

QStringList clsFunctionManager::ArgumentList(const QString& args)
{
    QStringList list;
    for (const QString& raw : args.split(QLatin1Char(','))) {
        const QString piece = raw.trimmed();
        if (piece.isEmpty())
            break;
        list.append(piece);
    }
    return list;
}

bool clsFunctionManager::CheckFunction(const QString& text)
{
    QString cleaned = text.trimmed();
    cleaned.remove(QLatin1Char('\t'));
    cleaned.remove(QLatin1Char('\r'));
    cleaned.remove(QLatin1Char('\n'));
    const int firstClose = cleaned.indexOf(QLatin1Char(')'));
    if (firstClose >= 0 && firstClose < cleaned.size() - 1) {
        ShowMessage(QStringLiteral("非法公式,只能指定一个公式，请去掉公式后的内容..."), PromptIcon::Exclamation,
                    QStringLiteral("格式定义"));
        return false;
    }

    QString name;
    QString args;
    SplitFormula(text, name, args);

    for (const auto& func : mFuncs)
        if (SameText(func->StrName, name))
            return CheckTableFunction(args, *func);
    for (const auto& func : mZ9Funcs)
        if (SameText(func->StrName, name))
            return CheckZ9ServiceFunction(args, *func);
    return true;
}

bool clsFunctionManager::CheckTableFunction(const QString& args, const clsFunction& func)
{
    const QStringList list = ArgumentList(args);
    if (list.isEmpty() && func.Peres.isEmpty())
        return true;

    clsFieldsManager* fields = DocumentFields();
    clsLabelManager* labels = DocumentLabels();
    for (int i = 0; i < func.Peres.size(); ++i) {
        const clsPere& pere = func.Peres.at(i);
        if (pere.bNeedInput && list.size() < i + 1) {
            ShowMessage(QStringLiteral("参数<") + pere.StrName + QStringLiteral(">必须输入..."));
            return false;
        }
        if (i >= list.size())
            continue;
        const QString& arg = list.at(i);
        const QString ref = pere.strRefType.trimmed();
        const bool column = SameText(ref, QStringLiteral("列集合"));
        const bool condition = SameText(ref, QStringLiteral("条件集合"));
        const bool label = SameText(ref, QStringLiteral("标签集合"));
        if (column || condition || label) {
            if (!IsBracketed(arg)) {
                ShowMessage(QStringLiteral("变量名必须使用[]括起..."));
                return false;
            }
            if (column && (!fields || fields->GetCol(BracketInner(arg)) == -1)) {
                ShowMessage(QStringLiteral("列名[") + arg + QStringLiteral("]不在报表可用列集合中..."));
                return false;
            }
            if (label && (!labels || !labels->InLabels(BracketInner(arg)))) {
                ShowMessage(QStringLiteral("标签名[") + arg + QStringLiteral("]不在报表标签集合中..."));
                return false;
            }
            continue;
        }
        // A variable in brackets may stand for a value of any type.
        if (arg.contains(QLatin1Char('[')) || arg.contains(QLatin1Char(']'))) {
            const QString inner = BracketInner(arg);
            if (!IsBracketed(arg) || inner.contains(QLatin1Char('[')) || inner.contains(QLatin1Char(']')))
                return false;
            continue;
        }
        if (pere.lngDataType == 0 && !IsNumberArgument(arg))
            return false;
        if ((pere.lngDataType == 1 || pere.lngDataType == 2) && !IsQuotedText(arg))
            return false;
    }
    return true;
}

QString clsFunctionManager::BuildServiceCheckText(const clsFunction& func, const QString& args)
{
    QString s = args;
    if (SameText(func.StrGroup.trimmed(), kLedgerClass)) {
        // Ledger arguments may hold blanks (account names), so only commas separate them.
        s.replace(QLatin1Char(','), kCrLf);
        s.remove(QLatin1Char('"'));
    } else {
        s.replace(QLatin1Char(','), QLatin1Char(' '));
        s = s.trimmed();
        s.replace(QLatin1Char(' '), kCrLf);
        s += kCrLf;
        s.remove(QLatin1Char('"'));
    }
    return func.StrName + kCrLf + s;
}

bool clsFunctionManager::CheckZ9ServiceFunction(const QString& args, const clsFunction& func)
{
    const QString routine = QStringLiteral("CheckZ9ServiceFunction()");
    const QString checkText = BuildServiceCheckText(func, args);
    const ServiceClass* cls = FindServiceClass(func.StrGroup);
    if (!cls)
        return true;
    try {
        std::unique_ptr<clsOutsideObject> server = clsComponentRegistry::Create(cls->progId);
        if (SameText(cls->caption, kInventoryClass))
            return true;  // the inventory server has no check of its own
        QVariantList callArgs{QVariant(checkText), QVariant(QString())};
        const qint32 result = CLng(server->Invoke(QStringLiteral("srvcheck"), callArgs));
        if (result != 0) {
            ShowMessage(QStringLiteral("公式语法错误,不能保存..."), PromptIcon::Exclamation,
                        QStringLiteral("公式语法校验"));
            return false;
        }
    } catch (const clsOutsideError& e) {
        ReportError(e.Description(), kModule, routine);
        return false;
    } catch (const std::exception& e) {
        ReportException(e, kModule, routine);
        return false;
    }
    return true;
}

void clsFunctionManager::GetRefLists(const QString& refType, QStringList& out) const
{
    out.clear();
    const QString ref = refType.trimmed();
    if (!g_objDocument)
        return;
    if (SameText(ref, QStringLiteral("列集合"))) {
        if (clsFieldsManager* fields = g_objDocument->FieldsManager())
            for (const auto& col : fields->Cols)
                if (col->BlnEnable)
                    out.append(col->name);
    } else if (SameText(ref, QStringLiteral("标签集合"))) {
        if (clsLabelManager* labels = g_objDocument->LabelManager())
            for (const auto& label : labels->Labels)
                out.append(label->StrName);
    }
}
