#include "clsCanvasFixture.h"
#include "columns/clsFieldsManager.h"
#include "designer/clsCanvasController.h"
#include "designer/clsCanvasScene.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include "clsRecordingPrompt.h"
#include <QtTest>

namespace {
const CanvasModifiers kNone{};
const CanvasModifiers kCtrl{true, false};

// The report of clsCanvasFixture with its footer shown (3220..4220), and a controller;
// the title label "报表标题" sits at 2000, 340, 8000 x 500.
struct LaidOut
{
    LaidOut() { clsCanvasFixture::OpenLaidOut(doc, true); }
    clsDocument doc;
    clsCanvasController c;
};

clsLabel& TitleLabel(clsDocument& doc)
{
    return *doc.LabelManager()->FindLabel(QStringLiteral("报表标题"));
}

// Selection marks of the title label, the columns and the titles, as text.
QString Marks(clsDocument& doc)
{
    QString s = TitleLabel(doc).blnSelected ? QStringLiteral("L") : QStringLiteral("-");
    for (const auto& c : doc.FieldsManager()->Cols)
        s += c->blnSelected ? c->name : QStringLiteral("-");
    for (const auto& t : doc.FieldsManager()->Titles)
        s += t->blnSelected ? t->name : QStringLiteral("-");
    return s;
}
}

