#include "designer/clsCanvasScene.h"
#include <QtTest>

using Kind = clsCanvasScene::Kind;
Q_DECLARE_METATYPE(clsCanvasScene::Kind)

class tst_clsCanvasScene : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lookupIgnoresCaseAndBlanks_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("created");
        QTest::addColumn<QString>("looked");
        QTest::newRow("strip") << Kind::Strip << QStringLiteral("[分组]部门_标题") << QStringLiteral(" [分组]部门_标题 ");
        QTest::newRow("label") << Kind::Label << QStringLiteral("Label1") << QStringLiteral("LABEL1");
        QTest::newRow("column") << Kind::Column << QStringLiteral("cCode") << QStringLiteral("ccode ");
        QTest::newRow("title") << Kind::Title << QStringLiteral("标题A") << QStringLiteral("标题a");
    }
    void lookupIgnoresCaseAndBlanks()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, created);
        QFETCH(QString, looked);
        clsCanvasScene scene;
        bool isNew = false;
        clsSceneElement& e = scene.Obtain(kind, created, &isNew);
        QVERIFY(isNew);
        QCOMPARE(e.kind, kind);
        QCOMPARE(e.name, created);
        QVERIFY(!e.visible);
        QCOMPARE(scene.Find(kind, looked), &e);
        QCOMPARE(&scene.Obtain(kind, looked, &isNew), &e);
        QVERIFY(!isNew);
        QCOMPARE(scene.Count(kind), 1);
        // Names are per kind: a column and a title may share one.
        for (Kind other : {Kind::Strip, Kind::Label, Kind::Column, Kind::Title})
            if (other != kind)
                QVERIFY(!scene.Find(other, created));
    }

    void newElementsStartFromTheirTemplate()
    {
        clsCanvasScene scene;
        QCOMPARE(scene.ColumnTemplate().rect.height, 300);
        QCOMPARE(scene.TitleTemplate().rect.height, 300);
        scene.TitleTemplate().rect.height = 270;
        scene.TitleTemplate().font.Bold = true;
        const clsSceneElement& t = scene.Obtain(Kind::Title, QStringLiteral("t"));
        QCOMPARE(t.rect.height, 270);
        QVERIFY(t.font.Bold);
        QCOMPARE(scene.Obtain(Kind::Column, QStringLiteral("c")).rect.height, 300);
    }

    void removeKeepsOrderAndIndex()
    {
        clsCanvasScene scene;
        for (int i = 0; i < 5; ++i)
            scene.Obtain(Kind::Label, QStringLiteral("L") + QString::number(i)).rect.left = i;
        scene.ShowSizeHandles(*scene.Find(Kind::Label, QStringLiteral("L2")));
        scene.ShowSizeHandles(*scene.Find(Kind::Label, QStringLiteral("L3")));
        QVERIFY(scene.Remove(Kind::Label, QStringLiteral("l2")));
        QVERIFY(!scene.Remove(Kind::Label, QStringLiteral("l2")));
        QCOMPARE(scene.Count(Kind::Label), 4);
        QStringList order;
        for (const auto& e : scene.Elements(Kind::Label))
            order << e->name;
        QCOMPARE(order, (QStringList{"L0", "L1", "L3", "L4"}));
        for (int i : {0, 1, 3, 4})
            QCOMPARE(scene.Find(Kind::Label, QStringLiteral("L") + QString::number(i))->rect.left, i);
        // The removed element's handles went with it.
        QCOMPARE(scene.SizeHandles().size(), size_t(4));
        QCOMPARE(scene.SizeHandles().front().owner, QStringLiteral("L3"));
    }

    void rename()
    {
        clsCanvasScene scene;
        clsSceneElement& a = scene.Obtain(Kind::Column, QStringLiteral("甲"));
        scene.Obtain(Kind::Column, QStringLiteral("乙"));
        QVERIFY(!scene.Rename(Kind::Column, QStringLiteral("甲"), QStringLiteral(" 乙")));
        QVERIFY(!scene.Rename(Kind::Column, QStringLiteral("丙"), QStringLiteral("丁")));
        QVERIFY(scene.Rename(Kind::Column, QStringLiteral("甲"), QStringLiteral("丙")));
        QCOMPARE(scene.Find(Kind::Column, QStringLiteral("丙")), &a);
        QVERIFY(!scene.Find(Kind::Column, QStringLiteral("甲")));
        QCOMPARE(a.name, QStringLiteral("丙"));
        // A change of letter case alone is allowed.
        scene.Obtain(Kind::Label, QStringLiteral("abc"));
        QVERIFY(scene.Rename(Kind::Label, QStringLiteral("abc"), QStringLiteral("ABC")));
        QCOMPARE(scene.Find(Kind::Label, QStringLiteral("abc"))->name, QStringLiteral("ABC"));
    }

    void deleteAllObjectsKeepsTemplates()
    {
        clsCanvasScene scene;
        scene.ColumnTemplate().rect.height = 280;
        for (Kind k : {Kind::Strip, Kind::Label, Kind::Column, Kind::Title})
            scene.Obtain(k, QStringLiteral("x"));
        scene.lineBreak.visible = true;
        scene.ShowSizeHandles(*scene.Find(Kind::Label, QStringLiteral("x")));
        scene.DeleteAllObjects();
        for (Kind k : {Kind::Strip, Kind::Label, Kind::Column, Kind::Title}) {
            QCOMPARE(scene.Count(k), 0);
            QVERIFY(!scene.Find(k, QStringLiteral("x")));
        }
        QVERIFY(!scene.lineBreak.visible);
        QVERIFY(scene.SizeHandles().empty());
        QCOMPARE(scene.ColumnTemplate().rect.height, 280);
        // Elements can be created again after the clear.
        QCOMPARE(scene.Obtain(Kind::Label, QStringLiteral("x")).name, QStringLiteral("x"));
    }

    void sizeHandlesSitOutsideTheEdges()
    {
        clsCanvasScene scene;
        clsSceneElement& e = scene.Obtain(Kind::Label, QStringLiteral("x"));
        e.rect = {1000, 2000, 600, 300};
        scene.ShowSizeHandles(e);
        scene.ShowSizeHandles(scene.Obtain(Kind::Column, QStringLiteral("c")));
        QCOMPARE(scene.SizeHandles().size(), size_t(8));
        // Each handle touches the middle of its edge from outside and covers none of the box.
        const auto& h = scene.SizeHandles();
        const clsSceneRect& r = e.rect;
        const auto overlaps = [&](const clsSceneRect& a) {
            return a.left < r.Right() && a.Right() > r.left && a.top < r.Bottom() && a.Bottom() > r.top;
        };
        const QList<QPoint> touching{{r.left + r.width / 2, r.top}, {r.left + r.width / 2, r.Bottom()},
                                     {r.left, r.top + r.height / 2}, {r.Right(), r.top + r.height / 2}};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(int(h[size_t(i)].edge), i);
            const clsSceneRect& a = h[size_t(i)].rect;
            QVERIFY(!overlaps(a));
            const QPoint middle(a.left + a.width / 2, a.top + a.height / 2);
            const QPoint edge = touching[i];
            QVERIFY(i < 2 ? std::abs(middle.x() - edge.x()) <= 1 && (a.top == edge.y() || a.Bottom() == edge.y())
                          : std::abs(middle.y() - edge.y()) <= 1 && (a.left == edge.x() || a.Right() == edge.x()));
        }
        scene.HideSizeHandles(Kind::Label);
        QCOMPARE(scene.SizeHandles().size(), size_t(4));
        QCOMPARE(scene.SizeHandles().front().ownerKind, Kind::Column);
        scene.HideAllSizeHandles();
        QVERIFY(scene.SizeHandles().empty());
    }
};

QTEST_GUILESS_MAIN(tst_clsCanvasScene)
#include "tst_clsCanvasScene.moc"
