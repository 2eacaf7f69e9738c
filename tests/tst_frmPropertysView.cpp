#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include "columns/clsFieldsManager.h"
#include "designer/clsCanvasScene.h"
#include "document/clsDocument.h"
#include "expressions/frmListFunctionView.h"
#include "expressions/frmTextInputView.h"
#include "labels/clsLabelManager.h"
#include "properties/clsPropertysManager.h"
#include "properties/frmPropertysView.h"
#include "ranges/clsRangeManager.h"
#include "designer/clsScenePainter.h"
#include <QComboBox>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

class tst_frmPropertysView : public QObject
{
    Q_OBJECT
private:
    static void OpenLedger(clsDocument& doc, clsTestDatabase& db)
    {
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("张三")));
        doc.SetDocChanged(false);
    }
    // The demo ledger report opened on SQLite, unchanged.
    struct Ledger
    {
        Ledger() { OpenLedger(doc, db); }
        clsTestDatabase db{QStringLiteral("sqlite"), true, true};
        clsDocument doc;
    };
    static QStringList ListItems(const QListWidget* list)
    {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }

private Q_SLOTS:
    void cleanup()
    {
        frmTextInputView::SetModalHook(nullptr);
        frmListFunctionView::SetModalHook(nullptr);
        frmPropertysView::SetFontHook(nullptr);
    }

    void objectListHoldsEveryObjectInKindOrder()
    {
        Ledger ledger;
        auto& [db, doc] = ledger;
        frmPropertysView view;
        view.InitPropertys(QStringLiteral("列"), QStringLiteral("科目名称"), false);

        QStringList expected;
        for (const auto& r : doc.RangeManager()->Ranges)
            expected << QStringLiteral("(区域)    ") + r->StrName;
        for (const auto& l : doc.LabelManager()->Labels)
            expected << QStringLiteral("(标签)    ") + l->StrName;
        for (const auto& c : doc.FieldsManager()->Cols)
            expected << QStringLiteral("(列)   ") + c->name;
        for (const auto& t : doc.FieldsManager()->Titles)
            expected << QStringLiteral("(标题)   ") + t->name;
        QStringList entries;
        for (int i = 0; i < view.cmbObject->count(); ++i)
            entries << view.cmbObject->itemText(i);
        QCOMPARE(entries, expected);
        QCOMPARE(view.cmbObject->currentText(), QStringLiteral("(列)   科目名称"));

        // The grid: one row per property, in catalogue order.
        QCOMPARE(view.MSHFlexGrid1->rowCount(), int(doc.PropertysManager()->ColPropertys.size()));
        QCOMPARE(view.MSHFlexGrid1->item(0, 1)->text(), QStringLiteral("列名"));
        QCOMPARE(view.ValueAt(0), QStringLiteral("科目名称"));

        // Switching splits the entry at its first run of three blanks.
        view.ChooseObject(QStringLiteral("(标签)    制表人"));
        QCOMPARE(view.Kind(), QStringLiteral("标签"));
        QCOMPARE(view.ObjectName(), QStringLiteral("制表人"));
        QCOMPARE(view.ValueAt(view.RowOf(QStringLiteral("数据源"))), QStringLiteral("GetOperator()"));
        view.ChooseObject(QStringLiteral("(标题)   期初余额"));
        QCOMPARE(view.Kind(), QStringLiteral("标题"));
        QCOMPARE(view.MSHFlexGrid1->rowCount(), int(doc.PropertysManager()->TitlePropertys.size()));
    }

    void columnEditsReachTheSavedRows_data() { clsTestDatabase::AddBackendRows(); }
    void columnEditsReachTheSavedRows()
    {
        QXRF_OPEN_DB(db, true, true);
        clsRecordingPrompt prompt;
        clsDocument doc;
        OpenLedger(doc, db);
        frmPropertysView view;
        view.InitPropertys(QStringLiteral("列"), QStringLiteral("期初借方"), false);
        clsRepcol* col = doc.FieldsManager()->FindCol(QStringLiteral("期初借方"));
        QVERIFY(col);

        const int widthRow = view.RowOf(QStringLiteral("列宽"));
        QVERIFY(view.BeginEdit(widthRow));
        QCOMPARE(view.Editor(), static_cast<QWidget*>(view.txtInput));
        view.txtInput->setText(QStringLiteral("30"));
        QTest::keyClick(view.txtInput, Qt::Key_Return);
        QCOMPARE(view.Editor(), nullptr);
        QCOMPARE(col->Width, 30 * 56);
        QCOMPARE(view.ValueAt(widthRow), QStringLiteral("30"));
        QVERIFY(doc.DocChanged());
        // The canvas is laid out again with the new width.
        const clsSceneElement* element = doc.Scene()->Find(clsSceneElement::Kind::Column, QStringLiteral("期初借方"));
        QVERIFY(element);
        QCOMPARE(element->rect.width, 30 * 56);

        const int formatRow = view.RowOf(QStringLiteral("显示格式"));
        QVERIFY(view.BeginEdit(formatRow));
        QCOMPARE(view.Editor(), static_cast<QWidget*>(view.cmdRefrech));
        view.PressRefresh();
        QVERIFY(ListItems(view.lstRefresh).contains(QStringLiteral("分组行百分比")));
        QVERIFY(view.ChooseFromList(QStringLiteral("Z9件数显示格式")));
        QCOMPARE(col->StrFormat, QStringLiteral("NUM"));
        QCOMPARE(view.ValueAt(formatRow), QStringLiteral("Z9件数显示格式"));

        doc.SaveReportFormat();
        QVERIFY(doc.LastSaveWritten());
        const QString where = QStringLiteral(" from Rpt_FldDEF where ID=1 and ModeEx=0 and Name='期初借方'");
        QCOMPARE(db.Scalar(QStringLiteral("select iColSize") + where).toInt(), 30 * 56);
        QCOMPARE(db.Scalar(QStringLiteral("select FormatEx") + where).toString().trimmed(), QStringLiteral("NUM"));
        QVERIFY(prompt.messages.isEmpty());
    }

    void refusedValueLeavesTheCell()
    {
        clsRecordingPrompt prompt;
        Ledger ledger;
        frmPropertysView view;
        view.InitPropertys(QStringLiteral("列"), QStringLiteral("期初借方"), false);
        const int nameRow = view.RowOf(QStringLiteral("列名"));
        QVERIFY(view.BeginEdit(nameRow));
        QVERIFY(!view.CommitValue(QStringLiteral("期初贷方")));
        QCOMPARE(prompt.LastText(), QStringLiteral("列名不能重复..."));
        QCOMPARE(view.ValueAt(nameRow), QStringLiteral("期初借方"));
        QCOMPARE(view.Editor(), static_cast<QWidget*>(view.txtInput));

        // A rename is followed by the window and its object list.
        QVERIFY(view.CommitValue(QStringLiteral("年初借方")));
        QCOMPARE(view.ObjectName(), QStringLiteral("年初借方"));
        QCOMPARE(view.cmbObject->currentText(), QStringLiteral("(列)   年初借方"));
    }

    void escapeLeavesTheObjectUnchanged()
    {
        Ledger ledger;
        auto& [db, doc] = ledger;
        frmPropertysView view;
        view.InitPropertys(QStringLiteral("标签"), QStringLiteral("金额单位"), false);
        clsLabel* label = doc.LabelManager()->FindLabel(QStringLiteral("金额单位"));
        const qint32 top = label->top;
        const int row = view.RowOf(QStringLiteral("上边距"));
        const QString shown = view.ValueAt(row);
        QVERIFY(view.BeginEdit(row));
        view.txtInput->setText(QStringLiteral("18"));
        QTest::keyClick(view.txtInput, Qt::Key_Escape);
        QCOMPARE(view.Editor(), nullptr);
        QCOMPARE(label->top, top);
        QCOMPARE(view.ValueAt(row), shown);
        QVERIFY(!doc.DocChanged());

        // An arrow key commits like Enter.
        QVERIFY(view.BeginEdit(row));
        view.txtInput->setText(QStringLiteral("18"));
        QTest::keyClick(view.txtInput, Qt::Key_Down);
        QCOMPARE(label->top, 1008);
    }

    void typedNumbersAreCheckedAndNeverDropped_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("leave");  // how the edit ends: Enter, another cell, focus elsewhere
        QTest::addColumn<bool>("taken");
        const QString label = QStringLiteral("标签");
        const QString unit = QStringLiteral("金额单位");
        const QString width = QStringLiteral("宽度");
        const QString lines = QStringLiteral("每页打印行数");
        QTest::newRow("width not a number") << label << unit << width << "abc" << "cell" << false;
        QTest::newRow("width too large") << label << unit << width << "99999999999" << "focus" << false;
        QTest::newRow("width with decimals, another cell") << label << unit << width << "30.5" << "cell" << true;
        QTest::newRow("lines per page are whole") << "区域" << "正文区域" << lines << "12.5" << "enter" << false;
        QTest::newRow("column width, another cell") << "列" << "期初借方" << "列宽" << "25" << "cell" << true;
    }
    void typedNumbersAreCheckedAndNeverDropped()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, typed);
        QFETCH(QString, leave);
        QFETCH(bool, taken);
        clsRecordingPrompt prompt;
        Ledger ledger;
        auto& [db, doc] = ledger;
        frmPropertysView view;
        view.InitPropertys(kind, name, false);
        const int row = view.RowOf(caption);
        const QString before = view.ValueAt(row);
        QVERIFY(view.BeginEdit(row));
        view.txtInput->setText(typed);
        const auto finish = [&] {
            if (leave == QLatin1String("enter")) {
                QTest::keyClick(view.txtInput, Qt::Key_Return);
            } else if (leave == QLatin1String("cell")) {
                view.MSHFlexGrid1->setCurrentCell(row == 1 ? 2 : 1, 2);
            } else {
                QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
                QApplication::sendEvent(view.txtInput, &out);
            }
        };
        finish();
        QCOMPARE(view.ValueAt(row), taken ? typed.trimmed() : before);
        QCOMPARE(doc.DocChanged(), taken);
        QCOMPARE(prompt.messages.size(), taken ? 0 : 1);
        if (taken)
            return;
        // Refused: the editor stays on the row with the text, and leaving again does not
        // repeat the message.
        QCOMPARE(view.Editor(), static_cast<QWidget*>(view.txtInput));
        QCOMPARE(view.txtInput->text(), typed);
        if (leave == QLatin1String("cell"))
            QCOMPARE(view.MSHFlexGrid1->currentRow(), row);
        QVERIFY(!view.CommitPending());
        QCOMPARE(prompt.messages.size(), 1);
    }

    void biggerFontMakesTheLabelTaller()
    {
        Ledger ledger;
        auto& [db, doc] = ledger;
        QString title;
        doc.RangeManager()->RangeTypeToName(QStringLiteral("标题区"), QString(), title);
        qint32 l = 0, t = 0, w = 0, h = 0;
        QVERIFY(doc.RangeManager()->GetRangePart(title, l, t, w, h));
        clsLabel* label = doc.LabelManager()->AddLabels(title, 500, t + 50, 0, 0);
        QVERIFY(label);
        const qint32 drawn = label->Height;
        frmPropertysView view;
        view.InitPropertys(QStringLiteral("标签"), label->StrName, false);
        const auto pickSize = [&](double size) {
            frmPropertysView::SetFontHook([size](clsFont& font) {
                font.Size = size;
                return true;
            });
            QVERIFY(view.BeginEdit(view.RowOf(QStringLiteral("字体"))));
            view.PressRefresh();
        };
        for (double size : {20.0, 36.0}) {
            pickSize(size);
            // One line of the font as the canvas paints it fits the label.
            const QFontMetricsF metrics(clsScenePainter::ToQFont(label->tpyFont));
            QVERIFY2(metrics.height() * clsCanvasScene::TwipsPerPixel <= label->Height,
                     qPrintable(QString::number(label->Height)));
            QCOMPARE(doc.Scene()->Find(clsSceneElement::Kind::Label, label->StrName)->rect.height, label->Height);
        }
        // Back to the first font, back to the first height.
        pickSize(9);
        QCOMPARE(label->Height, drawn);
        // A height the user chose stays.
        label->Height = drawn + 123;
        pickSize(20);
        QCOMPARE(label->Height, drawn + 123);
    }

    void readOnlyRowsOpenNoEditor_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("range name") << QStringLiteral("区域") << QStringLiteral("正文区域") << QStringLiteral("区域名称");
        QTest::newRow("column number") << QStringLiteral("列") << QStringLiteral("科目编码") << QStringLiteral("列号");
        QTest::newRow("column field") << QStringLiteral("列") << QStringLiteral("科目编码") << QStringLiteral("字段");
    }
    void readOnlyRowsOpenNoEditor()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Ledger ledger;
        auto& [db, doc] = ledger;
        frmPropertysView view;
        view.InitPropertys(kind, name, false);
        const int row = view.RowOf(caption);
        QVERIFY(row >= 0);
        QVERIFY(!view.BeginEdit(row));
        QCOMPARE(view.Editor(), nullptr);
        QVERIFY(!view.CommitValue(QStringLiteral("1")));
        QVERIFY(!doc.DocChanged());
    }

    void expressionEditorKindFollowsTheObject_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("sourceType");
        QTest::addColumn<QString>("editorKind");
        QTest::newRow("column") << "列" << "期初借方" << "列间表达式" << "" << "表达式";
        QTest::newRow("formula label") << "标签" << "编制单位" << "数据源" << "公式" << "公式";
        QTest::newRow("expression label") << "标签" << "编制单位" << "数据源" << "表达式" << "表达式";
        QTest::newRow("text label") << "标签" << "编制单位" << "数据源" << "文本" << "文本";
    }
    void expressionEditorKindFollowsTheObject()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, sourceType);
        QFETCH(QString, editorKind);
        Ledger ledger;
        auto& [db, doc] = ledger;
        if (!sourceType.isEmpty())
            doc.LabelManager()->FindLabel(name)->StrDataSouType = sourceType;
        frmPropertysView view;
        view.InitPropertys(kind, name, false);
        const int row = view.RowOf(caption);
        const QString before = view.ValueAt(row);
        QString seenClass, seenKind, seenText;
        frmTextInputView::SetModalHook([&](frmTextInputView& editor) {
            seenClass = editor.mStrClass;
            seenKind = editor.mStrSouType;
            seenText = editor.txtSou->toPlainText();
            editor.txtSou->setPlainText(QStringLiteral("丢弃"));
            editor.Cancel();
        });
        QVERIFY(view.BeginEdit(row));
        QCOMPARE(view.Editor(), static_cast<QWidget*>(view.cmdRefrech));
        view.PressRefresh();
        QCOMPARE(seenClass, kind);
        QCOMPARE(seenKind, editorKind);
        QCOMPARE(seenText, before);
        // A cancelled editor changes nothing.
        QCOMPARE(view.ValueAt(row), before);
        QVERIFY(!doc.DocChanged());
    }

    void invalidLabelExpressionKeepsTheEditorOpen()
    {
        clsRecordingPrompt prompt;
        Ledger ledger;
        auto& [db, doc] = ledger;
        frmPropertysView view;
        view.InitPropertys(QStringLiteral("标签"), QStringLiteral("金额单位"), false);
        QVERIFY(view.BeginEdit(view.RowOf(QStringLiteral("数据源类型"))));
        view.PressRefresh();
        QVERIFY(view.ChooseFromList(QStringLiteral("表达式")));

        bool stayedOpen = false;
        frmTextInputView::SetModalHook([&](frmTextInputView& editor) {
            QCOMPARE(editor.mStrClass, QStringLiteral("标签"));
            QCOMPARE(editor.mStrSouType, QStringLiteral("表达式"));
            editor.txtSou->setPlainText(QStringLiteral("[编制单位]&[无此标签]"));
            stayedOpen = !editor.Confirm() && editor.result() != QDialog::Accepted;
            editor.Cancel();
        });
        const int row = view.RowOf(QStringLiteral("数据源"));
        QVERIFY(view.BeginEdit(row));
        view.PressRefresh();
        QVERIFY(stayedOpen);
        QCOMPARE(prompt.LastText(), QStringLiteral("表达式中定义的标签名：无此标签 不在报表标签集合中"));
        QCOMPARE(prompt.messages.last().title, QStringLiteral("格式"));
        QCOMPARE(doc.LabelManager()->FindLabel(QStringLiteral("金额单位"))->strSou, QStringLiteral("金额单位：元"));
        QCOMPARE(view.ValueAt(row), QStringLiteral("金额单位：元"));

        // A valid expression is taken.
        frmTextInputView::SetModalHook([](frmTextInputView& editor) {
            editor.txtSou->setPlainText(QStringLiteral(" [编制单位]&[会计期间] "));
            editor.Confirm();
        });
        QVERIFY(view.BeginEdit(row));
        view.PressRefresh();
        QCOMPARE(doc.LabelManager()->FindLabel(QStringLiteral("金额单位"))->strSou, QStringLiteral("[编制单位]&[会计期间]"));
        QCOMPARE(view.ValueAt(row), QStringLiteral("[编制单位]&[会计期间]"));
    }

    void formulaFromThePickerLandsInTheLabel_data() { clsTestDatabase::AddBackendRows(); }
    void formulaFromThePickerLandsInTheLabel()
    {
        QXRF_OPEN_DB(db, true, true);
        clsRecordingPrompt prompt;
        clsDocument doc;
        OpenLedger(doc, db);
        frmPropertysView view;
        view.InitPropertys(QStringLiteral("标签"), QStringLiteral("制表人"), false);

        QString built;
        frmListFunctionView::SetModalHook([&](frmListFunctionView& picker) {
            QVERIFY(picker.ChooseClass(QStringLiteral("系统内置公式")));
            QVERIFY(picker.ChooseFunction(QStringLiteral("SumColumn")));
            QVERIFY(picker.BeginEdit(0));
            QVERIFY(!picker.cmdRefrech->isHidden());
            picker.RefreshList();
            QVERIFY(!picker.lstRefresh->findItems(QStringLiteral("期初借方"), Qt::MatchExactly).isEmpty());
            picker.ChooseFromList(QStringLiteral("期初借方"));
            built = picker.CallText();
            QVERIFY(picker.Confirm());
        });
        frmTextInputView::SetModalHook([](frmTextInputView& editor) {
            QCOMPARE(editor.mStrSouType, QStringLiteral("公式"));
            QVERIFY(editor.cmdFunc->isEnabled());
            editor.cmdFunc->click();
            QVERIFY(editor.Confirm());
        });
        const int row = view.RowOf(QStringLiteral("数据源"));
        QVERIFY(view.BeginEdit(row));
        view.PressRefresh();

        QCOMPARE(built, QStringLiteral("SumColumn([期初借方]) "));
        const clsLabel* label = doc.LabelManager()->FindLabel(QStringLiteral("制表人"));
        QCOMPARE(label->strSou, QStringLiteral("SumColumn([期初借方])"));
        QVERIFY(label->blnlimited);
        QCOMPARE(label->LngFirst, 2);
        QCOMPARE(label->StrFuncGroup, QStringLiteral("系统内置公式"));
        QCOMPARE(view.ValueAt(row), QStringLiteral("SumColumn([期初借方])"));
        QVERIFY(prompt.messages.isEmpty());
    }

    void rangeLimitedFormulaIsRefusedInAnotherRange()
    {
        clsRecordingPrompt prompt;
        Ledger ledger;
        frmPropertysView view;
        view.InitPropertys(QStringLiteral("标签"), QStringLiteral("编制单位"), false);
        const int row = view.RowOf(QStringLiteral("数据源"));
        QVERIFY(view.BeginEdit(row));
        QVERIFY(!view.CommitValue(QStringLiteral("SumColumn([期初借方])")));
        QCOMPARE(prompt.LastText(), QStringLiteral("区域（页标题区域）中不能设置该标签公式..."));
        QCOMPARE(view.ValueAt(row), QStringLiteral("GetCompanyName()"));
    }

    void selectionOfSeveralTakesTheCommonValue()
    {
        Ledger ledger;
        auto& [db, doc] = ledger;
        clsLabelManager* labels = doc.LabelManager();
        labels->FindLabel(QStringLiteral("编制单位"))->blnSelected = true;
        labels->FindLabel(QStringLiteral("金额单位"))->blnSelected = true;
        frmPropertysView view;
        view.InitPropertys(QStringLiteral("标签"), QStringLiteral("编制单位"), true);
        QCOMPARE(view.MSHFlexGrid1->rowCount(), 1);
        QVERIFY(view.BeginEdit(view.RowOf(QStringLiteral("对齐方式"))));
        view.PressRefresh();
        QCOMPARE(view.lstRefresh->count(), 3);
        QVERIFY(view.ChooseFromList(QStringLiteral("居中")));
        QCOMPARE(labels->FindLabel(QStringLiteral("编制单位"))->AlignStyle, 2);
        QCOMPARE(labels->FindLabel(QStringLiteral("金额单位"))->AlignStyle, 2);
        QCOMPARE(labels->FindLabel(QStringLiteral("会计期间"))->AlignStyle, 2);   // was centred already
        QCOMPARE(labels->FindLabel(QStringLiteral("制表人"))->AlignStyle, 0);     // not selected
    }

    void fontDialogChoiceGoesToTheLabel()
    {
        Ledger ledger;
        auto& [db, doc] = ledger;
        frmPropertysView view;
        view.InitPropertys(QStringLiteral("标签"), QStringLiteral("金额单位"), false);
        frmPropertysView::SetFontHook([](clsFont& font) {
            font.Name = QStringLiteral("黑体");
            font.Size = 12;
            return true;
        });
        const int row = view.RowOf(QStringLiteral("字体"));
        QVERIFY(view.BeginEdit(row));
        view.PressRefresh();
        const clsFont* font = doc.LabelManager()->GetFontPropObject(QStringLiteral("金额单位"));
        QCOMPARE(font->Name, QStringLiteral("黑体"));
        QCOMPARE(font->Size, 12.0);
        QCOMPARE(view.ValueAt(row), QStringLiteral("黑体,12"));

        // A cancelled dialog changes nothing.
        frmPropertysView::SetFontHook([](clsFont& font) {
            font.Name = QStringLiteral("楷体");
            return false;
        });
        QVERIFY(view.BeginEdit(row));
        view.PressRefresh();
        QCOMPARE(font->Name, QStringLiteral("黑体"));
    }
};

QTEST_MAIN(tst_frmPropertysView)
#include "tst_frmPropertysView.moc"
