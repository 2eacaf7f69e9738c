// Editing the column captions and composite titles on the designer's canvas:
// adding, selecting, moving, resizing, aligning, deleting and dropping fields.
#include "clsFieldsManager.h"
#include "designer/clsCanvasScene.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "ranges/clsRangeManager.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
using Kind = clsCanvasScene::Kind;

const QString kBodyRange = QStringLiteral("正文区");
// A collapsed edge leaves a box this size, small but still grabbable.
constexpr qint32 kCollapsedSize = 5;
// Titles start this far below the body's top when nothing has been drawn yet (the
// range layout leaves the same gap above them).
constexpr qint32 kTitleGap = 20;
// A dropped field's column goes this far below the separator, its title this far above.
constexpr qint32 kDropGap = 20;

bool SameTrimmedText(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

struct BodyPart
{
    QString name;
    qint64 left = 0, top = 0, width = 0, height = 0;
    qint64 titleHeight = 0;
    qint64 Bottom() const { return top + height; }
    qint64 Separator() const { return top + titleHeight; }
};

// The body range and the height of its title part; False without one.
bool ReadBody(BodyPart& body)
{
    const clsRangeManager* ranges = DocumentRanges();
    if (!ranges)
        return false;
    ranges->RangeTypeToName(kBodyRange, QString(), body.name);
    qint32 l = 0, t = 0, w = 0, h = 0;
    if (body.name.isEmpty() || !ranges->GetRangePart(body.name, l, t, w, h))
        return false;
    body.left = l;
    body.top = t;
    body.width = w;
    body.height = h;
    body.titleHeight = ranges->pTitleHeight;
    return true;
}

// Right limit of the body: a range carries no width of its own until the user types
// one, and then the whole sheet is open to the objects.
qint64 RightLimit(const BodyPart& body)
{
    if (body.width > 0)
        return body.width;
    if (const clsCanvasScene* scene = DocumentScene())
        if (scene->picDraw.width > 0)
            return scene->picDraw.width;
    return std::numeric_limits<qint32>::max();
}

// The top of the title part as the last layout placed it: taken from a drawn title
// when there is one, so new titles keep the same reference as the others.
qint32 TitlePartTop(const std::vector<std::unique_ptr<clsTitle>>& titles, qint64 bodyTop)
{
    for (const auto& t : titles)
        if (t->cy > 0 && t->Y > 1)
            return Clamp32(qint64(t->Y) - t->lngTop);
    return Clamp32(bodyTop + kTitleGap);
}

// A title keeps its place relative to the title part, so a later layout pass that
// only moves the part keeps what the user arranged.
void SetTitleY(clsTitle& t, qint64 y)
{
    const qint32 newY = Clamp32(y);
    t.lngTop = Clamp32(qint64(t.lngTop) + (qint64(newY) - t.Y));
    t.Y = newY;
}

QString TitleCaption(const clsTitle& t)
{
    return t.nameForeign.trimmed().isEmpty() ? t.name : t.nameForeign;
}

void PlaceColView(const clsRepcol& c)
{
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    clsSceneElement& view = scene->Obtain(Kind::Column, c.name);
    view.caption = c.name;
    view.rect = {c.X, c.Y, c.cx, c.cy};
    view.alignment = clsFieldsManager::GetLabelAligent(c.AlignStyle);
    view.selected = c.blnSelected;
    view.visible = c.BlnEnable && c.blnVisible;
}

void PlaceTitleView(const clsTitle& t)
{
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    clsSceneElement& view = scene->Obtain(Kind::Title, t.name);
    view.caption = TitleCaption(t);
    view.rect = {t.X, t.Y, t.cx, t.cy};
    view.alignment = clsSceneAlign::Centre;
    view.selected = t.blnSelected;
    view.visible = t.blnVisible && !t.blnDelected;
}

// Moves one edge of a box; a size that does not stay above 0 collapses.
void DragEdge(qint32& x, qint32& y, qint32& cx, qint32& cy, qint32 dx, qint32 dy, qint32 side)
{
    switch (side) {
    case 0:
        y = Clamp32(qint64(y) + dy);
        cy = Clamp32(qint64(cy) - dy);
        break;
    case 1:
        cy = Clamp32(qint64(cy) + dy);
        break;
    case 2:
        x = Clamp32(qint64(x) + dx);
        cx = Clamp32(qint64(cx) - dx);
        break;
    case 3:
        cx = Clamp32(qint64(cx) + dx);
        break;
    default:
        return;
    }
    if (cx <= 0)
        cx = kCollapsedSize;
    if (cy <= 0)
        cy = kCollapsedSize;
}

// One object of an alignment pass.
struct AlignItem
{
    qint32* X;
    qint32* Y;
    qint32 cx;
    qint32 cy;
    clsTitle* title;  // titles also carry their place in the title part
};

void SetItemY(AlignItem& item, qint64 y)
{
    if (item.title)
        SetTitleY(*item.title, y);
    else
        *item.Y = Clamp32(y);
}

bool AlignItems(std::vector<AlignItem> items, qint32 kind)
{
    if (items.empty())
        return false;
    switch (kind) {
    case 0:
        for (AlignItem& i : items)
            SetItemY(i, *items.front().Y);
        break;
    case 1: {
        qint64 bottom = std::numeric_limits<qint64>::min();
        for (const AlignItem& i : items)
            bottom = std::max(bottom, qint64(*i.Y) + i.cy);
        for (AlignItem& i : items)
            SetItemY(i, bottom - i.cy);
        break;
    }
    case 2: {
        const qint32 left = *items.front().X;
        for (AlignItem& i : items)
            *i.X = left;
        break;
    }
    case 3: {
        qint64 right = std::numeric_limits<qint64>::min();
        for (const AlignItem& i : items)
            right = std::max(right, qint64(*i.X) + i.cx);
        for (AlignItem& i : items)
            *i.X = Clamp32(right - i.cx);
        break;
    }
    case 4:
    case 5: {
        const bool sideBySide = kind == 4;
        // Equal keys keep the list order.
        std::stable_sort(items.begin(), items.end(), [&](const AlignItem& a, const AlignItem& b) {
            return sideBySide ? *a.X < *b.X : *a.Y < *b.Y;
        });
        const qint32 firstX = *items.front().X;
        const qint32 firstY = *items.front().Y;
        for (size_t k = 0; k < items.size(); ++k) {
            AlignItem& i = items[k];
            if (sideBySide) {
                SetItemY(i, firstY);
                if (k > 0)
                    *i.X = Clamp32(qint64(*items[k - 1].X) + items[k - 1].cx);
            } else {
                *i.X = firstX;
                if (k > 0)
                    SetItemY(i, qint64(*items[k - 1].Y) + items[k - 1].cy);
            }
        }
        break;
    }
    default:
        return false;
    }
    return true;
}
}

