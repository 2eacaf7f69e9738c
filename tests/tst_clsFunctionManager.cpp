#include "clsCanvasFixture.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include "columns/clsFieldsManager.h"
#include "document/clsComponentRegistry.h"
#include "document/clsDatabaseError.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "expressions/clsFunctionManager.h"
#include "labels/clsLabelManager.h"
#include "plugins/servers/modFunctionServers.h"
#include <QtTest>
#include <algorithm>
#include <functional>

namespace {
// A function server whose forms, failures and check answer the test decides; it records
// every call, and what srvcheck received.
class FakeServer : public clsOutsideObject
{
public:
    struct Log
    {
        QStringList members;
        QList<QVariantList> args;
        QStringList checked;
        int answer = 0;
    };
    FakeServer(QStringList forms, std::shared_ptr<Log> log, int failAtItem = -1)
        : m_forms(std::move(forms)), m_log(std::move(log)), m_failAt(failAtItem) {}

    QVariant Invoke(const QString& member, QVariantList& args) override
    {
        m_log->members.append(member);
        m_log->args.append(args);
        if (member.compare(QLatin1String("srvCount"), Qt::CaseInsensitive) == 0)
            return int(m_forms.size());
        if (member.compare(QLatin1String("srvItemForm"), Qt::CaseInsensitive) == 0) {
            const int i = args.at(0).toInt();
            if (i == m_failAt)
                throw clsOutsideError(QStringLiteral("服务器内部错误"));
            return m_forms.at(i);
        }
        if (member.compare(QLatin1String("srvcheck"), Qt::CaseInsensitive) == 0) {
            // A second argument, which the component never passes, would show after a tab.
            const QString second = args.value(1).toString();
            m_log->checked.append(args.value(0).toString() + (second.isEmpty() ? QString() : QLatin1Char('\t') + second));
            return m_log->answer;
        }
        UnknownMember(member);
    }

private:
    QStringList m_forms;
    std::shared_ptr<Log> m_log;
    int m_failAt;
};

std::shared_ptr<FakeServer::Log> RegisterFake(const QString& progId, const QStringList& forms, int failAt = -1, int answer = 0)
{
    auto log = std::make_shared<FakeServer::Log>();
    log->answer = answer;
    clsComponentRegistry::Register(progId, [=] { return std::make_unique<FakeServer>(forms, log, failAt); });
    return log;
}

QString Params(const QList<clsPere>& peres)
{
    QStringList out;
    for (const clsPere& p : peres)
        out.append(p.StrName + (p.bNeedInput ? QLatin1Char('+') : QLatin1Char('-')));
    return out.join(QLatin1Char(','));
}

// A function on one line: name|define|group|limit|user, limited, service|first|parameters.
QString Describe(const clsFunction& f)
{
    return QStringList{f.StrName, f.strFuncDefine, f.StrGroup, f.strLimitRange,
                       QStringLiteral("%1%2%3").arg(int(f.blnUserDefine)).arg(int(f.blnlimited)).arg(int(f.blnSysService)),
                       QString::number(f.LngFirst), Params(f.Peres)}.join(QLatin1Char('|'));
}

QStringList ServiceCaptions(bool withAnalysis)
{
    QStringList out;
    for (const auto& cls : clsFunctionManager::ServiceClasses())
        out.append(cls.caption);
    if (!withAnalysis)
        out.removeFirst();
    return out;
}
}

