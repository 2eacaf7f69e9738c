// Editing the columns and composite titles on the designer's canvas: adding, selecting,
// moving, resizing, aligning, deleting and dropping fields.
//
// The records are the only place a position is kept. A column's place is its number
// among the enabled columns, its size its width and height; a title's place is its
// cells in the title grid. A gesture on the canvas is turned into those values: a column
// dragged sideways goes to the place its centre was dropped at, a title dragged or
// resized takes the cells nearest to where it was let go. An edit that would leave the
// title grid ill-formed (titles overlapping, a column without its own title, more than
// five rows) is not carried out, so what is saved is always what the canvas shows.
#include "clsFieldsManager.h"
#include "clsTitleGrid.h"
#include "designer/clsCanvasScene.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "ranges/clsRangeManager.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
const QString kBodyRange = QStringLiteral("正文区");
// A collapsed edge leaves a box this size, small but still grabbable.
constexpr qint32 kCollapsedSize = 5;
// Title rows are never drawn lower than this.
constexpr qint32 kLeastTitleRow = 100;
const QString kFiveLevels = QStringLiteral("标题的逻辑层次超过五层，系统最大只支持五层复合标题的定义...");

bool SameTrimmedText(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

QString BodyName()
{
    QString name;
    if (const clsRangeManager* ranges = DocumentRanges())
        ranges->RangeTypeToName(kBodyRange, QString(), name);
    return name;
}

// Moves one edge of a box; a size that does not stay above 0 collapses.
void DragEdge(qint64& x, qint64& y, qint64& cx, qint64& cy, qint64 dx, qint64 dy, qint32 side)
{
    switch (side) {
    case 0:
        y += dy;
        cy -= dy;
        break;
    case 1:
        cy += dy;
        break;
    case 2:
        x += dx;
        cx -= dx;
        break;
    case 3:
        cx += dx;
        break;
    default:
        return;
    }
    if (cx <= 0)
        cx = kCollapsedSize;
    if (cy <= 0)
        cy = kCollapsedSize;
}

// A copy of the titles, to put back when an edit is not carried out.
std::vector<clsTitle> CopyTitles(const clsTitleGrid::Titles& titles)
{
    std::vector<clsTitle> copy;
    copy.reserve(titles.size());
    for (const auto& t : titles)
        copy.push_back(*t);
    return copy;
}

void PutBack(clsTitleGrid::Titles& titles, const std::vector<clsTitle>& copy)
{
    titles.clear();
    for (const clsTitle& t : copy)
        titles.push_back(std::make_unique<clsTitle>(t));
}
}

// ---------------------------------------------------------------------------------
// Column places

qint32 clsFieldsManager::EnabledCount() const
{
    qint32 n = 0;
    for (const auto& c : Cols)
        if (c->BlnEnable)
            ++n;
    return n;
}

void clsFieldsManager::Renumber()
{
    qint32 number = 0;
    for (auto& c : Cols)
        if (c->BlnEnable)
            c->Col = ++number;
    // The lists keep the order a load gives them, so a saved format reads back in the
    // same order whatever order the database returns equal keys in: columns by number
    // (a disabled column keeps the number it had, after the enabled one of that number),
    // titles by first column, width and row.
    std::stable_sort(Cols.begin(), Cols.end(), [](const auto& a, const auto& b) {
        if (a->Col != b->Col)
            return a->Col < b->Col;
        if (a->BlnEnable != b->BlnEnable)
            return a->BlnEnable;
        return a->name.trimmed().toLower() < b->name.trimmed().toLower();
    });
    std::stable_sort(Titles.begin(), Titles.end(), [](const auto& a, const auto& b) {
        if (a->left != b->left)
            return a->left < b->left;
        if (a->Width != b->Width)
            return a->Width < b->Width;
        return a->top < b->top;
    });
    MarkLayoutDirty();
    // A column's own title shows and hides with it: that is how the load links them.
    const std::vector<clsTitle*> own = clsTitleGrid::OwnTitles(Titles, number);
    for (auto& c : Cols)
        if (c->BlnEnable)
            if (clsTitle* title = own[size_t(c->Col)])
                title->blnVisible = c->blnVisible;
}