class tst_clsCanvasController : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void adding_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<qint32>("y");
        QTest::addColumn<QString>("counts");  // labels, columns, titles
        QTest::addColumn<QString>("message");
        const QString none = QStringLiteral("1 3 3");
        QTest::newRow("label above every range") << "AddLabel" << 100 << none << "";
        QTest::newRow("label in the title band") << "AddLabel" << 900 << "2 3 3" << "";
        QTest::newRow("label in the body") << "AddLabel" << 2000 << none << "正文区域中不能画标签对象...";
        QTest::newRow("column in the column part") << "AddCol" << 2300 << "1 4 4" << "";
        QTest::newRow("title in the title part") << "AddTitle" << 1500 << "1 3 4" << "";
        QTest::newRow("column in the footer") << "AddCol" << 3500 << none << "脚注区域不能画报表列对象...";
    }
    void adding()
    {
        QFETCH(QString, state);
        QFETCH(qint32, y);
        QFETCH(QString, counts);
        LaidOut fx;
        auto& [doc, c] = fx;
        clsRecordingPrompt prompt;
        int properties = 0, cursorChanges = 0;
        c.onShowProperties = [&] { ++properties; };
        c.onCursorChanged = [&] { ++cursorChanges; };
        c.SetToolState(state, 0, 0);
        c.Move(CanvasTarget::Canvas, 4000, y, kNone);
        QCOMPARE(c.Cursor(), 99);
        c.Press(CanvasTarget::Canvas, QString(), CanvasButton::Left, 4000, y, kNone);
        QVERIFY(!c.IsAdding());
        QVERIFY(!c.Busy());
        QCOMPARE(c.Cursor(), 1);
        QCOMPARE(cursorChanges, 2);
        const auto now = [&doc = doc] {
            return QStringLiteral("%1 %2 %3").arg(doc.LabelManager()->Labels.size()).arg(doc.FieldsManager()->Cols.size())
                .arg(doc.FieldsManager()->Titles.size());
        };
        QCOMPARE(now(), counts);
        QTEST(prompt.LastText(), "message");
        const bool added = counts != QStringLiteral("1 3 3");
        QCOMPARE(doc.DocChanged(), added);
        QCOMPARE(properties, added && state != QStringLiteral("AddLabel") ? 1 : 0);
        // The release that follows the press does nothing more.
        c.Release(CanvasTarget::Canvas, 4000, y, kNone);
        QCOMPARE(now(), counts);
    }

    void rightPressOpensMenu()
    {
        LaidOut fx;
        auto& [doc, c] = fx;
        int menus = 0;
        c.onContextMenu = [&] { ++menus; };
        c.SetToolState(QStringLiteral("AddCol"), 0, 0);
        c.Press(CanvasTarget::ColumnView, QStringLiteral("a"), CanvasButton::Right, 100, 1900, kNone);
        QCOMPARE(menus, 1);
        QVERIFY(!c.IsAdding());
        c.Press(CanvasTarget::TopRuler, QString(), CanvasButton::Right, 100, 0, kNone);
        QCOMPARE(menus, 2);
        // The menu acts on what was clicked: a column outside the selection becomes it;
        // one inside keeps the selection whole.
        clsFieldsManager& f = *doc.FieldsManager();
        QVERIFY(f.ColSelected(QStringLiteral("a")));
        f.SetSelectedColObject(QStringLiteral("b"), false);
        c.Press(CanvasTarget::ColumnView, QStringLiteral("b"), CanvasButton::Right, 100, 1900, kNone);
        QVERIFY(f.ColSelected(QStringLiteral("a")) && f.ColSelected(QStringLiteral("b")));
        c.Press(CanvasTarget::LabelView, QStringLiteral("报表标题"), CanvasButton::Right, 100, 100, kNone);
        QVERIFY(!f.ColSelected(QStringLiteral("a")) && doc.LabelManager()->LabelSelected(QStringLiteral("报表标题")));
        // On the empty sheet the selection goes; an add under way is only given up.
        c.Press(CanvasTarget::Canvas, QString(), CanvasButton::Right, 9000, 9000, kNone);
        QCOMPARE(menus, 5);
        QVERIFY(!doc.LabelManager()->LabelSelected(QStringLiteral("报表标题")));
        c.SetToolState(QStringLiteral("AddLabel"), 0, 0);
        c.Press(CanvasTarget::Canvas, QString(), CanvasButton::Right, 9000, 9000, kNone);
        QCOMPARE(menus, 5);
        QVERIFY(!c.IsAdding());
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<bool>("handled");
        QTest::addColumn<int>("properties");
        QTest::addColumn<QList<qint32>>("change");  // left, top, width, height of the title label
        const QList<qint32> none{0, 0, 0, 0};
        QTest::newRow("F4") << int(Qt::Key_F4) << false << false << true << 1 << none;
        QTest::newRow("F4 with Shift") << int(Qt::Key_F4) << false << true << false << 0 << none;
        QTest::newRow("Ctrl+down") << int(Qt::Key_Down) << true << false << true << 0 << QList<qint32>{0, 10, 0, 0};
        QTest::newRow("Shift+right") << int(Qt::Key_Right) << false << true << true << 0 << QList<qint32>{0, 0, 10, 0};
        QTest::newRow("Ctrl+A selects all shown") << int(Qt::Key_A) << true << false << true << 0 << none;
        QTest::newRow("other key") << int(Qt::Key_B) << true << false << false << 0 << none;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(bool, ctrl);
        QFETCH(bool, shift);
        QFETCH(QList<qint32>, change);
        LaidOut fx;
        auto& [doc, c] = fx;
        int shown = 0;
        c.onShowProperties = [&] { ++shown; };
        clsLabel& l = TitleLabel(doc);
        l.blnSelected = true;
        const QList<qint32> before{l.left, l.top, l.Width, l.Height};
        QTEST(c.HandleKey(key, CanvasModifiers{ctrl, shift}), "handled");
        QTEST(shown, "properties");
        QCOMPARE((QList<qint32>{l.left - before[0], l.top - before[1], l.Width - before[2], l.Height - before[3]}), change);
        QCOMPARE(doc.DocChanged(), change != QList<qint32>({0, 0, 0, 0}));
        if (key == Qt::Key_A) {
            doc.EnsureLayout();
            for (auto kind : {clsCanvasScene::Kind::Label, clsCanvasScene::Kind::Column, clsCanvasScene::Kind::Title})
                for (const auto& e : doc.Scene()->Elements(kind))
                    QCOMPARE(e->selected, doc.Scene()->IsDisplayed(*e));
        }
    }

    // Whatever selects, the canvas shows it: the manager asks for a new layout.
    void selectionShowsOnTheCanvas_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::newRow("label") << int(clsCanvasScene::Kind::Label) << QStringLiteral("报表标题");
        QTest::newRow("column") << int(clsCanvasScene::Kind::Column) << QStringLiteral("b");
        QTest::newRow("title") << int(clsCanvasScene::Kind::Title) << QStringLiteral("tb");
    }
    void selectionShowsOnTheCanvas()
    {
        QFETCH(int, kind);
        QFETCH(QString, name);
        LaidOut fx;
        auto& [doc, c] = fx;
        doc.EnsureLayout();
        const auto k = clsCanvasScene::Kind(kind);
        if (k == clsCanvasScene::Kind::Label)
            doc.LabelManager()->SetSelectLabelObject(name, true);
        else if (k == clsCanvasScene::Kind::Column)
            doc.FieldsManager()->SetSelectedColObject(name, true);
        else
            doc.FieldsManager()->SetSelectedTitleObject(name, true);
        QVERIFY(doc.Scene()->Find(k, name)->selected);
    }

    // Dragged into the footer, the title label belongs to the footer, placed where it was let go.
    void labelDraggedIntoAnotherRangeBelongsToIt()
    {
        LaidOut fx;
        auto& [doc, c] = fx;
        clsLabel& l = TitleLabel(doc);
        l.blnSelected = true;
        doc.LabelManager()->MoveSelectedLabels(0, 3000);
        QCOMPARE(l.strRang, QStringLiteral("脚注区域"));
        QCOMPARE(l.top, 240 + 100 + 3000 - 3220);
    }

    void rubberBand()
    {
        LaidOut fx;
        auto& [doc, c] = fx;
        TitleLabel(doc).blnSelected = true;
        c.Press(CanvasTarget::Canvas, QString(), CanvasButton::Left, 1500, 1850, kNone);
        QVERIFY(c.IsState(QStringLiteral("SelectObjects")));
        QVERIFY(!TitleLabel(doc).blnSelected);  // a plain press ends the selection
        c.Move(CanvasTarget::Canvas, 100, 1900, kNone);
        QCOMPARE(c.RubberBand(), QRect(100, 1850, 1400, 50));
        c.Release(CanvasTarget::Canvas, 100, 1900, kNone);
        QCOMPARE(Marks(doc), QStringLiteral("-ab----"));
        QVERIFY(c.RubberBand().isEmpty());
        QCOMPARE(doc.Scene()->SizeHandles().size(), size_t(8));

        // With Ctrl the band adds to the selection; an edge that only touches counts.
        c.Press(CanvasTarget::Canvas, QString(), CanvasButton::Left, 3000, 1700, kCtrl);
        c.Release(CanvasTarget::Canvas, 3100, 1700, kCtrl);
        QCOMPARE(Marks(doc), QStringLiteral("-ab---tc"));
    }

    void rulers_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<qint32>("position");
        QTest::addColumn<QString>("marks");
        QTest::newRow("left ruler on the columns") << int(CanvasTarget::LeftRuler) << 2000 + 330
                                                   << QStringLiteral("-abc---");
        QTest::newRow("left ruler on the titles' bottom") << int(CanvasTarget::LeftRuler) << 1800 + 330
                                                          << QStringLiteral("----tatbtc");
        QTest::newRow("top ruler") << int(CanvasTarget::TopRuler) << 1500 + 315 << QStringLiteral("--b--tb-");
    }
    void rulers()
    {
        QFETCH(int, target);
        QFETCH(qint32, position);
        LaidOut fx;
        auto& [doc, c] = fx;
        const bool left = CanvasTarget(target) == CanvasTarget::LeftRuler;
        doc.FieldsManager()->SetSelectedColObject(QStringLiteral("a"), true);
        c.Press(CanvasTarget(target), QString(), CanvasButton::Left, left ? 0 : position, left ? position : 0, kNone);
        QVERIFY(c.IsState(left ? QStringLiteral("LineSelects") : QStringLiteral("ColSelects")));
        c.Release(CanvasTarget(target), left ? 0 : position, left ? position : 0, kNone);
        QTEST(Marks(doc), "marks");

        // Scrolled down by 10 mm the same ruler position lies 560 twips lower.
        doc.RangeManager()->MoveBackVRange(10);
        c.Press(CanvasTarget::LeftRuler, QString(), CanvasButton::Left, 0, 2000 + 330 - 560, kNone);
        c.Release(CanvasTarget::LeftRuler, 0, 2000 + 330 - 560, kNone);
        QCOMPARE(Marks(doc), QStringLiteral("-abc---"));

        // Dragged along the top ruler: everything between press and release.
        c.Press(CanvasTarget::TopRuler, QString(), CanvasButton::Left, 2500 + 315, 0, kNone);
        c.Release(CanvasTarget::TopRuler, 900 + 315, 0, kNone);
        QCOMPARE(Marks(doc), QStringLiteral("Labctatbtc"));
    }

    void snapping_data()
    {
        // The title label's box is 2000..10000 x 340..840; the columns' edges lie at
        // x 0, 1000, 2200, 3000 and their titles' and their own at y 1500, 1800, 1880, 2180.
        QTest::addColumn<qint32>("grid");
        QTest::addColumn<bool>("objects");
        QTest::addColumn<int>("handle");  // -1: a move
        QTest::addColumn<QPoint>("travel");
        QTest::addColumn<QList<qint32>>("change");  // left, top, width, height
        QTest::addColumn<QList<qint32>>("guideX");
        QTest::addColumn<QList<qint32>>("guideY");
        const QList<qint32> none;
        QTest::newRow("left edge onto a column's edge") << 0 << true << -1 << QPoint(1030, 0)
                                                        << QList<qint32>{1000, 0, 0, 0} << QList<qint32>{3000} << none;
        QTest::newRow("no snapping asked") << 0 << false << -1 << QPoint(1030, 0)
                                           << QList<qint32>{1030, 0, 0, 0} << none << none;
        QTest::newRow("beyond the tolerance") << 0 << true << -1 << QPoint(1100, 0)
                                              << QList<qint32>{1100, 0, 0, 0} << none << none;
        // Left 2130 and right 10130: the right edge is 50 from a grid line; the bottom
        // already lies on one.
        QTest::newRow("grid: the nearer edge wins") << 280 << false << -1 << QPoint(130, 0)
                                                    << QList<qint32>{80, 0, 0, 0} << none << none;
        QTest::newRow("right edge resized onto the grid") << 280 << false << 3 << QPoint(50, 0)
                                                          << QList<qint32>{0, 0, 80, 0} << none << none;
        QTest::newRow("bottom edge resized onto a title's top") << 0 << true << 1 << QPoint(0, 620)
                                                                << QList<qint32>{0, 0, 0, 660} << none << QList<qint32>{1500};
    }
    void snapping()
    {
        QFETCH(qint32, grid);
        QFETCH(bool, objects);
        QFETCH(int, handle);
        QFETCH(QPoint, travel);
        QFETCH(QList<qint32>, change);
        LaidOut fx;
        auto& [doc, c] = fx;
        c.SetSnap({grid, objects, 90});
        clsLabel& l = TitleLabel(doc);
        doc.LabelManager()->SetSelectLabelObject(l.StrName, true);
        doc.LabelManager()->ListSelectedObject();
        const QList<qint32> before{l.left, l.top, l.Width, l.Height};
        const QPoint from(3000, 700);
        const QPoint to = from + travel;
        c.SetToolState(handle < 0 ? QStringLiteral("MoveObject") : QStringLiteral("ChangeObjectSize"), from.x(), from.y(), handle);
        c.Move(CanvasTarget::LabelView, to.x(), to.y(), kNone);
        std::vector<qint32> xs, ys;
        c.SnapGuides(xs, ys);
        QTEST(QList<qint32>(xs.begin(), xs.end()), "guideX");
        QTEST(QList<qint32>(ys.begin(), ys.end()), "guideY");
        // The outline shows where the release puts the label.
        if (handle < 0)
            QCOMPARE(c.DragOffset(), QPoint(change[0], change[1]));
        c.Release(CanvasTarget::LabelView, to.x(), to.y(), kNone);
        const QList<qint32> after{l.left - before[0], l.top - before[1], l.Width - before[2], l.Height - before[3]};
        QCOMPARE(after, change);
        c.SnapGuides(xs, ys);
        QVERIFY(xs.empty() && ys.empty());
    }

};

QTEST_GUILESS_MAIN(tst_clsCanvasController)
#include "tst_clsCanvasController.moc"