class tst_clsFunctionManager : public QObject
{
    Q_OBJECT

private:
    static void Fun(clsConnection& c, int id, const QString& values)
    {
        c.Execute(QStringLiteral("Insert into rpt_fundef (ID,cFunName,cFunDefine,cGroupDefine,cLimitRange,bUserDefine,"
                                 "blimited,ifirst,cSystemID) values (%1,%2)").arg(id).arg(values));
    }
    static void Pere(clsConnection& c, int id, int order, const QString& name, const QString& need,
                     const QString& ref = QStringLiteral("NULL"), const QString& type = QStringLiteral("1"))
    {
        c.Execute(QStringLiteral("Insert into rpt_funPere (id,name,cDefault,cRefType,cDataType,bNeed,OrderEX) "
                                 "values (%1,'%2','缺省%2',%3,%4,%5,%6)").arg(id).arg(name, ref, type, need).arg(order));
    }
    // Opens a document on the database (no catalogue row needed in RunMode).
    static std::unique_ptr<clsDocument> Open(clsTestDatabase& db)
    {
        auto doc = std::make_unique<clsDocument>();
        clsCanvasFixture::OpenHeadless(*doc, &db.Conn());
        return doc;
    }
    static void Catalogue(clsConnection& c)
    {
        Fun(c, 1, QStringLiteral("' QC ','取期初 ','账务',' 1,2 ',1,1,2,'AA'"));
        Fun(c, 2, QStringLiteral("'FX','第一','G1',NULL,0,0,NULL,'GL'"));
        Fun(c, 3, QStringLiteral("'FX','第二','G2','',2,NULL,5,'GL'"));
        Fun(c, 4, QStringLiteral("'APF','应付','G1','',0,0,0,'AP'"));
        Fun(c, 5, QStringLiteral("NULL,NULL,NULL,NULL,NULL,NULL,NULL,'GL'"));
        Pere(c, 2, 3, QStringLiteral("c"), QStringLiteral("NULL"));
        Pere(c, 2, 1, QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("'列集合'"), QStringLiteral("NULL"));
        Pere(c, 2, 2, QStringLiteral("b"), QStringLiteral("0"));
        Pere(c, 2, 4, QStringLiteral("d"), QStringLiteral("-1"));
        Pere(c, 3, 1, QStringLiteral("z"), QStringLiteral("1"));
        Pere(c, 4, 1, QStringLiteral("q"), QStringLiteral("1"));
    }

    // The formula checks run on a document of their own: columns 金额, 数量 and 停用
    // (disabled), labels 标题 and 制表人, and three table functions.
    // Declared in this order so that the document goes before its database.
    std::unique_ptr<clsTestDatabase> m_db;
    std::unique_ptr<clsDocument> m_doc;
    clsFunctionManager* Fm() const { return m_doc->FunctionManager(); }
    void ReadServers()
    {
        g_blnRunMode = true;  // the classes without a server stay silent
        Fm()->mZ9Funcs.clear();
        Fm()->AnalyzerZ9Functions();
        g_blnRunMode = false;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<clsTestDatabase>(QStringLiteral("sqlite"));
        QVERIFY2(m_db->Ready(), qPrintable(m_db->Error()));
        clsConnection& c = m_db->Conn();
        Fun(c, 1, QStringLiteral("'COLSUM','','报表函数','',0,0,0,'GL'"));
        Pere(c, 1, 1, QStringLiteral("列"), QStringLiteral("1"), QStringLiteral("'列集合'"));
        Pere(c, 1, 2, QStringLiteral("标签"), QStringLiteral("0"), QStringLiteral("'标签集合'"));
        Pere(c, 1, 3, QStringLiteral("条件"), QStringLiteral("0"), QStringLiteral("'条件集合'"));
        Fun(c, 2, QStringLiteral("'TYPED','','报表函数','',0,0,0,'GL'"));
        Pere(c, 2, 1, QStringLiteral("数"), QStringLiteral("1"), QStringLiteral("NULL"), QStringLiteral("0"));
        Pere(c, 2, 2, QStringLiteral("文"), QStringLiteral("0"));
        Pere(c, 2, 3, QStringLiteral("文二"), QStringLiteral("0"), QStringLiteral("NULL"), QStringLiteral("2"));
        Pere(c, 2, 4, QStringLiteral("任意"), QStringLiteral("0"), QStringLiteral("NULL"), QStringLiteral("7"));
        Fun(c, 3, QStringLiteral("'NOPARAM','','报表函数','',0,0,0,'GL'"));
        m_doc = Open(*m_db);
        QCOMPARE(int(Fm()->mFuncs.size()), 3);
        auto& cols = m_doc->FieldsManager()->Cols;
        cols.clear();
        for (const char* name : {"金额", "数量", "停用"}) {
            auto col = std::make_unique<clsRepcol>();
            col->name = QString::fromUtf8(name);
            col->Col = int(cols.size()) + 1;
            col->BlnEnable = col->Col != 3;
            cols.push_back(std::move(col));
        }
        auto& labels = m_doc->LabelManager()->Labels;
        labels.clear();
        for (const char* name : {"标题", "制表人"}) {
            labels.push_back(std::make_unique<clsLabel>());
            labels.back()->StrName = QString::fromUtf8(name);
        }
    }
    void init() { g_objDocument = m_doc.get(); }
    void cleanup()
    {
        for (const auto& cls : clsFunctionManager::ServiceClasses())
            clsComponentRegistry::Unregister(cls.progId);
        clsFunctionManager::ForgetMissingServerNotice();
        g_blnRunMode = false;
        Fm()->mZ9Funcs.clear();
    }

