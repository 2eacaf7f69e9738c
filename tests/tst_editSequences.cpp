// Random sequences of every editing operation the designer offers, on the demo reports,
// with the format's invariants checked after every step and a save-and-reopen check
// after every save. At every reopen and at the end, undoing every step since the open
// must give the format as opened and redoing them the format as it was. A failure prints
// the seed and the shortest list of steps found that still fails.
//
// QXRF_SEEDS=a-b (or a single number) and QXRF_STEPS=n run other seeds and lengths;
// ctest runs a fixed set.
#include "columns/clsFieldsManager.h"
#include "columns/clsTitleGrid.h"
#include "designer/clsCanvasController.h"
#include "designer/clsCanvasScene.h"
#include "document/clsDefinitionStore.h"
#include "document/clsDocument.h"
#include "document/clsFormatHistory.h"
#include "document/modPublicDefine.h"
#include "labels/clsLabelManager.h"
#include "properties/clsPropertysManager.h"
#include "ranges/clsRangeManager.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QRandomGenerator>
#include <QtTest>
#include <memory>
#include <numeric>

namespace {
using Kind = clsCanvasScene::Kind;

// Report names and their systems.
const std::pair<const char*, const char*> kReports[] = {{"科目余额表", "GL"}, {"应付账款账龄分析表", "AP"}, {"工资汇总表", "WA"}, {"应收账款明细表", "AR"}};

enum Op {
    AddLabel, AddColumn, AddTitle, Select, SelectMore, RubberBand, Drag, ArrowKey, Resize, AlignObjects, Copy, Paste,
    Delete, TitleHeight, DropField, ToggleRange, RangeHeight, GroupCell, CloseGroups, SetProperty, Save, Reopen, OpCount
};
const char* const kOpNames[] = {"增加标签", "增加列", "增加列标题", "选择", "追加选择", "框选", "拖动", "方向键",
                                "改变大小", "对齐", "复制", "粘贴", "删除", "标题高度", "拖放字段", "区域显示",
                                "区域高度", "分组设置", "关闭分组窗口", "修改属性", "保存", "关闭并重新打开"};
// How often each operation comes up, out of the sum.
const int kWeights[OpCount] = {6, 4, 5, 12, 4, 3, 12, 6, 8, 3, 2, 3, 4, 3, 3, 3, 3, 3, 1, 12, 2, 1};

struct Step
{
    Op op = Select;
    quint32 a = 0, b = 0, c = 0, d = 0;
};

QString Describe(const Step& s)
{
    return QStringLiteral("%1(%2,%3,%4,%5)").arg(QString::fromUtf8(kOpNames[s.op])).arg(s.a).arg(s.b).arg(s.c).arg(s.d);
}

std::vector<Step> Generate(quint32 seed, int count)
{
    QRandomGenerator rng(seed);
    const int total = std::accumulate(std::begin(kWeights), std::end(kWeights), 0);
    std::vector<Step> steps;
    for (int i = 0; i < count; ++i) {
        int pick = int(rng.bounded(total));
        int op = 0;
        while (pick >= kWeights[op])
            pick -= kWeights[op++];
        steps.push_back({Op(op), rng.generate(), rng.generate(), rng.generate(), rng.generate()});
    }
    return steps;
}

// Everything the canvas shows, as text, so two layouts compare as a whole.
QStringList SceneText(const clsCanvasScene& scene)
{
    QStringList text;
    for (Kind kind : {Kind::Strip, Kind::Label, Kind::Column, Kind::Title})
        for (const auto& e : scene.Elements(kind))
            text << QStringLiteral("%1|%2|%3,%4,%5,%6|%7|%8%9|%10")
                        .arg(int(kind)).arg(e->name)
                        .arg(e->rect.left).arg(e->rect.top).arg(e->rect.width).arg(e->rect.height)
                        .arg(e->caption).arg(e->visible).arg(e->selected).arg(int(e->alignment));
    const clsSceneLine& line = scene.lineBreak;
    text << QStringLiteral("line %1,%2,%3,%4,%5").arg(line.x1).arg(line.y1).arg(line.x2).arg(line.y2).arg(line.visible);
    text << QStringLiteral("surface %1,%2").arg(scene.picDraw.width).arg(scene.picDraw.height);
    for (const clsSizeHandle& h : scene.SizeHandles())
        text << QStringLiteral("handle %1 %2").arg(h.owner).arg(int(h.edge));
    return text;
}

// One run: a database with the demo reports, one open document and the canvas gestures.
class Run
{
public:
    clsTestDatabase db;

    Run(const QString& backend, quint32 seed)
        : db(backend, true, true), m_report(QString::fromUtf8(kReports[seed % std::size(kReports)].first)),
          m_system(QString::fromUtf8(kReports[seed % std::size(kReports)].second))
    {
    }

