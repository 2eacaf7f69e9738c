#include "clsCanvasController.h"
#include "clsCanvasScene.h"
#include "columns/clsFieldsManager.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include <QtCore/qnamespace.h>
#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {
using Kind = clsCanvasScene::Kind;

// Pointer codes the window turns into cursors.
constexpr int kArrowCursor = 1;
constexpr int kCustomCursor = 99;
// Arrow keys move by this much, with Ctrl by the fine step; Shift+arrows resize.
constexpr qint32 kKeyStep = 50;
constexpr qint32 kFineStep = 10;
constexpr qint32 kResizeStep = 10;
// The rulers start this far before the drawing surface: the left ruler's positions
// count from the top ruler's upper edge, the top ruler's from the sheet's left edge.
constexpr qint32 kLeftRulerOffset = 330;
constexpr qint32 kTopRulerOffset = 315;
// Dropped fields become columns of this size, side by side.
constexpr qint32 kDropWidth = 1000;
constexpr qint32 kDropHeight = 300;

// How many labels, columns and titles are selected.
struct SelectionCount
{
    int labels = 0, cols = 0, titles = 0;
    bool Any() const { return labels || cols || titles; }
};

SelectionCount CountSelection()
{
    SelectionCount n;
    const auto selected = [](const auto& x) { return x->blnSelected; };
    if (const clsLabelManager* l = DocumentLabels())
        n.labels = int(std::count_if(l->Labels.begin(), l->Labels.end(), selected));
    if (const clsFieldsManager* f = DocumentFields()) {
        n.cols = int(std::count_if(f->Cols.begin(), f->Cols.end(), selected));
        n.titles = int(std::count_if(f->Titles.begin(), f->Titles.end(), selected));
    }
    return n;
}

// Whether anything is selected at all: a refusal is only worth saying about a selection.
bool AnySelected()
{
    return CountSelection().Any();
}

// What the selection is made of, to name a step: 标签, 列, 列标题, or 对象 for a mix.
QString SelectionNoun()
{
    const auto [labels, cols, titles] = CountSelection();
    if (labels && !cols && !titles)
        return QStringLiteral("标签");
    if (cols && !labels && !titles)
        return QStringLiteral("列");
    if (titles && !labels && !cols)
        return QStringLiteral("列标题");
    return QStringLiteral("对象");
}

// Index + 1 is the State value (None is 0).
const char* const kStateNames[] = {"AddLabel",   "AddCol",      "AddTitle",        "SelectObject",
                                   "SelectObjects", "LineSelects", "ColSelects",   "MoveObject",
                                   "ChangeTitleSize", "ChangeObjectSize", "ChangeRangSize"};
}

clsCanvasController::clsCanvasController() = default;
clsCanvasController::~clsCanvasController() = default;

clsCanvasController::State clsCanvasController::StateOf(const QString& name)
{
    const QString wanted = name.trimmed();
    for (size_t i = 0; i < std::size(kStateNames); ++i)
        if (wanted.compare(QString::fromLatin1(kStateNames[i]), Qt::CaseInsensitive) == 0)
            return State(int(i) + 1);
    return State::None;
}

// ---------------------------------------------------------------------------------
// The tool state

void clsCanvasController::SetToolState(const QString& name, qint32 X, qint32 Y, qint32 handleCode)
{
    ClearToolState();
    m_busy = true;
    m_state = StateOf(name);
    m_x0 = m_x1 = X;
    m_y0 = m_y1 = Y;
    m_dragStarted = false;
    if (m_state == State::ChangeObjectSize)
        m_handle = handleCode;
    if (m_state == State::MoveObject || m_state == State::ChangeObjectSize)
        PrepareSnap();
}

bool clsCanvasController::CancelToolState()
{
    if (m_state == State::None)
        return false;
    ClearToolState();
    m_busy = false;
    SetCursor(kArrowCursor);
    return true;
}

void clsCanvasController::ClearToolState()
{
    m_state = State::None;
    m_bandShown = false;
    m_hasDragBox = false;
}