    // The catalogue as read: parameters in order, with their references and types; the
    // same name in two classes told apart by class. Classes and functions are walked with
    // a cursor that stops past the end and starts over when asked; the analysis servers'
    // classes follow the table's, except in an account database.
    void catalogue_data()
    {
        clsTestDatabase::AddBackendColumn();
        QTest::addColumn<bool>("accountDatabase");
        clsTestDatabase::RowPerBackend("suite database", false);
        clsTestDatabase::RowPerBackend("account database", true);
    }
    void catalogue()
    {
        QXRF_OPEN_DB(db);
        QFETCH(bool, accountDatabase);
        QString name = QStringLiteral("old"), define;
        bool restart = true;
        if (!accountDatabase) {
            auto empty = Open(db);
            QVERIFY(empty->FunctionManager()->mFuncs.empty());
            QCOMPARE(empty->FunctionManager()->FuncClasses(), ServiceCaptions(false));
            QVERIFY(!empty->FunctionManager()->EnumerateFunctions(QStringLiteral("G1"), name, define, restart));
            QVERIFY(name.isEmpty());
        }
        Catalogue(db.Conn());
        Fun(db.Conn(), 6, QStringLiteral("'CWF','分析','青禾财务分析函数','',0,0,0,'AA'"));
        Fun(db.Conn(), 7, QStringLiteral("'GX','第三','G1','',0,0,0,'AA'"));
        if (backend == QLatin1String("sqlite")) {  // only SQLite keeps text in an integer column
            Pere(db.Conn(), 3, 2, QStringLiteral("t"), QStringLiteral("'true'"));
            Pere(db.Conn(), 3, 3, QStringLiteral("u"), QStringLiteral("'abc'"));
        }
        if (accountDatabase)
            db.Conn().Execute(QStringLiteral("CREATE TABLE fst00000 (x INTEGER)"));
        auto doc = Open(db);
        clsFunctionManager* fm = doc->FunctionManager();
        clsRecordingPrompt prompt;
        bool ok = false;
        fm->LoadDefFunctions(ok);
        QVERIFY(ok);
        QCOMPARE(prompt.messages.size(), 0);

        QStringList described;
        for (const auto& f : fm->mFuncs)
            described << QString::number(f->id) + QLatin1Char(':') + Describe(*f);
        described.sort();
        QCOMPARE(described, (QStringList{"1:QC|取期初|账务|1,2|110|2|", "2:FX|第一|G1||000|0|a+,b-,c-,d+",
                                         backend == QLatin1String("sqlite") ? "3:FX|第二|G2||000|5|z+,t+,u-" : "3:FX|第二|G2||000|5|z+",
                                         "5:||||000|0|", "6:CWF|分析|青禾财务分析函数||000|0|", "7:GX|第三|G1||000|0|"}));
        const auto find = [&](const std::function<bool(const clsFunction&)>& which) {
            return std::find_if(fm->mFuncs.begin(), fm->mFuncs.end(), [&](const auto& f) { return which(*f); })->get();
        };
        const auto byId = [&](qint32 id) -> clsFunction& { return *find([&](const clsFunction& f) { return f.id == id; }); };
        const clsPere& a = byId(2).Peres.at(0);
        QCOMPARE((QStringList{a.strRefType, a.strDefault}), (QStringList{"列集合", "缺省a"}));
        QCOMPARE((QList<int>{a.lngDataType, byId(2).Peres.at(1).lngDataType}), (QList<int>{0, 1}));
        // Same name in two classes: the object is the first in list order, the parameters
        // are told apart by class.
        QCOMPARE(fm->GetFuncObject(QStringLiteral(" fx ")), find([](const clsFunction& f) { return f.StrName == QLatin1String("FX"); }));
        QCOMPARE(fm->GetFuncParameter(QStringLiteral(" g2 "), QStringLiteral("FX")), &byId(3).Peres);
        QCOMPARE(fm->GetFuncParameter(QStringLiteral("G1"), QStringLiteral("fx")), &byId(2).Peres);
        QCOMPARE(fm->GetFuncParameter(QStringLiteral("G1"), QStringLiteral("APF")), nullptr);

        QStringList got = fm->FuncClasses();
        QStringList sorted = got.mid(0, 5);
        sorted.sort();
        QCOMPARE(sorted, (QStringList{QString(), "G1", "G2", "账务", "青禾财务分析函数"}));
        QCOMPARE(got.mid(5), accountDatabase ? QStringList() : ServiceCaptions(false));
        QStringList walked;
        QString caption;
        for (restart = true; fm->EnumerateDefFuncClass(caption, restart); restart = false)
            walked.append(caption);
        QCOMPARE(walked, got);
        QVERIFY(fm->EnumerateDefFuncClass(caption, false));
        QCOMPARE(caption, got.first());

        QStringList names;
        for (restart = true; fm->EnumerateFunctions(QStringLiteral(" g1 "), name, define, restart); restart = false)
            names.append(name + QLatin1Char('=') + define);
        names.sort();
        QCOMPARE(names, (QStringList{"FX=第一", "GX=第三"}));
        QVERIFY(name.isEmpty());
        QVERIFY(!fm->EnumerateFunctions(QStringLiteral("G1"), name, define, restart));  // stays past the end
        restart = true;
        QVERIFY(fm->EnumerateFunctions(QStringLiteral("G1"), name, define, restart));
    }