// ---------------------------------------------------------------------------------
// Adding

clsRepcol* clsFieldsManager::AddNewColObject(qint32 X, qint32 Y, qint32 width, qint32 height)
{
    auto c = std::make_unique<clsRepcol>();
    c->name = NewColName();
    c->Caption = c->name;
    c->BlnEnable = true;
    c->blnVisible = true;
    c->Col = 0;
    c->Width = c->cx = width;
    c->Height = c->cy = height;
    c->X = X;
    c->Y = Y;
    Cols.push_back(std::move(c));
    MarkDocChanged();
    PlaceColView(*Cols.back());
    return Cols.back().get();
}

clsTitle* clsFieldsManager::AddNewTitleObject(qint32 X, qint32 Y, qint32 width, qint32 height)
{
    BodyPart body;
    const qint64 bodyTop = ReadBody(body) ? body.top : Y;
    auto t = std::make_unique<clsTitle>();
    t->name = NewTitleName();
    t->blnVisible = true;
    t->X = X;
    t->cx = width;
    t->cy = height;
    t->top = t->left = t->Width = t->Height = 1;
    t->lngTop = Clamp32(qint64(Y) - TitlePartTop(Titles, bodyTop));
    t->Y = Y;
    Titles.push_back(std::move(t));
    MarkDocChanged();
    PlaceTitleView(*Titles.back());
    return Titles.back().get();
}