bool clsCanvasController::IsAdding() const
{
    return m_state == State::AddLabel || m_state == State::AddCol || m_state == State::AddTitle;
}

bool clsCanvasController::IsState(const QString& name) const
{
    const State s = StateOf(name);
    return s != State::None && s == m_state;
}

bool clsCanvasController::Busy() const
{
    return m_busy;
}

QString clsCanvasController::GetRangeAt(qint32 X, qint32 Y) const
{
    QString name;
    if (const clsRangeManager* ranges = DocumentRanges())
        ranges->GetPointRange(X, Y, name);
    return name;
}

void clsCanvasController::EndToolState(qint32 X, qint32 Y, bool ctrl)
{
    EnsureDocumentLayout();
    const State state = m_state;
    clsLabelManager* labels = DocumentLabels();
    clsFieldsManager* fields = DocumentFields();
    clsRangeManager* ranges = DocumentRanges();
    const qint32 dx = Clamp32(qint64(X) - m_x0);
    const qint32 dy = Clamp32(qint64(Y) - m_y0);
    // Moves and resizes end where the drag snapped, as its outline showed.
    const QPoint snapped = Snapped(dx, dy);
    const bool dragged = m_dragStarted || LeftDeadZone(X, Y);
    m_state = State::None;
    m_hasDragBox = false;

    switch (state) {
    case State::AddCol:
    case State::AddLabel:
    case State::AddTitle: {
        const QString range = GetRangeAt(X, Y);
        if (range.isEmpty())
            break;
        if (state == State::AddLabel) {
            if (!labels)
                break;
            if (clsLabel* added = labels->AddLabels(range, X, Y, 0, 0)) {
                EndSelection();
                labels->SetSelectLabelObject(added->StrName, true);
                ListSelection();
            }
            CommitDocumentStep(QStringLiteral("增加标签"));
            break;
        }
        if (!fields)
            break;
        bool ok = false;
        if (labels)
            labels->ClearLabels();
        if (state == State::AddCol)
            fields->AddNewCol(range, X, Y, ok);
        else
            fields->AddNewTitle(range, X, Y, ok);
        CommitDocumentStep(state == State::AddCol ? QStringLiteral("增加列") : QStringLiteral("增加列标题"));
        if (ok && onShowProperties)
            onShowProperties();
        break;
    }
    case State::ChangeObjectSize:
        if (dragged)
            ResizeSelection(m_handle, snapped.x(), snapped.y());
        break;
    case State::ChangeRangSize:
        EndSelection();
        if (ranges && !m_rangeName.isEmpty()) {
            ranges->ChangeRangeHeight(m_rangeName, std::max(dy, RangeChangeBound()));
            ranges->ReDrawAllRangesAndObject();
            CommitDocumentStep(QStringLiteral("调整区域高度 ") + m_rangeName);
        }
        break;
    case State::MoveObject:
        if (dragged && (snapped.x() != 0 || snapped.y() != 0))
            MoveSelection(snapped.x(), snapped.y());
        break;
    case State::SelectObject:
        // The press chose the object; the release shows the selection as it now is.
        Q_UNUSED(ctrl);
        ListSelection();
        break;
    case State::SelectObjects:
        SelectInRect(std::min(m_x0, X), std::min(m_y0, Y), std::max(m_x0, X), std::max(m_y0, Y));
        break;
    case State::LineSelects:
    case State::ColSelects: {
        const clsCanvasScene* scene = DocumentScene();
        const qint32 backLeft = scene ? scene->picBack.left : 0;
        const qint32 backTop = scene ? scene->picBack.top : 0;
        // A click selects along one line; dragging along the ruler selects everything
        // between the press and the release.
        constexpr qint32 lowest = std::numeric_limits<qint32>::min();
        constexpr qint32 highest = std::numeric_limits<qint32>::max();
        if (state == State::LineSelects) {
            const qint32 y0 = Clamp32(qint64(m_y0) - backTop - kLeftRulerOffset);
            const qint32 y1 = Clamp32(qint64(Y) - backTop - kLeftRulerOffset);
            SelectInRect(lowest, std::min(y0, y1), highest, std::max(y0, y1));
        } else {
            const qint32 x0 = Clamp32(qint64(m_x0) - backLeft - kTopRulerOffset);
            const qint32 x1 = Clamp32(qint64(X) - backLeft - kTopRulerOffset);
            SelectInRect(std::min(x0, x1), lowest, std::max(x0, x1), highest);
        }
        break;
    }
    case State::ChangeTitleSize:
        EndSelection();
        if (fields && ranges)
            fields->ChangeTitleHeight(Clamp32(qint64(ranges->pTitleHeight) + dy));
        CommitDocumentStep(QStringLiteral("调整标题高度"));
        break;
    case State::None:
        break;
    }
    m_bandShown = false;
    m_rangeName.clear();
    m_busy = false;
}