    // A failure keeps what was read before it, and is told once.
    void loadFailures_data()
    {
        clsTestDatabase::AddBackendColumn();
        QTest::addColumn<QString>("failOn");
        QTest::addColumn<QString>("routine");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<std::pair<int, bool>>("kept");   // functions, and whether their classes are
        for (const QString& b : clsTestDatabase::Backends()) {
            clsTestDatabase::NewRow(b, QStringLiteral("functions")) << "from rpt_fundef where" << "LoadDefFunctions()" << false << std::pair(0, false);
            clsTestDatabase::NewRow(b, QStringLiteral("parameters")) << "from rpt_funPere" << "LoadDefFunctions()" << false << std::pair(4, true);
            clsTestDatabase::NewRow(b, QStringLiteral("classes")) << "group by cGroupDefine" << "LoadAllFuncClass()" << true << std::pair(4, false);
        }
    }
    void loadFailures()
    {
        QXRF_OPEN_DB(db);
        QFETCH(QString, failOn);
        QFETCH(QString, routine);
        QFETCH(bool, loaded);
        Catalogue(db.Conn());
        auto doc = Open(db);
        auto fm = std::make_unique<clsFunctionManager>();
        db.Conn().SetStatementHook([&](const QString& sql) {
            if (sql.contains(failOn))
                throw clsDatabaseError(QStringLiteral("表不存在"));
        });
        clsRecordingPrompt prompt;
        bool ok = !loaded;
        fm->LoadDefFunctions(ok);
        db.Conn().SetStatementHook({});
        QCOMPARE(ok, loaded);
        QCOMPARE(prompt.Shown(), QStringList(QStringLiteral("格式!表不存在\r\n错误位于模块：clsFunctionManager.") + routine));
        QTEST(std::pair(int(fm->mFuncs.size()), fm->FuncClasses().contains(QStringLiteral("G1"))), "kept");
        // The functions that were read answer for their parameters, read only when that table was.
        const QList<clsPere>* peres = fm->GetFuncParameter(QStringLiteral("G1"), QStringLiteral("FX"));
        QCOMPARE(peres != nullptr, !fm->mFuncs.empty());
        if (peres)
            QCOMPARE(peres->isEmpty(), failOn.contains(QLatin1String("Pere")));
    }