// Columns and titles are drawn only into the body range: its manager and geometry,
// or nothing (after the message) for any other range.
static clsRangeManager* BodyRangeForDrawing(const QString& rangeName, qint32& top, qint32& height)
{
    clsRangeManager* ranges = DocumentRanges();
    if (!ranges)
        return nullptr;
    if (!SameTrimmedText(ranges->ReadRangeProperty(rangeName, QStringLiteral("区域类别")), kBodyRange)) {
        ShowMessage(rangeName + QStringLiteral("不能画报表列对象..."));
        return nullptr;
    }
    qint32 l = 0, w = 0;
    ranges->GetRangePart(rangeName, l, top, w, height);
    return ranges;
}

void clsFieldsManager::AddNewCol(const QString& rangeName, qint32 X, qint32 Y, bool& ok)
{
    ok = false;
    qint32 top = 0, height = 0;
    clsRangeManager* ranges = BodyRangeForDrawing(rangeName, top, height);
    if (!ranges)
        return;
    if (qint64(Y) - top < ranges->pTitleHeight) {
        ShowMessage(rangeName + QStringLiteral("的标题部分不能画列对象..."));
        return;
    }
    clsRepcol* c = AddNewColObject(X, Y, 1000, 300);
    const qint64 bottom = qint64(c->Y) + c->cy;
    if (bottom > qint64(top) + height) {
        // The range's height is entered in whole millimetres; round up so that at
        // least 300 twips stay free under the new column.
        const qint64 wanted = bottom + 300 - top;
        const qint64 mm = (wanted + 55) / 56;
        ranges->SetRangeProperty(rangeName, QStringLiteral("下边距"), QString::number(mm));
    }
    ClearTitles();
    SetSelectedColObject(c->name, true);
    ListAllSelectTip();
    ok = true;
}

void clsFieldsManager::AddNewTitle(const QString& rangeName, qint32 X, qint32 Y, bool& ok)
{
    ok = false;
    qint32 top = 0, height = 0;
    clsRangeManager* ranges = BodyRangeForDrawing(rangeName, top, height);
    if (!ranges)
        return;
    if (!(qint64(Y) - top < ranges->pTitleHeight)) {
        ShowMessage(rangeName + QStringLiteral("的列部分不能画标题..."));
        return;
    }
    clsTitle* t = AddNewTitleObject(X, Y, 1000, 300);
    ClearColsSelected();
    SetSelectedTitleObject(t->name, true);
    ListAllSelectTip();
    ok = true;
}

// ---------------------------------------------------------------------------------
// Selection

void clsFieldsManager::SetSelectedColObject(const QString& name, bool exclusive)
{
    for (const auto& c : Cols) {
        if (exclusive)
            c->blnSelected = false;
        if (SameTrimmedText(c->name, name))
            c->blnSelected = !c->blnSelected;
    }
}

void clsFieldsManager::SetSelectedTitleObject(const QString& name, bool exclusive)
{
    for (const auto& t : Titles) {
        if (exclusive)
            t->blnSelected = false;
        if (SameTrimmedText(t->name, name))
            t->blnSelected = !t->blnSelected;
    }
}

void clsFieldsManager::ClearColsSelected()
{
    for (const auto& c : Cols)
        c->blnSelected = false;
    if (clsCanvasScene* scene = DocumentScene()) {
        scene->HideSizeHandles(Kind::Column);
        for (const auto& view : scene->Elements(Kind::Column))
            view->selected = false;
    }
}

void clsFieldsManager::ClearTitles()
{
    for (const auto& t : Titles)
        t->blnSelected = false;
    if (clsCanvasScene* scene = DocumentScene()) {
        scene->HideSizeHandles(Kind::Title);
        for (const auto& view : scene->Elements(Kind::Title))
            view->selected = false;
    }
}

void clsFieldsManager::ClearAllSelected()
{
    ClearColsSelected();
    ClearTitles();
}

