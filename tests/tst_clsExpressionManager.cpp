#include "clsCanvasFixture.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include "columns/clsFieldsManager.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "expressions/clsExpressionManager.h"
#include "expressions/clsFunctionManager.h"
#include "labels/clsLabelManager.h"
#include <QtTest>

// The checker over a document whose columns are a, b, x, 金额 and whose labels are
// a, b, PREV_a and 标题.
class tst_clsExpressionManager : public QObject
{
    Q_OBJECT

private:
    // Declared in this order so that the document goes before its database.
    std::unique_ptr<clsTestDatabase> m_db;
    std::unique_ptr<clsDocument> m_doc;

    void SetColumns(const QStringList& names)
    {
        auto& cols = m_doc->FieldsManager()->Cols;
        cols.clear();
        int n = 0;
        for (const QString& name : names) {
            auto col = std::make_unique<clsRepcol>();
            col->name = name;
            col->Col = ++n;
            cols.push_back(std::move(col));
        }
    }
    // Each entry "name" or "name|kind|source"; a leading "!" marks the label deleted.
    void SetLabels(const QStringList& entries)
    {
        auto& labels = m_doc->LabelManager()->Labels;
        labels.clear();
        for (const QString& entry : entries) {
            auto label = std::make_unique<clsLabel>();
            const QStringList parts = entry.split(QLatin1Char('|'));
            label->blnDeleted = parts[0].startsWith(QLatin1Char('!'));
            label->StrName = parts[0].mid(label->blnDeleted ? 1 : 0);
            if (parts.size() == 3) {
                label->StrDataSouType = parts[1];
                label->strSou = parts[2];
            }
            labels.push_back(std::move(label));
        }
    }
private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<clsTestDatabase>(QStringLiteral("sqlite"));
        QVERIFY2(m_db->Ready(), qPrintable(m_db->Error()));
        m_doc = std::make_unique<clsDocument>();
        clsCanvasFixture::OpenHeadless(*m_doc, &m_db->Conn());
        QVERIFY(m_doc->FieldsManager() && m_doc->LabelManager() && m_doc->ExpressionManager());
        // A formula whose first argument is a label.
        auto func = std::make_unique<clsFunction>();
        func->StrName = QStringLiteral("GetLabelText");
        clsPere label;
        label.StrName = QStringLiteral("标签");
        label.strRefType = QStringLiteral("标签集合");
        func->Peres = {label};
        m_doc->FunctionManager()->mFuncs.push_back(std::move(func));
    }
    void init()
    {
        g_objDocument = m_doc.get();
        SetColumns({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral(" x "), QStringLiteral("金额")});
        SetLabels({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("PREV_a"), QStringLiteral("标题")});
    }

    // Column expressions and label expressions, each refusal in its own words.
    void expression_data()
    {
        QTest::addColumn<bool>("label");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");   // empty: accepted
        const auto field = [](const char* name, const char* text, const QString& message = QString()) {
            QTest::newRow(name) << false << QString::fromUtf8(text) << message;
        };
        const auto label = [](const char* name, const char* text, const QString& message = QString()) {
            QTest::newRow(name) << true << QString::fromUtf8(text) << message;
        };
        const QString seq = QStringLiteral("表达式输入错误:");
        field("empty", "");
        field("bare words", "金额*2-a");
        field("line breaks ignored", "[a]\r\n+[b\r\n]");
        field("two operators", "[a]+*[b]", seq + "[a]+*");
        field("leading plus", "+[a]", QStringLiteral("公式错误:+[a]"));
        field("mixed widths", "([a]+[b]）");
        field("full width", "（[a]+[b]）*2");
        field("unbalanced", "([a]+[b]", QStringLiteral("表达式错误：([a]+[b]"));
        field("prev column", "[PREV_a]+1");
        field("assignment", "[x]=[a]+1");
        field("empty target", "=[a]", QStringLiteral("'=' 左面必须有列名..."));
        field("unknown target", "[zz]=[a]", QStringLiteral("列名[zz] 输入错误..."));
        field("after assignment checked", "[x]=[a]+*1", seq + "[a]+*");
        field("iif whole form", "IIF([a]>0,[a],0)");
        field("iif one comma", "IIF([a]>0,[a])", QStringLiteral("不能输入特殊字符 ,"));
        field("sumabs whole form", "SumAbs([a])");
        field("sumabs inside", "[b]+SumAbs([a])", seq + "[b]+S");
        field("empty parens", "[a]+()", seq + "[a]+()");
        field("operator after open", "[a]+(-[b])", seq + "[a]+(-");
        field("operator after full open", "[a]+（-[b])", seq + "[a]+（-");
        field("unclosed name", "[a]+[b", seq + "[a]+[");
        field("nested bracket", "[a[b]]", seq + "[");
        field("bracket in word", "[a]+b[c]", seq + "[a]+b");
        field("percent", "[a]%2", QStringLiteral("不能输入特殊字符 %"));
        field("quote", "[a]&'x'", QStringLiteral("不能输入特殊字符 '"));
        label("labels", "[a]&[b]");
        label("prev is a plain label name", "[PREV_a]");
        label("prev not stripped", "[PREV_b]", QStringLiteral("表达式中定义的标签名：PREV_b 不在报表标签集合中"));
        label("label iif has commas", "IIF([a]>0,[a],0)", QStringLiteral("不能输入特殊字符 ,"));
        label("label sumabs not whole form", "SumAbs([a])", seq + "S");
        label("label unbalanced", "([a]", QStringLiteral("表达式错误：([a]"));
        label("two operands", "[a] [b]", seq + "[a] [b]");
    }
    void expression()
    {
        QFETCH(bool, label);
        QFETCH(QString, text);
        QFETCH(QString, message);
        clsRecordingPrompt prompt;
        clsExpressionManager* em = m_doc->ExpressionManager();
        QCOMPARE(label ? em->CheckLabelExpression(text) : em->CheckFieldExpression(text), message.isEmpty());
        QCOMPARE(prompt.Shown(), clsRecordingPrompt::Refusal(message));
    }

    // A label source that leads back to its own label is refused, however long the way;
    // labels reached twice without a cycle are not.
    void labelCycles_data()
    {
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QString>("prop");   // a label property, or "公式" for a chosen formula
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        const QString expr = QStringLiteral("标签表达式不能循环引用: ");
        const QString formula = QStringLiteral("标签公式不能循环引用: ");
        QStringList chain{QStringLiteral("L0|表达式|1")};
        QStringList names{QStringLiteral("L0")};
        for (int i = 1; i <= 3000; ++i) {
            chain << QStringLiteral("L%1|表达式|[L%2]*2").arg(i).arg(i - 1);
            names.insert(1, QStringLiteral("L%1").arg(i));
        }
        QTest::newRow("3000 labels long") << chain << "L0" << "数据源" << "[L3000]" << expr + (names << "L0").join(" → ");
        QTest::newRow("diamond") << QStringList{"a|表达式|1", "b|表达式|[d]", "c|表达式|[d]+[b]", "d|表达式|2"} << "a"
                                 << "数据源" << "[b]+[c]" << "";
        QTest::newRow("text not followed") << QStringList{"a|表达式|1", "b|文本|[a]"} << "a" << "数据源" << "[b]" << "";
        QTest::newRow("deleted not followed") << QStringList{"a|表达式|1", "!b|表达式|[a]"} << "a" << "数据源" << "[b]" << "";
        QTest::newRow("names in any case") << QStringList{"a|表达式|1", "B|表达式|[A]"} << "a" << "数据源" << "b"
                                           << expr + "a → B → a";
        QTest::newRow("kind switched") << QStringList{"a|表达式|[b]", "b|文本|[a]"} << "b" << "数据源类型" << "表达式"
                                       << expr + "b → a → b";
        QTest::newRow("through a formula") << QStringList{"a|公式|GetLabelText([b])", "b|表达式|1"} << "b" << "数据源"
                                           << "[a]" << expr + "b → a → b";
        QTest::newRow("formula chosen") << QStringList{"a|表达式|[b]", "b|文本|"} << "b" << "公式" << "GetLabelText([a]) "
                                        << formula + "b → a → b";
        QTest::newRow("renamed into a cycle") << QStringList{"a|表达式|[x]", "c|表达式|[a]"} << "c" << "名称" << "x"
                                              << expr + "x → a → x";
    }
    void labelCycles()
    {
        QFETCH(QStringList, labels);
        QFETCH(QString, edited);
        QFETCH(QString, prop);
        QFETCH(QString, value);
        QFETCH(QString, message);
        SetLabels(labels);
        clsLabelManager& lm = *m_doc->LabelManager();
        const clsLabel* label = lm.FindLabel(edited);
        const QStringList before{label->StrName, label->StrDataSouType, label->strSou};
        clsRecordingPrompt prompt;
        QString name = edited;
        const bool stored = prop == QStringLiteral("公式") ? lm.SetLabelFunction(name, nullptr, value)
                                                         : lm.EditLabelProperty(name, prop, value);
        QCOMPARE(stored, message.isEmpty());
        QCOMPARE(prompt.LastText(), message);
        QCOMPARE(prompt.messages.size(), stored ? 0 : 1);
        if (!stored)
            QCOMPARE((QStringList{label->StrName, label->StrDataSouType, label->strSou}), before);
    }

    // Sets are built per check: a column added between two checks is seen by the second.
    void catalogueReadAtEachCheck()
    {
        clsRecordingPrompt prompt;
        QVERIFY(!m_doc->ExpressionManager()->CheckFieldExpression(QStringLiteral("[新列]")));
        SetColumns({QStringLiteral("新列")});
        QVERIFY(m_doc->ExpressionManager()->CheckFieldExpression(QStringLiteral("[新列]")));
    }
};

QTEST_GUILESS_MAIN(tst_clsExpressionManager)
#include "tst_clsExpressionManager.moc"