    void serverForm_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("parsed");   // define|name|parameters
        QTest::newRow("three kinds") << "T|CODE(<a>,[<b>],〈c〉)" << "T|CODE|a+,b-,c+";
        QTest::newRow("optional full width") << " 取数 | QC ( < 科目 > , [〈期间〉] )" << " 取数 |QC|科目+,期间-";
        QTest::newRow("no bar") << " 只有定义 (<a>)" << "只有定义||a+";
        QTest::newRow("empty piece ends") << "T|F(<a>,,<b>)" << "T|F|a+";
        QTest::newRow("nameless skipped") << "T|F(x,<>,<a>)" << "T|F|a+";
    }
    void serverForm()
    {
        QFETCH(QString, form);
        clsFunction f;
        clsFunctionManager::ParseServerForm(form, f);
        QTEST(QStringList({f.strFuncDefine, f.StrName, Params(f.Peres)}).join(QLatin1Char('|')), "parsed");
        for (const clsPere& p : f.Peres)
            QCOMPARE(p.lngDataType, 1);
    }

    void readServers()
    {
        clsDocument doc;
        clsFunctionManager fm;
        auto gz = RegisterFake(QStringLiteral("QXSvrGZ.ClsMain"),
                               {QStringLiteral("合计|GZHJ(<项目>)"), QStringLiteral("人数|GZRS()")});
        auto zw = RegisterFake(QStringLiteral("QXSvrZW.ClsMain"), {QStringLiteral("余额|QC(<科目>,[<期间>])")});
        RegisterFake(QStringLiteral("QXSvrCHHS.ClsMain"), {});
        clsRecordingPrompt prompt;
        QVERIFY(fm.AnalyzerZ9Functions());

        // One notice names every class without a server, once per run.
        QStringList missing = ServiceCaptions(true);
        for (const char* present : {"青禾工资分析函数", "青禾账务函数", "青禾存货核算函数"})
            missing.removeOne(QString::fromUtf8(present));
        const QString notice = QStringLiteral("以下函数类别的函数服务组件没有安装，其函数不能使用：\r\n");
        QCOMPARE(prompt.Shown(), clsRecordingPrompt::Refusal(notice + missing.join(QStringLiteral("、"))));
        QVERIFY(fm.AnalyzerZ9Functions());
        QVERIFY(fm.AnalyzerFuncKC() == false);
        QCOMPARE(prompt.messages.size(), 1);
        clsFunctionManager::ForgetMissingServerNotice();
        QVERIFY(!fm.AnalyzerFuncKC());
        QCOMPARE(prompt.LastText(), notice + QStringLiteral("青禾库存管理函数"));

        QCOMPARE(int(fm.mZ9Funcs.size()), 3);
        QCOMPARE(Describe(*fm.mZ9Funcs[0]), QStringLiteral("GZHJ|合计|青禾工资分析函数||001|1|项目+"));
        QCOMPARE(Describe(*fm.mZ9Funcs[2]), QStringLiteral("QC|余额|青禾账务函数||001|1|科目+,期间-"));
        // Numbered by the entries before it (1) + index (1) + 1.
        QCOMPARE((QList<qint32>{fm.mZ9Funcs[0]->id, fm.mZ9Funcs[1]->id, fm.mZ9Funcs[2]->id}), (QList<qint32>{1, 3, 3}));
        // srvCount is a property read; srvItemForm gets the index as a whole number.
        QCOMPARE(gz->members.mid(0, 3), (QStringList{"srvCount", "srvItemForm", "srvItemForm"}));
        QCOMPARE(gz->args.mid(0, 3), (QList<QVariantList>{{}, {QVariant(0)}, {QVariant(1)}}));
        QCOMPARE(gz->args.at(1).at(0).typeId(), int(QMetaType::Int));
        QCOMPARE(zw->members.size(), 4);  // read twice

        // A server that fails while it is read is an error of its own, under its routine;
        // the ones after it are still read.
        RegisterFake(QStringLiteral("QXSvrCA.ClsMain"), {QStringLiteral("A|GA()"), QStringLiteral("B|GB()")}, 1);
        RegisterFake(QStringLiteral("QXSvrKC.ClsMain"), {QStringLiteral("C|KA()")});
        prompt.messages.clear();
        QVERIFY(fm.AnalyzerZ9Functions());
        QStringList names;
        for (const auto& f : fm.mZ9Funcs)
            names << f->StrName;
        QCOMPARE(names, (QStringList{"GZHJ", "GZRS", "QC", "GA", "KA"}));
        QCOMPARE(prompt.messages.first().text, QStringLiteral("服务器内部错误\r\n错误位于模块：clsFunctionManager.AnalyzerFuncCB()"));
    }

    // The formula check of table functions, against the document's columns and labels,
    // and of service functions, whose server is given the call to check (none received:
    // the server is not asked). A refusal may tell why, once, as the prompt shows it.
    void checkFunction_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("progId");     // a fake server answering its check with `answer`
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("how");        // "read": the classes are read first; "gone": and the server leaves
        QTest::addColumn<QStringList>("received");
        const auto row = [](const char* name, const char* formula, bool accepted, const QStringList& shown = {},
                            const QString& progId = {}, int answer = 0, const QString& how = {}, const QStringList& received = {}) {
            QTest::newRow(name) << QString::fromUtf8(formula) << accepted << shown << progId << answer << how << received;
        };
        const auto refused = [](const QString& message) { return QStringList{QStringLiteral("beep"), message}; };
        const QStringList one = refused(QStringLiteral("格式定义!非法公式,只能指定一个公式，请去掉公式后的内容..."));
        row("name case, blanks, breaks", " colsum( [数量] ,[标题], [任何条件])\r\n", true);
        row("trailing plus", "COLSUM([金额])+1", false, one);
        row("nested call", "COLSUM(TYPED(1))", false, one);
        row("required missing", "COLSUM()", false, clsRecordingPrompt::Refusal(QStringLiteral("参数<列>必须输入...")));
        row("column without brackets", "COLSUM(金额)", false, clsRecordingPrompt::Refusal(QStringLiteral("变量名必须使用[]括起...")));
        row("unknown column", "COLSUM([收入])", false, clsRecordingPrompt::Refusal(QStringLiteral("列名[[收入]]不在报表可用列集合中...")));
        row("disabled column exists", "COLSUM([停用])", true);
        row("unknown label", "COLSUM([金额],[页脚])", false, clsRecordingPrompt::Refusal(QStringLiteral("标签名[[页脚]]不在报表标签集合中...")));
        row("empty piece ends the list", "COLSUM([金额],,[页脚])", true);
        row("extra arguments ignored", "COLSUM([金额],[标题],[c],anything)", true);
        row("number", "TYPED(12.5)", true);
        row("number given text", "TYPED(\"12\")", false);
        row("text given number", "TYPED(1,2)", false);
        row("texts and anything", "TYPED(1,\"a\",\"b\",x y)", true);
        row("broken variable", "TYPED(1[金额])", false);
        row("no parameters", "NOPARAM()", true);
        row("unknown function", "不存在(1,2)", true);
        const QString gz = QStringLiteral("QXSvrGZ.ClsMain"), read = QStringLiteral("read");
        row("payroll two texts", "FN(\"1001\",\"2003\")", true, {}, gz, 0, read, {"FN\r\n1001\r\n2003\r\n"});
        row("ledger two texts", "FN(\"1001\",\"2003\")", true, {}, QStringLiteral("QXSvrZW.ClsMain"), 0, read, {"FN\r\n1001\r\n2003"});
        // every blank is a line break
        row("payroll blanks split", "fn( \"基本 工资\" , 01 )", true, {}, gz, 0, read, {"FN\r\n基本\r\n工资\r\n\r\n\r\n01\r\n"});
        row("payroll no arguments", "FN()", true, {}, gz, 0, read, {"FN\r\n\r\n"});
        row("server refuses", "FN(\"x\")", false, refused(QStringLiteral("公式语法校验!公式语法错误,不能保存...")), QStringLiteral("QXSvrXS.ClsMain"), 3, read, {"FN\r\nx\r\n"});
        row("inventory not asked", "FN(\"x\",\"y\")", true, {}, QStringLiteral("QXSvrCHHS.ClsMain"), 1, read);
        // a module's error does not beep
        row("server gone at the check", "FN(1)", false, {QStringLiteral("格式!ActiveX 部件不能创建对象\r\n错误位于模块：clsFunctionManager.CheckZ9ServiceFunction()")},
            QStringLiteral("QXSvrKC.ClsMain"), 0, QStringLiteral("gone"));
        // Service functions are only known once their classes have been read.
        row("classes not read", "FN(1)", true, {}, gz, 1);
    }
    void checkFunction()
    {
        QFETCH(QString, formula);
        QFETCH(QString, progId);
        QFETCH(QString, how);
        QFETCH(int, answer);
        const auto log = progId.isEmpty() ? nullptr : RegisterFake(progId, {QStringLiteral("测试|FN(<a>,[<b>])")}, -1, answer);
        if (!how.isEmpty())
            ReadServers();
        if (how == QLatin1String("gone"))
            clsComponentRegistry::Unregister(progId);
        clsRecordingPrompt prompt;
        QTEST(Fm()->CheckFunction(formula), "accepted");
        QTEST(prompt.Shown(), "shown");
        if (log)
            QTEST(log->checked, "received");
    }

    // The servers the component brings along refuse wrong argument shapes (every call the
    // picker builds for them is accepted: tst_frmListFunctionView).
    void builtInServers_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::newRow("account code wrong length") << "QC(\"10011\")";
        QTest::newRow("period out of range") << "QC(\"1001\",\"13\")";
        QTest::newRow("payroll department code") << "GZRS(\"0a\")";
        QTest::newRow("analysis year too early") << "CWZZL(\"1002\",\"1989\")";
        QTest::newRow("stock item code in words") << "KCXC(\"螺丝\")";
    }
    void builtInServers()
    {
        QFETCH(QString, formula);
        RegisterFunctionServers();
        ReadServers();
        clsRecordingPrompt prompt;
        QVERIFY(!Fm()->CheckFunction(formula));
        QCOMPARE(prompt.messages.size(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_clsFunctionManager)
#include "tst_clsFunctionManager.moc"