bool clsFieldsManager::HasSelection() const
{
    return std::any_of(Cols.begin(), Cols.end(), [](const auto& c) { return c->blnSelected; })
        || std::any_of(Titles.begin(), Titles.end(), [](const auto& t) { return t->blnSelected; });
}

void clsFieldsManager::ListSelectedCols()
{
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    scene->HideSizeHandles(Kind::Column);
    for (const auto& c : Cols) {
        clsSceneElement* view = scene->Find(Kind::Column, c->name);
        if (!view)
            continue;
        view->selected = c->blnSelected;
        if (c->blnSelected && c->BlnEnable)
            scene->ShowSizeHandles(*view);
    }
}

void clsFieldsManager::ListSelectedTitles()
{
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    scene->HideSizeHandles(Kind::Title);
    for (const auto& t : Titles) {
        clsSceneElement* view = scene->Find(Kind::Title, t->name);
        if (!view)
            continue;
        view->selected = t->blnSelected;
        if (t->blnSelected)
            scene->ShowSizeHandles(*view);
    }
}

void clsFieldsManager::ListAllSelectTip()
{
    ListSelectedCols();
    ListSelectedTitles();
}

// ---------------------------------------------------------------------------------
// Moving

bool clsFieldsManager::SetColNewPart(const QString& name, qint32 dx, qint32 dy)
{
    clsRepcol* c = FindCol(name);
    BodyPart body;
    if (!c || !ReadBody(body))
        return false;
    const qint64 x = qint64(c->X) + dx;
    const qint64 y = qint64(c->Y) + dy;
    if (x < 0 || x + c->cx > RightLimit(body) || y < body.Separator() || y + c->cy > body.Bottom())
        return false;
    c->X = Clamp32(x);
    c->Y = Clamp32(y);
    MarkDocChanged();
    return true;
}

bool clsFieldsManager::SetTitleNewPart(const QString& name, qint32 dx, qint32 dy)
{
    clsTitle* t = FindTitle(name);
    BodyPart body;
    if (!t || !ReadBody(body))
        return false;
    const qint64 x = qint64(t->X) + dx;
    const qint64 y = qint64(t->Y) + dy;
    if (x < 0 || x + t->cx > RightLimit(body) || y < body.top || y + t->cy > body.Separator())
        return false;
    t->X = Clamp32(x);
    SetTitleY(*t, y);
    MarkDocChanged();
    return true;
}

void clsFieldsManager::MoveColObject(qint32 dx, qint32 dy, bool& ok)
{
    ok = true;
    for (const auto& c : Cols)
        if (c->blnSelected && c->BlnEnable)
            SetColNewPart(c->name, dx, dy);
}

void clsFieldsManager::MoveTitleObject(qint32 dx, qint32 dy, bool& ok)
{
    ok = true;
    for (const auto& t : Titles)
        if (t->blnSelected)
            SetTitleNewPart(t->name, dx, dy);
}

void clsFieldsManager::NewPartListCol()
{
    if (DocumentScene())
        for (const auto& c : Cols)
            if (c->blnSelected && c->BlnEnable)
                PlaceColView(*c);
    ListAllSelectTip();
}

void clsFieldsManager::NewPartListTitles()
{
    if (DocumentScene())
        for (const auto& t : Titles)
            if (t->blnSelected)
                PlaceTitleView(*t);
    ListAllSelectTip();
}

bool clsFieldsManager::ReadColPart(const QString& name, qint32& X, qint32& Y, qint32& cx, qint32& cy) const
{
    const clsRepcol* c = FindCol(name);
    if (!c)
        return false;
    X = c->X;
    Y = c->Y;
    cx = c->cx;
    cy = c->cy;
    return true;
}

bool clsFieldsManager::ReadTitlePart(const QString& name, qint32& X, qint32& Y, qint32& cx, qint32& cy) const
{
    const clsTitle* t = FindTitle(name);
    if (!t)
        return false;
    X = t->X;
    Y = t->Y;
    cx = t->cx;
    cy = t->cy;
    return true;
}

