#include "designer/clsCanvasScene.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include "clsRecordingPrompt.h"
#include <QtTest>

using Kind = clsCanvasScene::Kind;

namespace {
// Title band (top 240, 1000 high), body band (top 1480, 1500 high) and footer band
// (top 3220, 1000 high) laid out on the canvas, no database.
void OpenLaidOut(clsDocument& doc)
{
    doc.SetRunMode(true);
    doc.OpenDocument(nullptr, QStringLiteral("某报表"), QStringLiteral("GL"), QStringLiteral("op"));
    doc.SetRunMode(false);
    doc.RangeManager()->SetRangeVisible(QStringLiteral("脚注区域"), true);
    doc.RangeManager()->DrawAllObjects();
    doc.SetDocChanged(false);
}

clsLabel* Put(clsLabelManager& m, const QString& name, const QString& range, qint32 left, qint32 top, qint32 width,
              qint32 height, bool selected = true)
{
    auto l = std::make_unique<clsLabel>();
    l->StrName = name;
    l->strRang = range;
    l->left = left;
    l->top = top;
    l->Width = width;
    l->Height = height;
    l->blnSelected = selected;
    m.Labels.push_back(std::move(l));
    return m.Labels.back().get();
}

const QString kTitle = QStringLiteral("标题区域");
const QString kFoot = QStringLiteral("脚注区域");
}

