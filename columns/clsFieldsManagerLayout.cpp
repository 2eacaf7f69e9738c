// Placing the column captions and the composite titles on the designer's canvas.
// Columns stand side by side in list order; titles stand over the columns their grid
// cells name and in the title rows their cells name, so they always line up with the
// columns under them, whatever was added, removed, moved or resized.
#include "clsFieldsManager.h"
#include "clsTitleGrid.h"
#include "designer/clsCanvasScene.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include <QSet>
#include <algorithm>
#include <limits>
#include <vector>

namespace {
// Left edges of the enabled columns by number, built once per pass.
class clsColumnEdges
{
public:
    explicit clsColumnEdges(const std::vector<std::unique_ptr<clsRepcol>>& cols)
    {
        m_prefix.push_back(0);
        for (const auto& col : cols)
            if (col->BlnEnable)
                m_prefix.push_back(m_prefix.back() + std::max(col->Width, 0));
    }
    qint64 Count() const { return qint64(m_prefix.size()) - 1; }
    // Sum of the widths of numbers 1 .. k.
    qint64 Before(qint64 k) const
    {
        if (k < 1)
            return 0;
        return m_prefix[size_t(std::min(k, Count()))];
    }
    qint64 Span(qint64 first, qint64 count) const
    {
        if (count < 1)
            return 0;
        const qint64 from = std::max<qint64>(first, 1);
        const qint64 to = std::min(first + count - 1, Count());
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

qint32 clsFieldsManager::ColHeight(const clsRepcol& c) const
{
    if (c.Height > 0)
        return c.Height;
    const clsCanvasScene* scene = DocumentScene();
    return scene ? scene->ColumnTemplate().rect.height : 300;
}

void clsFieldsManager::DrawColObjects(qint32 top, qint32, bool& ok)
{
    ok = false;
    clsCanvasScene* scene = DocumentScene();
    qint64 x = 0;
    for (const auto& column : Cols) {
        clsRepcol& c = *column;
        if (!c.BlnEnable)
            continue;
        c.X = Clamp32(x);
        c.Y = top;
        c.cx = c.Width;
        c.cy = ColHeight(c);
        if (scene) {
            clsSceneElement& view = scene->Obtain(clsCanvasScene::Kind::Column, c.name);
            view.caption = c.name;
            view.rect = {c.X, c.Y, c.cx, c.cy};
            view.alignment = GetLabelAligent(c.AlignStyle);
            view.selected = false;
            view.visible = c.blnVisible;
        }
        // A hidden column still takes its width, so the report keeps its column places.
        x += std::max(c.Width, 0);
    }
    if (scene && x > scene->picDraw.width)
        scene->picDraw.width = Clamp32(x);
    ok = true;
}

void clsFieldsManager::DrawTitleObjects(qint32 top, qint32 labelHeight, qint32& bottom)
{
    const qint64 h = labelHeight > 0 ? labelHeight : 300;
    const qint32 depth = clsTitleGrid::Depth(Titles);
    bottom = Clamp32(qint64(top) + h * depth);
    clsCanvasScene* scene = DocumentScene();
    const clsColumnEdges edges(Cols);
    for (const auto& title : Titles) {
        clsTitle& t = *title;
        t.X = Clamp32(edges.Before(qint64(t.left) - 1));
        t.cx = Clamp32(edges.Span(t.left, t.Width));
        t.Y = Clamp32(qint64(top) + (qint64(t.top) - 1) * h);
        t.cy = Clamp32(std::max<qint64>(t.Height, 0) * h);
        t.lngTop = Clamp32(qint64(t.Y) - top);
        t.Col = t.Width == 1 ? t.left : 0;
        if (!scene)
            continue;
        clsSceneElement& view = scene->Obtain(clsCanvasScene::Kind::Title, t.name);
        view.rect = {t.X, t.Y, t.cx, t.cy};
        view.caption = SavedTitleCaption(t);
        view.alignment = clsSceneAlign::Centre;
        view.selected = false;
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