// ---------------------------------------------------------------------------------
// Resizing and the title part's height

void clsFieldsManager::ChangeSelectedObjectsSize(qint32 dx, qint32 dy, qint32 side)
{
    if (side < 0 || side > 3)
        return;
    bool changed = false;
    for (const auto& c : Cols) {
        if (!c->blnSelected || !c->BlnEnable)
            continue;
        DragEdge(c->X, c->Y, c->cx, c->cy, dx, dy, side);
        if (side >= 2)
            c->Width = c->cx;
        if (side <= 1)
            c->Height = c->cy;
        PlaceColView(*c);
        changed = true;
    }
    for (const auto& t : Titles) {
        if (!t->blnSelected)
            continue;
        const qint32 oldY = t->Y;
        DragEdge(t->X, t->Y, t->cx, t->cy, dx, dy, side);
        t->lngTop = Clamp32(qint64(t->lngTop) + (qint64(t->Y) - oldY));
        PlaceTitleView(*t);
        changed = true;
    }
    if (changed)
        MarkDocChanged();
    ListAllSelectTip();
}

void clsFieldsManager::ChangeTitleHeight(qint32 newHeight)
{
    BodyPart body;
    if (!ReadBody(body))
        return;
    qint64 lowestColBottom = std::numeric_limits<qint64>::min();
    for (const auto& c : Cols)
        if (c->BlnEnable)
            lowestColBottom = std::max(lowestColBottom, qint64(c->Y) + c->cy);
    qint64 highestTitleTop = std::numeric_limits<qint64>::max();
    for (const auto& t : Titles)
        if (!t->blnDelected)
            highestTitleTop = std::max<qint64>(std::min(highestTitleTop, qint64(t->Y)), body.top);

    // Everything under and over the separator moves with it, as far as the title part
    // keeps a height of at least 0, the titles stay under the body's top and the
    // columns above its bottom.
    qint64 dy = std::max<qint64>(newHeight, 0) - body.titleHeight;
    if (highestTitleTop != std::numeric_limits<qint64>::max())
        dy = std::max(dy, body.top - highestTitleTop);
    if (lowestColBottom != std::numeric_limits<qint64>::min())
        dy = std::min(dy, body.Bottom() - lowestColBottom);
    MarkDocChanged();
    if (dy == 0)
        return;
    ReMoveDetailObjects(Clamp32(dy));
    if (clsRangeManager* ranges = DocumentRanges())
        ranges->pTitleHeight = Clamp32(qint64(ranges->pTitleHeight) + dy);
    if (clsCanvasScene* scene = DocumentScene()) {
        scene->lineBreak.y1 = Clamp32(qint64(scene->lineBreak.y1) + dy);
        scene->lineBreak.y2 = Clamp32(qint64(scene->lineBreak.y2) + dy);
    }
}

void clsFieldsManager::ReMoveDetailObjects(qint32 dy)
{
    for (const auto& c : Cols) {
        c->Y = Clamp32(qint64(c->Y) + dy);
        if (c->BlnEnable)
            PlaceColView(*c);
    }
    for (const auto& t : Titles) {
        SetTitleY(*t, qint64(t->Y) + dy);
        if (!t->blnDelected)
            PlaceTitleView(*t);
    }
    MarkDocChanged();
    ListAllSelectTip();
}

// ---------------------------------------------------------------------------------
// Alignment and deletion

void clsFieldsManager::MoveAllObjectsOrientation(qint32 kind)
{
    MarkDocChanged();
    std::vector<AlignItem> cols;
    for (const auto& c : Cols)
        if (c->blnSelected && c->BlnEnable)
            cols.push_back({&c->X, &c->Y, c->cx, c->cy, nullptr});
    std::vector<AlignItem> titles;
    for (const auto& t : Titles)
        if (t->blnSelected)
            titles.push_back({&t->X, &t->Y, t->cx, t->cy, t.get()});
    AlignItems(std::move(cols), kind);
    AlignItems(std::move(titles), kind);
    NewPartListCol();
    NewPartListTitles();
}

