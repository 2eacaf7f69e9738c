#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "expressions/clsFunctionManager.h"
#include "expressions/frmListFunctionView.h"
#include "expressions/frmTextInputView.h"
#include "plugins/servers/clsFunctionServer.h"
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QValidator>
#include <QtTest>

// The picker over the demo ledger report, with the component's own function servers.
class tst_frmListFunctionView : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<clsTestDatabase> m_db;
    std::unique_ptr<clsDocument> m_doc;   // closed before its database goes

    // The texts of one column of a grid or list.
    template <class View>
    static QStringList Column(const View* view, int col)
    {
        QStringList texts;
        for (int row = 0; row < view->model()->rowCount(); ++row)
            texts << view->model()->index(row, col).data().toString();
        return texts;
    }
    // Opens a picker on `function` of `caption`, leaving the value of each parameter
    // typed but not committed ("row=value").
    static void Type(frmListFunctionView& picker, const QString& caption, const QString& function, const QStringList& edits)
    {
        QVERIFY(picker.ChooseClass(caption));
        if (!function.isEmpty())
            QVERIFY(picker.ChooseFunction(function));
        for (const QString& edit : edits) {
            QVERIFY(picker.BeginEdit(edit.section(QLatin1Char('='), 0, 0).toInt()));
            picker.txtInput->setText(edit.section(QLatin1Char('='), 1));
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<clsTestDatabase>(QStringLiteral("sqlite"), true, true);
        // A suite whose catalogue carries the financial-analysis class, so that the picker
        // offers all eleven service classes.
        m_db->Conn().Execute(QStringLiteral("Insert into rpt_fundef (ID,cFunName,cFunDefine,cGroupDefine,cSystemID) "
                                            "values (90,'CWFX','财务分析','青禾财务分析函数','AA')"));
        m_doc = std::make_unique<clsDocument>();
        QVERIFY(m_doc->OpenDocument(&m_db->Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("张三")));
    }

    void classesAndFunctionsComeFromTheCatalogueAndAreEditedInPlace()
    {
        QPlainTextEdit target;
        frmListFunctionView picker(&target);
        QCOMPARE(Column(picker.cmbClass, 0), m_doc->FunctionManager()->FuncClasses());
        QCOMPARE(picker.cmbClass->currentIndex(), 0);

        QVERIFY(picker.ChooseClass(QStringLiteral("自定义公式")));
        // The payroll's own function is not offered in a ledger report.
        QCOMPARE(Column(picker.GridFuncs, 0) + Column(picker.GridFuncs, 1), QStringList({"GetAccountBalance", "取科目余额（科目编码，方向）"}));
        QCOMPARE(picker.GridPeres->rowCount(), 0);

        QVERIFY(picker.ChooseFunction(QStringLiteral("GetAccountBalance")));
        // Names, kinds, defaults and the call: a text default is shown as it goes into the
        // call, in quotes; empty values keep their place between the commas.
        QCOMPARE(Column(picker.GridPeres, 0) + Column(picker.GridPeres, 1) + Column(picker.GridPeres, 2) + QStringList(picker.LabExp->text()),
                 QStringList({"科目编码", "方向", "期间", "必要", "可选", "可选", "", "\"借\"", "0", "GetAccountBalance(,\"借\",0) "}));

        // Escape drops a typed value, Enter takes it, and so does leaving the cell.
        Type(picker, QStringLiteral("自定义公式"), QStringLiteral("GetAccountBalance"), {QStringLiteral("1=贷")});
        QVERIFY(picker.cmdRefrech->isHidden());  // no list behind a plain parameter
        QTest::keyClick(picker.txtInput, Qt::Key_Escape);
        QCOMPARE(std::tuple(picker.txtInput->isHidden(), picker.CallText()), std::tuple(true, QStringLiteral("GetAccountBalance(,\"借\",0) ")));
        Type(picker, QStringLiteral("自定义公式"), QStringLiteral("GetAccountBalance"), {QStringLiteral("1=贷")});
        QTest::keyClick(picker.txtInput, Qt::Key_Return);
        QCOMPARE(picker.LabExp->text(), QStringLiteral("GetAccountBalance(,\"贷\",0) "));
        picker.show();
        QVERIFY(QTest::qWaitForWindowActive(&picker));
        QVERIFY(picker.BeginEdit(0));
        QTest::keyClicks(picker.txtInput, QStringLiteral("1002"));
        picker.GridFuncs->setFocus();
        QCOMPARE(picker.LabExp->text(), QStringLiteral("GetAccountBalance(\"1002\",\"贷\",0) "));
        QVERIFY(!picker.BeginEdit(3));

        // Another class clears the parameters.
        QVERIFY(picker.ChooseClass(QStringLiteral("系统内置公式")));
        QCOMPARE(picker.GridPeres->rowCount(), 0);
        QVERIFY(Column(picker.GridFuncs, 0).contains(QStringLiteral("SumColumn")));
        QVERIFY(!picker.ChooseFunction(QStringLiteral("GetAccountBalance")));
    }

    // Number parameters take numbers (or a bracketed variable) only; what is half typed
    // may be typed on, but is refused when it is taken.
    void valueValidator_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("state");
        const int ok = QValidator::Acceptable, partial = QValidator::Intermediate;
        QTest::newRow("number") << 2 << "-12.5" << ok;
        QTest::newRow("beyond fifteen digits") << 2 << "1e15" << partial;
        QTest::newRow("variable for a number") << 2 << "[期末借方]" << ok;
        QTest::newRow("open variable") << 2 << "[期末" << partial;
        QTest::newRow("parenthesis ends the call") << 1 << "借)" << int(QValidator::Invalid);
        QTest::newRow("quoted text") << 1 << "\"借\"" << ok;
        QTest::newRow("open quote") << 1 << "\"借" << partial;
    }
    void valueValidator()
    {
        QFETCH(int, row);
        QFETCH(QString, text);
        QPlainTextEdit target;
        frmListFunctionView picker(&target);
        Type(picker, QStringLiteral("自定义公式"), QStringLiteral("GetAccountBalance"), {});
        QVERIFY(picker.BeginEdit(row));
        int pos = 0;
        QTEST(int(picker.txtInput->validator()->validate(text, pos)), "state");
    }

    // 确定 tells what keeps the call from the editor, and leaves the picker open.
    void confirmRefusals_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("function");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QString>("message");
        const QString custom = QStringLiteral("自定义公式"), balance = QStringLiteral("GetAccountBalance");
        QTest::newRow("no function chosen") << custom << "" << QStringList() << "请先选择函数...";
        QTest::newRow("required empty") << custom << balance << QStringList() << "参数（科目编码）必须输入...";
        QTest::newRow("number out of range") << custom << balance << QStringList{"0=1001", "2=1e20"} << "参数（期间）的数值超出范围...";
        QTest::newRow("text with a comma") << custom << balance << QStringList{"0=1001,1002"} << "参数（科目编码）输入错误...";
        QTest::newRow("no such column") << "系统内置公式" << "SumColumn" << QStringList{"0=利润"} << "列名[利润]不在报表可用列集合中...";
        QTest::newRow("server refuses") << "青禾账务函数" << "QC" << QStringList{"0=10011"} << "公式语法错误,不能保存...";
    }
    void confirmRefusals()
    {
        QFETCH(QString, caption);
        QFETCH(QString, function);
        QFETCH(QStringList, edits);
        QPlainTextEdit target(QStringLiteral("GetPeriod()"));
        frmListFunctionView picker(&target);
        Type(picker, caption, function, edits);
        clsRecordingPrompt prompt;
        QVERIFY(!picker.Confirm());
        QCOMPARE(prompt.messages.size(), 1);
        QTEST(prompt.LastText(), "message");
        QVERIFY(picker.result() != QDialog::Accepted);
        picker.cmdCancel->click();
        QCOMPARE(target.toPlainText(), QStringLiteral("GetPeriod()"));
    }

    void referenceLists()
    {
        // A condition row of ModeEx 20 and above is not a filter condition.
        m_db->Conn().Execute(QStringLiteral("insert into Rpt_FltDEF (id,note,ModeEx,location) values (1,'内部条件',25,0)"));
        QPlainTextEdit target;
        frmListFunctionView picker(&target);
        Type(picker, QStringLiteral("系统内置公式"), QStringLiteral("GetFilterValue"), {QStringLiteral("0=")});
        QVERIFY(!picker.cmdRefrech->isHidden());
        picker.cmdRefrech->click();
        QCOMPARE(Column(picker.lstRefresh, 0), (QStringList{QStringLiteral("会计期间"), QStringLiteral("科目级次"), QStringLiteral("科目编码")}));
        picker.ChooseFromList(QStringLiteral("会计期间"));
        QCOMPARE(picker.CallText(), QStringLiteral("GetFilterValue([会计期间],) "));
        // Columns are offered while enabled (科目级次 is not).
        QVERIFY(picker.ChooseFunction(QStringLiteral("SumColumn")) && picker.BeginEdit(0));
        picker.RefreshList();
        const QStringList columns = Column(picker.lstRefresh, 0);
        QVERIFY(columns.contains(QStringLiteral("期初借方")) && !columns.contains(QStringLiteral("科目级次")));
    }

    // Every function of every class, each parameter given a valid value (picked from
    // the list when it has one, typed otherwise; every other value left uncommitted),
    // gives a call that the editor's formula check accepts.
    void catalogueRoundTrip_data()
    {
        QTest::addColumn<QString>("caption");
        for (const QString& caption : m_doc->FunctionManager()->FuncClasses())
            QTest::newRow(qPrintable(caption)) << caption;
    }
    void catalogueRoundTrip()
    {
        QFETCH(QString, caption);
        // A value of each kind as the suite's users write them.
        using Kind = clsFunctionServer::ArgKind;
        const QMap<Kind, QString> typed = {
            {Kind::Text, "基本工资"}, {Kind::AccountCode, "100201"}, {Kind::Period, "6"}, {Kind::Year, "2024"},
            {Kind::Date, "2024-06-30"}, {Kind::Digits, "0102"}, {Kind::Code, "C-001"}, {Kind::Currency, "美元"}, {Kind::Days, "90"},
        };
        clsRecordingPrompt prompt;
        frmTextInputView editor;
        std::tie(editor.mStrClass, editor.mStrSouType) = std::tuple(QStringLiteral("标签"), QStringLiteral("公式"));
        editor.InitControls();
        frmListFunctionView lister(editor.txtSou);
        QVERIFY(lister.ChooseClass(caption));
        const QStringList functions = Column(lister.GridFuncs, 0);
        QVERIFY2(!functions.isEmpty(), "every class offers functions");
        int pending = 0;
        for (const QString& function : functions) {
            frmListFunctionView picker(editor.txtSou);
            QVERIFY(picker.ChooseClass(caption));
            QVERIFY(picker.ChooseFunction(function));
            const clsFunction* func = m_doc->FunctionManager()->GetFuncObject(function);
            QVERIFY(func && SameText(func->StrGroup, caption));
            for (int row = 0; row < func->Peres.size(); ++row) {
                const clsPere& pere = func->Peres.at(row);
                QVERIFY(picker.BeginEdit(row));
                if (!picker.cmdRefrech->isHidden()) {
                    picker.cmdRefrech->click();
                    QVERIFY(picker.lstRefresh->count() > 0);
                    picker.ChooseFromList(picker.lstRefresh->item(0)->text());
                    continue;
                }
                picker.txtInput->setText(func->blnSysService ? typed.value(clsFunctionServer::KindOf(pere.StrName))
                                                             : (pere.lngDataType == 0 ? QStringLiteral("12") : QStringLiteral("借")));
                if (++pending % 2)
                    QTest::keyClick(picker.txtInput, Qt::Key_Return);
            }
            QVERIFY2(picker.Confirm(), qPrintable(function + QLatin1Char(' ') + prompt.LastText()));
            QVERIFY2(editor.Confirm(), qPrintable(editor.txtSou->toPlainText() + QLatin1Char(' ') + prompt.LastText()));
            QCOMPARE(editor.strExpression, picker.CallText().trimmed());
        }
        QCOMPARE(prompt.messages.size(), 0);
    }
};

QTEST_MAIN(tst_frmListFunctionView)
#include "tst_frmListFunctionView.moc"