    // Runs the steps; answers the first problem (empty when there is none) and the
    // number of steps carried out.
    QString Play(const std::vector<Step>& steps, int* done = nullptr)
    {
        if (!Open())
            return QStringLiteral("打开失败");
        QString problem = Check();
        for (size_t i = 0; problem.isEmpty() && i < steps.size(); ++i) {
            problem = Apply(steps[i]);
            if (problem.isEmpty())
                problem = Check();
            if (!problem.isEmpty())
                problem = QStringLiteral("第%1步 %2：%3").arg(i + 1).arg(Describe(steps[i]), problem);
            if (done)
                *done = int(i) + 1;
        }
        if (problem.isEmpty())
            problem = CheckHistory();
        return problem;
    }

private:
    // Opens the report in a new document; the history starts there.
    bool Open()
    {
        m_doc = std::make_unique<clsDocument>();
        if (!m_doc->OpenDocument(&db.Conn(), m_report, m_system, QStringLiteral("op")))
            return false;
        m_doc->EnsureLayout();
        m_opened = m_doc->TakeSnapshot();
        return true;
    }
    clsFieldsManager& Fields() { return *m_doc->FieldsManager(); }
    clsLabelManager& Labels() { return *m_doc->LabelManager(); }
    clsRangeManager& Ranges() { return *m_doc->RangeManager(); }
    clsCanvasScene& Scene() { return *m_doc->Scene(); }

    // Up to `count` shown views of a kind, one after another from one picked by a random
    // number; copies, since a click lays the canvas out again.
    std::vector<clsSceneElement> PickViews(quint32 r, Kind kind, size_t count)
    {
        m_doc->EnsureLayout();
        std::vector<const clsSceneElement*> shown;
        for (const auto& e : Scene().Elements(kind))
            if (Scene().IsDisplayed(*e))
                shown.push_back(e.get());
        std::vector<clsSceneElement> picked;
        for (size_t k = 0; k < std::min(count, shown.size()); ++k)
            picked.push_back(*shown[(r + k) % shown.size()]);
        return picked;
    }
    // A press and a release on the middle of a view; with Ctrl it adds to the selection.
    void Click(const clsSceneElement& view, bool ctrl)
    {
        const QPoint p(view.rect.left + view.rect.width / 2, view.rect.top + view.rect.height / 2);
        Gesture(TargetOf(view.kind), view.name, p, TargetOf(view.kind), p, false, {ctrl, false});
    }
    // A left press, a move first when `move`, and the release, all with the same keys held.
    void Gesture(CanvasTarget press, const QString& name, QPoint from, CanvasTarget release, QPoint to, bool move,
                 CanvasModifiers m = {})
    {
        m_refused = false;
        m_controller.onRefused = [this](const QString&) { m_refused = true; };
        m_controller.Press(press, name, CanvasButton::Left, from.x(), from.y(), m);
        if (move)
            m_controller.Move(release, to.x(), to.y(), m);
        m_carried = m_controller.DragOffset();
        m_controller.Release(release, to.x(), to.y(), m);
    }
    // A drag that carried the selection somewhere either changed the format or said why
    // not; one that carried it nowhere did neither.
    QString ChangedOrSaidWhy(const clsFormatSnapshot& before)
    {
        const bool changed = m_doc->TakeSnapshot() != before;
        if (m_carried.isNull() ? changed || m_refused : changed == m_refused)
            return QStringLiteral("拖过(%1,%2)：%3，%4").arg(m_carried.x()).arg(m_carried.y())
                .arg(changed ? QStringLiteral("格式变了") : QStringLiteral("格式没变"),
                     m_refused ? QStringLiteral("说了不能") : QStringLiteral("没有说"));
        return QString();
    }
    const clsRange* Body()
    {
        for (const auto& r : Ranges().Ranges)
            if (r->StrRangeType.trimmed() == QStringLiteral("正文区"))
                return r.get();
        return nullptr;
    }
    static CanvasTarget TargetOf(Kind kind)
    {
        return kind == Kind::Label ? CanvasTarget::LabelView
                                   : kind == Kind::Column ? CanvasTarget::ColumnView : CanvasTarget::TitleView;
    }
    // A point somewhere on the laid-out sheet.
    QPoint PointOnSheet(quint32 a, quint32 b)
    {
        m_doc->EnsureLayout();
        const qint32 width = std::max(2000, Scene().picDraw.width / 4);
        const qint32 height = std::max(1000, Scene().picDraw.height + 600);
        return QPoint(qint32(a % quint32(width)), qint32(b % quint32(height)));
    }
    static qint32 Offset(quint32 r, qint32 range) { return qint32(r % quint32(2 * range + 1)) - range; }

