#include "columns/clsFieldsManager.h"
#include "designer/clsCanvasScene.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include "clsCanvasFixture.h"
#include <QtTest>

using Kind = clsCanvasScene::Kind;

namespace {
// A document with every manager and no database (the layout needs none), with no
// ranges, labels or columns.
void OpenHeadless(clsDocument& doc)
{
    clsCanvasFixture::OpenHeadless(doc);
    doc.RangeManager()->Ranges.clear();
    doc.LabelManager()->Labels.clear();
    doc.FieldsManager()->Cols.clear();
}

const auto AddCol = [](auto&&... args) { return clsCanvasFixture::AddCol(args...); };
constexpr auto AddLabel = &clsCanvasFixture::AddLabel;

// A headless document with no columns, the five standard ranges and the two of a group
// on 部门, the page header and the footers visible as asked.
clsRangeManager& OpenWithRanges(clsDocument& doc, bool pageHead, bool footers)
{
    OpenHeadless(doc);
    clsRangeManager& m = *doc.RangeManager();
    const auto add = [&](const char* name, const char* kind, qint32 height, bool visible, const QString& group = QString()) {
        auto r = std::make_unique<clsRange>();
        std::tie(r->StrName, r->StrRangeType) = std::tuple(QString::fromUtf8(name), QString::fromUtf8(kind));
        std::tie(r->Height, r->blnVisible, r->strGroupField) = std::tuple(height, visible, group);
        m.Ranges.push_back(std::move(r));
    };
    add("标题区域", "标题区", 1000, true);
    add("页标题区域", "页眉区", 600, pageHead);
    add("正文区域", "正文区", 1500, true);
    add("页脚注区域", "页尾区", 700, footers);
    add("脚注区域", "脚注区", 800, footers);
    add("[分组]部门_标题", "分组标题区", 500, true, QStringLiteral("部门"));
    add("[分组]部门_脚注", "分组脚注区", 400, true, QStringLiteral("部门"));
    return m;
}

// Names of the shown strips from the top down.
QStringList ShownStrips(const clsCanvasScene& scene)
{
    QMap<qint32, QString> byTop;   // shown strips never share a top
    for (const auto& e : scene.Elements(Kind::Strip))
        if (e->visible)
            byTop.insert(e->rect.top, e->name);
    return byTop.values();
}
}

