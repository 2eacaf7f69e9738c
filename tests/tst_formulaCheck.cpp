#include "clsCanvasFixture.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include "columns/clsFieldsManager.h"
#include "document/clsComponentRegistry.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "expressions/clsExpressionManager.h"
#include "expressions/clsFunctionManager.h"
#include "labels/clsLabelManager.h"
#include "plugins/servers/modFunctionServers.h"
#include <QtTest>

namespace {
// A function server that offers one function and remembers what srvcheck received.
class CheckingServer : public clsOutsideObject
{
public:
    struct Log
    {
        QStringList checked;
        QStringList second;
        int answer = 0;
    };
    CheckingServer(QString form, std::shared_ptr<Log> log) : m_form(std::move(form)), m_log(std::move(log)) {}
    QVariant Invoke(const QString& member, QVariantList& args) override
    {
        if (member.compare(QLatin1String("srvCount"), Qt::CaseInsensitive) == 0)
            return 1;
        if (member.compare(QLatin1String("srvItemForm"), Qt::CaseInsensitive) == 0)
            return m_form;
        if (member.compare(QLatin1String("srvcheck"), Qt::CaseInsensitive) == 0) {
            m_log->checked.append(args.value(0).toString());
            m_log->second.append(args.value(1).toString());
            return m_log->answer;
        }
        UnknownMember(member);
    }

private:
    QString m_form;
    std::shared_ptr<Log> m_log;
};
}

