#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include "document/clsComponentRegistry.h"
#include "document/clsDocument.h"
#include "expressions/frmTextInputView.h"
#include "labels/clsLabelManager.h"
#include "plugins/query/frmQueryDefine.h"
#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

void RegisterQueryDefineComponent();

namespace {
// Answers the query component's call with a fixed text and remembers what it was given.
class clsFakeQuery : public clsOutsideObject
{
public:
    static inline QString given;
    QVariant Invoke(const QString&, QVariantList& args) override
    {
        given = args.value(1).toString();
        return QStringLiteral("Select ccode From code");
    }
};

// The editor opened on a kind of object and source, given a text: the buttons enabled
// (of 与, 列表, 函数 and SQL), whether 确定 takes the text and what it says.
struct Checked
{
    QString object, kind, buttons, text;
    bool accepted;
    QString message;
};
}
Q_DECLARE_METATYPE(Checked)

class tst_frmTextInputView : public QObject
{
    Q_OBJECT
private:
    // The demo ledger report opened on SQLite.
    struct Ledger
    {
        Ledger() { QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("张三"))); }
        clsTestDatabase db{QStringLiteral("sqlite"), true, true};
        clsDocument doc;
    };
    // The editor as a property window opens it: for a kind of object and source.
    static void Init(frmTextInputView& editor, const QString& object, const QString& kind, const QString& text = QString())
    {
        std::tie(editor.mStrClass, editor.mStrSouType, editor.strExpression) = std::tie(object, kind, text);
        editor.InitControls();
    }

