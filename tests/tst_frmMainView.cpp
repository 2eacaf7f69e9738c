#include "designer/clsCanvasScene.h"
#include "designer/clsCanvasWidget.h"
#include "designer/clsScenePainter.h"
#include "designer/frmMainView.h"
#include "document/frmReportList.h"
#include "document/clsDocument.h"
#include "document/clsRecoveryStore.h"
#include "document/modPublicDefine.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include "columns/clsFieldsManager.h"
#include "columns/frmFieldView.h"
#include "columns/frmGroupsView.h"
#include "properties/frmPropertysView.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

namespace {
const QString kReport = QStringLiteral("科目余额表");
const QString kAskSave = QStringLiteral("格式定义已经改变是否保存?");

// The demo ledger report opened on SQLite in the designer window (w is null when it
// did not open).
struct Ledger
{
    clsTestDatabase db{QStringLiteral("sqlite"), true, true};
    clsRecordingPrompt prompt;
    clsDocument doc;
    frmMainView* w = db.Ready() && doc.OpenDocument(&db.Conn(), kReport, QStringLiteral("GL"), QStringLiteral("op"))
                         ? frmMainView::Instance()
                         : nullptr;
};

QString RangeOfType(const clsDocument& doc, const QString& type)
{
    QString name;
    doc.RangeManager()->RangeTypeToName(type, QString(), name);
    return name;
}

qint32 RangeTop(const clsDocument& doc, const QString& type)
{
    qint32 l = 0, t = 0, w = 0, h = 0;
    doc.RangeManager()->GetRangePart(RangeOfType(doc, type), l, t, w, h);
    return t;
}

// 文件→打开, the report list driven while it is modal: picks `name` and presses 确定.
// True when the list closed (the report opened).
bool OpenFromList(frmMainView* w, const QString& name)
{
    bool closed = false;
    QTimer::singleShot(0, w, [&] {
        auto* list = qobject_cast<frmReportList*>(QApplication::activeModalWidget());
        if (!list)
            return;
        list->chkAll_Click(true);   // every subsystem's reports
        auto* reports = list->findChild<QListWidget*>(QStringLiteral("lstReport"));
        for (int i = 0; i < reports->count(); ++i)
            if (reports->item(i)->text().endsWith(name))
                reports->setCurrentRow(i);
        list->cmdOk_Click();
        closed = !list->isVisible();
        if (!closed)
            list->reject();
    });
    w->Action(QStringLiteral("mnuOpen"))->trigger();
    return closed;
}

// A real change to the format: the first label moved one step to the right.
void NudgeALabel(clsDocument& doc, frmMainView* w)
{
    doc.LabelManager()->SetSelectLabelObject(doc.LabelManager()->Labels.front()->StrName, true);
    MarkLayoutDirty();
    QVERIFY(w->HandleKey(Qt::Key_Right, Qt::NoModifier));
    QVERIFY(doc.DocChanged());
}
}