class tst_formulaCheck : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<clsTestDatabase> m_db;
    std::unique_ptr<clsDocument> m_doc;
    clsFunctionManager* Fm() const { return m_doc->FunctionManager(); }

    static clsPere P(const QString& name, bool need, const QString& ref, int type)
    {
        clsPere p;
        p.StrName = name;
        p.bNeedInput = need;
        p.strRefType = ref;
        p.lngDataType = type;
        return p;
    }
    void AddTableFunction(const QString& name, const QList<clsPere>& peres)
    {
        auto f = std::make_unique<clsFunction>();
        f->id = int(Fm()->mFuncs.size()) + 1;
        f->StrName = name;
        f->StrGroup = QStringLiteral("报表函数");
        f->Peres = peres;
        Fm()->mFuncs.push_back(std::move(f));
    }
    std::shared_ptr<CheckingServer::Log> RegisterChecking(const QString& progId, const QString& form)
    {
        auto log = std::make_shared<CheckingServer::Log>();
        clsComponentRegistry::Register(progId, [=] { return std::make_unique<CheckingServer>(form, log); });
        return log;
    }
    void ReadServers()
    {
        const bool runMode = g_blnRunMode;
        g_blnRunMode = true;  // the classes without a server stay silent
        Fm()->mZ9Funcs.clear();
        Fm()->AnalyzerZ9Functions();
        g_blnRunMode = runMode;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<clsTestDatabase>(QStringLiteral("sqlite"));
        QVERIFY2(m_db->Ready(), qPrintable(m_db->Error()));
        m_doc = std::make_unique<clsDocument>();
        clsCanvasFixture::OpenHeadless(*m_doc, &m_db->Conn());
        QVERIFY(m_doc->FunctionManager());

        auto& cols = m_doc->FieldsManager()->Cols;
        cols.clear();
        int n = 0;
        for (const char* name : {"金额", "数量", "停用"}) {
            auto col = std::make_unique<clsRepcol>();
            col->name = QString::fromUtf8(name);
            col->Col = ++n;
            col->BlnEnable = n != 3;
            cols.push_back(std::move(col));
        }
        auto& labels = m_doc->LabelManager()->Labels;
        labels.clear();
        for (const char* name : {"标题", "制表人"}) {
            auto label = std::make_unique<clsLabel>();
            label->StrName = QString::fromUtf8(name);
            labels.push_back(std::move(label));
        }

        Fm()->mFuncs.clear();
        AddTableFunction(QStringLiteral("COLSUM"), {P(QStringLiteral("列"), true, QStringLiteral("列集合"), 1),
                                                    P(QStringLiteral("标签"), false, QStringLiteral("标签集合"), 1),
                                                    P(QStringLiteral("条件"), false, QStringLiteral(" 条件集合 "), 1)});
        AddTableFunction(QStringLiteral("TYPED"), {P(QStringLiteral("数"), true, QString(), 0),
                                                   P(QStringLiteral("文"), false, QString(), 1),
                                                   P(QStringLiteral("文二"), false, QString(), 2),
                                                   P(QStringLiteral("任意"), false, QString(), 7)});
        AddTableFunction(QStringLiteral("NOPARAM"), {});
    }
    void init() { g_objDocument = m_doc.get(); }
    void cleanup()
    {
        for (const auto& cls : clsFunctionManager::ServiceClasses())
            clsComponentRegistry::Unregister(cls.progId);
        Fm()->mZ9Funcs.clear();
    }
    void cleanupTestCase()
    {
        m_doc.reset();
        m_db.reset();
    }

    void tableFunctions_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        const QString one = QStringLiteral("非法公式,只能指定一个公式，请去掉公式后的内容...");
        const QString fmt = QStringLiteral("格式");
        QTest::newRow("name case, blanks, breaks") << " colsum( [数量] ,[标题], [任何条件])\r\n" << true << "" << "";
        QTest::newRow("trailing plus") << "COLSUM([金额])+1" << false << one << "格式定义";
        QTest::newRow("nested call") << "COLSUM(TYPED(1))" << false << one << "格式定义";
        QTest::newRow("required missing") << "COLSUM()" << false << "参数<列>必须输入..." << fmt;
        QTest::newRow("column without brackets") << "COLSUM(金额)" << false << "变量名必须使用[]括起..." << fmt;
        QTest::newRow("unknown column") << "COLSUM([收入])" << false << "列名[[收入]]不在报表可用列集合中..." << fmt;
        QTest::newRow("disabled column exists") << "COLSUM([停用])" << true << "" << "";
        QTest::newRow("unknown label") << "COLSUM([金额],[页脚])" << false << "标签名[[页脚]]不在报表标签集合中..." << fmt;
        QTest::newRow("empty piece ends the list") << "COLSUM([金额],,[页脚])" << true << "" << "";
        QTest::newRow("extra arguments ignored") << "COLSUM([金额],[标题],[c],anything)" << true << "" << "";
        QTest::newRow("number") << "TYPED(12.5)" << true << "" << "";
        QTest::newRow("number given text") << "TYPED(\"12\")" << false << "" << "";
        QTest::newRow("text given number") << "TYPED(1,2)" << false << "" << "";
        QTest::newRow("texts and anything") << "TYPED(1,\"a\",\"b\",x y)" << true << "" << "";
        QTest::newRow("broken variable") << "TYPED(1[金额])" << false << "" << "";
        QTest::newRow("no parameters") << "NOPARAM()" << true << "" << "";
        QTest::newRow("unknown function") << "不存在(1,2)" << true << "" << "";
    }
    void tableFunctions()
    {
        QFETCH(QString, formula);
        QFETCH(bool, accepted);
        QFETCH(QString, message);
        QFETCH(QString, title);
        clsRecordingPrompt prompt;
        QCOMPARE(Fm()->CheckFunction(formula), accepted);
        if (message.isEmpty()) {
            QCOMPARE(prompt.messages.size(), 0);
            return;
        }
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.beeps, 1);
        QCOMPARE(prompt.messages.first().text, message);
        QCOMPARE(prompt.messages.first().title, title);
        QVERIFY(prompt.messages.first().icon == PromptIcon::Exclamation);
    }

    // What a service function's server is given to check, and what its answer does;
    // "-" as received: the server is not asked.
    void serviceCheck_data()
    {
        QTest::addColumn<QString>("progId");
        QTest::addColumn<QString>("formula");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("how");   // "read": the classes are read first; "gone": and the server leaves
        QTest::addColumn<QString>("received");
        QTest::addColumn<QString>("message");
        const QString gz = QStringLiteral("QXSvrGZ.ClsMain");
        QTest::newRow("payroll two texts") << gz << "FN(\"1001\",\"2003\")" << 0 << "read" << "FN\r\n1001\r\n2003\r\n" << "";
        QTest::newRow("ledger two texts") << "QXSvrZW.ClsMain" << "FN(\"1001\",\"2003\")" << 0 << "read" << "FN\r\n1001\r\n2003" << "";
        QTest::newRow("payroll blanks split") << gz << "fn( \"基本 工资\" , 01 )" << 0 << "read"
                                              << "FN\r\n基本\r\n工资\r\n\r\n\r\n01\r\n" << "";  // every blank is a line break
        QTest::newRow("payroll no arguments") << gz << "FN()" << 0 << "read" << "FN\r\n\r\n" << "";
        QTest::newRow("server refuses") << "QXSvrXS.ClsMain" << "FN(\"x\")" << 3 << "read" << "FN\r\nx\r\n"
                                        << "公式语法校验:公式语法错误,不能保存...";
        QTest::newRow("inventory not asked") << "QXSvrCHHS.ClsMain" << "FN(\"x\",\"y\")" << 1 << "read" << "-" << "";
        QTest::newRow("server gone at the check") << "QXSvrKC.ClsMain" << "FN(1)" << 0 << "gone" << "-"
                                                  << "格式:ActiveX 部件不能创建对象\r\n错误位于模块：clsFunctionManager.CheckZ9ServiceFunction()";
        // Service functions are only known once their classes have been read.
        QTest::newRow("classes not read") << gz << "FN(1)" << 1 << "" << "-" << "";
    }
    void serviceCheck()
    {
        QFETCH(QString, progId);
        QFETCH(QString, formula);
        QFETCH(int, answer);
        QFETCH(QString, how);
        QFETCH(QString, received);
        QFETCH(QString, message);
        auto log = RegisterChecking(progId, QStringLiteral("测试|FN(<a>,[<b>])"));
        log->answer = answer;
        if (!how.isEmpty())
            ReadServers();
        if (how == QLatin1String("gone"))
            clsComponentRegistry::Unregister(progId);
        clsRecordingPrompt prompt;
        QCOMPARE(Fm()->CheckFunction(formula), message.isEmpty());
        QCOMPARE(prompt.messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QCOMPARE(prompt.messages.first().title + QLatin1Char(':') + prompt.LastText(), message);
        QCOMPARE(log->checked, received == QLatin1String("-") ? QStringList() : QStringList{received});
        if (!log->checked.isEmpty())
            QCOMPARE(log->second.first(), QString());
    }

    // The servers the component brings along, checking real argument shapes.
    void builtInServers_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("opening balance") << "QC(\"1001\")" << true;
        QTest::newRow("account code wrong length") << "QC(\"10011\")" << false;
        QTest::newRow("period out of range") << "QC(\"1001\",\"13\")" << false;
        QTest::newRow("payroll head count") << "GZRS()" << true;
        QTest::newRow("payroll department code") << "GZRS(\"0a\")" << false;
        QTest::newRow("receivables aged 90 days") << "YSZL(\"C001\",\"90\")" << true;
        QTest::newRow("analysis year too early") << "CWZZL(\"1002\",\"1989\")" << false;
        QTest::newRow("stock item code in words") << "KCXC(\"螺丝\")" << false;
    }
    void builtInServers()
    {
        QFETCH(QString, formula);
        QFETCH(bool, accepted);
        RegisterFunctionServers();
        ReadServers();
        clsRecordingPrompt prompt;
        QCOMPARE(Fm()->CheckFunction(formula), accepted);
        QCOMPARE(prompt.messages.size(), accepted ? 0 : 1);
        UnregisterFunctionServers();
    }

    void refLists_data()
    {
        QTest::addColumn<QString>("refType");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("columns") << " 列集合 " << QStringList{"金额", "数量"};
        QTest::newRow("labels") << "标签集合" << QStringList{"标题", "制表人"};
        QTest::newRow("conditions") << "条件集合" << QStringList();
    }
    void refLists()
    {
        QFETCH(QString, refType);
        QStringList out{QStringLiteral("旧内容")};
        Fm()->GetRefLists(refType, out);
        QTEST(out, "names");
    }

};

QTEST_GUILESS_MAIN(tst_formulaCheck)
#include "tst_formulaCheck.moc"