qint32 clsCanvasController::RangeChangeBound() const
{
    // A range may be dragged down to nothing, never past it: its height stays at
    // least 0, so the ranges below can never overlap the ones above.
    const clsRangeManager* ranges = DocumentRanges();
    const clsRange* range = ranges ? ranges->FindRange(m_rangeName) : nullptr;
    if (!range)
        return 0;
    // Down to what the range holds, never past it.
    return -std::max(range->Height - ranges->ContentHeight(*range), 0);
}

// Hit rule of the rubber band, the ruler line and the ruler strip: a shown view is
// taken when its box overlaps the area or touches its edge.
void clsCanvasController::SelectInRect(qint32 left, qint32 top, qint32 right, qint32 bottom)
{
    EnsureDocumentLayout();
    const clsCanvasScene* scene = DocumentScene();
    clsLabelManager* labels = DocumentLabels();
    clsFieldsManager* fields = DocumentFields();
    if (!scene)
        return;
    const auto hit = [&](const clsSceneElement& e) {
        return scene->IsDisplayed(e) && qint64(e.rect.left) <= right && qint64(e.rect.Right()) >= left
            && qint64(e.rect.top) <= bottom && qint64(e.rect.Bottom()) >= top;
    };
    // Walk the records and look their views up by name, so a band over a wide report
    // stays linear in the number of objects.
    const auto hitByName = [&](Kind kind, const QString& name) {
        const clsSceneElement* view = scene->Find(kind, name);
        return view && hit(*view);
    };
    if (fields) {
        for (const auto& t : fields->Titles)
            if (!t->blnSelected && hitByName(Kind::Title, t->name))
                t->blnSelected = true;
        for (const auto& c : fields->Cols)
            if (!c->blnSelected && c->BlnEnable && hitByName(Kind::Column, c->name))
                c->blnSelected = true;
    }
    if (labels)
        for (const auto& l : labels->Labels)
            if (!l->blnSelected && hitByName(Kind::Label, l->StrName))
                l->blnSelected = true;
    ListSelection();
}

void clsCanvasController::ListSelection()
{
    if (clsLabelManager* labels = DocumentLabels())
        labels->ListSelectedObject();
    if (clsFieldsManager* fields = DocumentFields()) {
        fields->ListSelectedCols();
        fields->ListSelectedTitles();
    }
}

// ---------------------------------------------------------------------------------
// Gestures

void clsCanvasController::SetCursor(int cursor)
{
    if (m_cursor == cursor)
        return;
    m_cursor = cursor;
    if (onCursorChanged)
        onCursorChanged();
}

bool clsCanvasController::ViewSelected(CanvasTarget target, const QString& name) const
{
    const clsLabelManager* labels = DocumentLabels();
    const clsFieldsManager* fields = DocumentFields();
    if (!labels || !fields)
        return false;
    switch (target) {
    case CanvasTarget::LabelView:
        return labels->LabelSelected(name);
    case CanvasTarget::ColumnView:
        return fields->ColSelected(name);
    default:
        return fields->TitleSelected(name);
    }
}

