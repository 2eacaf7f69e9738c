#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include "document/clsDocument.h"
#include "expressions/clsFunctionManager.h"
#include "expressions/frmListFunctionView.h"
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

class tst_frmListFunctionView : public QObject
{
    Q_OBJECT
private:
    static void OpenLedger(clsDocument& doc, clsTestDatabase& db)
    {
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("张三")));
    }
    static QStringList Column(const QTableWidget* grid, int col)
    {
        QStringList texts;
        for (int row = 0; row < grid->rowCount(); ++row)
            texts << grid->item(row, col)->text();
        return texts;
    }

private Q_SLOTS:
    void classesAndFunctionsComeFromTheCatalogue()
    {
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        QVERIFY(db.Ready());
        clsDocument doc;
        OpenLedger(doc, db);
        QPlainTextEdit target;
        frmListFunctionView picker(&target);
        QStringList classes;
        for (int i = 0; i < picker.cmbClass->count(); ++i)
            classes << picker.cmbClass->itemText(i);
        QCOMPARE(classes, doc.FunctionManager()->FuncClasses());
        QCOMPARE(picker.cmbClass->currentIndex(), 0);
        QCOMPARE(picker.GridFuncs->horizontalHeaderItem(0)->text(), QStringLiteral("名称"));
        QCOMPARE(picker.GridFuncs->horizontalHeaderItem(1)->text(), QStringLiteral("说明"));

        QVERIFY(picker.ChooseClass(QStringLiteral("自定义公式")));
        // The payroll's own function is not offered in a ledger report.
        QCOMPARE(Column(picker.GridFuncs, 0), QStringList{QStringLiteral("GetAccountBalance")});
        QCOMPARE(picker.GridFuncs->item(0, 1)->text(), QStringLiteral("取科目余额（科目编码，方向）"));
        QCOMPARE(picker.GridPeres->rowCount(), 0);

        QVERIFY(picker.ChooseFunction(QStringLiteral("GetAccountBalance")));
        QCOMPARE(picker.GridPeres->columnWidth(0), 80);
        QCOMPARE(picker.GridPeres->columnWidth(1), 40);
        QCOMPARE(picker.GridPeres->columnWidth(2), 133);
        QCOMPARE(Column(picker.GridPeres, 0), (QStringList{QStringLiteral("科目编码"), QStringLiteral("方向"), QStringLiteral("期间")}));
        QCOMPARE(Column(picker.GridPeres, 1), (QStringList{QStringLiteral("必要"), QStringLiteral("可选"), QStringLiteral("可选")}));
        QCOMPARE(Column(picker.GridPeres, 2), (QStringList{QString(), QStringLiteral("借"), QStringLiteral("0")}));
        // Empty values keep their place between the commas.
        QCOMPARE(picker.LabExp->text(), QStringLiteral("GetAccountBalance(,借,0) "));

        // Another class clears the parameters.
        QVERIFY(picker.ChooseClass(QStringLiteral("系统内置公式")));
        QCOMPARE(picker.GridPeres->rowCount(), 0);
        QVERIFY(Column(picker.GridFuncs, 0).contains(QStringLiteral("SumColumn")));
        QVERIFY(!picker.ChooseFunction(QStringLiteral("GetAccountBalance")));
    }

    void callTextOfAFunctionWithoutParameters()
    {
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        QVERIFY(db.Ready());
        clsDocument doc;
        OpenLedger(doc, db);
        QPlainTextEdit target(QStringLiteral("旧公式()"));
        frmListFunctionView picker(&target);
        QVERIFY(picker.ChooseClass(QStringLiteral("系统内置公式")));
        QVERIFY(picker.ChooseFunction(QStringLiteral("GetReportName")));
        QCOMPARE(picker.CallText(), QStringLiteral("GetReportName() "));
        QVERIFY(picker.Confirm());
        QCOMPARE(target.toPlainText(), QStringLiteral("GetReportName() "));
        QCOMPARE(picker.result(), int(QDialog::Accepted));
    }

    void valuesAreEditedInPlace()
    {
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        QVERIFY(db.Ready());
        clsDocument doc;
        OpenLedger(doc, db);
        QPlainTextEdit target;
        frmListFunctionView picker(&target);
        QVERIFY(picker.ChooseClass(QStringLiteral("自定义公式")));
        QVERIFY(picker.ChooseFunction(QStringLiteral("GetAccountBalance")));

        QVERIFY(picker.BeginEdit(1));
        QVERIFY(!picker.txtInput->isHidden());
        QVERIFY(picker.cmdRefrech->isHidden());     // no list behind a plain parameter
        QCOMPARE(picker.txtInput->text(), QStringLiteral("借"));
        picker.txtInput->setText(QStringLiteral("贷"));
        QTest::keyClick(picker.txtInput, Qt::Key_Escape);
        QVERIFY(picker.txtInput->isHidden());
        QCOMPARE(picker.CallText(), QStringLiteral("GetAccountBalance(,借,0) "));

        QVERIFY(picker.BeginEdit(1));
        picker.txtInput->setText(QStringLiteral("贷"));
        QTest::keyClick(picker.txtInput, Qt::Key_Return);
        QCOMPARE(picker.LabExp->text(), QStringLiteral("GetAccountBalance(,贷,0) "));
        QVERIFY(picker.isVisible() || picker.result() != QDialog::Accepted);
        QVERIFY(!picker.BeginEdit(3));
    }

    void requiredParameterMustBeGiven()
    {
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        QVERIFY(db.Ready());
        clsRecordingPrompt prompt;
        clsDocument doc;
        OpenLedger(doc, db);
        QPlainTextEdit target(QStringLiteral("GetPeriod()"));
        frmListFunctionView picker(&target);
        QVERIFY(picker.ChooseClass(QStringLiteral("自定义公式")));
        QVERIFY(picker.ChooseFunction(QStringLiteral("GetAccountBalance")));
        QVERIFY(!picker.Confirm());
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.messages[0].text, QStringLiteral("参数（科目编码）必须输入..."));
        QCOMPARE(prompt.messages[0].icon, PromptIcon::Information);
        QCOMPARE(prompt.messages[0].title, QStringLiteral("格式"));
        QCOMPARE(target.toPlainText(), QStringLiteral("GetPeriod()"));
        QVERIFY(picker.result() != QDialog::Accepted);

        // Cancelling leaves the editor as it was.
        picker.cmdCancel->click();
        QCOMPARE(target.toPlainText(), QStringLiteral("GetPeriod()"));
    }

    void referenceListsOfColumnsAndConditions_data()
    {
        clsTestDatabase::AddBackendColumn();
        for (const QString& b : clsTestDatabase::Backends())
            QTest::newRow(qPrintable(b)) << b;
    }
    void referenceListsOfColumnsAndConditions()
    {
        QXRF_OPEN_DB(db, true, true);
        clsRecordingPrompt prompt;
        clsDocument doc;
        OpenLedger(doc, db);
        // A condition row of ModeEx 20 and above is not a filter condition.
        db.Conn().Execute(QStringLiteral("insert into Rpt_FltDEF (id,note,ModeEx,location) values (1,'内部条件',25,0)"));
        QPlainTextEdit target;
        frmListFunctionView picker(&target);
        QVERIFY(picker.ChooseClass(QStringLiteral("系统内置公式")));

        QVERIFY(picker.ChooseFunction(QStringLiteral("GetFilterValue")));
        QVERIFY(picker.BeginEdit(0));
        QVERIFY(!picker.cmdRefrech->isHidden());
        picker.cmdRefrech->click();
        QStringList entries;
        for (int i = 0; i < picker.lstRefresh->count(); ++i)
            entries << picker.lstRefresh->item(i)->text();
        QCOMPARE(entries, (QStringList{QStringLiteral("会计期间"), QStringLiteral("科目级次"), QStringLiteral("科目编码")}));
        picker.ChooseFromList(QStringLiteral("会计期间"));
        QCOMPARE(picker.CallText(), QStringLiteral("GetFilterValue([会计期间],) "));

        QVERIFY(picker.ChooseFunction(QStringLiteral("SumColumn")));
        QVERIFY(picker.BeginEdit(0));
        picker.RefreshList();
        QCOMPARE(picker.lstRefresh->count(), 8);   // the enabled columns; 科目级次 is not one
        QVERIFY(picker.lstRefresh->findItems(QStringLiteral("科目级次"), Qt::MatchExactly).isEmpty());
        picker.ChooseFromList(QStringLiteral("期末贷方"));
        QVERIFY(picker.Confirm());
        QCOMPARE(target.toPlainText(), QStringLiteral("SumColumn([期末贷方]) "));
        QVERIFY(doc.FunctionManager()->CheckFunction(target.toPlainText().trimmed()));
        QVERIFY(prompt.messages.isEmpty());
    }
};

QTEST_MAIN(tst_frmListFunctionView)
#include "tst_frmListFunctionView.moc"