    QString Apply(const Step& s)
    {
        clsCanvasController& ctl = m_controller;
        switch (s.op) {
        case AddLabel:
        case AddColumn:
        case AddTitle: {
            static const char* states[] = {"AddLabel", "AddCol", "AddTitle"};
            ctl.SetToolState(QString::fromLatin1(states[s.op - AddLabel]), 0, 0);
            QPoint p = PointOnSheet(s.a, s.b);
            // Now and then aimed at the body, where columns and titles go.
            if (const clsRange* body = Body(); s.op != AddLabel && (s.c & 1) && body && body->blnLaidOut)
                p.setY(body->top + qint32(s.d % quint32(std::max(body->Height, 1))));
            ctl.Press(CanvasTarget::Canvas, QString(), CanvasButton::Left, p.x(), p.y(), {});
            break;
        }
        case Select:
        case SelectMore: {
            static const Kind kinds[] = {Kind::Label, Kind::Column, Kind::Title};
            for (const clsSceneElement& view : PickViews(s.a >> 2, kinds[s.a % 3], 1))
                Click(view, s.op == SelectMore);
            break;
        }
        case RubberBand: {
            const QPoint p = PointOnSheet(s.a, s.b);
            const QPoint to = p + QPoint(qint32(s.c % 6000), qint32(s.d % 2000));
            Gesture(CanvasTarget::Canvas, QString(), p, CanvasTarget::Canvas, to, true);
            break;
        }
        case Drag: {
            // Press on a selected view and let go elsewhere: the whole selection moves.
            const clsSceneElement* view = nullptr;
            for (Kind kind : {Kind::Label, Kind::Column, Kind::Title})
                for (const auto& e : Scene().Elements(kind))
                    if (!view && e->selected && Scene().IsDisplayed(*e))
                        view = e.get();
            if (!view)
                break;
            const QPoint p(view->rect.left + 2, view->rect.top + 2);
            const QPoint to = p + QPoint(Offset(s.a, 4000), Offset(s.b, 2500));
            const clsFormatSnapshot before = m_doc->TakeSnapshot();
            Gesture(TargetOf(view->kind), view->name, p, CanvasTarget::Canvas, to, true);
            return ChangedOrSaidWhy(before);
        }
        case ArrowKey: {
            static const int keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right};
            ctl.HandleKey(keys[s.a % 4], {s.b % 3 == 1, s.b % 3 == 2});
            break;
        }
        case Resize: {
            m_doc->EnsureLayout();
            const auto& handles = Scene().SizeHandles();
            if (handles.empty())
                break;
            const clsSizeHandle& h = handles[s.a % handles.size()];
            const QPoint p(h.rect.left + h.rect.width / 2, h.rect.top + h.rect.height / 2);
            const QPoint to = p + QPoint(Offset(s.b, 2500), Offset(s.c, 1500));
            const clsFormatSnapshot before = m_doc->TakeSnapshot();
            Gesture(CanvasTarget::SizeHandle, QString::number(int(h.edge)), p, CanvasTarget::Canvas, to, true);
            return ChangedOrSaidWhy(before);
        }
        case AlignObjects: {
            // Two or three labels (now and then titles) clicked one after another, then aligned.
            const auto views = PickViews(s.b, s.c % 4 ? Kind::Label : Kind::Title, 2 + s.c / 4 % 2);
            for (size_t k = 0; k < views.size(); ++k)
                Click(views[k], k > 0);
            const int code = int(s.a % 6);
            ctl.Align(code);
            if (code > 3)
                break;
            // The selected labels share the edge aligned to; one standing at 0 gives no
            // reference for a top or left and keeps its place.
            QSet<qint64> edges;
            for (const auto& l : Labels().Labels)
                if (l->blnSelected)
                    edges.insert(code == 0 ? l->top : code == 1 ? qint64(l->top) + l->Height
                                 : code == 2 ? l->left : qint64(l->left) + l->Width);
            if (code % 2 == 0)
                edges.remove(0);
            if (edges.size() > 1)
                return QStringLiteral("对齐后选中的标签边缘不同");
            break;
        }
        case Copy:
            ctl.CopyLabels();
            break;
        case Paste: {
            // Mostly Ctrl+C on one or two labels clicked first, then Ctrl+V: each label marked
            // for copying comes once more, beside itself in its range.
            const CanvasModifiers ctrl{true, false};
            if (s.a % 3) {
                const auto views = PickViews(s.b, Kind::Label, 1 + s.c % 2);
                for (size_t k = 0; k < views.size(); ++k)
                    Click(views[k], k > 0);
                ctl.HandleKey(Qt::Key_C, ctrl);
            }
            std::vector<clsLabel> sources;
            for (const auto& l : Labels().Labels) {
                const clsRange* r = Ranges().FindRange(l->strRang);
                if (l->blnCopyed && r && r != Body())
                    sources.push_back(*l);
            }
            const size_t before = Labels().Labels.size();
            ctl.HandleKey(Qt::Key_V, ctrl);
            if (Labels().Labels.size() != before + sources.size())
                return QStringLiteral("粘贴了%1个标签，复制的是%2个").arg(Labels().Labels.size() - before).arg(sources.size());
            for (size_t k = 0; k < sources.size(); ++k) {
                const clsLabel& a = sources[k];
                const clsLabel& b = *Labels().Labels[before + k];
                if (b.strRang != a.strRang || b.top != a.top || b.Width != a.Width || b.Height != a.Height
                    || b.strSou != a.strSou || qint64(b.left) < std::min<qint64>(qint64(a.left) + a.Width, INT_MAX))
                    return QStringLiteral("标签%1的副本%2不在它右边").arg(a.StrName, b.StrName);
            }
            // What was pasted is what is selected (as far as it shows).
            for (size_t k = 0; k < Labels().Labels.size() && !sources.empty(); ++k)
                if (Labels().Labels[k]->blnSelected != (k >= before && Labels().Labels[k]->BlnVisibled))
                    return QStringLiteral("粘贴后选中的不只是副本");
            break;
        }
        case Delete:
            ctl.HandleKey(Qt::Key_Delete, {});
            break;
        case TitleHeight: {
            // The line under the titles follows the pointer until let go on the line itself;
            // then the title rows share the new height, the line a little above where it was let go.
            m_doc->EnsureLayout();
            const bool shown = Scene().lineBreak.visible;
            const qint32 y = Scene().lineBreak.y1;
            const qint32 to = y + Offset(s.a, 1000) + 600;
            Gesture(CanvasTarget::TitleLine, QString(), QPoint(100, y), CanvasTarget::Canvas, QPoint(100, to), true);
            if (!ctl.IsState(QStringLiteral("ChangeTitleSize")) || ctl.DragLineY() != to)
                return QStringLiteral("标题分隔线没有跟着鼠标");
            ctl.Release(CanvasTarget::TitleLine, 100, to, {});
            const qint32 depth = clsTitleGrid::Depth(Fields().Titles);
            m_doc->EnsureLayout();
            const qint32 line = Scene().lineBreak.y1;
            if (shown && depth > 0 && to > y && (line > to || line <= to - depth))
                return QStringLiteral("标题分隔线在%1，松开在%2").arg(line).arg(to);
            break;
        }
        case DropField: {
            // One field or all of them dropped at either edge of the body or near it; with
            // none in the list a column is deleted first, which gives its field back.
            if (Fields().FieldListItems().isEmpty() && (s.d & 1))
                for (const clsSceneElement& view : PickViews(s.d >> 1, Kind::Column, 1)) {
                    Click(view, false);
                    ctl.HandleKey(Qt::Key_Delete, {});
                }
            QStringList fields = Fields().FieldListItems();
            if (fields.isEmpty())
                break;
            fields.removeDuplicates();
            if (s.d % 3)
                fields = QStringList{fields.at(int(s.a % quint32(fields.size())))};
            m_doc->EnsureLayout();
            const clsRange* body = Body();
            const bool shown = body && body->blnLaidOut;
            const qint32 top = shown ? body->top : 0;
            const qint32 height = shown ? std::max(body->Height, 1) : 1000;
            const qint32 edges[] = {-1, 0, height - 1, height};
            const qint32 y = top + (s.c % 5 < 4 ? edges[s.c % 5] : qint32(s.c % quint32(height + 400)) - 200);
            int refreshed = 0;
            ctl.onRefreshFieldList = [&] { ++refreshed; };
            ctl.DropFields(fields, qint32(s.b % 20000), y);
            ctl.onRefreshFieldList = nullptr;
            if (!shown || y < top || y >= top + height) {
                if (m_prompt.LastText() != QStringLiteral("字段必须拖放到正文区域中...") || refreshed)
                    return QStringLiteral("拖到正文区域外的字段没有被拒绝");
                break;
            }
            // Accepted: the fields' columns come in, one after another in the order dropped.
            qint32 previous = 0;
            for (const QString& field : fields) {
                const auto col = std::find_if(Fields().Cols.begin(), Fields().Cols.end(), [&](const auto& c) {
                    return c->BlnEnable && c->Expression.trimmed() == field;
                });
                if (col == Fields().Cols.end() || Fields().FieldListItems().contains(field))
                    return QStringLiteral("拖入的字段%1没有成为列").arg(field);
                if (previous && (*col)->Col != previous + 1)
                    return QStringLiteral("拖入的字段%1没有排在前一个之后").arg(field);
                previous = (*col)->Col;
            }
            if (refreshed != 1)
                return QStringLiteral("拖入字段后字段列表没有刷新");
            break;
        }
        case ToggleRange: {
            static const char* kinds[] = {"标题区", "页眉区", "正文区", "页尾区", "脚注区"};
            static const char* menus[] = {"mnuHead", "mnuPageHead", "mnuText", "mnuPageFoot", "mnuFoot"};
            const quint32 k = s.a % 5;
            m_doc->EnsureLayout();
            ctl.ToggleRange(QString::fromUtf8(kinds[k]), Ranges().MenuChecked(QString::fromLatin1(menus[k])));
            break;
        }
        case RangeHeight: {
            for (const clsSceneElement& strip : PickViews(s.a, Kind::Strip, 1)) {
                const QPoint p(10, strip.rect.top + 10);
                Gesture(CanvasTarget::RangeBar, strip.name, p, CanvasTarget::RangeBar, p + QPoint(0, Offset(s.b, 1500)), false);
            }
            break;
        }
        case GroupCell:
            if (const std::vector<clsRepcol*> rows = Fields().GroupableColumns(); !rows.empty())
                Fields().ToggleGroupCell(rows[s.a % rows.size()]->name, clsFieldsManager::GroupCell(s.b % 5));
            break;
        case CloseGroups:
            Fields().CloseGroups();
            break;
        case SetProperty:
            SetSomeProperty(s);
            break;
        case Save: {
            m_doc->SaveReportFormat();
            if (!m_doc->LastSaveWritten())
                break;
            // A second save right after writes again, replacing what the first wrote; what
            // was saved comes back exactly, in a document of its own.
            const clsFormatSnapshot saved = m_doc->TakeSnapshot();
            m_doc->SaveReportFormat();
            if (!m_doc->LastSaveWritten())
                return QStringLiteral("第二次保存没有写入");
            clsDocument reopened;
            if (!reopened.OpenDocument(&db.Conn(), m_report, m_system, QStringLiteral("op")))
                return QStringLiteral("保存后不能重新打开");
            reopened.EnsureLayout();
            clsFormatSnapshot again = reopened.TakeSnapshot();
            // A report saved without labels opens with its default title label, in a
            // title range tall enough for it.
            if (saved.RowsOf(FormatKind::Label).empty() && again.RowsOf(FormatKind::Label).size() == 1) {
                again.Rows.erase(std::find_if(again.Rows.begin(), again.Rows.end(),
                                              [](const clsFormatRow& r) { return r.ModeEx == FormatKind::Label; }));
                for (size_t i = 0; i < again.Rows.size() && i < saved.Rows.size(); ++i)
                    if (again.Rows[i].ModeEx == FormatKind::Range && saved.Rows[i].ModeEx == FormatKind::Range)
                        for (FldColumn c : {FldColumn::Height, FldColumn::TopEx})
                            again.Rows[i].Set(c, saved.Rows[i].Value(c));
            }
            g_objDocument = m_doc.get();
            if (again != saved)
                return QStringLiteral("重新打开后格式不同：\n") + Diff(saved.ToJson(), again.ToJson());
            break;
        }
        case Reopen: {
            if (const QString problem = CheckHistory(); !problem.isEmpty())
                return problem;
            m_prompt.answers = {s.a % 2 ? PromptAnswer::Yes : PromptAnswer::No};
            m_doc->CloseDocument(false);
            if (!Open())
                return QStringLiteral("重新打开失败");
            break;
        }
        case OpCount:
            break;
        }
        // Edits made on the managers directly close their step, as their windows do.
        if (s.op == GroupCell || s.op == CloseGroups || s.op == SetProperty)
            m_doc->CommitStep(QString::fromUtf8(kOpNames[s.op]));
        return QString();
    }