private Q_SLOTS:
    void listsInsertBracketedNames()
    {
        Ledger ledger;

        frmTextInputView columns;
        Init(columns, "列", "表达式");
        columns.CmdList->click();
        QVERIFY(columns.LstObjects->findItems(QStringLiteral("科目级次"), Qt::MatchExactly).isEmpty());   // disabled
        QCOMPARE(columns.LstObjects->item(2)->text(), QStringLiteral("期初借方"));
        columns.InsertObject(QStringLiteral("期初借方"));
        columns.chkPrev->setChecked(true);
        columns.InsertObject(QStringLiteral("期初借方"));
        QCOMPARE(columns.txtSou->toPlainText(), QStringLiteral("[期初借方][PREV_期初借方]"));

        // A deleted label is not offered; the previous-value box means nothing for labels.
        // Buttons and names go in at the cursor.
        ledger.doc.LabelManager()->FindLabel(QStringLiteral("页码"))->blnDeleted = true;
        frmTextInputView labels;
        Init(labels, "标签", "表达式", QStringLiteral("[a][b]"));
        labels.FillObjectList();
        QCOMPARE(labels.LstObjects->count(), int(ledger.doc.LabelManager()->Labels.size()) - 1);
        QVERIFY(labels.LstObjects->findItems(QStringLiteral("页码"), Qt::MatchExactly).isEmpty());
        QTextCursor cursor = labels.txtSou->textCursor();
        cursor.setPosition(3);
        labels.txtSou->setTextCursor(cursor);
        labels.cmdAnd->click();
        QCOMPARE(labels.txtSou->textCursor().position(), 4);
        labels.cmdLeft->click();
        labels.chkPrev->setChecked(true);
        labels.InsertObject(QStringLiteral("制表人"));
        QCOMPARE(labels.txtSou->toPlainText(), QStringLiteral("[a]&([制表人][b]"));
        // 取消 gives no result: the text it was opened with stays.
        labels.cmdCancel->click();
        QCOMPARE(std::tuple(labels.BlnCancel, labels.strExpression, labels.result()),
                 std::tuple(true, QStringLiteral("[a][b]"), int(QDialog::Rejected)));
    }

    void confirmRunsTheMatchingCheck_data()
    {
        QTest::addColumn<Checked>("c");
        QTest::newRow("unknown column") << Checked{"列", "表达式", "list", "[期初借方]+[无此列]", false, "表达式中定义的列名：无此列 不在报表列集合中"};
        QTest::newRow("label refers to itself") << Checked{"标签", "表达式", "and list", "[页码]+[制表人]", false, "标签表达式不能循环引用: 制表人 → 制表人"};
        QTest::newRow("table formula") << Checked{"标签", "公式", "and func", "SumColumn([期初借方]) ", true, ""};
        QTest::newRow("text unchecked") << Checked{"标签", "文本", "and sql", "单位'名称=[无此]", true, ""};
        QTest::newRow("column text unchecked") << Checked{"列", "公式", "and func", "+", true, ""};
    }
    void confirmRunsTheMatchingCheck()
    {
        QFETCH(Checked, c);
        Ledger ledger;
        clsRecordingPrompt prompt;
        frmTextInputView editor;
        editor.mStrObjectName = QStringLiteral("制表人");
        Init(editor, c.object, c.kind, QStringLiteral("原来的"));
        QCOMPARE(editor.txtSou->toPlainText(), QStringLiteral("原来的"));
        QStringList buttons;
        for (const auto& [button, word] : {std::pair{editor.cmdAnd, "and"}, {editor.CmdList, "list"},
                                           {editor.cmdFunc, "func"}, {editor.CmdSql, "sql"}})
            if (button->isEnabled())
                buttons << QLatin1String(word);
        QCOMPARE(buttons.join(QLatin1Char(' ')), c.buttons);
        editor.txtSou->setPlainText(c.text);
        QCOMPARE(editor.Confirm(), c.accepted);
        QCOMPARE(std::tuple(editor.BlnCancel, editor.result() == QDialog::Accepted, prompt.LastText(), editor.strExpression, editor.txtSou->toPlainText()),
                 std::tuple(!c.accepted, c.accepted, c.message, c.accepted ? c.text.trimmed() : QStringLiteral("原来的"), c.text));
    }

    void queryWindowAndSqlButton()
    {
        Ledger ledger;
        // The component registers its query window when it loads.
        QVERIFY(clsComponentRegistry::IsRegistered(QStringLiteral("QXQueryDefine.clsQueryDefine")));
        frmQueryDefine window(&ledger.db.Conn(), QString());
        QVERIFY(window.Tables().contains(QStringLiteral("rpt_fundef"), Qt::CaseInsensitive));
        QVERIFY(window.SelectTable(QStringLiteral("RPT_FUNDEF")));
        QCOMPARE(window.SqlText(), QStringLiteral("Select * From rpt_fundef"));
        QVERIFY(window.CheckColumn(QStringLiteral("cFunName"), true) && window.CheckColumn(QStringLiteral("cFunDefine"), true));
        QCOMPARE(window.SqlText(), QStringLiteral("Select cFunName,cFunDefine From rpt_fundef"));
        QVERIFY(!window.SelectTable(QStringLiteral("无此表")));

        clsRecordingPrompt prompt;
        frmTextInputView editor;
        Init(editor, "标签", "SQL查询", QStringLiteral("select 1"));
        // Without the query component the text stays and the failure is reported.
        clsComponentRegistry::Unregister(QStringLiteral("QXQueryDefine.clsQueryDefine"));
        editor.CmdSql->click();
        QCOMPARE(std::tuple(editor.blnOpenQuery, editor.txtSou->toPlainText(), prompt.LastText()),
                 std::tuple(false, QStringLiteral("select 1"), QStringLiteral("ActiveX 部件不能创建对象\r\n错误位于模块：frmTextInputView.CmdSql_Click()")));
        clsComponentRegistry::Register(QStringLiteral("QXQueryDefine.clsQueryDefine"),
                                       [] { return std::make_unique<clsFakeQuery>(); });
        editor.CmdSql->click();
        RegisterQueryDefineComponent();
        const QString query = QStringLiteral("Select ccode From code");
        QCOMPARE(std::tuple(clsFakeQuery::given, editor.blnOpenQuery, editor.txtSou->toPlainText()), std::tuple(QStringLiteral("select 1"), true, query));
        QVERIFY(editor.Confirm());
        QCOMPARE(editor.strExpression, query);
    }
};

QTEST_MAIN(tst_frmTextInputView)
#include "tst_frmTextInputView.moc"