void clsCanvasController::SelectView(CanvasTarget target, const QString& name)
{
    clsLabelManager* labels = DocumentLabels();
    clsFieldsManager* fields = DocumentFields();
    if (!labels || !fields)
        return;
    switch (target) {
    case CanvasTarget::LabelView:
        labels->SetSelectLabelObject(name, false);
        break;
    case CanvasTarget::ColumnView:
        fields->SetSelectedColObject(name, false);
        break;
    default:
        fields->SetSelectedTitleObject(name, false);
        break;
    }
    ListSelection();
}

void clsCanvasController::SelectObjectView(CanvasTarget target, const QString& name, CanvasModifiers m)
{
    if (!DocumentLabels() || !DocumentFields())
        return;
    // Shift or Ctrl adds the object to the selection or takes it out; a plain press
    // on an unselected object selects it alone, and on a selected one keeps the
    // selection: either way a drag from there moves what is selected.
    const bool additive = m.shift || m.ctrl;
    if (!additive && ViewSelected(target, name)) {
        SetToolState(QStringLiteral("MoveObject"), m_x1, m_y1);
        return;
    }
    if (!additive)
        EndSelection();
    SelectView(target, name);
    SetToolState(additive ? QStringLiteral("SelectObject") : QStringLiteral("MoveObject"), m_x1, m_y1);
}

void clsCanvasController::Press(CanvasTarget target, const QString& name, CanvasButton button, qint32 X, qint32 Y,
                                CanvasModifiers m)
{
    EnsureDocumentLayout();
    const bool left = button == CanvasButton::Left;
    switch (target) {
    case CanvasTarget::Canvas:
        m_bandShown = false;
        if (!left) {
            // Right on the empty sheet: an add under way is given up; otherwise the
            // selection is let go and the menu offers what needs none (paste, add,
            // select all).
            const bool adding = IsAdding();
            ClearToolState();
            if (adding) {
                SetCursor(kArrowCursor);
                return;
            }
            m_busy = false;
            EndSelection();
            if (onContextMenu)
                onContextMenu();
            return;
        }
        if (IsAdding()) {
            EndToolState(X, Y, m.ctrl);
            SetCursor(kArrowCursor);
            return;
        }
        if (!m.ctrl)
            EndSelection();
        SetToolState(QStringLiteral("SelectObjects"), X, Y);
        return;
    case CanvasTarget::LabelView:
    case CanvasTarget::ColumnView:
    case CanvasTarget::TitleView:
        if (!left) {
            ClearToolState();
            m_busy = false;
            // The menu acts on what was clicked: an object outside the selection
            // becomes the selection.
            if (!ViewSelected(target, name)) {
                EndSelection();
                SelectView(target, name);
            }
            if (onContextMenu)
                onContextMenu();
            return;
        }
        m_x1 = X;
        m_y1 = Y;
        SelectObjectView(target, name, m);
        return;
    case CanvasTarget::SizeHandle: {
        if (!left)
            return;
        bool ok = false;
        const int code = name.trimmed().toInt(&ok);
        if (!ok || code < 0 || code > 3)
            return;
        SetToolState(QStringLiteral("ChangeObjectSize"), X, Y, code);
        return;
    }
    case CanvasTarget::TitleLine:
        if (left)
            SetToolState(QStringLiteral("ChangeTitleSize"), X, Y);
        return;
    case CanvasTarget::RangeBar:
        if (!left)
            return;
        SetToolState(QStringLiteral("ChangeRangSize"), X, Y);
        m_rangeName = name.trimmed().isEmpty() ? GetRangeAt(X, Y) : name.trimmed();
        return;
    case CanvasTarget::LeftRuler:
    case CanvasTarget::TopRuler:
        if (!left) {
            if (onContextMenu)
                onContextMenu();
            return;
        }
        if (!m.ctrl)
            EndSelection();
        SetToolState(target == CanvasTarget::LeftRuler ? QStringLiteral("LineSelects") : QStringLiteral("ColSelects"),
                     X, Y);
        return;
    }
}