    void SetSomeProperty(const Step& s)
    {
        clsPropertysManager* props = m_doc->PropertysManager();
        m_doc->EnsureLayout();
        const quint32 kind = s.a % 4;
        const std::vector<std::unique_ptr<ClsPropDiscription>>& list =
            kind == 0 ? props->LabelPropertys : kind == 1 ? props->ColPropertys : kind == 2 ? props->TitlePropertys
                                                                                              : props->RangePropertys;
        if (list.empty())
            return;
        const ClsPropDiscription& p = *list[s.b % list.size()];
        if (p.blnReadOnly || p.LngRefType == ClsPropDiscription::RefFontDialog)
            return;
        static const char* kinds[] = {"标签", "列", "标题", "区域"};
        QStringList choices;
        int count = 0;
        props->GetPropertyReflist(QString::fromUtf8(kinds[kind]), p.StrPropName, choices, count);
        // A choice from the list, a small number, a large one, or text that is no number.
        const QString choice =
            choices.isEmpty() ? QString::number(s.d % 60) : choices.at(int(s.d % quint32(choices.size())));
        const QString values[] = {choice, choice, QString::number(qint64(s.d % 200) - 20),
                                  QStringLiteral("99999999999"), QStringLiteral("名'称%1").arg(s.d % 7)};
        const QString& value = values[s.c % 5];
        // The object picked by its place in its list.
        const auto pick = [&](const auto& list, auto nameOf) {
            return list.empty() ? QString() : nameOf(*list[s.d % list.size()]);
        };
        QString name = kind == 0 ? pick(Labels().Labels, [](const clsLabel& l) { return l.StrName; })
                     : kind == 1 ? pick(Fields().Cols, [](const clsRepcol& c) { return c.name; })
                     : kind == 2 ? pick(Fields().Titles, [](const clsTitle& t) { return t.name; })
                                 : pick(Ranges().Ranges, [](const clsRange& r) { return r.StrName; });
        if (name.isEmpty())
            return;
        if (kind == 0)
            Labels().EditLabelProperty(name, p.StrPropName, value);
        else if (kind == 1)
            Fields().SetColProperty(name, p.StrPropName, value);
        else if (kind == 2)
            Fields().SetTitleProperty(name, p.StrPropName, value);
        else
            Ranges().SetRangeProperty(name, p.StrPropName, value);
    }