class tst_rangeLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // groupState: 0 the column groups; 1 it does not group; 2 it groups but is
    // disabled; 3 it groups but is hidden; 4 the group ranges are hidden.
    void stackingOrder_data()
    {
        QTest::addColumn<bool>("pageHead");
        QTest::addColumn<bool>("footers");
        QTest::addColumn<int>("groupState");
        QTest::addColumn<QStringList>("strips");
        QTest::addColumn<int>("bodyTop");
        const QString t = QStringLiteral("标题区域"), ph = QStringLiteral("页标题区域"), b = QStringLiteral("正文区域"),
                      pf = QStringLiteral("页脚注区域"), f = QStringLiteral("脚注区域"),
                      gh = QStringLiteral("[分组]部门_标题"), gf = QStringLiteral("[分组]部门_脚注");
        QTest::newRow("all seven") << true << true << 0 << QStringList{t, gh, ph, b, pf, gf, f} << 3060;
        QTest::newRow("hidden page header takes no space") << false << true << 0 << QStringList{t, gh, b, pf, gf, f}
                                                           << 2220;
        QTest::newRow("column no longer grouping") << true << false << 1 << QStringList{t, ph, b} << 2320;
        QTest::newRow("grouping column disabled") << false << false << 2 << QStringList{t, b} << 1480;
        QTest::newRow("grouping column hidden") << false << false << 3 << QStringList{t, b} << 1480;
        QTest::newRow("group ranges hidden") << false << true << 4 << QStringList{t, b, pf, f} << 1480;
    }
    void stackingOrder()
    {
        QFETCH(bool, pageHead);
        QFETCH(bool, footers);
        QFETCH(int, groupState);
        QFETCH(QStringList, strips);
        clsDocument doc;
        clsRangeManager& m = OpenWithRanges(doc, pageHead, footers);
        clsFieldsManager& f = *doc.FieldsManager();
        AddCol(f, QStringLiteral("科目"), 1000);
        AddCol(f, QStringLiteral("部门"), 1000, groupState != 2, groupState != 3, groupState == 1 ? 1 : 2);
        if (groupState == 4) {
            m.SetRangeVisible(QStringLiteral("[分组]部门_标题"), false);
            m.SetRangeVisible(QStringLiteral("[分组]部门_脚注"), false);
        }
        m.DrawAllObjects();
        QCOMPARE(ShownStrips(*doc.Scene()), strips);
        QTEST(m.FindRange(QStringLiteral("正文区域"))->top, "bodyTop");
    }

    // A tick every millimetre, longer every fifth and tenth counted from where the ruler starts.
    void rulerTicks_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<int>>("lengths");  // of the first ten ticks
        QTest::newRow("vertical from 3") << true << 3 << QList<int>{30, 30, 60, 30, 30, 30, 30, 90, 30, 30};
        QTest::newRow("horizontal from 12") << false << 12 << QList<int>{30, 30, 30, 60, 30, 30, 30, 30, 90, 30};
    }
    void rulerTicks()
    {
        QFETCH(bool, vertical);
        QFETCH(int, start);
        clsDocument doc;
        OpenHeadless(doc);
        clsCanvasScene& scene = *doc.Scene();
        std::tie(scene.ToolbarTop, scene.ToolbarHeight) = std::tuple(30, 420);
        vertical ? doc.RangeManager()->DrawVRotes(start) : doc.RangeManager()->DrawHRotes(start);
        const clsSceneRuler& ruler = vertical ? scene.picLeftRote : scene.PicTopRote;
        QCOMPARE(ruler.start, start);
        QList<int> first;
        for (size_t k = 0; k < 10; ++k)
            first << ruler.ticks[k].length;
        QTEST(first, "lengths");
        QCOMPARE(ruler.ticks.back().position, MmToTwips(int(ruler.ticks.size())));
        if (vertical)  // under the toolbar
            QCOMPARE(ruler.rect.top, 460);
    }

    void scrolling()
    {
        clsDocument doc;
        OpenHeadless(doc);
        clsRangeManager& m = *doc.RangeManager();
        const clsCanvasScene& scene = *doc.Scene();
        m.DrawBackView();
        m.MoveBackVRange(100);
        m.MoveBackHRange(3);
        QCOMPARE(QPoint(scene.picBack.left, scene.picBack.top), QPoint(-168, -5600));
        // Far beyond any scroll bar: clamped instead of overflowing.
        m.MoveBackVRange(std::numeric_limits<qint32>::max());
        QVERIFY(scene.picBack.top < 0);
    }

    void paperWidthMark_data()
    {
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("mm");
        QTest::newRow("A4 portrait") << 9 << 1 << 210;
        QTest::newRow("A4 landscape") << 9 << 2 << 297;
        QTest::newRow("unknown paper") << 9999 << 1 << 0;
    }
    void paperWidthMark()
    {
        QFETCH(int, paper);
        QFETCH(int, orientation);
        QFETCH(int, mm);
        clsDocument doc;
        OpenHeadless(doc);
        doc.GetPrintObject()->LngPaperType = paper;
        doc.GetPrintObject()->LngOrientation = orientation;
        doc.RangeManager()->DrawPaperWidthTopic();
        const clsCanvasScene& scene = *doc.Scene();
        QCOMPARE(std::pair(scene.PaperMarkBack.visible, scene.PaperMarkDraw.visible), std::pair(mm > 0, mm > 0));
        if (mm == 0)
            return;
        const qint32 x = MmToTwips(mm);
        QCOMPARE((QList<qint32>{scene.PaperMarkBack.x1, scene.PaperMarkBack.x2, scene.PaperMarkBack.y2, scene.PaperMarkDraw.x1}),
                 (QList<qint32>{x, x, MmToTwips(1000), x - 330}));
    }

    // Columns 1000, 1500, 1200; a two-row title over columns 2 and 3 at row 1, the
    // column titles of 2 and 3 in row 3, column 1's title over all three rows.
    void compositeTitleGrid()
    {
        const qint32 rowHeight = 250;
        clsDocument doc;
        clsRangeManager& m = OpenWithRanges(doc, false, false);
        clsFieldsManager& f = *doc.FieldsManager();
        AddCol(f, QStringLiteral("科目"), 1000);
        AddCol(f, QStringLiteral("借方"), 1500);
        AddCol(f, QStringLiteral("贷方"), 1200);
        const auto AddTitle = &clsCanvasFixture::AddTitle;
        AddTitle(f, QStringLiteral("科目"), 1, 1, 1, 3);
        clsTitle* both = AddTitle(f, QStringLiteral("发生额"), 2, 1, 2, 2);
        both->nameForeign = QStringLiteral("发生额标题");
        AddTitle(f, QStringLiteral("借方"), 2, 3, 1, 1);
        AddTitle(f, QStringLiteral("贷方"), 3, 3, 1, 1)->blnDelected = true;
        f.TitleRowHeight = rowHeight;
        m.DrawAllObjects();
        clsCanvasScene& scene = *doc.Scene();

        const qint32 bodyTop = m.FindRange(QStringLiteral("正文区域"))->top;
        const qint32 titleTop = bodyTop + 20;
        QCOMPARE((QList<qint32>{both->X, both->Y, both->cx, both->cy, both->lngTop}),
                 (QList<qint32>{1000, titleTop, 2700, 2 * rowHeight, 0}));
        const clsTitle& debit = *f.Titles[2];
        QCOMPARE((QList<qint32>{debit.X, debit.Y, debit.lngTop}), (QList<qint32>{1000, titleTop + 2 * rowHeight, 2 * rowHeight}));
        const clsSceneElement* view = scene.Find(Kind::Title, QStringLiteral("发生额"));
        QCOMPARE(view->rect, (clsSceneRect{1000, titleTop, 2700, 2 * rowHeight}));
        QCOMPARE(view->caption, QStringLiteral("发生额标题"));
        QVERIFY(view->visible);
        QVERIFY(!scene.Find(Kind::Title, QStringLiteral("贷方"))->visible);

        // Separator at the bottom of three rows, columns 80 below it.
        const qint32 bottom = titleTop + 3 * rowHeight;
        QVERIFY(scene.lineBreak.visible);
        QCOMPARE(QPoint(scene.lineBreak.y1, scene.lineBreak.y2), QPoint(bottom, bottom));
        QCOMPARE(m.pTitleHeight, bottom - bodyTop);
        QCOMPARE(f.Cols[0]->Y, bottom + 80);
        QCOMPARE(m.pColHeight, 1500 - m.pTitleHeight - clsCanvasScene::LineThickness);

        // Without titles the columns stand right under the body's top.
        f.Titles.clear();
        m.DrawAllObjects();
        QCOMPARE(m.pTitleHeight, 20);
        QCOMPARE(f.Cols[0]->Y, bodyTop + 20 + 80);
        qint32 end = -1;
        f.DrawTitleObjects(777, 300, end);
        QCOMPARE(end, 777);
    }

    void labelsOfARange()
    {
        clsDocument doc;
        clsRangeManager& m = OpenWithRanges(doc, true, false);
        clsLabelManager& lm = *doc.LabelManager();
        clsLabel* title = AddLabel(lm, QStringLiteral("报表标题"), QStringLiteral("标题区域"), 4000, 100);
        std::tie(title->strSou, title->AlignStyle, title->tpyFont.Bold, title->tpyFont.Size) =
            std::tuple(QStringLiteral("明细账"), 2, true, 16.0);
        clsLabel* blank = AddLabel(lm, QStringLiteral("标签1"), QStringLiteral(" 页标题区域 "), 0, 50);
        std::tie(blank->strSou, blank->AlignStyle, blank->StrDispStyle) =
            std::tuple(QStringLiteral("   "), 1, QStringLiteral("隐含"));
        clsLabel* footer = AddLabel(lm, QStringLiteral("标签2"), QStringLiteral("脚注区域"), 0, 0);
        m.DrawAllObjects();

        const clsCanvasScene& scene = *doc.Scene();
        const clsSceneElement* v = scene.Find(Kind::Label, QStringLiteral("报表标题"));
        QCOMPARE(v->rect, (clsSceneRect{4000, 240 + 100, 1000, 300}));
        QCOMPARE(v->caption, QStringLiteral("明细账"));
        QCOMPARE(v->alignment, clsSceneAlign::Centre);
        QCOMPARE(v->font, title->tpyFont);
        QVERIFY(!v->hiddenAttribute);
        QVERIFY(v->visible);
        const clsSceneElement* b = scene.Find(Kind::Label, QStringLiteral("标签1"));
        QCOMPARE(b->caption, QStringLiteral("标签1"));
        QCOMPARE(b->alignment, clsSceneAlign::Right);
        QVERIFY(b->hiddenAttribute);
        QCOMPARE(b->rect.top, m.FindRange(QStringLiteral("页标题区域"))->top + 50);
        // The footer is hidden: its label gets no view and is not drawn.
        QVERIFY(!scene.Find(Kind::Label, QStringLiteral("标签2")));
        QVERIFY(title->BlnVisibled && !footer->BlnVisibled);
    }

    // Closing the format clears the canvas; the scene itself stays with the document.
    void closingClearsTheCanvas()
    {
        clsDocument doc;
        clsRangeManager& m = OpenWithRanges(doc, false, false);
        AddCol(*doc.FieldsManager(), QStringLiteral("甲"), 1000);
        m.DrawAllObjects();
        const clsCanvasScene* scene = doc.Scene();
        QVERIFY(scene->lineBreak.visible);
        doc.CloseDocument(false);
        QCOMPARE(doc.Scene(), scene);
        QCOMPARE(scene->Count(Kind::Strip) + scene->Count(Kind::Column) + scene->Count(Kind::Title), 0);
        QVERIFY(!scene->lineBreak.visible);
    }
};

QTEST_GUILESS_MAIN(tst_rangeLayout)
#include "tst_rangeLayout.moc"