void clsCanvasController::Move(CanvasTarget target, qint32 X, qint32 Y, CanvasModifiers)
{
    // The handles, the range bar and the title line carry their own pointers, and so
    // does the whole drawing surface while an object is being added.
    const bool grip = target == CanvasTarget::SizeHandle || target == CanvasTarget::RangeBar
        || target == CanvasTarget::TitleLine;
    const bool onSurface = target != CanvasTarget::LeftRuler && target != CanvasTarget::TopRuler;
    SetCursor(grip || (IsAdding() && onSurface) ? kCustomCursor : kArrowCursor);
    if (IsAdding())
        return;
    m_x1 = X;
    m_y1 = Y;
    m_dragStarted = m_dragStarted || LeftDeadZone(X, Y);
    m_bandShown = m_state == State::SelectObjects;
}

bool clsCanvasController::LeftDeadZone(qint32 X, qint32 Y) const
{
    constexpr qint64 kDeadZone = 45;   // three pixels at full size
    return std::abs(qint64(X) - m_x0) > kDeadZone || std::abs(qint64(Y) - m_y0) > kDeadZone;
}

void clsCanvasController::Release(CanvasTarget target, qint32 X, qint32 Y, CanvasModifiers m)
{
    // The Add states end at the next press, not at a release.
    if ((m_state == State::None && !m_busy) || IsAdding())
        return;
    // The title line is only let go on the line itself.
    if (target == CanvasTarget::Canvas && m_state == State::ChangeTitleSize)
        return;
    EndToolState(X, Y, m.ctrl);
}

void clsCanvasController::DropFields(const QStringList& fields, qint32 X, qint32 Y)
{
    EnsureDocumentLayout();
    clsRangeManager* ranges = DocumentRanges();
    clsFieldsManager* manager = DocumentFields();
    if (!ranges || !manager)
        return;
    QString body;
    ranges->RangeTypeToName(QStringLiteral("正文区"), QString(), body);
    qint32 l = 0, top = 0, w = 0, height = 0;
    const clsRange* range = body.isEmpty() ? nullptr : ranges->FindRange(body);
    if (!range || !range->blnLaidOut || !ranges->GetRangePart(body, l, top, w, height) || Y < top
        || qint64(Y) >= qint64(top) + height) {
        ShowMessage(QStringLiteral("字段必须拖放到正文区域中..."));
        return;
    }
    // The fields go side by side from the drop point, each where its left edge lands.
    qint64 x = X;
    for (const QString& field : fields) {
        manager->DrawFields(field, Clamp32(x), top, kDropWidth, kDropHeight);
        x += kDropWidth;
    }
    CommitDocumentStep(QStringLiteral("拖入字段 ") + fields.join(QStringLiteral("、")));
    if (onRefreshFieldList)
        onRefreshFieldList();
}

// ---------------------------------------------------------------------------------
// Commands of the window

void clsCanvasController::EndSelection()
{
    if (clsLabelManager* labels = DocumentLabels())
        labels->ClearLabels();
    if (clsFieldsManager* fields = DocumentFields())
        fields->ClearAllSelected();
}

void clsCanvasController::MoveSelection(qint32 dx, qint32 dy)
{
    clsLabelManager* labels = DocumentLabels();
    clsFieldsManager* fields = DocumentFields();
    if (!labels || !fields)
        return;
    const QString noun = SelectionNoun();
    bool ok = false;
    labels->MoveSelectedLabels(dx, dy);
    fields->MoveColObject(dx, dy, ok);
    fields->MoveTitleObject(dx, dy, ok);
    if (!CommitDocumentStep(QStringLiteral("移动") + noun) && (dx != 0 || dy != 0) && onRefused && AnySelected())
        onRefused(QStringLiteral("不能移到这里，所选%1留在原处").arg(noun));
}