void clsFieldsManager::DeleteAllSelectedObjects()
{
    clsCanvasScene* scene = DocumentScene();
    bool changed = false;
    for (const auto& c : Cols) {
        if (!c->blnSelected)
            continue;
        if (scene)
            if (clsSceneElement* view = scene->Find(Kind::Column, c->name))
                view->visible = false;
        c->blnSelected = false;
        c->BlnEnable = false;
        changed = true;
    }
    for (const auto& t : Titles)
        if (t->blnSelected && scene)
            scene->Remove(Kind::Title, t->name);
    const auto kept = std::remove_if(Titles.begin(), Titles.end(), [](const auto& t) { return t->blnSelected; });
    changed = changed || kept != Titles.end();
    Titles.erase(kept, Titles.end());
    if (scene) {
        scene->HideSizeHandles(Kind::Column);
        scene->HideSizeHandles(Kind::Title);
    }
    if (changed)
        MarkDocChanged();
}

// ---------------------------------------------------------------------------------
// Dropping fields

QStringList clsFieldsManager::FieldListItems() const
{
    QStringList fields;
    for (const auto& c : Cols)
        if (!c->BlnEnable && !c->Expression.trimmed().isEmpty())
            fields << c->Expression.trimmed();
    return fields;
}

bool clsFieldsManager::DrawFields(const QString& field, qint32 X, qint32 Y, qint32 width, qint32 height)
{
    // The separator between titles and columns; before any layout it is where the
    // body's title part ends.
    qint64 separatorTop = Y;
    qint64 separatorBottom = Y;
    const clsCanvasScene* scene = DocumentScene();
    BodyPart body;
    if (scene && scene->lineBreak.visible) {
        separatorTop = scene->lineBreak.y1;
        separatorBottom = qint64(scene->lineBreak.y1) + clsCanvasScene::LineThickness;
    } else if (ReadBody(body)) {
        separatorTop = separatorBottom = body.Separator();
    }
    bool ok = false;
    AddColField(X, Clamp32(separatorBottom + kDropGap), width, height, field, ok);
    // A stale list can name a field no column has: then neither half is added.
    if (!ok)
        return false;
    AddTitleField(X, Clamp32(separatorTop - height - kDropGap), width, height, field);
    return true;
}

void clsFieldsManager::AddColField(qint32 left, qint32 top, qint32 width, qint32 height, const QString& field,
                                   bool& ok)
{
    ok = false;
    clsRepcol* found = nullptr;
    for (const auto& c : Cols) {
        if (!SameTrimmedText(c->Expression, field) || c->Expression.trimmed().isEmpty())
            continue;
        // The disabled column is the one the list offered.
        if (!c->BlnEnable) {
            found = c.get();
            break;
        }
        if (!found)
            found = c.get();
    }
    if (!found)
        return;
    clsRepcol& c = *found;
    c.BlnEnable = true;
    c.Caption = field.trimmed();
    c.blnVisible = true;
    c.Width = c.cx = width;
    c.Height = c.cy = height;
    c.X = left;
    c.Y = top;
    c.blnSelected = true;
    PlaceColView(c);
    MarkDocChanged();
    ok = true;
}

clsTitle* clsFieldsManager::AddTitleField(qint32 left, qint32 top, qint32 width, qint32 height, const QString& name)
{
    BodyPart body;
    const qint64 bodyTop = ReadBody(body) ? body.top : top;
    auto t = std::make_unique<clsTitle>();
    // Titles are found by name, so a field whose name a title already has gets a new one.
    t->name = FindTitle(name) ? NewTitleName() : name.trimmed();
    t->blnVisible = true;
    t->X = left;
    t->cx = width;
    t->cy = height;
    t->top = t->left = t->Width = t->Height = 1;
    t->lngTop = Clamp32(qint64(top) - TitlePartTop(Titles, bodyTop));
    t->Y = top;
    Titles.push_back(std::move(t));
    MarkDocChanged();
    PlaceTitleView(*Titles.back());
    return Titles.back().get();
}