qint32 clsFieldsManager::NumberAt(qint64 x, const clsRepcol* except) const
{
    // The place of a column whose centre comes to x: before the first other enabled
    // column whose centre lies right of it.
    qint64 left = 0;
    qint32 number = 1;
    for (const auto& c : Cols) {
        if (!c->BlnEnable || c.get() == except)
            continue;
        const qint64 width = std::max(c->Width, 0);
        if (2 * left + width > 2 * x)
            break;
        left += width;
        ++number;
    }
    return number;
}

void clsFieldsManager::PlaceInList(clsRepcol* column, qint32 number)
{
    // Take it out, then put it before the enabled column now numbered `number` (or
    // after the last enabled column).
    std::unique_ptr<clsRepcol> held;
    for (auto it = Cols.begin(); it != Cols.end(); ++it)
        if (it->get() == column) {
            held = std::move(*it);
            Cols.erase(it);
            break;
        }
    if (!held)
        return;
    qint32 seen = 0;
    auto at = Cols.end();
    for (auto it = Cols.begin(); it != Cols.end(); ++it)
        if ((*it)->BlnEnable && ++seen == number) {
            at = it;
            break;
        }
    if (at == Cols.end()) {
        // After the last enabled column, so the disabled ones behind it stay behind.
        at = Cols.begin();
        for (auto it = Cols.begin(); it != Cols.end(); ++it)
            if ((*it)->BlnEnable)
                at = it + 1;
    }
    Cols.insert(at, std::move(held));
}

clsRepcol* clsFieldsManager::EnableAt(clsRepcol* column, qint32 number)
{
    column->BlnEnable = true;
    PlaceInList(column, number);
    Renumber();
    clsTitleGrid::InsertColumn(Titles, column->Col);
    clsTitleGrid::EnsureOwnTitle(Titles, column->Col, column->name, column->blnVisible);
    Renumber();
    return column;
}

void clsFieldsManager::FitBody()
{
    if (clsRangeManager* ranges = DocumentRanges())
        ranges->FitRange(BodyName());
}

// ---------------------------------------------------------------------------------
// Adding

clsRepcol* clsFieldsManager::AddNewColObject(qint32 X, qint32 Y, qint32 width, qint32 height)
{
    Q_UNUSED(Y);
    auto c = std::make_unique<clsRepcol>();
    c->name = NewColName();
    c->Caption = c->name;
    c->BlnEnable = false;
    c->blnVisible = true;
    c->Width = std::max(width, kCollapsedSize);
    c->Height = std::max(height, kCollapsedSize);
    Cols.push_back(std::move(c));
    clsRepcol* added = Cols.back().get();
    EnsureDocumentLayout();
    EnableAt(added, NumberAt(qint64(X) + added->Width / 2, added));
    MarkDocChanged();
    return added;
}

clsTitle* clsFieldsManager::AddNewTitleObject(qint32 X, qint32 Y, qint32 width, qint32 height)
{
    Q_UNUSED(width);
    Q_UNUSED(height);
    EnsureDocumentLayout();
    const qint32 n = EnabledCount();
    if (n == 0)
        return nullptr;
    // The cell under the point: the column under X, the row under Y.
    qint32 column = std::clamp(NumberAt(X, nullptr), 1, n);
    for (const auto& c : Cols)
        if (c->BlnEnable && X >= c->X && qint64(X) < qint64(c->X) + c->cx)
            column = c->Col;
    const qint64 row0 = TitlePartTop();
    qint32 row = qint32(std::clamp<qint64>((qint64(Y) - row0) / std::max(TitleRowHeight, 1) + 1, 1, clsTitleGrid::MaxRows));
    if (clsTitle* taken = clsTitleGrid::At(Titles, row, column)) {
        // Drawn over a title: a new row comes in above it for the new one.
        if (clsTitleGrid::Depth(Titles) >= clsTitleGrid::MaxRows) {
            ShowMessage(kFiveLevels);
            return nullptr;
        }
        row = taken->top;
        clsTitleGrid::InsertRow(Titles, row);
    } else if (row > clsTitleGrid::Depth(Titles)) {
        row = std::max(clsTitleGrid::Depth(Titles), 1);
        if (clsTitleGrid::At(Titles, row, column))
            return nullptr;
    }
    auto t = std::make_unique<clsTitle>();
    t->name = clsTitleGrid::UniqueName(Titles, NewTitleName());
    t->blnVisible = true;
    t->top = row;
    t->Height = 1;
    t->left = column;
    t->Width = 1;
    Titles.push_back(std::move(t));
    clsTitle* added = Titles.back().get();
    Renumber();
    FitBody();
    MarkDocChanged();
    return added;
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
    // The body keeps at least 300 twips free under the new column.
    const qint64 needed = qint64(ranges->pTitleHeight) + 80 + c->Height + 300;
    if (clsRange* body = ranges->FindRange(rangeName, true))
        if (body->Height < needed) {
            // Heights are entered in whole millimetres: round up.
            const qint64 mm = (needed + 55) / 56;
            ranges->SetRangeProperty(rangeName, QStringLiteral("下边距"), QString::number(mm));
        }
    ClearAllSelected();
    SetSelectedColObject(c->name, true);
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
    if (!t)
        return;
    ClearAllSelected();
    SetSelectedTitleObject(t->name, true);
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
    MarkLayoutDirty();
}

