// Placing the column captions and the composite titles on the designer's canvas.
#include "clsFieldsManager.h"
#include "designer/clsCanvasScene.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include <QSet>
#include <algorithm>
#include <limits>
#include <vector>

namespace {
// Left edges of the enabled columns by column number, built once per layout pass so
// that placing many titles never walks the column list again. Numbers are those of
// GetColWidth: the first enabled column carrying a number gives its width.
class clsColumnEdges
{
public:
    explicit clsColumnEdges(const std::vector<std::unique_ptr<clsRepcol>>& cols)
    {
        // Enabled columns are numbered 1..n by their place; larger numbers can only
        // come from a hand-typed property and carry no width here.
        const size_t n = cols.size();
        std::vector<qint64> width(n + 1, 0);
        std::vector<bool> seen(n + 1, false);
        for (const auto& col : cols) {
            if (!col->BlnEnable || col->Col < 1 || size_t(col->Col) > n || seen[size_t(col->Col)])
                continue;
            seen[size_t(col->Col)] = true;
            width[size_t(col->Col)] = col->Width;
        }
        m_prefix.assign(n + 1, 0);
        for (size_t k = 1; k <= n; ++k)
            m_prefix[k] = m_prefix[k - 1] + width[k];
    }
    // Sum of the widths of numbers 1 .. k.
    qint64 Before(qint64 k) const
    {
        if (k < 1)
            return 0;
        return m_prefix[size_t(std::min<qint64>(k, qint64(m_prefix.size()) - 1))];
    }
    qint64 Span(qint64 first, qint64 count) const
    {
        if (count < 1)
            return 0;
        const qint64 from = std::max<qint64>(first, 1);
        const qint64 to = first + count - 1;
        return to < from ? 0 : Before(to) - Before(from - 1);
    }

private:
    std::vector<qint64> m_prefix;
};
}

qint32 clsFieldsManager::GetColWidth(qint32 colNumber) const
{
    for (const auto& col : Cols)
        if (col->BlnEnable && col->Col == colNumber)
            return col->Width;
    return 0;
}

qint32 clsFieldsManager::GetColsWidth(qint32 firstCol, qint32 count) const
{
    if (count < 1)
        return 0;
    const qint64 last = qint64(firstCol) + count - 1;
    QSet<qint32> seen;
    qint64 sum = 0;
    for (const auto& col : Cols) {
        if (!col->BlnEnable || col->Col < firstCol || col->Col > last || seen.contains(col->Col))
            continue;
        seen.insert(col->Col);
        sum += col->Width;
    }
    return Clamp32(sum);
}

clsSceneAlign clsFieldsManager::GetLabelAligent(qint32 AlignStyle)
{
    switch (AlignStyle) {
    case 0:  // 默认: captions of the printed report are centred
    case 2:
        return clsSceneAlign::Centre;
    case 3:
        return clsSceneAlign::Right;
    default:
        return clsSceneAlign::Left;
    }
}

void clsFieldsManager::DrawColObjects(qint32 top, qint32 labelHeight, bool& ok)
{
    ok = false;
    clsCanvasScene* scene = DocumentScene();
    qint64 x = 0;
    for (const auto& column : Cols) {
        clsRepcol& c = *column;
        if (!c.BlnEnable)
            continue;
        const qint32 left = Clamp32(x);
        if (scene) {
            clsSceneElement& view = scene->Obtain(clsCanvasScene::Kind::Column, c.name);
            view.caption = c.name;
            view.rect = {left, top, c.Width, labelHeight};
            view.alignment = GetLabelAligent(c.AlignStyle);
            view.selected = c.blnSelected;
            view.visible = c.blnVisible;
        }
        c.X = left;
        c.Y = top;
        c.cx = c.Width;
        c.cy = labelHeight;
        c.Height = labelHeight;
        // A hidden column still takes its width, so the report keeps its column places.
        x += c.Width;
    }
    if (scene && x > scene->picDraw.width)
        scene->picDraw.width = Clamp32(x);
    ok = true;
}

void clsFieldsManager::DrawTitleObjects(qint32 top, qint32 labelHeight, qint32& bottom)
{
    bottom = top;
    if (Titles.empty())
        return;
    clsCanvasScene* scene = DocumentScene();
    const qint32 h = labelHeight > 0 ? labelHeight : (scene ? scene->TitleTemplate().rect.height : 300);

    if (Titles.front()->Y > 1) {
        // Already drawn: the arrangement the user made stays, only the title part moved.
        qint64 lowest = top;
        for (const auto& title : Titles) {
            clsTitle& t = *title;
            t.Y = Clamp32(qint64(t.lngTop) + top);
            if (!t.blnDelected)
                lowest = std::max(lowest, qint64(t.Y) + t.cy);
        }
        bottom = Clamp32(lowest);
    } else {
        // From the grid: rows of h twips; each title stands over the columns it spans,
        // which also holds where a title of several rows leaves a gap in the rows below.
        const clsColumnEdges edges(Cols);
        qint64 deepest = 0;
        for (const auto& title : Titles) {
            clsTitle& t = *title;
            deepest = std::max<qint64>(deepest, t.top);
            t.Y = Clamp32(qint64(top) + (qint64(t.top) - 1) * h);
            t.cy = Clamp32(qint64(t.Height) * h);
            t.lngTop = Clamp32(qint64(t.Y) - top);
            t.X = Clamp32(edges.Before(qint64(t.left) - 1));
            if (t.cx == 0)
                t.cx = Clamp32(edges.Span(t.left, t.Width));
        }
        bottom = Clamp32(qint64(top) + h * deepest);
    }

    if (!scene)
        return;
    for (const auto& title : Titles) {
        const clsTitle& t = *title;
        clsSceneElement& view = scene->Obtain(clsCanvasScene::Kind::Title, t.name);
        view.rect = {t.X, t.Y, t.cx, t.cy};
        view.caption = t.nameForeign;
        view.alignment = clsSceneAlign::Centre;
        view.selected = t.blnSelected;
        view.visible = t.blnVisible && !t.blnDelected;
    }
}

void clsFieldsManager::HideColObjects()
{
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    scene->ColumnTemplate().visible = false;
    for (const auto& view : scene->Elements(clsCanvasScene::Kind::Column))
        view->visible = false;
}

void clsFieldsManager::HideTitleObjects()
{
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    scene->TitleTemplate().visible = false;
    for (const auto& view : scene->Elements(clsCanvasScene::Kind::Title))
        view->visible = false;
}