void clsCanvasController::ResizeSelection(qint32 handleCode, qint32 dw, qint32 dh)
{
    clsLabelManager* labels = DocumentLabels();
    clsFieldsManager* fields = DocumentFields();
    if (!labels || !fields)
        return;
    const QString noun = SelectionNoun();
    labels->ChangeSelectedObjectsSize(dw, dh, handleCode);
    fields->ChangeSelectedObjectsSize(dw, dh, handleCode);
    if (!CommitDocumentStep(noun == QLatin1String("列") && dh == 0 ? QStringLiteral("调整列宽")
                                                                  : QStringLiteral("调整%1大小").arg(noun))
        && (dw != 0 || dh != 0) && onRefused && AnySelected())
        onRefused(QStringLiteral("不能改成这个大小，所选%1保持原样").arg(noun));
}

void clsCanvasController::DeleteSelection()
{
    clsLabelManager* labels = DocumentLabels();
    clsFieldsManager* fields = DocumentFields();
    if (!labels || !fields)
        return;
    const QString noun = SelectionNoun();
    labels->DeleteLabels();
    fields->DeleteAllSelectedObjects();
    if (onRefreshFieldList)
        onRefreshFieldList();
    EndSelection();
    CommitDocumentStep(QStringLiteral("删除") + noun);
}

void clsCanvasController::CopyLabels()
{
    // Copying nothing would forget the last copy, as no clipboard does.
    clsLabelManager* labels = DocumentLabels();
    if (labels && CountSelection().labels > 0)
        labels->CopyLabels(true);
}

clsCanvasController::EditTargets clsCanvasController::CurrentEditTargets()
{
    EditTargets t;
    const SelectionCount n = CountSelection();
    t.anySelected = n.Any();
    t.labelSelected = n.labels > 0;
    if (const clsLabelManager* labels = DocumentLabels())
        t.labelCopied = std::any_of(labels->Labels.begin(), labels->Labels.end(), [](const auto& l) { return l->blnCopyed; });
    return t;
}

void clsCanvasController::PasteLabels()
{
    if (clsLabelManager* labels = DocumentLabels()) {
        // The copies go to the end of the list; they become the selection, ready to be
        // dragged into place as in any designer.
        const size_t before = labels->Labels.size();
        if (labels->CopyLabels(false) > 0) {
            EndSelection();
            for (size_t i = before; i < labels->Labels.size(); ++i)
                labels->Labels[i]->blnSelected = true;
            MarkLayoutDirty();
        }
        labels->ListSelectedObject();
        CommitDocumentStep(QStringLiteral("粘贴标签"));
    }
}

void clsCanvasController::SelectAll()
{
    EnsureDocumentLayout();
    // Every label, column and title; the layout pass lets go of whatever is not shown.
    if (clsLabelManager* labels = DocumentLabels())
        for (const auto& l : labels->Labels)
            l->blnSelected = true;
    if (clsFieldsManager* fields = DocumentFields()) {
        for (const auto& c : fields->Cols)
            c->blnSelected = c->BlnEnable;
        for (const auto& t : fields->Titles)
            t->blnSelected = true;
    }
    MarkLayoutDirty();
    ListSelection();
}

void clsCanvasController::ShowProperties()
{
    if (onShowProperties)
        onShowProperties();
}

void clsCanvasController::Align(int code)
{
    clsLabelManager* labels = DocumentLabels();
    clsFieldsManager* fields = DocumentFields();
    if (!labels || !fields)
        return;
    labels->MoveAllObjectsOrientation(code);
    fields->MoveAllObjectsOrientation(code);
    static const char* const names[] = {"上对齐", "下对齐", "左对齐", "右对齐", "对象自动横排", "对象自动竖排"};
    CommitDocumentStep(code >= 0 && code < int(std::size(names)) ? QString::fromUtf8(names[code]) : QStringLiteral("对齐"));
}

void clsCanvasController::ToggleRange(const QString& rangeType, bool currentlyChecked)
{
    clsRangeManager* ranges = DocumentRanges();
    if (!ranges)
        return;
    QString name;
    ranges->RangeTypeToName(rangeType, QString(), name);
    if (name.isEmpty())
        return;
    ranges->SetRangeVisible(name, !currentlyChecked);
    ranges->ReDrawAllRangesAndObject();
    CommitDocumentStep((currentlyChecked ? QStringLiteral("隐藏区域 ") : QStringLiteral("显示区域 ")) + name);
}