    static QString Diff(const QString& a, const QString& b)
    {
        const QStringList x = a.split(QLatin1Char('\n'));
        const QStringList y = b.split(QLatin1Char('\n'));
        for (int i = 0; i < std::max(x.size(), y.size()); ++i)
            if (x.value(i) != y.value(i))
                return QStringLiteral("行%1：%2 ≠ %3").arg(i + 1).arg(x.value(i).trimmed(), y.value(i).trimmed());
        return QString();
    }

    // The labels, columns and titles there are, shown or not, by kind and name.
    QSet<QPair<int, QString>> Existing()
    {
        QSet<QPair<int, QString>> names;
        for (const auto& l : m_doc->LabelManager()->Labels)
            names.insert({int(Kind::Label), l->StrName});
        for (const auto& c : m_doc->FieldsManager()->Cols)
            names.insert({int(Kind::Column), c->name});
        for (const auto& t : m_doc->FieldsManager()->Titles)
            names.insert({int(Kind::Title), t->name});
        return names;
    }
    // The shown labels, columns and titles by kind and name, with whether each is selected.
    QMap<QPair<int, QString>, bool> Shown()
    {
        QMap<QPair<int, QString>, bool> shown;
        for (Kind kind : {Kind::Label, Kind::Column, Kind::Title})
            for (const auto& e : Scene().Elements(kind))
                if (Scene().IsDisplayed(*e))
                    shown.insert({int(kind), e->name}, e->selected);
        return shown;
    }