class tst_labelEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layoutAssumed()
    {
        clsDocument doc;
        OpenLaidOut(doc);
        qint32 l = 0, t = 0, w = 0, h = 0;
        QVERIFY(doc.RangeManager()->GetRangePart(kTitle, l, t, w, h));
        QCOMPARE(t, 240);
        QVERIFY(doc.RangeManager()->GetRangePart(QStringLiteral("正文区域"), l, t, w, h));
        QCOMPARE(t, 1480);
        QVERIFY(doc.RangeManager()->GetRangePart(kFoot, l, t, w, h));
        QCOMPARE(t, 3220);
    }

    void newNames_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("expected");
        QTest::newRow("only the title label") << QStringList() << QStringLiteral("标签2");
        // The one label present is itself called 标签2.
        QTest::newRow("one label, its name taken") << QStringList{QString()} << QStringLiteral("标签3");
        QTest::newRow("count+1 taken") << QStringList{QStringLiteral("标签3")} << QStringLiteral("标签4");
        QTest::newRow("two taken") << QStringList{QStringLiteral("标签3"), QStringLiteral("标签4")}
                                   << QStringLiteral("标签5");
    }
    void newNames()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, expected);
        clsDocument doc;
        OpenLaidOut(doc);
        clsLabelManager& m = *doc.LabelManager();
        QCOMPARE(m.Labels.size(), size_t(1));
        for (const QString& name : existing) {
            if (name.isEmpty())
                m.Labels.front()->StrName = QStringLiteral("标签2");
            else
                Put(m, name, kTitle, 0, 0, 100, 100, false);
        }
        const clsLabel* added = m.AddLabels(kTitle, 100, 400);
        QVERIFY(added);
        QCOMPARE(added->StrName, expected);
    }

    void addedSize_data()
    {
        QTest::addColumn<qint32>("width");
        QTest::addColumn<qint32>("height");
        QTest::addColumn<qint32>("expectedWidth");
        QTest::addColumn<qint32>("expectedHeight");
        QTest::newRow("zero gives the default") << 0 << 0 << 1000 << 300;
        QTest::newRow("width given") << 500 << 0 << 500 << 300;
        QTest::newRow("height given") << 0 << 200 << 1000 << 200;
    }
    void addedSize()
    {
        QFETCH(qint32, width);
        QFETCH(qint32, height);
        QFETCH(qint32, expectedWidth);
        QFETCH(qint32, expectedHeight);
        clsDocument doc;
        OpenLaidOut(doc);
        const clsLabel* added = doc.LabelManager()->AddLabels(kTitle, 700, 400, width, height);
        QVERIFY(added);
        QCOMPARE(added->Width, expectedWidth);
        QCOMPARE(added->Height, expectedHeight);
        QCOMPARE(added->left, 700);
        QCOMPARE(added->top, 400 - 240);  // relative to the band
        QCOMPARE(added->strRang, kTitle);
        QVERIFY(doc.DocChanged());
        const clsSceneElement* view = doc.Scene()->Find(Kind::Label, added->StrName);
        QVERIFY(view);
        QVERIFY(view->visible);
        QCOMPARE(view->rect, (clsSceneRect{700, 400, expectedWidth, expectedHeight}));
    }

    void noLabelInTheBody()
    {
        clsDocument doc;
        OpenLaidOut(doc);
        clsRecordingPrompt prompt;
        QVERIFY(!doc.LabelManager()->AddLabels(QStringLiteral("正文区域"), 100, 1600));
        QCOMPARE(doc.LabelManager()->Labels.size(), size_t(1));
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.LastText(), QStringLiteral("正文区域中不能画标签对象..."));
        QCOMPARE(prompt.messages.last().title, QStringLiteral("格式"));
        QCOMPARE(prompt.messages.last().icon, PromptIcon::Exclamation);
        QCOMPARE(prompt.beeps, 1);
        QVERIFY(!doc.DocChanged());
    }

    void resize_data()
    {
        QTest::addColumn<qint32>("edge");
        QTest::addColumn<qint32>("dx");
        QTest::addColumn<qint32>("dy");
        QTest::addColumn<QList<qint32>>("expected");  // left, top, width, height
        QTest::newRow("top edge down past the bottom") << 0 << 0 << 400 << QList<qint32>{100, 500, 1000, 5};
        QTest::newRow("top edge up") << 0 << 0 << -100 << QList<qint32>{100, 0, 1000, 400};
        QTest::newRow("bottom edge") << 1 << 0 << 50 << QList<qint32>{100, 100, 1000, 350};
        QTest::newRow("bottom edge past the top") << 1 << 0 << -400 << QList<qint32>{100, 100, 1000, 5};
        QTest::newRow("left edge") << 2 << 200 << 0 << QList<qint32>{300, 100, 800, 300};
        QTest::newRow("right edge past the left") << 3 << -1200 << 0 << QList<qint32>{100, 100, 5, 300};
        QTest::newRow("no such edge") << 7 << 100 << 100 << QList<qint32>{100, 100, 1000, 300};
    }
    void resize()
    {
        QFETCH(qint32, edge);
        QFETCH(qint32, dx);
        QFETCH(qint32, dy);
        QFETCH(QList<qint32>, expected);
        clsDocument doc;
        OpenLaidOut(doc);
        clsLabelManager& m = *doc.LabelManager();
        clsLabel* l = Put(m, QStringLiteral("a"), kTitle, 100, 100, 1000, 300);
        clsLabel* other = Put(m, QStringLiteral("b"), kTitle, 100, 100, 1000, 300, false);
        m.ChangeSelectedObjectsSize(dx, dy, edge);
        QCOMPARE((QList<qint32>{l->left, l->top, l->Width, l->Height}), expected);
        QCOMPARE((QList<qint32>{other->left, other->top, other->Width, other->Height}),
                 (QList<qint32>{100, 100, 1000, 300}));
    }

    void align_data()
    {
        QTest::addColumn<int>("mode");
        // Three selected labels a, b, c: lefts, tops, widths, heights, then the lefts
        // and tops expected afterwards.
        QTest::addColumn<QList<qint32>>("lefts");
        QTest::addColumn<QList<qint32>>("tops");
        QTest::addColumn<QList<qint32>>("widths");
        QTest::addColumn<QList<qint32>>("heights");
        QTest::addColumn<QList<qint32>>("expectedLefts");
        QTest::addColumn<QList<qint32>>("expectedTops");
        const QList<qint32> w{1000, 1000, 1000};
        const QList<qint32> h{300, 300, 300};
        QTest::newRow("tops, first at 0 takes the next") << 0 << QList<qint32>{0, 0, 0} << QList<qint32>{0, 200, 500}
                                                         << w << h << QList<qint32>{0, 0, 0}
                                                         << QList<qint32>{0, 200, 200};
        QTest::newRow("tops") << 0 << QList<qint32>{0, 0, 0} << QList<qint32>{100, 200, 500} << w << h
                              << QList<qint32>{0, 0, 0} << QList<qint32>{100, 100, 100};
        QTest::newRow("bottoms") << 1 << QList<qint32>{0, 0, 0} << QList<qint32>{0, 100, 50} << w
                                 << QList<qint32>{300, 300, 500} << QList<qint32>{0, 0, 0}
                                 << QList<qint32>{250, 250, 50};
        QTest::newRow("lefts, first at 0 takes the next") << 2 << QList<qint32>{0, 300, 700} << QList<qint32>{0, 0, 0}
                                                          << w << h << QList<qint32>{0, 300, 300}
                                                          << QList<qint32>{0, 0, 0};
        QTest::newRow("rights") << 3 << QList<qint32>{1000, 2000, 2000} << QList<qint32>{0, 0, 0}
                                << QList<qint32>{1000, 500, 300} << h << QList<qint32>{1500, 2000, 2200}
                                << QList<qint32>{0, 0, 0};
        QTest::newRow("side by side") << 4 << QList<qint32>{3000, 0, 1000} << QList<qint32>{50, 80, 90}
                                      << QList<qint32>{500, 1000, 800} << h << QList<qint32>{1800, 0, 1000}
                                      << QList<qint32>{80, 80, 80};
        QTest::newRow("one under another") << 5 << QList<qint32>{10, 20, 30} << QList<qint32>{600, 0, 300} << w
                                           << QList<qint32>{100, 200, 300} << QList<qint32>{20, 20, 20}
                                           << QList<qint32>{500, 0, 200};
        QTest::newRow("unknown mode") << 9 << QList<qint32>{10, 20, 30} << QList<qint32>{600, 0, 300} << w << h
                                      << QList<qint32>{10, 20, 30} << QList<qint32>{600, 0, 300};
    }
    void align()
    {
        QFETCH(int, mode);
        QFETCH(QList<qint32>, lefts);
        QFETCH(QList<qint32>, tops);
        QFETCH(QList<qint32>, widths);
        QFETCH(QList<qint32>, heights);
        QFETCH(QList<qint32>, expectedLefts);
        QFETCH(QList<qint32>, expectedTops);
        clsDocument doc;
        OpenLaidOut(doc);
        clsLabelManager& m = *doc.LabelManager();
        m.Labels.clear();
        QList<clsLabel*> labels;
        for (int i = 0; i < 3; ++i)
            labels << Put(m, QString(QChar(u'a' + i)), kTitle, lefts[i], tops[i], widths[i], heights[i]);
        // An unselected label never moves.
        clsLabel* other = Put(m, QStringLiteral("z"), kTitle, 7, 7, 100, 100, false);
        m.MoveAllObjectsOrientation(mode);
        QList<qint32> gotLefts, gotTops;
        for (const clsLabel* l : labels) {
            gotLefts << l->left;
            gotTops << l->top;
        }
        QCOMPARE(gotLefts, expectedLefts);
        QCOMPARE(gotTops, expectedTops);
        QCOMPARE(other->left, 7);
        QCOMPARE(other->top, 7);
    }

    void sideBySideKeepsBandsApart()
    {
        clsDocument doc;
        OpenLaidOut(doc);
        clsLabelManager& m = *doc.LabelManager();
        m.Labels.clear();
        clsLabel* a = Put(m, QStringLiteral("a"), kTitle, 500, 10, 100, 100);
        clsLabel* b = Put(m, QStringLiteral("b"), kFoot, 0, 40, 100, 100);
        m.MoveAllObjectsOrientation(4);
        QCOMPARE(a->left, 500);  // first of its band
        QCOMPARE(b->left, 0);
        QCOMPARE(b->top, 40);
    }

    void move()
    {
        clsDocument doc;
        OpenLaidOut(doc);
        clsRecordingPrompt prompt;
        clsLabelManager& m = *doc.LabelManager();
        m.Labels.clear();
        clsLabel* bound = Put(m, QStringLiteral("限定"), kTitle, 100, 100, 500, 200);
        bound->blnlimited = true;
        clsLabel* free = Put(m, QStringLiteral("自由"), kTitle, 100, 100, 500, 200);
        doc.RangeManager()->DrawAllObjects();
        doc.SetDocChanged(false);

        // Inside its own band a bound label moves like any other.
        m.MoveSelectedLabels(50, 100);
        QCOMPARE(prompt.messages.size(), 0);
        QCOMPARE((QList<qint32>{bound->left, bound->top}), (QList<qint32>{150, 200}));
        QCOMPARE((QList<qint32>{free->left, free->top}), (QList<qint32>{150, 200}));
        QVERIFY(doc.DocChanged());

        // Into the footer band (canvas 240 + 200 + 3000 = 3440, footer top 3220).
        m.MoveSelectedLabels(0, 3000);
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.LastText(), QStringLiteral("标签（限定）不能移动到其他区域 "));
        QCOMPARE(prompt.messages.last().title, QStringLiteral("格式"));
        QCOMPARE((QList<qint32>{bound->left, bound->top}), (QList<qint32>{150, 200}));
        QCOMPARE(bound->strRang, kTitle);
        QCOMPARE(free->strRang, kFoot);
        QCOMPARE(free->top, 3440 - 3220);

        // The view follows the record.
        m.NewPartListobject();
        const clsSceneElement* view = doc.Scene()->Find(Kind::Label, QStringLiteral("自由"));
        QVERIFY(view);
        QCOMPARE(view->rect.top, 3440);
    }

    void deleteAndCopy()
    {
        clsDocument doc;
        OpenLaidOut(doc);
        clsLabelManager& m = *doc.LabelManager();
        clsLabel* a = m.AddLabels(kTitle, 100, 300);
        clsLabel* b = m.AddLabels(kTitle, 2000, 300, 400, 200);
        QCOMPARE(a->StrName, QStringLiteral("标签2"));
        QCOMPARE(b->StrName, QStringLiteral("标签3"));
        m.SetSelectLabelObject(a->StrName, true);
        m.SetSelectLabelObject(b->StrName, false);
        QCOMPARE(m.CopyLabels(true), 2);
        m.ClearLabels();
        QCOMPARE(m.CopyLabels(false), 2);
        QCOMPARE(m.Labels.size(), size_t(5));
        const clsLabel* copyA = m.FindLabel(QStringLiteral("标签4"));
        const clsLabel* copyB = m.FindLabel(QStringLiteral("标签5"));
        QVERIFY(copyA && copyB);
        QCOMPARE(copyA->left, 100 + 1000 + 20);
        QCOMPARE(copyB->left, 2000 + 400 + 20);
        QCOMPARE(copyB->Width, 400);
        QCOMPARE(copyB->top, b->top);
        QCOMPARE(copyB->strRang, kTitle);
        QVERIFY(doc.Scene()->Find(Kind::Label, QStringLiteral("标签5")));

        doc.SetDocChanged(false);
        m.SetSelectLabelObject(QStringLiteral("标签2"), true);
        m.SetSelectLabelObject(QStringLiteral("标签5"), false);
        m.DeleteLabels();
        QVERIFY(doc.DocChanged());
        QCOMPARE(m.Labels.size(), size_t(3));
        QVERIFY(!m.InLabels(QStringLiteral("标签2")));
        QVERIFY(!m.InLabels(QStringLiteral("标签5")));
        QVERIFY(!doc.Scene()->Find(Kind::Label, QStringLiteral("标签2")));
        QVERIFY(m.InLabels(QStringLiteral("标签4")));
    }
};

QTEST_GUILESS_MAIN(tst_labelEditing)
#include "tst_labelEditing.moc"
