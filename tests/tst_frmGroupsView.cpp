#include "columns/frmGroupsView.h"
#include "ranges/clsRangeManager.h"
#include "fieldsRows.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QtTest>

using namespace fieldsRows;

namespace {
const qint32 kReport = 20;
const QString kTick = QStringLiteral("√");
const QString kShown = QStringLiteral("显示");

// A report of six columns: four listed in the window, one without a field, one
// disabled and one hidden. 部门 is grouped with subtotal.
void InsertReport(clsConnection& c)
{
    c.Execute(QStringLiteral("Insert into Rpt_GlbDEF (ID,Name,SystemID,Note,Relation,DatabaseEx,IsBaseTable,Type,Cols) "
                             "values (%1,'分组表','GL','','vimba','',0,1,0)").arg(kReport));
    int order = 0;
    const auto col = [&](const char* name, const char* field, int topEx = 0, int visible = -1, int dtype = 1) {
        ColRow r = Col(QString::fromUtf8(name), ++order, topEx, QString::fromUtf8(field));
        r.visible = visible;
        r.dtype = dtype;
        if (r.field.isEmpty())
            r.condition = QStringLiteral("[金额]*2");
        InsertCol(c, kReport, r);
    };
    col("部门", "dept");
    col("客'户", "ccus");
    col("计算", "");
    col("停用", "stopped", 1);
    col("隐藏", "hidden", 0, 0);
    col("金额", "je", 0, -1, 0);
    InsertGroup(c, kReport, QStringLiteral("部门"), -1, 0);
}

bool OpenReport(clsDocument& doc, clsConnection& c)
{
    return doc.OpenDocument(&c, QStringLiteral("分组表"), QStringLiteral("GL"), QStringLiteral("op"));
}

QStringList GroupRangeNames(const clsDocument& doc)
{
    QStringList names;
    for (const auto& r : doc.RangeManager()->Ranges)
        if (!r->strGroupField.isEmpty())
            names << r->StrName;
    return names;
}

// The report above on SQLite, opened, with 部门's header range shown.
struct SqliteGroups
{
    SqliteGroups()
    {
        InsertReport(db.Conn());
        QVERIFY(OpenReport(doc, db.Conn()));
        doc.RangeManager()->AddGroupRange(QStringLiteral("部门"), true);
        doc.SetDocChanged(false);
    }
    clsTestDatabase db{QStringLiteral("sqlite")};
    clsDocument doc;
};

// Every row, its cells joined by |.
QStringList Rows(const frmGroupsView& w)
{
    QStringList rows;
    for (int r = 0; r < w.RowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < frmGroupsView::ColumnCount; ++c)
            cells << w.CellText(r, c);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}
}