    // Undoes (or redoes) every step: each format put back stays as recorded when it is laid
    // out again, the selection follows what the step brought back, and the last one is
    // `end`, with a sound canvas.
    QString Walk(bool undo, const clsFormatSnapshot& end, int& steps)
    {
        const QString what = undo ? QStringLiteral("撤销") : QStringLiteral("重做");
        for (steps = 0;; ++steps) {
            m_doc->EnsureLayout();
            const auto before = Shown();
            const auto existed = Existing();
            if (!(undo ? m_doc->Undo() : m_doc->Redo()))
                break;
            m_doc->EnsureLayout();
            const clsFormatSnapshot now = m_doc->TakeSnapshot();
            const clsFormatSnapshot& recorded = m_doc->History().Recorded();
            const QString text = undo ? m_doc->History().RedoText() : m_doc->History().UndoText();
            if (now != recorded)
                return QStringLiteral("%1“%2”后重新排列改变了格式：").arg(what, text) + Diff(recorded.ToJson(), now.ToJson());
            // What a step brings back is what is selected; otherwise the selection stays.
            const auto after = Shown();
            const auto exists = Existing();
            const bool cameBack = std::any_of(exists.begin(), exists.end(), [&](const auto& k) { return !existed.contains(k); });
            for (auto it = after.cbegin(); it != after.cend(); ++it)
                if (it.value() != (cameBack ? !existed.contains(it.key()) : before.value(it.key())))
                    return QStringLiteral("%1“%2”后“%3”%4").arg(what, text, it.key().second,
                                                              it.value() ? QStringLiteral("不该选中") : QStringLiteral("应该选中"));
        }
        if (const clsFormatSnapshot now = m_doc->TakeSnapshot(); now != end)
            return QStringLiteral("%1全部 %2 步后格式不同：").arg(what).arg(steps) + Diff(end.ToJson(), now.ToJson());
        if (const QString problem = Check(); !problem.isEmpty())
            return what + QStringLiteral("全部步骤后：") + problem;
        return QString();
    }