void clsFieldsManager::SetSelectedTitleObject(const QString& name, bool exclusive)
{
    for (const auto& t : Titles) {
        if (exclusive)
            t->blnSelected = false;
        if (SameTrimmedText(t->name, name))
            t->blnSelected = !t->blnSelected;
    }
    MarkLayoutDirty();
}

void clsFieldsManager::ClearColsSelected()
{
    for (const auto& c : Cols)
        c->blnSelected = false;
    MarkLayoutDirty();
}

void clsFieldsManager::ClearTitles()
{
    for (const auto& t : Titles)
        t->blnSelected = false;
    MarkLayoutDirty();
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

// The selection marks are drawn by the layout pass from the selection flags.
void clsFieldsManager::ListSelectedCols()
{
    MarkLayoutDirty();
}

void clsFieldsManager::ListSelectedTitles()
{
    MarkLayoutDirty();
}

void clsFieldsManager::ListAllSelectTip()
{
    MarkLayoutDirty();
}

// ---------------------------------------------------------------------------------
// Moving

qint64 clsFieldsManager::TitlePartTop() const
{
    EnsureDocumentLayout();
    QString name = BodyName();
    qint32 l = 0, t = 0, w = 0, h = 0;
    if (const clsRangeManager* ranges = DocumentRanges())
        if (!name.isEmpty() && ranges->GetRangePart(name, l, t, w, h))
            return qint64(t) + 20;
    return 20;
}

bool clsFieldsManager::SetColNewPart(const QString& name, qint32 dx, qint32)
{
    EnsureDocumentLayout();
    clsRepcol* c = FindCol(name);
    if (!c || !c->BlnEnable || dx == 0)
        return false;
    // Only the place among the columns is kept: the column goes where its centre lands.
    return MoveColumnTo(c, NumberAt(qint64(c->X) + dx + c->cx / 2, c));
}

bool clsFieldsManager::MoveColumnTo(clsRepcol* c, qint32 to)
{
    const qint32 from = c->Col;
    if (!c->BlnEnable || to == from || to < 1 || to > EnabledCount())
        return false;
    const std::vector<clsTitle> before = CopyTitles(Titles);
    const qsizetype problems = clsTitleGrid::Problems(Titles, EnabledCount()).size();
    // Its own titles (one column wide) go with it; spans over it close up where it
    // leaves and open where it comes in.
    clsTitleGrid::Titles carried;
    clsTitleGrid::Titles rest;
    for (auto& t : Titles)
        (t->left == from && t->Width == 1 ? carried : rest).push_back(std::move(t));
    Titles = std::move(rest);
    clsTitleGrid::RemoveColumn(Titles, from);
    PlaceInList(c, to);
    Renumber();
    clsTitleGrid::InsertColumn(Titles, c->Col);
    for (auto& t : carried) {
        t->left = c->Col;
        Titles.push_back(std::move(t));
    }
    Renumber();
    if (clsTitleGrid::Problems(Titles, EnabledCount()).size() > problems) {
        PutBack(Titles, before);
        PlaceInList(c, from);
        Renumber();
        return false;
    }
    MarkDocChanged();
    return true;
}

bool clsFieldsManager::PlaceTitle(clsTitle& t, qint32 top, qint32 left, qint32 width, qint32 height)
{
    if (t.top == top && t.left == left && t.Width == width && t.Height == height)
        return false;
    const qsizetype before = clsTitleGrid::Problems(Titles, EnabledCount()).size();
    const clsTitle old = t;
    t.top = top;
    t.left = left;
    t.Width = width;
    t.Height = height;
    if (clsTitleGrid::Problems(Titles, EnabledCount()).size() > before) {
        t.top = old.top;
        t.left = old.left;
        t.Width = old.Width;
        t.Height = old.Height;
        return false;
    }
    Renumber();
    MarkDocChanged();
    return true;
}

// The grid cells nearest to a box drawn at (x, y, cx, cy): columns by their edges, rows
// by the title row height.
void clsFieldsManager::CellsOf(qint64 x, qint64 y, qint64 cx, qint64 cy, qint32& top, qint32& left, qint32& width,
                               qint32& height) const
{
    std::vector<qint64> edges(1, 0);   // edges[k] = left edge of column k + 1
    for (const auto& c : Cols)
        if (c->BlnEnable)
            edges.push_back(edges.back() + std::max(c->Width, 0));
    const qint32 n = qint32(edges.size()) - 1;
    const auto nearestEdge = [&](qint64 at) {
        size_t best = 0;
        for (size_t k = 1; k < edges.size(); ++k)
            if (std::abs(edges[k] - at) < std::abs(edges[best] - at))
                best = k;
        return qint32(best);
    };
    const qint32 first = std::clamp(nearestEdge(x) + 1, 1, std::max(n, 1));
    const qint32 last = std::clamp(nearestEdge(x + cx), first, std::max(n, 1));
    left = first;
    width = last - first + 1;
    const qint64 h = std::max(TitleRowHeight, 1);
    const qint64 part = TitlePartTop();
    const qint64 rowTop = (y - part + h / 2) / h + 1;
    const qint64 rowBottom = (y + cy - part + h / 2) / h;
    top = qint32(std::clamp<qint64>(rowTop, 1, clsTitleGrid::MaxRows));
    height = qint32(std::clamp<qint64>(rowBottom - top + 1, 1, clsTitleGrid::MaxRows - top + 1));
}

bool clsFieldsManager::SetTitleNewPart(const QString& name, qint32 dx, qint32 dy)
{
    EnsureDocumentLayout();
    clsTitle* t = FindTitle(name);
    if (!t || (dx == 0 && dy == 0))
        return false;
    qint32 top = 0, left = 0, width = 0, height = 0;
    CellsOf(qint64(t->X) + dx, qint64(t->Y) + dy, t->cx, t->cy, top, left, width, height);
    // A move keeps the title's size in cells.
    width = t->Width;
    height = t->Height;
    left = std::clamp(left, 1, std::max(1, EnabledCount() - width + 1));
    top = std::clamp(top, 1, std::max(1, clsTitleGrid::MaxRows - height + 1));
    return PlaceTitle(*t, top, left, width, height);
}

void clsFieldsManager::MoveColObject(qint32 dx, qint32 dy, bool& ok)
{
    ok = true;
    std::vector<QString> names;
    for (const auto& c : Cols)
        if (c->blnSelected && c->BlnEnable)
            names.push_back(c->name);
    // Moved right, the rightmost goes first, so the others keep their order.
    if (dx > 0)
        std::reverse(names.begin(), names.end());
    for (const QString& n : names)
        SetColNewPart(n, dx, dy);
}

void clsFieldsManager::MoveTitleObject(qint32 dx, qint32 dy, bool& ok)
{
    ok = true;
    EnsureDocumentLayout();
    std::vector<clsTitle*> moving;
    for (const auto& t : Titles)
        if (t->blnSelected)
            moving.push_back(t.get());
    // Titles moving right (down) are placed rightmost (lowest) first, so one does not
    // stand in the way of the next.
    std::stable_sort(moving.begin(), moving.end(), [&](const clsTitle* a, const clsTitle* b) {
        const qint64 ka = qint64(a->left) * dx + qint64(a->top) * dy;
        const qint64 kb = qint64(b->left) * dx + qint64(b->top) * dy;
        return ka > kb;
    });
    std::vector<QString> names;
    for (const clsTitle* t : moving)
        names.push_back(t->name);
    for (const QString& n : names)
        SetTitleNewPart(n, dx, dy);
}

void clsFieldsManager::NewPartListCol()
{
    MarkLayoutDirty();
}

void clsFieldsManager::NewPartListTitles()
{
    MarkLayoutDirty();
}

bool clsFieldsManager::ReadColPart(const QString& name, qint32& X, qint32& Y, qint32& cx, qint32& cy) const
{
    EnsureDocumentLayout();
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
    EnsureDocumentLayout();
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
    EnsureDocumentLayout();
    bool changed = false;
    for (const auto& c : Cols) {
        if (!c->blnSelected || !c->BlnEnable)
            continue;
        qint64 x = c->X, y = c->Y, cx = c->cx, cy = c->cy;
        DragEdge(x, y, cx, cy, dx, dy, side);
        const qint32 width = Clamp32(cx);
        const qint32 height = Clamp32(cy);
        if (width != c->Width || height != c->Height) {
            c->Width = width;
            c->Height = height;
            changed = true;
        }
    }
    std::vector<clsTitle*> titles;
    for (const auto& t : Titles)
        if (t->blnSelected)
            titles.push_back(t.get());
    for (clsTitle* t : titles) {
        qint64 x = t->X, y = t->Y, cx = t->cx, cy = t->cy;
        DragEdge(x, y, cx, cy, dx, dy, side);
        qint32 top = 0, left = 0, width = 0, height = 0;
        CellsOf(x, y, cx, cy, top, left, width, height);
        // Only the dragged edge moves.
        if (side == 1 || side == 2 || side == 3)
            top = t->top;
        if (side == 0 || side == 2 || side == 3)
            height = side == 0 ? std::max(1, t->top + t->Height - top) : t->Height;
        if (side == 0 || side == 1 || side == 3)
            left = t->left;
        if (side == 0 || side == 1)
            width = t->Width;
        if (side == 2)
            width = std::max(1, t->left + t->Width - left);
        changed = PlaceTitle(*t, top, left, width, height) || changed;
    }
    if (changed) {
        FitBody();
        MarkDocChanged();
    }
}

void clsFieldsManager::ChangeTitleHeight(qint32 newHeight)
{
    const qint32 depth = clsTitleGrid::Depth(Titles);
    if (depth <= 0)
        return;
    const qint32 row = std::max<qint32>(kLeastTitleRow, Clamp32((qint64(newHeight) - 20) / depth));
    if (row == TitleRowHeight)
        return;
    TitleRowHeight = row;
    FitBody();
    MarkDocChanged();
}

void clsFieldsManager::ReMoveDetailObjects(qint32)
{
    // Columns and titles stand where the title rows and the separator put them.
    MarkLayoutDirty();
}

// ---------------------------------------------------------------------------------
// Alignment and deletion

void clsFieldsManager::MoveAllObjectsOrientation(qint32 kind)
{
    if (kind < 0 || kind > 5)
        return;
    EnsureDocumentLayout();
    // Columns stand side by side in one row already; titles take the cells nearest to
    // where the alignment would draw them.
    struct Item
    {
        QString name;
        qint64 X, Y, cx, cy;
    };
    std::vector<Item> items;
    for (const auto& t : Titles)
        if (t->blnSelected)
            items.push_back({t->name, t->X, t->Y, t->cx, t->cy});
    if (items.size() < 2)
        return;
    switch (kind) {
    case 0:
        for (Item& i : items)
            i.Y = items.front().Y;
        break;
    case 1: {
        qint64 bottom = std::numeric_limits<qint64>::min();
        for (const Item& i : items)
            bottom = std::max(bottom, i.Y + i.cy);
        for (Item& i : items)
            i.Y = bottom - i.cy;
        break;
    }
    case 2:
        for (Item& i : items)
            i.X = items.front().X;
        break;
    case 3: {
        qint64 right = std::numeric_limits<qint64>::min();
        for (const Item& i : items)
            right = std::max(right, i.X + i.cx);
        for (Item& i : items)
            i.X = right - i.cx;
        break;
    }
    default: {
        const bool sideBySide = kind == 4;
        std::stable_sort(items.begin(), items.end(),
                         [&](const Item& a, const Item& b) { return sideBySide ? a.X < b.X : a.Y < b.Y; });
        for (size_t k = 1; k < items.size(); ++k) {
            if (sideBySide) {
                items[k].Y = items[0].Y;
                items[k].X = items[k - 1].X + items[k - 1].cx;
            } else {
                items[k].X = items[0].X;
                items[k].Y = items[k - 1].Y + items[k - 1].cy;
            }
        }
        break;
    }
    }
    bool changed = false;
    for (const Item& i : items) {
        clsTitle* t = FindTitle(i.name);
        if (!t)
            continue;
        qint32 top = 0, left = 0, width = 0, height = 0;
        CellsOf(i.X, i.Y, i.cx, i.cy, top, left, width, height);
        changed = PlaceTitle(*t, top, left, t->Width, t->Height) || changed;
    }
    if (changed)
        MarkDocChanged();
}

void clsFieldsManager::DeleteAllSelectedObjects()
{
    bool changed = false;
    // Columns from the right, so the numbers of the others stay valid meanwhile.
    std::vector<clsRepcol*> columns;
    for (const auto& c : Cols)
        if (c->blnSelected && c->BlnEnable)
            columns.push_back(c.get());
    std::reverse(columns.begin(), columns.end());
    for (clsRepcol* c : columns) {
        // Disabled columns keep the number they had, for the field list.
        clsTitleGrid::RemoveColumn(Titles, c->Col);
        c->blnSelected = false;
        c->BlnEnable = false;
        changed = true;
    }
    for (const auto& c : Cols)
        c->blnSelected = false;
    std::vector<qint32> lostOwn;
    for (const auto& t : Titles)
        if (t->blnSelected && clsTitleGrid::OwnTitle(Titles, t->left) == t.get())
            lostOwn.push_back(t->left);
    const auto kept = std::remove_if(Titles.begin(), Titles.end(), [](const auto& t) { return t->blnSelected; });
    changed = changed || kept != Titles.end();
    Titles.erase(kept, Titles.end());
    clsTitleGrid::RemoveEmptyRows(Titles);
    Renumber();
    // A column whose own title was deleted gets its default one back, as a load would
    // give it.
    for (qint32 k : lostOwn)
        for (const auto& c : Cols)
            if (c->BlnEnable && c->Col == k)
                clsTitleGrid::EnsureOwnTitle(Titles, k, c->name, c->blnVisible);
    Renumber();
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
    Q_UNUSED(Y);
    bool ok = false;
    AddColField(X, 0, width, height, field, ok);
    return ok;
}

void clsFieldsManager::AddColField(qint32 left, qint32 top, qint32 width, qint32 height, const QString& field,
                                   bool& ok)
{
    Q_UNUSED(top);
    ok = false;
    clsRepcol* found = nullptr;
    for (const auto& c : Cols)
        if (!c->BlnEnable && !c->Expression.trimmed().isEmpty() && SameTrimmedText(c->Expression, field)) {
            found = c.get();
            break;
        }
    // A stale list can name a field no disabled column has: nothing is added.
    if (!found)
        return;
    EnsureDocumentLayout();
    clsRepcol& c = *found;
    c.Caption = field.trimmed();
    c.blnVisible = true;
    c.Width = std::max(width, kCollapsedSize);
    c.Height = std::max(height, kCollapsedSize);
    EnableAt(&c, NumberAt(qint64(left) + c.Width / 2, &c));
    for (const auto& other : Cols)
        other->blnSelected = false;
    c.blnSelected = true;
    FitBody();
    MarkDocChanged();
    ok = true;
}

clsTitle* clsFieldsManager::AddTitleField(qint32, qint32, qint32, qint32, const QString& name)
{
    // A dropped field's column brings its own title; a title by itself goes where a
    // drawn one would.
    const clsRepcol* c = FindCol(name);
    if (c && c->BlnEnable)
        return clsTitleGrid::OwnTitle(Titles, c->Col);
    return nullptr;
}