class tst_frmGroupsView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void groupRangesOfAColumn()
    {
        // What the window does not show: a column's range is found however its name is
        // padded, hiding a range never made makes none, and the ranges go with the group.
        clsDocument doc;
        clsRangeManager rm;
        QVERIFY(rm.AddNewRange(QStringLiteral("正文区域"), QStringLiteral("正文区"), QString()));
        clsRange* header = rm.AddGroupRange(QStringLiteral("部门"), true);
        QCOMPARE(rm.FindGroupRange(QStringLiteral(" 部门 "), true), header);
        rm.SetGroupRangeShown(QStringLiteral("部门"), false, false);
        QVERIFY(!rm.FindGroupRange(QStringLiteral("部门"), false));
        rm.SetGroupRangeShown(QStringLiteral("部门"), true, false);
        QVERIFY(!rm.GroupRangeShown(QStringLiteral("部门"), true));
        QCOMPARE(rm.RemoveGroupRanges(QStringLiteral("部门")), 1);
        QCOMPARE(rm.Ranges.size(), size_t(1));
    }

    void clicksToggleOrAreRefused_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("cells");         // the row's cells afterwards, joined by |
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("groupRanges");   // joined by |
        const char* dept = "[分组]部门_标题";
        QTest::newRow("clearing the group while its header shows") << 0 << QList<int>{1} << "部门|√|√||显示|不显示"
            << "分组标题区域或分组脚注区域是显示的，不能去掉分组属性" << dept;
        const char* both = "[分组]部门_标题|[分组]客'户_标题";
        QTest::newRow("group, subtotal, running total") << 1 << QList<int>{1, 2, 3} << "客'户|√|√|√|不显示|不显示" << "" << dept;
        QTest::newRow("group header created") << 1 << QList<int>{1, 4} << "客'户|√|||显示|不显示" << "" << both;
        QTest::newRow("header hidden again keeps its range") << 1 << QList<int>{1, 4, 5, 4} << "客'户|√|||不显示|显示" << ""
            << "[分组]部门_标题|[分组]客'户_标题|[分组]客'户_脚注";
        QTest::newRow("the name column is no toggle") << 1 << QList<int>{0} << "客'户||||不显示|不显示" << "" << dept;
    }
    void clicksToggleOrAreRefused()
    {
        QFETCH(int, row);
        QFETCH(QList<int>, clicks);
        QFETCH(QString, message);
        SqliteGroups g;
        clsRecordingPrompt prompt;
        // Listed: the enabled, visible columns that have a field.
        frmGroupsView w;
        QCOMPARE(w.RowCount(), 3);
        QCOMPARE(w.CellText(2, 0), QStringLiteral("金额"));
        for (int column : clicks)
            w.ClickCell(row, column);
        QTEST(Rows(w)[row], "cells");
        const QStringList cells = Rows(w)[row].split(QLatin1Char('|'));
        QTEST(GroupRangeNames(g.doc).join(QLatin1Char('|')), "groupRanges");
        QCOMPARE(prompt.LastText(), message);
        QCOMPARE(prompt.messages.size(), message.isEmpty() ? 0 : 1);
        QCOMPARE(g.doc.DocChanged(), message.isEmpty() && clicks != QList<int>{0});

        // The column records follow the cells.
        const clsRepcol* col = g.doc.FieldsManager()->FindCol(cells[0]);
        QCOMPARE(col->TpyGroup, cells[1] == kTick ? 2 : 1);
        QCOMPARE(col->BlnGroupSum, cells[2] == kTick);
        QCOMPARE(col->BlnGroupAccount, cells[3] == kTick);
        if (const clsRange* header = g.doc.RangeManager()->FindGroupRange(cells[0], true)) {
            QCOMPARE(header->StrRangeType, QStringLiteral("分组标题区"));
            QCOMPARE(header->blnVisible, cells[4] == kShown);
            QCOMPARE(header->strDisplayStyle, cells[4] == kShown ? QStringLiteral("只打印") : QStringLiteral("隐含"));
        }
    }

    void okRemovesTheRangesOfGroupsShowingNeither()
    {
        SqliteGroups g;
        clsRangeManager& ranges = *g.doc.RangeManager();
        ranges.AddGroupRange(QStringLiteral("部门"), false);
        const size_t standard = ranges.Ranges.size() - 2;
        frmGroupsView w;
        // 客'户 grouped with its footer shown; 部门 shows neither now.
        for (const auto& [row, column] : {std::pair{1, 1}, {1, 5}, {0, 4}, {0, 5}})
            w.ClickCell(row, column);
        QCOMPARE(GroupRangeNames(g.doc), (QStringList{QStringLiteral("[分组]部门_标题"), QStringLiteral("[分组]部门_脚注"),
                                                   QStringLiteral("[分组]客'户_脚注")}));
        w.cmdOk_Click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(GroupRangeNames(g.doc), QStringList{QStringLiteral("[分组]客'户_脚注")});
        QCOMPARE(ranges.Ranges.size(), standard + 1);
    }

    void groupsSurviveSaveAndReload_data() { clsTestDatabase::AddBackendRows(); }
    void groupsSurviveSaveAndReload()
    {
        QXRF_OPEN_DB(db);
        InsertReport(db.Conn());
        clsRecordingPrompt prompt;
        QStringList before;
        {
            clsDocument doc;
            QVERIFY(OpenReport(doc, db.Conn()));
            frmGroupsView w;
            // 部门: subtotal off, running total on, footer shown; 客'户 grouped with
            // subtotal, its header shown and hidden again (not written).
            for (const auto& [row, column] : {std::pair{0, 2}, {0, 3}, {0, 5}, {1, 1}, {1, 2}, {1, 4}, {1, 4}})
                w.ClickCell(row, column);
            w.cmdOk_Click();
            before = Rows(w);
            doc.SaveReportFormat();
            QVERIFY(doc.LastSaveWritten());
        }
        QCOMPARE(prompt.messages.size(), 0);
        clsDocument again;
        QVERIFY(OpenReport(again, db.Conn()));
        const QStringList after = Rows(frmGroupsView());
        QCOMPARE(after, before);
        QCOMPARE(after.first(), QStringLiteral("部门|√||√|不显示|显示"));
        QCOMPARE(GroupRangeNames(again), QStringList{QStringLiteral("[分组]部门_脚注")});
    }
};

QTEST_MAIN(tst_frmGroupsView)
#include "tst_frmGroupsView.moc"
