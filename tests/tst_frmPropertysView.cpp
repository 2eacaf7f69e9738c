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

namespace {
// A value typed into a property: how the edit ends is Enter, an arrow, Escape, another
// cell or focus elsewhere; "none" for a read-only property.
struct Typed
{
    QString kind, name, caption, typed, leave;
    bool taken;
};
// The source editor opened from a property, after `sourceType` (if any) was picked
// from the list; an empty `typed` cancels the editor.
struct Sourced
{
    QString kind, name, caption, sourceType, typed;
    bool taken;
};
}
Q_DECLARE_METATYPE(Typed)
Q_DECLARE_METATYPE(Sourced)

class tst_frmPropertysView : public QObject
{
    Q_OBJECT
private:
    // The demo ledger report opened on SQLite, unchanged.
    struct Ledger
    {
        Ledger()
        {
            QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("张三")));
            doc.SetDocChanged(false);
        }
        clsTestDatabase db{QStringLiteral("sqlite"), true, true};
        clsDocument doc;
    };

private Q_SLOTS:
    void cleanup()
    {
        frmTextInputView::SetModalHook(nullptr);
        frmListFunctionView::SetModalHook(nullptr);
        frmPropertysView::SetFontHook(nullptr);
    }

    void ledgerSession()
    {
        // One window over the ledger report, shown one object after another.
        clsRecordingPrompt prompt;
        Ledger ledger;
        auto& [db, doc] = ledger;
        frmPropertysView view;
        view.InitPropertys(QStringLiteral("列"), QStringLiteral("科目名称"), false);

        // Every object, kind by kind.
        QCOMPARE(view.cmbObject->count(), int(doc.RangeManager()->Ranges.size() + doc.LabelManager()->Labels.size()
                                              + doc.FieldsManager()->Cols.size() + doc.FieldsManager()->Titles.size()));
        QCOMPARE(QStringList({view.cmbObject->itemText(0), view.cmbObject->itemText(view.cmbObject->count() - 1), view.cmbObject->currentText()}),
                 QStringList({"(区域)    " + doc.RangeManager()->Ranges.front()->StrName, "(标题)   " + doc.FieldsManager()->Titles.back()->name,
                              "(列)   科目名称"}));

        // The grid: one row per property, in catalogue order.
        QCOMPARE(std::tuple(view.MSHFlexGrid1->rowCount(), view.ValueAt(0)), std::tuple(int(doc.PropertysManager()->ColPropertys.size()), QStringLiteral("科目名称")));

        // Switching splits the entry at its first run of three blanks: the label's own
        // source shows.
        view.ChooseObject(QStringLiteral("(标签)    制表人"));
        QCOMPARE(view.ValueAt(view.RowOf(QStringLiteral("数据源"))), QStringLiteral("GetOperator()"));
        view.ChooseObject(QStringLiteral("(标题)   期初余额"));
        QCOMPARE(std::tuple(view.Kind(), view.MSHFlexGrid1->rowCount()), std::tuple(QStringLiteral("标题"), int(doc.PropertysManager()->TitlePropertys.size())));

        // Column edits reach the column and the canvas.
        view.InitPropertys(QStringLiteral("列"), QStringLiteral("期初借方"), false);
        clsRepcol* col = doc.FieldsManager()->FindCol(QStringLiteral("期初借方"));
        QVERIFY(col);

        const int widthRow = view.RowOf(QStringLiteral("列宽"));
        QVERIFY(view.BeginEdit(widthRow));
        QCOMPARE(view.Editor(), static_cast<QWidget*>(view.txtInput));
        view.txtInput->setText(QStringLiteral("30"));
        QTest::keyClick(view.txtInput, Qt::Key_Return);
        QCOMPARE(view.Editor(), nullptr);
        QCOMPARE(std::tuple(col->Width, view.ValueAt(widthRow), doc.DocChanged()), std::tuple(30 * 56, QStringLiteral("30"), true));
        // The canvas is laid out again with the new width.
        QCOMPARE(doc.Scene()->Find(clsSceneElement::Kind::Column, QStringLiteral("期初借方"))->rect.width, 30 * 56);

        const int formatRow = view.RowOf(QStringLiteral("显示格式"));
        QVERIFY(view.BeginEdit(formatRow));
        QCOMPARE(view.Editor(), static_cast<QWidget*>(view.cmdRefrech));
        view.PressRefresh();
        QVERIFY(!view.lstRefresh->findItems(QStringLiteral("分组行百分比"), Qt::MatchExactly).isEmpty());
        QVERIFY(view.ChooseFromList(QStringLiteral("Z9件数显示格式")));
        QCOMPARE(std::tuple(col->StrFormat, view.ValueAt(formatRow)), std::tuple(QStringLiteral("NUM"), QStringLiteral("Z9件数显示格式")));

        // A rename is followed by the window and its object list.
        QVERIFY(view.BeginEdit(view.RowOf(QStringLiteral("列名"))));
        QVERIFY(view.CommitValue(QStringLiteral("年初借方")));
        QCOMPARE(std::tuple(view.ObjectName(), view.cmbObject->currentText()),
                 std::tuple(QStringLiteral("年初借方"), QStringLiteral("(列)   年初借方")));

        // A selection of several takes the common value.
        clsLabelManager* labels = doc.LabelManager();
        labels->FindLabel(QStringLiteral("编制单位"))->blnSelected = true;
        labels->FindLabel(QStringLiteral("金额单位"))->blnSelected = true;
        view.InitPropertys(QStringLiteral("标签"), QStringLiteral("编制单位"), true);
        QCOMPARE(view.MSHFlexGrid1->rowCount(), 1);
        QVERIFY(view.BeginEdit(view.RowOf(QStringLiteral("对齐方式"))));
        view.PressRefresh();
        QVERIFY(view.ChooseFromList(QStringLiteral("居中")));
        const auto align = [labels](const char* name) { return labels->FindLabel(QString::fromUtf8(name))->AlignStyle; };
        QCOMPARE((QList<int>{align("编制单位"), align("金额单位"), align("制表人")}), (QList<int>{2, 2, 0}));   // 制表人 not selected

        // 函数 in the source editor opens the picker; what it builds goes back through the
        // editor into the label.
        view.InitPropertys(QStringLiteral("标签"), QStringLiteral("制表人"), false);
        frmListFunctionView::SetModalHook([](frmListFunctionView& picker) {
            QVERIFY(picker.ChooseClass(QStringLiteral("系统内置公式")));
            QVERIFY(picker.ChooseFunction(QStringLiteral("SumColumn")));
            QVERIFY(picker.BeginEdit(0));
            picker.RefreshList();
            picker.ChooseFromList(QStringLiteral("年初借方"));
            QVERIFY(picker.Confirm());
        });
        frmTextInputView::SetModalHook([](frmTextInputView& editor) {
            QCOMPARE(editor.mStrSouType, QStringLiteral("公式"));
            editor.cmdFunc->click();
            QVERIFY(editor.Confirm());
        });
        const int sourceRow = view.RowOf(QStringLiteral("数据源"));
        QVERIFY(view.BeginEdit(sourceRow));
        view.PressRefresh();
        const clsLabel* formula = labels->FindLabel(QStringLiteral("制表人"));
        QCOMPARE(std::tuple(formula->strSou, formula->blnlimited, formula->LngFirst, formula->StrFuncGroup),
                 std::tuple(QStringLiteral("SumColumn([年初借方])"), true, 2, QStringLiteral("系统内置公式")));
        QCOMPARE(view.ValueAt(sourceRow), QStringLiteral("SumColumn([年初借方])"));

        // The font dialog's choice goes to the label and sizes it.
        QString title;
        doc.RangeManager()->RangeTypeToName(QStringLiteral("标题区"), QString(), title);
        qint32 l = 0, t = 0, w = 0, h = 0;
        QVERIFY(doc.RangeManager()->GetRangePart(title, l, t, w, h));
        clsLabel* label = labels->AddLabels(title, 500, t + 50, 0, 0);
        QVERIFY(label);
        const qint32 drawn = label->Height;
        view.InitPropertys(QStringLiteral("标签"), label->StrName, false);
        const int fontRow = view.RowOf(QStringLiteral("字体"));
        const auto pick = [&](double size, bool chosen) {
            frmPropertysView::SetFontHook([size, chosen](clsFont& font) {
                std::tie(font.Name, font.Size) = std::tuple(QStringLiteral("黑体"), size);
                return chosen;
            });
            QVERIFY(view.BeginEdit(fontRow));
            view.PressRefresh();
        };
        pick(20, true);
        QCOMPARE(std::tuple(label->tpyFont.Name, view.ValueAt(fontRow)), std::tuple(QStringLiteral("黑体"), QStringLiteral("黑体,20")));
        // A cancelled dialog changes nothing.
        pick(12, false);
        QCOMPARE(label->tpyFont.Size, 20.0);
        // A bigger font makes the label taller: one line as the canvas paints it fits.
        pick(36, true);
        const QFontMetricsF metrics(clsScenePainter::ToQFont(label->tpyFont));
        QVERIFY2(metrics.height() * clsCanvasScene::TwipsPerPixel <= label->Height, qPrintable(QString::number(label->Height)));
        QCOMPARE(doc.Scene()->Find(clsSceneElement::Kind::Label, label->StrName)->rect.height, label->Height);
        // Back to the first size, back to the first height; a height the user chose stays.
        pick(9, true);
        QCOMPARE(label->Height, drawn);
        label->Height = drawn + 123;
        pick(20, true);
        QCOMPARE(label->Height, drawn + 123);
        QVERIFY(prompt.messages.isEmpty());
    }

    void typedValuesAreCheckedAndNeverDropped_data()
    {
        QTest::addColumn<Typed>("c");
        const QString label = QStringLiteral("标签"), unit = QStringLiteral("金额单位"), width = QStringLiteral("宽度");
        QTest::newRow("width not a number") << Typed{label, unit, width, "abc", "cell", false};
        QTest::newRow("width too large") << Typed{label, unit, width, "99999999999", "focus", false};
        QTest::newRow("width with decimals, another cell") << Typed{label, unit, width, "30.5", "cell", true};
        QTest::newRow("lines per page are whole") << Typed{"区域", "正文区域", "每页打印行数", "12.5", "enter", false};
        QTest::newRow("column name taken") << Typed{"列", "期初借方", "列名", "期初贷方", "enter", false};
        QTest::newRow("an arrow commits like Enter") << Typed{label, unit, "上边距", "18", "down", true};
        QTest::newRow("Escape drops the edit") << Typed{label, unit, "上边距", "18", "escape", false};
        QTest::newRow("range name is read-only") << Typed{"区域", "正文区域", "区域名称", "1", "none", false};
        QTest::newRow("column number is read-only") << Typed{"列", "科目编码", "列号", "1", "none", false};
    }
    void typedValuesAreCheckedAndNeverDropped()
    {
        QFETCH(Typed, c);
        clsRecordingPrompt prompt;
        Ledger ledger;
        frmPropertysView view;
        view.InitPropertys(c.kind, c.name, false);
        const int row = view.RowOf(c.caption);
        QVERIFY(row >= 0);
        const QString before = view.ValueAt(row);
        const bool readOnly = c.leave == QLatin1String("none");
        QCOMPARE(view.BeginEdit(row), !readOnly);
        const QMap<QString, Qt::Key> keys{{"enter", Qt::Key_Return}, {"down", Qt::Key_Down}, {"escape", Qt::Key_Escape}};
        QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
        if (readOnly)
            QVERIFY(!view.CommitValue(c.typed));
        else
            view.txtInput->setText(c.typed);
        if (keys.contains(c.leave))
            QTest::keyClick(view.txtInput, keys.value(c.leave));
        else if (c.leave == QLatin1String("cell"))
            view.MSHFlexGrid1->setCurrentCell(row == 1 ? 2 : 1, 2);
        else if (c.leave == QLatin1String("focus"))
            QApplication::sendEvent(view.txtInput, &out);
        QCOMPARE(std::tuple(view.ValueAt(row), ledger.doc.DocChanged()), std::tuple(c.taken ? c.typed.trimmed() : before, c.taken));
        const bool refused = !c.taken && !readOnly && c.leave != QLatin1String("escape");
        QCOMPARE(prompt.messages.size(), refused ? 1 : 0);
        if (!c.taken && !refused)
            QCOMPARE(view.Editor(), nullptr);
        if (!refused)
            return;
        // Refused: the editor stays on the row with the text, and leaving again does not
        // repeat the message.
        QCOMPARE(std::tuple(view.Editor(), view.txtInput->text()), std::tuple(static_cast<QWidget*>(view.txtInput), c.typed));
        if (c.leave == QLatin1String("cell"))
            QCOMPARE(view.MSHFlexGrid1->currentRow(), row);
        QVERIFY(!view.CommitPending());
        QCOMPARE(prompt.messages.size(), 1);
    }

    void sourceEditorFollowsTheObject_data()
    {
        QTest::addColumn<Sourced>("c");
        QTest::newRow("column") << Sourced{"列", "期初借方", "列间表达式", "", " [期初贷方] ", true};
        QTest::newRow("formula label, cancelled") << Sourced{"标签", "编制单位", "数据源", "公式", "", false};
        QTest::newRow("expression label refused") << Sourced{"标签", "金额单位", "数据源", "表达式", "[编制单位]&[无此标签]", false};
    }
    void sourceEditorFollowsTheObject()
    {
        // The editor opens on the object's kind and source type; what it refuses or what
        // is cancelled leaves the object as it was.
        QFETCH(Sourced, c);
        clsRecordingPrompt prompt;
        Ledger ledger;
        frmPropertysView view;
        view.InitPropertys(c.kind, c.name, false);
        if (!c.sourceType.isEmpty()) {
            QVERIFY(view.BeginEdit(view.RowOf(QStringLiteral("数据源类型"))));
            view.PressRefresh();
            QVERIFY(view.ChooseFromList(c.sourceType));
        }
        const int row = view.RowOf(c.caption);
        const QString before = view.ValueAt(row);
        QStringList seen;   // the editor's object kind, source type and text
        frmTextInputView::SetModalHook([&](frmTextInputView& editor) {
            seen = QStringList{editor.mStrClass, editor.mStrSouType, editor.txtSou->toPlainText()};
            editor.txtSou->setPlainText(c.typed.isEmpty() ? QStringLiteral("丢弃") : c.typed);
            if (c.typed.isEmpty() || !editor.Confirm())
                editor.Cancel();
        });
        QVERIFY(view.BeginEdit(row));
        QCOMPARE(view.Editor(), static_cast<QWidget*>(view.cmdRefrech));
        view.PressRefresh();
        QCOMPARE(seen, (QStringList{c.kind, c.sourceType.isEmpty() ? QStringLiteral("表达式") : c.sourceType, before}));
        QCOMPARE(view.ValueAt(row), c.taken ? c.typed.trimmed() : before);
        if (c.kind == QStringLiteral("标签"))
            QCOMPARE(ledger.doc.LabelManager()->FindLabel(c.name)->strSou, view.ValueAt(row));
        QCOMPARE(prompt.messages.size(), !c.taken && !c.typed.isEmpty() ? 1 : 0);
    }
};

QTEST_MAIN(tst_frmPropertysView)
#include "tst_frmPropertysView.moc"