    // The history since the open: every edit closed its step, undoing them all gives the
    // format as opened (and laid out), redoing them all the format as it is.
    QString CheckHistory()
    {
        const clsFormatSnapshot last = m_doc->TakeSnapshot();
        if (const clsFormatSnapshot recorded = m_doc->History().Recorded(); recorded != last)
            return QStringLiteral("有修改没有记入撤销步骤：") + Diff(recorded.ToJson(), last.ToJson());
        int undone = 0, redone = 0;
        QString problem = Walk(true, m_opened, undone);
        if (problem.isEmpty())
            problem = Walk(false, last, redone);
        if (problem.isEmpty() && undone != redone)
            return QStringLiteral("重做的步数与撤销的不同");
        return problem;
    }

    // The invariants of a format and of its canvas.
    QString Check()
    {
        for (const auto& m : m_prompt.messages)
            if (m.text.contains(QStringLiteral("错误位于模块")))
                return QStringLiteral("意外错误：") + m.text;
        m_prompt.messages.clear();
        m_doc->EnsureLayout();
        const QString shown = SceneText(Scene()).join(QLatin1Char('\n'));
        m_doc->MarkLayoutDirty();
        m_doc->EnsureLayout();
        if (const QString diff = Diff(shown, SceneText(Scene()).join(QLatin1Char('\n'))); !diff.isEmpty())
            return QStringLiteral("画布与重新排列的结果不同：") + diff;
        // No shown view without its object, or of a range that is hidden.
        const auto hidden = [](const clsRange* r) { return !r || !r->blnVisible || !r->blnLaidOut; };
        for (const auto& e : Scene().Elements(Kind::Strip))
            if (e->visible && hidden(Ranges().FindRange(e->name)))
                return QStringLiteral("区域条%1不应显示").arg(e->name);
        for (const auto& e : Scene().Elements(Kind::Label)) {
            const clsLabel* l = Labels().FindLabel(e->name);
            const clsRange* r = l ? Ranges().FindRange(l->strRang) : nullptr;
            if (e->visible && hidden(r))
                return QStringLiteral("标签%1不应显示").arg(e->name);
            if (e->visible && (e->rect.top < r->top || qint64(e->rect.top) + e->rect.height > qint64(r->top) + r->Height))
                return QStringLiteral("标签%1超出区域%2").arg(e->name, r->StrName);
        }
        const clsRange* body = Body();
        const bool bodyShown = body && body->blnLaidOut;
        for (const auto& e : Scene().Elements(Kind::Column)) {
            const clsRepcol* c = Fields().FindCol(e->name);
            if (e->visible && (!bodyShown || !c || !c->BlnEnable || !c->blnVisible))
                return QStringLiteral("列%1不应显示").arg(e->name);
            if (e->visible && qint64(e->rect.top) + e->rect.height > qint64(body->top) + body->Height)
                return QStringLiteral("列%1超出正文区域").arg(e->name);
        }
        // Enabled columns stand side by side from the left edge in their order, a hidden one
        // keeping its place, and the sheet is wide enough for all of them.
        qint64 x = 0;
        for (const auto& c : Fields().Cols)
            if (bodyShown && c->BlnEnable) {
                if (c->X != std::min<qint64>(x, INT_MAX) || c->cx != c->Width)
                    return QStringLiteral("列%1不在前一列之后").arg(c->name);
                x += std::max(c->Width, 0);
            }
        if (Scene().picDraw.width < std::min<qint64>(x, INT_MAX))
            return QStringLiteral("画布比列窄");
        for (const auto& e : Scene().Elements(Kind::Title))
            if (e->visible && (!bodyShown || !Fields().FindTitle(e->name)))
                return QStringLiteral("标题%1不应显示").arg(e->name);
        if (!bodyShown && Scene().lineBreak.visible)
            return QStringLiteral("正文区域隐藏时分隔线仍然显示");
        // The title grid: no overlap, within the rows and columns, every column its own title.
        if (const QStringList grid = clsTitleGrid::Problems(Fields().Titles, Fields().EnabledCount()); !grid.isEmpty())
            return grid.join(QLatin1Char(';'));
        // Titles over exactly the columns their cells name.
        const auto enabledAt = [&](qint32 number) -> const clsRepcol* {
            const auto& cols = Fields().Cols;
            const auto c = std::find_if(cols.begin(), cols.end(), [&](const auto& col) { return col->BlnEnable && col->Col == number; });
            return c == cols.end() ? nullptr : c->get();
        };
        for (const auto& t : Fields().Titles) {
            const clsRepcol* first = enabledAt(t->left);
            const clsRepcol* last = enabledAt(t->left + t->Width - 1);
            if (bodyShown && (!first || !last || t->X != first->X || qint64(t->X) + t->cx != qint64(last->X) + last->cx))
                return QStringLiteral("标题%1没有对齐它下面的列").arg(t->name);
        }
        // Names unique within each kind, and every label's range there.
        QStringList names;
        for (const auto& l : Labels().Labels) {
            names << QStringLiteral("标签 ") + l->StrName.trimmed().toLower();
            if (!Ranges().FindRange(l->strRang))
                return QStringLiteral("标签%1的区域%2不存在").arg(l->StrName, l->strRang);
        }
        for (const auto& r : Ranges().Ranges)
            names << QStringLiteral("区域 ") + r->StrName.trimmed().toLower();
        for (const auto& c : Fields().Cols)
            names << QStringLiteral("列 ") + c->name.trimmed().toLower();
        if (names.removeDuplicates() > 0)
            return QStringLiteral("名称重复");
        // Bands one under another from the top, each right under its strip, the next strip
        // where the band above ends; the sheet reaches under the lowest.
        std::vector<const clsRange*> placed;
        for (const auto& r : Ranges().Ranges)
            if (r->blnLaidOut)
                placed.push_back(r.get());
        std::sort(placed.begin(), placed.end(), [](const clsRange* a, const clsRange* b) { return a->top < b->top; });
        qint64 y = 0;
        for (const clsRange* r : placed) {
            const clsSceneElement* strip = Scene().Find(Kind::Strip, r->StrName);
            if (!strip || strip->rect.top != y || r->top != y + clsCanvasScene::StripHeight)
                return QStringLiteral("区域%1不在上一区域之下").arg(r->StrName);
            if (r->Height < Ranges().ContentHeight(*r))
                return QStringLiteral("区域%1容不下其中的对象").arg(r->StrName);
            y = qint64(r->top) + r->Height;
        }
        if (Scene().picDraw.height < y)
            return QStringLiteral("画布比区域矮");
        return QString();
    }

