#include "clsCanvasFixture.h"
#include "columns/clsFieldsManager.h"
#include "designer/clsCanvasScene.h"
#include "document/clsConnection.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "ranges/clsRangeManager.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include "tst_fieldsRows.h"
#include <QtTest>

using Kind = clsCanvasScene::Kind;

namespace {
const QString kBody = QStringLiteral("正文区域");

// The report of clsCanvasFixture: body band at 1480, 1500 high; one row of titles
// a, b, c at 1500 (300 high) over the columns at 1880, so the title part is 320 high.
clsFieldsManager& OpenLaidOut(clsDocument& doc)
{
    return clsCanvasFixture::OpenLaidOut(doc);
}
constexpr auto AddCol = &clsCanvasFixture::AddCol;
constexpr auto AddTitle = &clsCanvasFixture::AddTitle;

QList<qint32> Coords(const clsFieldsManager& f, qint32 clsRepcol::*field)
{
    QList<qint32> v;
    for (const auto& c : f.Cols)
        v << (*c).*field;
    return v;
}
QList<qint32> Xs(const clsFieldsManager& f) { return Coords(f, &clsRepcol::X); }
QList<qint32> Ys(const clsFieldsManager& f) { return Coords(f, &clsRepcol::Y); }
}

class tst_columnEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { g_blnRunMode = false; }

    void addNewCol_data()
    {
        QTest::addColumn<QString>("range");
        QTest::addColumn<qint32>("y");
        QTest::addColumn<QString>("message");
        QTest::newRow("title band") << QStringLiteral("标题区域") << 500 << QStringLiteral("标题区域不能画报表列对象...");
        QTest::newRow("title part") << kBody << 1600 << QStringLiteral("正文区域的标题部分不能画列对象...");
        QTest::newRow("just above the separator") << kBody << 1799 << QStringLiteral("正文区域的标题部分不能画列对象...");
        QTest::newRow("at the separator") << kBody << 1800 << QString();
        QTest::newRow("column part") << kBody << 2000 << QString();
    }
    void addNewCol()
    {
        QFETCH(QString, range);
        QFETCH(qint32, y);
        QFETCH(QString, message);
        clsDocument doc;
        clsFieldsManager& f = OpenLaidOut(doc);
        clsRecordingPrompt prompt;
        f.SetSelectedColObject(QStringLiteral("a"), true);
        bool ok = true;
        f.AddNewCol(range, 3500, y, ok);
        QCOMPARE(ok, message.isEmpty());
        QCOMPARE(prompt.LastText(), message);
        QCOMPARE(doc.DocChanged(), message.isEmpty());
        if (!message.isEmpty()) {
            QCOMPARE(f.Cols.size(), size_t(3));
            QCOMPARE(prompt.messages.last().title, QStringLiteral("格式"));
            return;
        }
        QCOMPARE(f.Cols.size(), size_t(4));
        const clsRepcol& c = *f.Cols.back();
        QCOMPARE(c.name, QStringLiteral("列名31"));
        QCOMPARE(c.Caption, c.name);
        QVERIFY(c.BlnEnable && c.blnVisible && c.blnSelected);
        QCOMPARE((QList<qint32>{c.X, c.Y, c.cx, c.cy, c.Width, c.Height, c.Col}),
                 (QList<qint32>{3500, y, 1000, 300, 1000, 300, 0}));
        QVERIFY(!f.ColSelected(QStringLiteral("a")));  // selected alone
        const clsSceneElement* view = doc.Scene()->Find(Kind::Column, c.name);
        QVERIFY(view && view->visible);
        QCOMPARE(view->rect, (clsSceneRect{3500, y, 1000, 300}));
        QCOMPARE(doc.Scene()->SizeHandles().size(), size_t(4));
    }

    void newColGrowsTheBody_data()
    {
        QTest::addColumn<qint32>("y");
        QTest::addColumn<qint32>("height");
        QTest::newRow("well inside") << 2000 << 1500;
        QTest::newRow("bottom on the edge") << 2680 << 1500;
        QTest::newRow("past the bottom") << 2900 << 2072;  // 2900 + 300 + 300 - 1480 = 2020, 37 mm
    }
    void newColGrowsTheBody()
    {
        QFETCH(qint32, y);
        QFETCH(qint32, height);
        clsDocument doc;
        OpenLaidOut(doc);
        bool ok = false;
        doc.FieldsManager()->AddNewCol(kBody, 0, y, ok);
        QVERIFY(ok);
        qint32 l = 0, t = 0, w = 0, h = 0;
        doc.RangeManager()->GetRangePart(kBody, l, t, w, h);
        QCOMPARE(h, height);
        QVERIFY(t + h - (y + 300) >= 300 || height == 1500);
    }

    void addNewTitle_data()
    {
        QTest::addColumn<QString>("range");
        QTest::addColumn<qint32>("y");
        QTest::addColumn<QString>("message");
        QTest::newRow("title band") << QStringLiteral("标题区域") << 500 << QStringLiteral("标题区域不能画报表列对象...");
        QTest::newRow("column part") << kBody << 2000 << QStringLiteral("正文区域的列部分不能画标题...");
        QTest::newRow("at the separator") << kBody << 1800 << QStringLiteral("正文区域的列部分不能画标题...");
        QTest::newRow("title part") << kBody << 1600 << QString();
    }
    void addNewTitle()
    {
        QFETCH(QString, range);
        QFETCH(qint32, y);
        QFETCH(QString, message);
        clsDocument doc;
        clsFieldsManager& f = OpenLaidOut(doc);
        clsRecordingPrompt prompt;
        bool ok = true;
        f.AddNewTitle(range, 3000, y, ok);
        QCOMPARE(ok, message.isEmpty());
        QCOMPARE(prompt.LastText(), message);
        if (!message.isEmpty()) {
            QCOMPARE(f.Titles.size(), size_t(3));
            return;
        }
        QCOMPARE(f.Titles.size(), size_t(4));
        const clsTitle& t = *f.Titles.back();
        QCOMPARE(t.name, QStringLiteral("标题4"));
        QVERIFY(t.nameForeign.isEmpty());
        QVERIFY(t.blnVisible && t.blnSelected);
        QCOMPARE((QList<qint32>{t.X, t.Y, t.cx, t.cy, t.top, t.left, t.Width, t.Height}),
                 (QList<qint32>{3000, y, 1000, 300, 1, 1, 1, 1}));
        // A later layout keeps it where it was drawn.
        doc.RangeManager()->DrawAllObjects();
        QCOMPARE(f.Titles.back()->Y, y);
    }

    void selection()
    {
        clsDocument doc;
        clsFieldsManager& f = OpenLaidOut(doc);
        f.SetSelectedColObject(QStringLiteral("a"), true);
        f.SetSelectedColObject(QStringLiteral(" B "), false);
        f.SetSelectedTitleObject(QStringLiteral("ta"), false);
        QVERIFY(f.ColSelected(QStringLiteral("a")) && f.ColSelected(QStringLiteral("b")));
        f.SetSelectedColObject(QStringLiteral("a"), false);  // clicking a selected one takes it out
        QVERIFY(!f.ColSelected(QStringLiteral("a")));
        QVERIFY(f.ColSelected(QStringLiteral("b")));
        f.ListAllSelectTip();
        QCOMPARE(doc.Scene()->SizeHandles().size(), size_t(8));
        f.ClearAllSelected();
        QVERIFY(!f.HasSelection());
        QCOMPARE(doc.Scene()->SizeHandles().size(), size_t(0));
    }

    void viewsFollowProperties()
    {
        clsDocument doc;
        clsFieldsManager& f = OpenLaidOut(doc);
        clsRecordingPrompt prompt;
        QString name = QStringLiteral("b");
        QVERIFY(f.SetColProperty(name, QStringLiteral("列名"), QStringLiteral("乙")));
        QVERIFY(!doc.Scene()->Find(Kind::Column, QStringLiteral("b")));
        const clsSceneElement* view = doc.Scene()->Find(Kind::Column, QStringLiteral("乙"));
        QVERIFY(view);
        QCOMPARE(view->caption, QStringLiteral("乙"));
        QVERIFY(f.SetColProperty(name, QStringLiteral("列宽"), QStringLiteral("30")));
        QCOMPARE(view->rect.width, 1680);
        QVERIFY(f.SetColProperty(name, QStringLiteral("显示"), QStringLiteral("隐含")));
        QVERIFY(!view->visible);

        QString title = QStringLiteral("tc");
        QVERIFY(f.SetTitleProperty(title, QStringLiteral("名称"), QStringLiteral("丙")));
        QVERIFY(f.SetTitleProperty(title, QStringLiteral("显示标题"), QStringLiteral("合计")));
        const clsSceneElement* titleView = doc.Scene()->Find(Kind::Title, QStringLiteral("丙"));
        QVERIFY(titleView);
        QCOMPARE(titleView->caption, QStringLiteral("合计"));
        QCOMPARE(prompt.messages.size(), 0);
    }

    void moveColumns_data()
    {
        QTest::addColumn<qint32>("dx");
        QTest::addColumn<qint32>("dy");
        QTest::addColumn<QList<qint32>>("xs");
        QTest::addColumn<QList<qint32>>("ys");
        QTest::newRow("one would leave on the left") << -500 << 0 << QList<qint32>{0, 500, 1700}
                                                     << QList<qint32>{1880, 1880, 1880};
        QTest::newRow("down inside") << 0 << 500 << QList<qint32>{0, 1000, 2200} << QList<qint32>{2380, 2380, 2380};
        QTest::newRow("bottom on the edge") << 0 << 800 << QList<qint32>{0, 1000, 2200}
                                            << QList<qint32>{2680, 2680, 2680};
        QTest::newRow("past the bottom") << 0 << 801 << QList<qint32>{0, 1000, 2200}
                                         << QList<qint32>{1880, 1880, 1880};
        QTest::newRow("into the title part") << 0 << -81 << QList<qint32>{0, 1000, 2200}
                                             << QList<qint32>{1880, 1880, 1880};
        QTest::newRow("up to the separator") << 0 << -80 << QList<qint32>{0, 1000, 2200}
                                             << QList<qint32>{1800, 1800, 1800};
    }
    void moveColumns()
    {
        QFETCH(qint32, dx);
        QFETCH(qint32, dy);
        QFETCH(QList<qint32>, xs);
        QFETCH(QList<qint32>, ys);
        clsDocument doc;
        clsFieldsManager& f = OpenLaidOut(doc);
        clsRecordingPrompt prompt;
        for (const auto& c : f.Cols)
            c->blnSelected = true;
        bool ok = false;
        f.MoveColObject(dx, dy, ok);
        f.NewPartListCol();
        QCOMPARE(Xs(f), xs);
        QCOMPARE(Ys(f), ys);
        QCOMPARE(prompt.messages.size(), 0);
        QCOMPARE(doc.Scene()->Find(Kind::Column, QStringLiteral("c"))->rect.left, xs[2]);
    }

    void moveTitles()
    {
        clsDocument doc;
        clsFieldsManager& f = OpenLaidOut(doc);
        f.SetSelectedTitleObject(QStringLiteral("tb"), true);
        bool ok = false;
        f.MoveTitleObject(0, 100, ok);  // would cross the separator
        QCOMPARE(f.Titles[1]->Y, 1500);
        f.MoveTitleObject(300, -21, ok);  // would rise above the band
        QCOMPARE(f.Titles[1]->Y, 1500);
        QVERIFY(!doc.DocChanged());
        f.MoveTitleObject(300, -20, ok);
        QCOMPARE(QPoint(f.Titles[1]->X, f.Titles[1]->Y), QPoint(1300, 1480));
        QVERIFY(doc.DocChanged());
        doc.RangeManager()->DrawAllObjects();  // the layout keeps the moved title
        QCOMPARE(f.Titles[1]->Y, 1480);
    }

    void resize_data()
    {
        QTest::addColumn<qint32>("side");
        QTest::addColumn<qint32>("dx");
        QTest::addColumn<qint32>("dy");
        QTest::addColumn<QList<qint32>>("expected");  // X, Y, cx, cy, Width
        QTest::newRow("bottom edge up past the top") << 1 << 0 << -400 << QList<qint32>{1000, 1880, 1200, 5, 1200};
        QTest::newRow("top edge down") << 0 << 0 << 100 << QList<qint32>{1000, 1980, 1200, 200, 1200};
        QTest::newRow("top edge to the bottom") << 0 << 0 << 300 << QList<qint32>{1000, 2180, 1200, 5, 1200};
        QTest::newRow("left edge") << 2 << 200 << 0 << QList<qint32>{1200, 1880, 1000, 300, 1000};
        QTest::newRow("right edge") << 3 << 300 << 0 << QList<qint32>{1000, 1880, 1500, 300, 1500};
    }
    void resize()
    {
        QFETCH(qint32, side);
        QFETCH(qint32, dx);
        QFETCH(qint32, dy);
        QFETCH(QList<qint32>, expected);
        clsDocument doc;
        clsFieldsManager& f = OpenLaidOut(doc);
        f.SetSelectedColObject(QStringLiteral("b"), true);
        f.ChangeSelectedObjectsSize(dx, dy, side);
        const clsRepcol& c = *f.Cols[1];
        QCOMPARE((QList<qint32>{c.X, c.Y, c.cx, c.cy, c.Width}), expected);
        QCOMPARE(f.Cols[0]->cy, 300);
        QVERIFY(doc.DocChanged());
    }

    void align_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<qint32>>("xs");
        QTest::addColumn<QList<qint32>>("ys");
        // a: X 1000 cx 1000 (right 2000), b: X 1500 cx 1000 (right 2500), c unselected.
        QTest::newRow("tops") << 0 << QList<qint32>{1000, 1500, 2200} << QList<qint32>{1900, 1900, 1880};
        QTest::newRow("bottoms") << 1 << QList<qint32>{1000, 1500, 2200} << QList<qint32>{2000, 2000, 1880};
        QTest::newRow("lefts") << 2 << QList<qint32>{1000, 1000, 2200} << QList<qint32>{1900, 2000, 1880};
        QTest::newRow("rights") << 3 << QList<qint32>{1500, 1500, 2200} << QList<qint32>{1900, 2000, 1880};
        QTest::newRow("side by side") << 4 << QList<qint32>{1000, 2000, 2200} << QList<qint32>{1900, 1900, 1880};
        QTest::newRow("stacked") << 5 << QList<qint32>{1000, 1000, 2200} << QList<qint32>{1900, 2200, 1880};
        QTest::newRow("unknown") << 6 << QList<qint32>{1000, 1500, 2200} << QList<qint32>{1900, 2000, 1880};
    }
    void align()
    {
        QFETCH(int, kind);
        QFETCH(QList<qint32>, xs);
        QFETCH(QList<qint32>, ys);
        clsDocument doc;
        clsFieldsManager& f = OpenLaidOut(doc);
        clsRepcol& a = *f.Cols[0];
        clsRepcol& b = *f.Cols[1];
        std::tie(a.X, a.Y, a.cx, b.X, b.Y, b.cx) = std::tuple(1000, 1900, 1000, 1500, 2000, 1000);
        a.blnSelected = b.blnSelected = true;
        f.MoveAllObjectsOrientation(kind);
        QCOMPARE(Xs(f), xs);
        QCOMPARE(Ys(f), ys);
    }

    void deleteKeepsColumnDisabled_data()
    {
        clsTestDatabase::AddBackendColumn();
        for (const QString& b : clsTestDatabase::Backends())
            QTest::newRow(qPrintable(b)) << b;
    }
    void deleteKeepsColumnDisabled()
    {
        QXRF_OPEN_DB(db);
        fieldsRows::InsertCol(db.Conn(), 1, QStringLiteral("a"), 1);
        fieldsRows::InsertCol(db.Conn(), 1, QStringLiteral("b"), 2);
        fieldsRows::InsertCol(db.Conn(), 1, QStringLiteral("c"), 3);
        fieldsRows::Doc env(db.Conn());
        clsRecordingPrompt prompt;
        clsFieldsManager f;
        fieldsRows::Load(f, 1);
        f.SetSelectedColObject(QStringLiteral("b"), true);
        f.DeleteAllSelectedObjects();
        QCOMPARE(f.Cols.size(), size_t(3));
        QVERIFY(!f.Cols[1]->BlnEnable && !f.Cols[1]->blnSelected);
        QVERIFY(env.doc.DocChanged());
        QCOMPARE(f.FieldListItems(), QStringList{QStringLiteral("fld_b")});
        bool ok = false;
        f.SaveAllObjects(ok);
        QVERIFY(ok);
        QCOMPARE(prompt.messages.size(), 0);
        QCOMPARE(CLng(db.Scalar(QStringLiteral("select TopEx from Rpt_FldDEF where ModeEx=0 and ID=1 and Name='b'"))), 1);
        QCOMPARE(CLng(db.Scalar(QStringLiteral("select TopEx from Rpt_FldDEF where ModeEx=0 and ID=1 and Name='a'"))), 0);
        clsFieldsManager again;
        fieldsRows::Load(again, 1);
        QVERIFY(!again.FindCol(QStringLiteral("b"))->BlnEnable);
        QVERIFY(again.FindCol(QStringLiteral("c"))->BlnEnable);
    }

    void deleteAdjacentTitles()
    {
        clsDocument doc;
        clsFieldsManager& f = OpenLaidOut(doc);
        AddTitle(f, QStringLiteral("td"), 4);
        f.SetSelectedTitleObject(QStringLiteral("tb"), false);
        f.SetSelectedTitleObject(QStringLiteral("tc"), false);
        f.DeleteAllSelectedObjects();
        QStringList names;
        for (const auto& t : f.Titles)
            names << t->name;
        QCOMPARE(names, (QStringList{QStringLiteral("ta"), QStringLiteral("td")}));
        QVERIFY(!doc.Scene()->Find(Kind::Title, QStringLiteral("tb")) && !doc.Scene()->Find(Kind::Title, QStringLiteral("tc")));
        QCOMPARE(f.Cols.size(), size_t(3));
        QVERIFY(doc.DocChanged());
    }

    void dropField()
    {
        clsDocument doc;
        clsFieldsManager& f = OpenLaidOut(doc);
        AddCol(f, QStringLiteral("off"), 700, QStringLiteral("fo"), false);
        AddCol(f, QStringLiteral("nofield"), 700, QString(), false);
        QCOMPARE(f.FieldListItems(), QStringList{QStringLiteral("fo")});

        QVERIFY(f.DrawFields(QStringLiteral("fo"), 3000, 1480, 1000, 300));
        const clsRepcol& c = *f.FindCol(QStringLiteral("off"));
        QVERIFY(c.BlnEnable && c.blnVisible);
        QCOMPARE(c.Caption, QStringLiteral("fo"));
        // Separator at 1800, one pixel thick: the column 20 below it, the title above.
        QCOMPARE((QList<qint32>{c.X, c.Y, c.cx, c.cy, c.Width, c.Height}),
                 (QList<qint32>{3000, 1835, 1000, 300, 1000, 300}));
        const clsTitle* t = f.FindTitle(QStringLiteral("fo"));
        QVERIFY(t);
        QCOMPARE((QList<qint32>{t->X, t->Y, t->cx, t->cy, t->top, t->left, t->Width, t->Height}),
                 (QList<qint32>{3000, 1800 - 300 - 20, 1000, 300, 1, 1, 1, 1}));
        QVERIFY(doc.Scene()->Find(Kind::Column, QStringLiteral("off"))->visible);
        QVERIFY(f.FieldListItems().isEmpty());
        QVERIFY(doc.DocChanged());

        // A stale list: no column has the field, nothing is added.
        doc.SetDocChanged(false);
        QVERIFY(!f.DrawFields(QStringLiteral("gone"), 0, 1480, 1000, 300));
        QCOMPARE(f.Titles.size(), size_t(4));
        QVERIFY(!doc.DocChanged());
    }

    void titleHeightWithoutTitles()
    {
        clsDocument doc;
        clsFieldsManager& f = OpenLaidOut(doc);
        f.Titles.clear();
        doc.RangeManager()->DrawAllObjects();
        QCOMPARE(doc.RangeManager()->pTitleHeight, 20);
        f.ChangeTitleHeight(-500);
        QCOMPARE(doc.RangeManager()->pTitleHeight, 0);
        QCOMPARE(f.Cols.front()->Y, 1580 - 20);
    }

    void titleHeight_data()
    {
        QTest::addColumn<qint32>("newHeight");
        QTest::addColumn<qint32>("moved");
        QTest::newRow("line down") << 420 << 100;
        QTest::newRow("line up, titles stop at the band's top") << 0 << -20;
        QTest::newRow("line down, columns stop at the bottom") << 2000 << 800;
    }
    void titleHeight()
    {
        QFETCH(qint32, newHeight);
        QFETCH(qint32, moved);
        clsDocument doc;
        clsFieldsManager& f = OpenLaidOut(doc);
        f.ChangeTitleHeight(newHeight);
        QCOMPARE(Ys(f), (QList<qint32>{1880 + moved, 1880 + moved, 1880 + moved}));
        QCOMPARE(f.Titles.front()->Y, 1500 + moved);
        QCOMPARE(doc.RangeManager()->pTitleHeight, 320 + moved);
        QCOMPARE(doc.Scene()->lineBreak.y1, 1800 + moved);
        QVERIFY(doc.DocChanged());
        doc.RangeManager()->DrawAllObjects();
        QCOMPARE(doc.RangeManager()->pTitleHeight, 320 + moved);
    }
};

QTEST_GUILESS_MAIN(tst_columnEditing)
#include "tst_columnEditing.moc"