bool clsCanvasController::HandleKey(int qtKey, CanvasModifiers m)
{
    switch (qtKey) {
    case Qt::Key_F4:
        if (m.ctrl || m.shift)
            return false;
        ShowProperties();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const bool vertical = qtKey == Qt::Key_Up || qtKey == Qt::Key_Down;
        const qint32 sign = (qtKey == Qt::Key_Up || qtKey == Qt::Key_Left) ? -1 : 1;
        if (m.ctrl && m.shift)
            return false;
        if (m.shift) {
            if (vertical)
                ResizeSelection(1, 0, sign * kResizeStep);
            else
                ResizeSelection(3, sign * kResizeStep, 0);
            return true;
        }
        const qint32 step = sign * (m.ctrl ? kFineStep : kKeyStep);
        MoveSelection(vertical ? 0 : step, vertical ? step : 0);
        return true;
    }
    case Qt::Key_Delete:
        DeleteSelection();
        return true;
    case Qt::Key_Escape:
        return CancelToolState();
    case Qt::Key_C:
        if (!m.ctrl)
            return false;
        CopyLabels();
        return true;
    case Qt::Key_V:
        if (!m.ctrl)
            return false;
        PasteLabels();
        return true;
    case Qt::Key_A:
        if (!m.ctrl || m.shift)
            return false;
        SelectAll();
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------
// Feedback while dragging

QRect clsCanvasController::RubberBand() const
{
    if (m_state != State::SelectObjects || !m_bandShown)
        return QRect();
    return QRect(std::min(m_x0, m_x1), std::min(m_y0, m_y1), Clamp32(std::abs(qint64(m_x1) - m_x0)),
                 Clamp32(std::abs(qint64(m_y1) - m_y0)));
}

QPoint clsCanvasController::DragOffset() const
{
    if ((m_state != State::MoveObject && m_state != State::ChangeObjectSize) || !m_dragStarted)
        return QPoint();
    return Snapped(Clamp32(qint64(m_x1) - m_x0), Clamp32(qint64(m_y1) - m_y0));
}

void clsCanvasController::SnapGuides(std::vector<qint32>& xs, std::vector<qint32>& ys) const
{
    xs.clear();
    ys.clear();
    if ((m_state == State::MoveObject || m_state == State::ChangeObjectSize) && m_dragStarted)
        Snapped(Clamp32(qint64(m_x1) - m_x0), Clamp32(qint64(m_y1) - m_y0), &xs, &ys);
}

// ---------------------------------------------------------------------------------
// Snapping

void clsCanvasController::PrepareSnap()
{
    m_hasDragBox = false;
    m_edgesX.clear();
    m_edgesY.clear();
    const clsCanvasScene* scene = DocumentScene();
    if (!scene || (m_snap.gridStep <= 0 && !m_snap.toObjects))
        return;
    qint64 left = std::numeric_limits<qint64>::max();
    qint64 top = left;
    qint64 right = std::numeric_limits<qint64>::min();
    qint64 bottom = right;
    for (Kind kind : {Kind::Label, Kind::Column, Kind::Title}) {
        if (!scene->KindShown(kind))
            continue;
        for (const auto& e : scene->Elements(kind)) {
            if (!e->visible)
                continue;
            if (e->selected) {
                left = std::min<qint64>(left, e->rect.left);
                top = std::min<qint64>(top, e->rect.top);
                right = std::max<qint64>(right, e->rect.Right());
                bottom = std::max<qint64>(bottom, e->rect.Bottom());
            } else if (m_snap.toObjects) {
                m_edgesX.push_back(e->rect.left);
                m_edgesX.push_back(e->rect.Right());
                m_edgesY.push_back(e->rect.top);
                m_edgesY.push_back(e->rect.Bottom());
            }
        }
    }
    if (left > right)
        return;
    m_dragBox = {Clamp32(left), Clamp32(top), Clamp32(right - left), Clamp32(bottom - top)};
    m_hasDragBox = true;
    for (auto* edges : {&m_edgesX, &m_edgesY}) {
        std::sort(edges->begin(), edges->end());
        edges->erase(std::unique(edges->begin(), edges->end()), edges->end());
    }
}

namespace {
// The smallest correction within `tolerance` that puts one of the moved edges on a
// grid line or on another object's edge; 0 when there is none. Object edges win a
// tie, since they are what the guides show.
qint64 SnapAxis(const std::vector<qint64>& moved, const std::vector<qint32>& edges, qint32 grid, qint32 tolerance)
{
    qint64 best = 0;
    bool found = false;
    bool bestIsEdge = false;
    const auto consider = [&](qint64 delta, bool edge) {
        if (std::abs(delta) > tolerance)
            return;
        if (!found || std::abs(delta) < std::abs(best) || (std::abs(delta) == std::abs(best) && edge && !bestIsEdge)) {
            best = delta;
            found = true;
            bestIsEdge = edge;
        }
    };
    for (qint64 pos : moved) {
        if (grid > 0) {
            const qint64 below = pos >= 0 ? pos / grid * grid : -((-pos + grid - 1) / grid) * grid;
            consider(below - pos, false);
            consider(below + grid - pos, false);
        }
        const auto it = std::lower_bound(edges.begin(), edges.end(), pos);
        if (it != edges.end())
            consider(*it - pos, true);
        if (it != edges.begin())
            consider(*(it - 1) - pos, true);
    }
    return best;
}

// The other objects' edges that a moved edge lies on after snapping.
void Guides(const std::vector<qint64>& moved, qint64 delta, const std::vector<qint32>& edges, std::vector<qint32>& out)
{
    for (qint64 pos : moved)
        if (std::binary_search(edges.begin(), edges.end(), pos + delta))
            out.push_back(Clamp32(pos + delta));
}
}

QPoint clsCanvasController::Snapped(qint32 dx, qint32 dy, std::vector<qint32>* guideX, std::vector<qint32>* guideY) const
{
    if (!m_hasDragBox || (m_state != State::MoveObject && m_state != State::ChangeObjectSize))
        return QPoint(dx, dy);
    const clsSceneRect& box = m_dragBox;
    // The edges the drag carries: all four for a move, the dragged one for a resize.
    std::vector<qint64> xs;
    std::vector<qint64> ys;
    if (m_state == State::MoveObject) {
        xs = {qint64(box.left) + dx, qint64(box.left) + box.width + dx};
        ys = {qint64(box.top) + dy, qint64(box.top) + box.height + dy};
    } else if (m_handle == 0) {
        ys = {qint64(box.top) + dy};
    } else if (m_handle == 1) {
        ys = {qint64(box.top) + box.height + dy};
    } else if (m_handle == 2) {
        xs = {qint64(box.left) + dx};
    } else {
        xs = {qint64(box.left) + box.width + dx};
    }
    const qint64 sx = SnapAxis(xs, m_edgesX, m_snap.gridStep, m_snap.tolerance);
    const qint64 sy = SnapAxis(ys, m_edgesY, m_snap.gridStep, m_snap.tolerance);
    if (guideX)
        Guides(xs, sx, m_edgesX, *guideX);
    if (guideY)
        Guides(ys, sy, m_edgesY, *guideY);
    return QPoint(Clamp32(dx + sx), Clamp32(dy + sy));
}

qint32 clsCanvasController::DragLineY() const
{
    if (m_state == State::ChangeTitleSize) {
        const clsCanvasScene* scene = DocumentScene();
        const qint32 line = scene ? scene->lineBreak.y1 : m_y0;
        return Clamp32(qint64(line) + m_y1 - m_y0);
    }
    if (m_state == State::ChangeRangSize) {
        const qint32 dy = std::max(Clamp32(qint64(m_y1) - m_y0), RangeChangeBound());
        return Clamp32(qint64(m_y0) + dy);
    }
    return -1;
}

int clsCanvasController::Cursor() const
{
    return m_cursor;
}