    QString m_report;
    QString m_system;
    clsRecordingPrompt m_prompt;
    std::unique_ptr<clsDocument> m_doc;
    clsFormatSnapshot m_opened;
    clsCanvasController m_controller;
    bool m_refused = false;   // the last gesture said why it changed nothing
    QPoint m_carried;         // how far the last gesture carried the selection
};

// The failing steps, made as short as the failure allows: chunks first, then single steps.
std::vector<Step> Shrink(const QString& backend, quint32 seed, std::vector<Step> steps, QString& problem)
{
    int trials = 0;
    for (size_t chunk = std::max<size_t>(steps.size() / 2, 1);; chunk /= 2) {
        for (size_t at = 0; at < steps.size() && trials++ < 400;) {
            std::vector<Step> candidate(steps.begin(), steps.begin() + at);
            candidate.insert(candidate.end(), steps.begin() + std::min(at + chunk, steps.size()), steps.end());
            Run run(backend, seed);
            const QString why = run.db.Ready() ? run.Play(candidate) : QString();
            if (why.isEmpty()) {
                at += chunk;
            } else {
                steps = std::move(candidate);
                problem = why;
            }
        }
        if (chunk == 1 || trials >= 400)
            return steps;
    }
}
}

class tst_editSequences : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Undoing back to the open must be possible however long the sequence.
    void initTestCase() { clsFormatHistory::SetStepLimit(0); }
    void randomEdits_data()
    {
        clsTestDatabase::AddBackendColumn();
        for (const QString& b : clsTestDatabase::Backends())
            QTest::newRow(qPrintable(b)) << b;
    }
    void randomEdits()
    {
        QFETCH(QString, backend);
        const int count = qEnvironmentVariable("QXRF_STEPS", QStringLiteral("250")).toInt();
        // The seeds to run: QXRF_SEEDS ("7" or "1-200"), or the fixed set.
        const QStringList seeds = qEnvironmentVariable("QXRF_SEEDS", QStringLiteral("1-16")).split(QLatin1Char('-'));
        for (quint32 seed = seeds.first().toUInt(); seed <= seeds.last().toUInt(); ++seed) {
            const std::vector<Step> steps = Generate(seed, count);
            QString problem;
            int done = 0;
            {
                Run run(backend, seed);
                QXRF_REQUIRE_DB(run.db);
                problem = run.Play(steps, &done);
            }
            if (problem.isEmpty())
                continue;
            // Cut the prefix that failed down to the steps that matter.
            std::vector<Step> failing(steps.begin(), steps.begin() + done);
            const std::vector<Step> shortest = Shrink(backend, seed, failing, problem);
            QStringList listed;
            for (const Step& s : shortest)
                listed << Describe(s);
            QFAIL(qPrintable(QStringLiteral("seed %1 (%2 steps): %3\n  %4")
                                 .arg(seed).arg(shortest.size()).arg(problem, listed.join(QStringLiteral("\n  ")))));
        }
    }
};

QTEST_GUILESS_MAIN(tst_editSequences)
#include "tst_editSequences.moc"