class tst_frmMainView : public QObject
{
    Q_OBJECT
    QTemporaryDir m_settings;

private Q_SLOTS:
    void initTestCase()
    {
        // The designer's settings go to a folder of the test's own, never the user's.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    }

    void init()
    {
        // Every test starts from the default settings, less the snapping to neighbours
        // that would bend the exact drags below.
        QSettings().clear();
        frmMainView::Instance()->SetSnapToObjects(false);
    }

    void cleanup()
    {
        // The window outlives documents in a host; here each test starts with a fresh one.
        frmMainView::DestroyInstance();
    }

    void ledgerSession()
    {
        // One report open through several gestures of the window, each reaching the model.
        Ledger s;
        auto& [db, prompt, doc, w] = s;
        QVERIFY(w);
        clsCanvasWidget* canvas = w->Canvas();

        // A right click opens the edit menu, F1 the help; neither blocks.
        const clsSceneRect first = doc.Scene()->Elements(clsCanvasScene::Kind::Label).front()->rect;
        canvas->PressAt(first.left + 5, first.top + 5, CanvasButton::Right, {});
        QVERIFY(w->EditMenu()->isVisible());
        w->EditMenu()->hide();
        QVERIFY(!w->Controller()->Busy());
        QTest::keyClick(w, Qt::Key_F1);
        QVERIFY(w->HelpWindow() && w->HelpWindow()->isVisible());
        QVERIFY(w->HelpWindow()->findChild<QTextBrowser*>()->toPlainText().contains(QStringLiteral("自定义报表")));
        // Qt's own buttons speak the component's language.
        const auto* buttons = w->HelpWindow()->findChild<QDialogButtonBox*>();
        QVERIFY(buttons->button(QDialogButtonBox::Close)->text() != QStringLiteral("Close"));
        w->HelpWindow()->close();
        w->Action(QStringLiteral("mnuHelpList"))->trigger();
        QVERIFY(w->HelpWindow()->isVisible());
        w->HelpWindow()->close();

        // Zooming keeps the point in the middle of the canvas where it is (the bars count
        // whole millimetres, and cannot scroll before the sheet's corner); hit tests
        // follow the zoom.
        w->resize(1200, 900);
        for (const double zoom : {4.0, 0.25}) {
            const QPointF middle = QRectF(canvas->viewport()->rect()).center();
            const QPoint before = canvas->ToCanvas(middle);
            w->SetZoom(zoom);
            if (zoom >= 1)
                QVERIFY((canvas->ToCanvas(middle) - before).manhattanLength() <= 2 * MmToTwips(1));
            const QString shown = doc.LabelManager()->Labels.front()->StrName;
            const clsSceneRect rect = doc.Scene()->Find(clsCanvasScene::Kind::Label, shown)->rect;
            const QPoint centre(rect.left + rect.width / 2, rect.top + rect.height / 2);
            // Bring the label into sight, then click it where it is painted.
            canvas->ScrollTo(std::max(0, TwipsToMm(centre.x()) - 20), std::max(0, TwipsToMm(centre.y()) - 20));
            const QPoint pixel = canvas->ToViewport(centre.x(), centre.y()).toPoint();
            QVERIFY(canvas->viewport()->rect().contains(pixel));
            QVERIFY((canvas->ToCanvas(pixel) - centre).manhattanLength() <= 2 * clsCanvasScene::TwipsPerPixel / zoom);
            QTest::mouseClick(canvas->viewport(), Qt::LeftButton, Qt::NoModifier, pixel);
            // The layout pass makes its elements anew: look the label's up again.
            const clsSceneElement* view = doc.Scene()->Find(clsCanvasScene::Kind::Label, shown);
            QVERIFY(view->selected);
            // Each handle is caught where it is painted: the same size at every zoom,
            // outside the label's box.
            clsScenePainter painter(*doc.Scene(), zoom);
            const QRectF box = painter.PixelRect(view->rect, canvas->ToViewport(0, 0));
            QCOMPARE(int(doc.Scene()->SizeHandles().size()), 4);
            for (const clsSizeHandle& h : doc.Scene()->SizeHandles()) {
                const QRectF handle = painter.HandlePixelRect(h, canvas->ToViewport(0, 0));
                QCOMPARE(handle.width(), clsScenePainter::HandlePixels);
                QVERIFY(!handle.intersects(box.adjusted(0.5, 0.5, -0.5, -0.5)));
                const QPoint at = canvas->ToCanvas(handle.center());
                const clsCanvasWidget::Hit hit = canvas->HitTest(at.x(), at.y());
                QCOMPARE(hit.target, CanvasTarget::SizeHandle);
                QCOMPARE(hit.name, QString::number(int(h.edge)));
            }
            // Hovering shows the whole text.
            QVERIFY(canvas->ToolTipAt(centre.x(), centre.y()).contains(doc.LabelManager()->FindLabel(shown)->strSou.trimmed()));
        }
        w->SetZoom(1);
        canvas->ScrollTo(0, 0);

        // A drag through several points is one step of undo; it moves a label that was
        // not selected before the press, while a click that wavers a pixel moves nothing.
        QAction* undo = w->Action(QStringLiteral("mnuUndo"));
        QAction* redo = w->Action(QStringLiteral("mnuRedo"));
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());
        const QString name = doc.LabelManager()->Labels.front()->StrName;
        const qint32 left = doc.LabelManager()->FindLabel(name)->left;
        const clsSceneRect r = doc.Scene()->Find(clsCanvasScene::Kind::Label, name)->rect;
        QWidget* vp = canvas->viewport();
        const QPoint centre = canvas->ToViewport(r.left + r.width / 2, r.top + r.height / 2).toPoint();
        doc.LabelManager()->FindLabel(name)->blnSelected = false;
        QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, centre);
        QTest::mouseMove(vp, centre + QPoint(1, 1));
        QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, centre + QPoint(1, 1));
        QVERIFY(doc.LabelManager()->FindLabel(name)->blnSelected);
        QCOMPARE(doc.LabelManager()->FindLabel(name)->left, left);
        QVERIFY(!undo->isEnabled());
        doc.LabelManager()->FindLabel(name)->blnSelected = false;
        QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, centre);
        for (int dx = 10; dx <= 40; dx += 10)
            QTest::mouseMove(vp, centre + QPoint(dx, 0));
        QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, centre + QPoint(40, 0));
        const qint32 moved = doc.LabelManager()->FindLabel(name)->left;
        QVERIFY(moved > left);
        QCOMPARE(undo->text(), QStringLiteral("撤销 移动标签"));
        QVERIFY(undo->isEnabled() && !redo->isEnabled());
        w->mnuSave_Click();
        QVERIFY(!doc.DocChanged() && !w->isWindowModified());
        // Undoing back past the save marks the format changed; the label keeps its selection.
        QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(doc.LabelManager()->FindLabel(name)->left, left);
        QVERIFY(doc.LabelManager()->FindLabel(name)->blnSelected);
        QVERIFY(doc.DocChanged() && w->isWindowModified());
        QVERIFY(!undo->isEnabled());
        QCOMPARE(redo->text(), QStringLiteral("重做 移动标签"));
        for (const auto key : {QKeyCombination(Qt::ControlModifier, Qt::Key_Y),
                               QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z)}) {
            QTest::keyClick(w, key.key(), key.keyboardModifiers());
            QCOMPARE(doc.LabelManager()->FindLabel(name)->left, moved);
            QVERIFY(!doc.DocChanged());
            QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
        }
        QVERIFY(prompt.messages.isEmpty());

        // Toolbar keys ignore case: two labels of the title range, the second lower,
        // "TOP" aligns it with the first.
        const QString title = RangeOfType(doc, QStringLiteral("标题区"));
        const qint32 t = RangeTop(doc, QStringLiteral("标题区"));
        clsLabelManager* labels = doc.LabelManager();
        const clsLabel* a = labels->AddLabels(title, 12000, t + 60);
        const clsLabel* b = labels->AddLabels(title, 14000, t + 400);
        QVERIFY(a && b);
        labels->SetSelectLabelObject(a->StrName, true);
        labels->SetSelectLabelObject(b->StrName, false);
        QVERIFY(w->TriggerToolbarKey(QStringLiteral("TOP")));
        QCOMPARE(QPoint(a->top, b->top), QPoint(60, 60));

        const auto& views = doc.Scene()->Elements(clsCanvasScene::Kind::Column);
        QVERIFY(!views.empty());
        const QString colName = views.back()->name;
        const clsSceneRect box = views.back()->rect;
        clsRepcol* col = doc.FieldsManager()->FindCol(colName);
        QVERIFY(col && col->BlnEnable);

        // Click the column, Delete: it leaves the canvas and shows in the field list.
        QTest::mouseClick(canvas->viewport(), Qt::LeftButton, Qt::NoModifier, canvas->ToViewport(box.left + 30, box.top + 30).toPoint());
        QVERIFY(doc.FieldsManager()->ColSelected(colName));
        QTest::keyClick(w, Qt::Key_Delete);
        QVERIFY(!col->BlnEnable);
        w->Action(QStringLiteral("mnuListField"))->trigger();
        auto* list = w->findChild<frmFieldView*>();
        QVERIFY(list && list->isVisible());
        QVERIFY(list->Fields().contains(col->Expression.trimmed()));

        const auto drop = [&](qint32 x, qint32 y) {
            std::unique_ptr<QMimeData> data(frmFieldView::CreateMimeData({col->Expression.trimmed()}));
            const QPointF at = canvas->ToViewport(x, y);
            // A drop goes to the widget that accepted the drag's entry.
            QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(canvas->viewport(), &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent event(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(canvas->viewport(), &event);
            QVERIFY(event.isAccepted());
        };
        qint32 l = 0, top = 0, wd = 0, h = 0;
        QVERIFY(doc.RangeManager()->GetRangePart(RangeOfType(doc, QStringLiteral("正文区")), l, top, wd, h));

        // Below the body range: refused with the message, nothing added.
        drop(15000, top + h + 30);
        QCOMPARE(prompt.LastText(), QStringLiteral("字段必须拖放到正文区域中..."));
        QVERIFY(!col->BlnEnable);
        // Inside it: the column is back and the list no longer offers the field.
        drop(15000, top + 30);
        QVERIFY(col->BlnEnable);
        QVERIFY(!list->Fields().contains(col->Expression.trimmed()));

        // Scrolling moves the sheet: the rulers count from the scroll position, the pixel
        // at the corner is the sheet's, and the bars stop at the scene's limits.
        const clsCanvasScene& scene = *doc.Scene();
        canvas->ScrollTo(10, 100);
        QCOMPARE(QPoint(scene.PicTopRote.start, scene.picLeftRote.start), QPoint(10, 100));
        QCOMPARE(canvas->ToCanvas(QPointF(0, 0)), QPoint(560, 5600));
        canvas->ScrollTo(5000, 5000);
        QCOMPARE(QPoint(scene.picBack.left, scene.picBack.top), -QPoint(MmToTwips(2000), MmToTwips(700)));

        // F4 alone opens the property window (属性); with Shift or Ctrl it does nothing. It
        // shows the object selected last, never one that is gone, and the objects of the
        // report that is open. A double click on an object opens it too.
        QTest::keyClick(w, Qt::Key_F4, Qt::ShiftModifier);
        QTest::keyClick(w, Qt::Key_F4, Qt::ControlModifier);
        QVERIFY(!w->PropertyWindow());
        QTest::keyClick(w, Qt::Key_F4);
        auto* props = qobject_cast<frmPropertysView*>(w->PropertyWindow());
        QVERIFY(props && props->isVisible());
        props->close();
        QTRY_VERIFY(!w->PropertyWindow());
        canvas->ScrollTo(0, 0);
        const clsSceneRect seen = doc.Scene()->Find(clsCanvasScene::Kind::Label, name)->rect;
        const QPoint middle = canvas->ToViewport(seen.left + seen.width / 2, seen.top + seen.height / 2).toPoint();
        QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, Qt::NoModifier, middle);
        props = qobject_cast<frmPropertysView*>(w->PropertyWindow());
        QVERIFY(props && props->isVisible());
        QCOMPARE(props->ObjectName(), name);
        frmMainView* window = w;
        const auto shows = [window, props](const QString& kind, const QString& object) {
            window->RefreshView();
            return props->Kind() == kind && props->ObjectName() == object;
        };
        const QString label = name;   // the label dragged above
        const QString column = doc.FieldsManager()->Cols.front()->name;
        doc.LabelManager()->SetSelectLabelObject(label, true);
        QVERIFY(shows(QStringLiteral("标签"), label));
        doc.FieldsManager()->SetSelectedColObject(column, false);
        MarkLayoutDirty();
        QVERIFY(shows(QStringLiteral("列"), column));
        // Deleted on the canvas: the window lets it go.
        doc.FieldsManager()->ClearAllSelected();
        doc.LabelManager()->SetSelectLabelObject(label, true);
        QVERIFY(shows(QStringLiteral("标签"), label));
        w->Action(QStringLiteral("mnuDelete"))->trigger();
        const clsLabel* gone = doc.LabelManager()->FindLabel(label);
        QVERIFY(!gone || gone->blnDeleted);
        QVERIFY(shows(QString(), QString()));
        // Another report: its objects, not the last one's.
        prompt.answers << PromptAnswer::No;
        QVERIFY(OpenFromList(w, QStringLiteral("应付账款账龄分析表")));
        w->RefreshView();
        for (const auto& l : doc.LabelManager()->Labels)
            QVERIFY(props->cmbObject->findText(frmPropertysView::EntryText(QStringLiteral("标签"), l->StrName)) >= 0);
        // Closed: the window is empty and takes nothing.
        prompt.answers << PromptAnswer::No;
        w->Action(QStringLiteral("mnuClose"))->trigger();
        QVERIFY(!props->isEnabled());
        QCOMPARE(props->MSHFlexGrid1->rowCount(), 0);
        QCOMPARE(props->cmbObject->count(), 0);
    }

    void scriptedSession_data() { clsTestDatabase::AddBackendRows(); }
    void scriptedSession()
    {
        QXRF_OPEN_DB(db, true, true);
        clsRecordingPrompt prompt;
        clsFormatSnapshot saved;
        bool pageHeadShown = false;
        {
            clsDocument doc;
            QVERIFY(doc.OpenDocument(&db.Conn(), kReport, QStringLiteral("GL"), QStringLiteral("op")));
            // Opening shows the one designer window, laid out.
            frmMainView* w = frmMainView::Instance();
            QVERIFY(w && w->IsShown() && w->isVisible());
            QCOMPARE(w->Caption(), QStringLiteral("报表格式定义-") + kReport);
            QVERIFY(!w->isWindowModified());
            QVERIFY(doc.Scene()->Count(clsCanvasScene::Kind::Strip) > 0);
            clsCanvasWidget* canvas = w->Canvas();

            // Each adding menu shows its hint until Escape cancels it.
            const QString idle = w->StatusText();
            for (const char* menu : {"mnuAddLabel", "mnuAddCol", "mnuAddTitle"}) {
                w->Action(QString::fromLatin1(menu))->trigger();
                QVERIFY(w->Controller()->IsAdding() && w->StatusText() != idle);
                QTest::keyClick(w, Qt::Key_Escape);
                QVERIFY(!w->Controller()->IsAdding());
                QCOMPARE(w->StatusText(), idle);
            }

            // 增加标签, then a click in the title range puts a label where the click was.
            const qint32 t = RangeTop(doc, QStringLiteral("标题区"));
            const size_t labels = doc.LabelManager()->Labels.size();
            w->Action(QStringLiteral("mnuAddLabel"))->trigger();
            const QPoint pixel = canvas->ToViewport(12000, t + 100).toPoint();
            const QPoint at = canvas->ToCanvas(pixel);
            // While adding, the pointer over the canvas is the component's own.
            canvas->MoveTo(at.x(), at.y(), {});
            QCOMPARE(canvas->viewport()->cursor().shape(), Qt::BitmapCursor);
            QTest::mouseClick(canvas->viewport(), Qt::LeftButton, Qt::NoModifier, pixel);
            QVERIFY(!w->Controller()->IsAdding());
            QCOMPARE(canvas->viewport()->cursor().shape(), Qt::ArrowCursor);
            QCOMPARE(doc.LabelManager()->Labels.size(), labels + 1);
            const clsLabel* label = doc.LabelManager()->Labels.back().get();
            QCOMPARE(label->strRang, RangeOfType(doc, QStringLiteral("标题区")));
            QCOMPARE(QPoint(label->left, label->top + t), at);
            QVERIFY(doc.DocChanged() && w->isWindowModified());
            QVERIFY(w->StatusText().contains(label->StrName));

            // Nudge it with the arrow keys: 50 twips, with Ctrl 10.
            QTest::keyClick(w, Qt::Key_Left);
            QTest::keyClick(w, Qt::Key_Down, Qt::ControlModifier);
            QCOMPARE(QPoint(label->left, label->top + t), at + QPoint(-50, 10));
            QCOMPARE(doc.Scene()->Find(clsCanvasScene::Kind::Label, label->StrName)->rect.left, label->left);

            // A range menu shows or hides its range; its mark follows the range.
            QAction* pageHead = w->Action(QStringLiteral("mnuPageHead"));
            const bool wasShown = pageHead->isChecked();
            QCOMPARE(doc.RangeManager()->MenuChecked(QStringLiteral("mnuPageHead")), wasShown);
            pageHead->trigger();
            pageHeadShown = !wasShown;
            QCOMPARE(pageHead->isChecked(), pageHeadShown);
            QCOMPARE(doc.RangeManager()->GetRangeVisible(RangeOfType(doc, QStringLiteral("页眉区"))), pageHeadShown);

            // The group window, driven while the menu holds it modal: the first column
            // groups and shows its header.
            bool driven = false;
            QTimer::singleShot(0, this, [&] {
                auto* groups = qobject_cast<frmGroupsView*>(QApplication::activeModalWidget());
                if (!groups)
                    return;
                groups->ClickCell(0, frmGroupsView::ColGroup);
                groups->ClickCell(0, frmGroupsView::ColHeader);
                groups->cmdOk_Click();
                driven = true;
            });
            w->Action(QStringLiteral("mnuGroup"))->trigger();
            QVERIFY(driven);
            const clsSceneElement* strip = nullptr;
            for (const auto& r : doc.RangeManager()->Ranges)
                if (r->StrRangeType == QStringLiteral("分组标题区") && r->blnVisible)
                    strip = doc.Scene()->Find(clsCanvasScene::Kind::Strip, r->StrName);
            QVERIFY(strip && strip->visible);

            // Ctrl+S writes it all; nothing is asked or reported, the caption loses its
            // marker and the status line tells when the format was saved.
            QVERIFY(w->SaveStatusText().isEmpty());
            QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
            QVERIFY2(prompt.messages.isEmpty(), qPrintable(prompt.LastText()));
            QVERIFY(doc.LastSaveWritten());
            QVERIFY(!doc.DocChanged() && !w->isWindowModified());
            QVERIFY(!w->SaveStatusText().isEmpty());
            saved = doc.TakeSnapshot();

            // With another designer's lock 保存 is refused and says why, in a message and
            // in the status bar, and the changes stay.
            db.Conn().Execute(QStringLiteral("Update Rpt_GlbDEF Set Cols= 1"));
            doc.SetDocChanged(true);
            w->Action(QStringLiteral("mnuSave"))->trigger();
            QCOMPARE(prompt.messages.size(), 1);
            QCOMPARE(w->statusBar()->currentMessage(), prompt.LastText());
            QVERIFY(doc.DocChanged());
            db.Conn().Execute(QStringLiteral("Update Rpt_GlbDEF Set Cols= 0"));
            doc.SetDocChanged(false);
        }

        // Reopened, everything is where it was left.
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), kReport, QStringLiteral("GL"), QStringLiteral("op")));
        QCOMPARE(doc.TakeSnapshot(), saved);
        QCOMPARE(frmMainView::Instance()->Action(QStringLiteral("mnuPageHead"))->isChecked(), pageHeadShown);
    }

    void zoomFollowsKeysWheelAndBox_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");       // with Ctrl; 0: `typed` goes to the box instead
        QTest::addColumn<QString>("typed"); // "wheel N": Ctrl and the wheel turned N eighths of a degree
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("refused");
        QTest::newRow("Ctrl+= steps in") << 100 << int(Qt::Key_Equal) << "" << 125 << false;
        QTest::newRow("Ctrl+- steps out") << 100 << int(Qt::Key_Minus) << "" << 75 << false;
        QTest::newRow("Ctrl+0 goes back to 100 %") << 300 << int(Qt::Key_0) << "" << 100 << false;
        QTest::newRow("no step beyond 400 %") << 400 << int(Qt::Key_Equal) << "" << 400 << false;
        QTest::newRow("Ctrl+wheel down two notches") << 100 << 0 << "wheel -240" << 50 << false;
        QTest::newRow("typed percentage") << 100 << 0 << "150%" << 150 << false;
        QTest::newRow("beyond the range") << 100 << 0 << "500%" << 100 << true;
        QTest::newRow("not a number") << 200 << 0 << "abc" << 200 << true;
    }
    void zoomFollowsKeysWheelAndBox()
    {
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(QString, typed);
        QFETCH(int, to);
        clsRecordingPrompt prompt;
        frmMainView* w = frmMainView::Instance();
        w->SetZoom(from / 100.0);
        if (key) {
            QTest::keyClick(w, Qt::Key(key), Qt::ControlModifier);
        } else if (typed.startsWith(QLatin1String("wheel"))) {
            QWidget* vp = w->Canvas()->viewport();
            const QPointF at(vp->width() / 3.0, vp->height() / 3.0);
            QWheelEvent wheel(at, vp->mapToGlobal(at), QPoint(), QPoint(0, typed.mid(6).toInt()), Qt::NoButton,
                              Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(vp, &wheel);
        } else {
            w->SetZoomText(typed);
        }
        QCOMPARE(QList<int>({qRound(w->Zoom() * 100), qRound(w->Canvas()->Zoom() * 100)}), QList<int>({to, to}));
        QCOMPARE(w->ZoomBox()->currentText(), QStringLiteral("%1%").arg(to));
        QFETCH(bool, refused);
        QCOMPARE(prompt.messages.size(), refused ? 1 : 0);
        // A new window opens at the zoom last used.
        frmMainView::DestroyInstance();
        QCOMPARE(qRound(frmMainView::Instance()->Zoom() * 100), to);
    }

    void gridAndSnappingAreRemembered()
    {
        // Grid and snapping are remembered for the next window.
        frmMainView* w = frmMainView::Instance();
        w->Action(QStringLiteral("mnuGrid"))->trigger();
        w->SetGridStep(10);
        w->Action(QStringLiteral("mnuSnapObjects"))->trigger();
        QCOMPARE(w->Canvas()->Grid(), MmToTwips(10));
        frmMainView::DestroyInstance();
        w = frmMainView::Instance();
        QVERIFY(w->Action(QStringLiteral("mnuGrid"))->isChecked());
        QCOMPARE(w->Canvas()->Grid(), MmToTwips(10));
        QCOMPARE(w->Controller()->Snap().gridStep, MmToTwips(10));
        QVERIFY(w->Controller()->Snap().toObjects);
        // Snapping to the grid can be left off while the grid shows.
        w->Action(QStringLiteral("mnuSnapGrid"))->trigger();
        QCOMPARE(w->Controller()->Snap().gridStep, 0);
        QCOMPARE(w->Canvas()->Grid(), MmToTwips(10));
    }

    // Edit commands with nothing to act on are greyed; copying with no label selected
    // keeps the last copy.
    void editCommandsFollowTheSelection()
    {
        Ledger l;
        QVERIFY(l.w);
        const auto enabled = [&](const char* name) { return l.w->Action(QString::fromLatin1(name))->isEnabled(); };
        const auto commands = [&] {
            return QList<bool>{enabled("mnuCopy"), enabled("mnuPrase"), enabled("mnuDelete"), enabled("mnuTop")};
        };
        l.w->RefreshView();
        QCOMPARE(commands(), (QList<bool>{false, false, false, false}));
        l.doc.LabelManager()->SetSelectLabelObject(l.doc.LabelManager()->Labels.front()->StrName, true);
        l.w->RefreshView();
        QCOMPARE(commands(), (QList<bool>{true, false, true, true}));
        l.w->Action(QStringLiteral("mnuCopy"))->trigger();
        QCOMPARE(commands(), (QList<bool>{true, true, true, true}));
        l.w->Controller()->EndSelection();
        QVERIFY(l.w->HandleKey(Qt::Key_C, Qt::ControlModifier));
        QCOMPARE(commands(), (QList<bool>{false, true, false, false}));
        const size_t before = l.doc.LabelManager()->Labels.size();
        l.w->Action(QStringLiteral("mnuPrase"))->trigger();
        QCOMPARE(l.doc.LabelManager()->Labels.size(), before + 1);
    }

    void leavingAReportAsksFirst_data()
    {
        QTest::addColumn<QString>("leave");
        QTest::addColumn<int>("answerCode");
        const std::pair<PromptAnswer, const char*> answers[] = {
            {PromptAnswer::Yes, "是"}, {PromptAnswer::No, "否"}, {PromptAnswer::Cancel, "取消"}};
        for (const char* leave : {"open", "closeFormat", "closeWindow"})
            for (const auto& [answer, word] : answers)
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(leave, QString::fromUtf8(word))))
                    << QString::fromLatin1(leave) << int(answer);
        // A report without a column list cannot be opened: the one open stays as it was.
        QTest::newRow("open a report that fails 否") << QStringLiteral("openFails") << int(PromptAnswer::No);
    }
    void leavingAReportAsksFirst()
    {
        // Unsaved work survives every way of leaving its report: 取消 stays, 否 drops
        // the changes, 是 saves them before going on.
        QFETCH(QString, leave);
        QFETCH(int, answerCode);
        const auto answer = PromptAnswer(answerCode);
        Ledger s;
        auto& [db, prompt, doc, w] = s;
        QVERIFY(w);
        const QStringList stored = db.Dump(doc.m_lngReportID);
        NudgeALabel(doc, w);
        const clsFormatSnapshot changed = doc.TakeSnapshot();
        const qint32 id = doc.m_lngReportID;

        const int labelViews = doc.Scene()->Count(clsCanvasScene::Kind::Label);
        const bool fails = leave == QLatin1String("openFails");
        prompt.answers << answer;
        if (leave == QLatin1String("open"))
            QCOMPARE(OpenFromList(w, QStringLiteral("应付账款账龄分析表")), answer != PromptAnswer::Cancel);
        else if (fails)
            QVERIFY(!OpenFromList(w, QStringLiteral("固定资产折旧计算表")));
        else if (leave == QLatin1String("closeFormat"))
            w->Action(QStringLiteral("mnuClose"))->trigger();
        else
            QCOMPARE(w->close(), answer != PromptAnswer::Cancel);
        QCOMPARE(std::count_if(prompt.messages.cbegin(), prompt.messages.cend(), [](const auto& m) { return m.text == kAskSave; }), 1);
        QCOMPARE(db.Dump(id) == stored, answer != PromptAnswer::Yes);
        if (answer == PromptAnswer::Cancel || fails) {
            // Changes, caption, canvas and all stay, and 保存 still saves them.
            QCOMPARE(doc.m_strReportName, kReport);
            QCOMPARE(w->Caption(), QStringLiteral("报表格式定义-") + kReport);
            QVERIFY(doc.DocChanged() && w->isWindowModified() && w->isVisible());
            QCOMPARE(doc.TakeSnapshot(), changed);
            QCOMPARE(doc.Scene()->Count(clsCanvasScene::Kind::Label), labelViews);
            if (fails)
                QVERIFY(prompt.LastText().startsWith(QStringLiteral("没有找到报表的字段列表")));
            const int failedRows = db.Count(QStringLiteral("ID=5"));
            w->Action(QStringLiteral("mnuSave"))->trigger();
            QVERIFY(doc.LastSaveWritten());
            QCOMPARE(db.Count(QStringLiteral("ID=5")), failedRows);
            return;
        }
        QVERIFY(!doc.DocChanged());
        if (leave == QLatin1String("open")) {
            QCOMPARE(doc.m_strReportName, QStringLiteral("应付账款账龄分析表"));
            QCOMPARE(w->Caption(), QStringLiteral("报表格式定义-应付账款账龄分析表"));
        } else if (leave == QLatin1String("closeFormat")) {
            // Closed: nothing to edit until a report is opened.
            QVERIFY(!doc.IsOpen());
            for (const char* name : {"mnuAddLabel", "mnuSave", "mnuProp", "mnuPageHead"})
                QVERIFY2(!w->Action(QString::fromLatin1(name))->isEnabled(), name);
            QVERIFY(!w->HandleKey(Qt::Key_Delete, Qt::NoModifier) && !w->TriggerToolbarKey(QStringLiteral("top")));
            QVERIFY(w->Action(QStringLiteral("mnuOpen"))->isEnabled());
            QVERIFY(OpenFromList(w, kReport));
            QVERIFY(doc.IsOpen() && w->Action(QStringLiteral("mnuAddLabel"))->isEnabled());
        } else {
            QVERIFY(!w->IsShown());
        }
    }

    void recoveryAfterACrash()
    {
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        QVERIFY2(db.Ready(), qPrintable(db.Error()));
        clsRecordingPrompt prompt;
        auto doc = std::make_unique<clsDocument>();
        QVERIFY(doc->OpenDocument(&db.Conn(), kReport, QStringLiteral("GL"), QStringLiteral("op")));
        const clsFormatSnapshot opened = doc->TakeSnapshot();
        const QStringList stored = db.Dump(doc->m_lngReportID);
        const clsRecoveryStore store = doc->RecoveryStore();
        frmMainView* w = frmMainView::Instance();
        w->Autosave();
        QVERIFY(!store.Exists());
        NudgeALabel(*doc, w);
        const clsFormatSnapshot edited = doc->TakeSnapshot();
        w->Autosave();
        QVERIFY(store.Exists());
        // The designer ends without closing the format; the next open offers the edit.
        doc.reset();
        prompt.answers = {PromptAnswer::Yes};
        doc = std::make_unique<clsDocument>();
        QVERIFY(doc->OpenDocument(&db.Conn(), kReport, QStringLiteral("GL"), QStringLiteral("op")));
        QVERIFY(prompt.LastText().contains(QStringLiteral("是否恢复")));
        QCOMPARE(doc->TakeSnapshot(), edited);
        QVERIFY(doc->DocChanged());
        // Nothing was written to the database, and the recovery can be undone.
        QCOMPARE(db.Dump(doc->m_lngReportID), stored);
        QVERIFY(doc->Undo());
        QCOMPARE(doc->TakeSnapshot(), opened);
        // A clean close leaves no file behind.
        QVERIFY(doc->Redo());
        prompt.answers = {PromptAnswer::No};
        doc->CloseDocument(false);
        QVERIFY(!store.Exists());
    }

};

QTEST_MAIN(tst_frmMainView)
#include "tst_frmMainView.moc"
