#include "clsCanvasScene.h"
#include "document/modPublicDefine.h"
#include <algorithm>

clsCanvasScene::clsCanvasScene()
{
    // Both templates are as tall as the window draws its labels: 20 pixels.
    m_colTemplate.kind = Kind::Column;
    m_colTemplate.rect = {0, 0, 1000, 300};
    m_colTemplate.alignment = clsSceneAlign::Centre;
    m_titleTemplate.kind = Kind::Title;
    m_titleTemplate.rect = {0, 0, 1000, 300};
    m_titleTemplate.alignment = clsSceneAlign::Centre;
    picLeftRote.vertical = true;
    PicTopRote.vertical = false;
}

clsCanvasScene::~clsCanvasScene() = default;

QString clsCanvasScene::Key(const QString& name)
{
    // Most names have nothing to trim or fold: shared rather than copied twice.
    return IsPlainName(name) ? name : name.trimmed().toCaseFolded();
}

void clsCanvasScene::Reserve(Kind kind, size_t count)
{
    Layer& layer = LayerOf(kind);
    layer.items.reserve(count);
    // QHash::reserve builds its table anew even when it is big enough: a pass over a
    // large report would give back and take again a table of the size every time.
    if (qsizetype(count) > layer.index.capacity())
        layer.index.reserve(qsizetype(count));
}

clsSceneElement* clsCanvasScene::Find(Kind kind, const QString& name) const
{
    const Layer& layer = LayerOf(kind);
    const auto it = layer.index.constFind(Key(name));
    return it == layer.index.constEnd() ? nullptr : layer.items[it.value()].get();
}

clsSceneElement& clsCanvasScene::Obtain(Kind kind, const QString& name, bool* created)
{
    Layer& layer = LayerOf(kind);
    const QString key = Key(name);
    const auto it = layer.index.constFind(key);
    if (it != layer.index.constEnd()) {
        if (created)
            *created = false;
        return *layer.items[it.value()];
    }
    std::unique_ptr<clsSceneElement> element;
    if (layer.spare.empty()) {
        element = std::make_unique<clsSceneElement>();
    } else {
        element = std::move(layer.spare.back());
        layer.spare.pop_back();
        *element = clsSceneElement();
    }
    element->kind = kind;
    element->name = name;
    // A new element starts from its array's template, as a loaded control would.
    if (kind == Kind::Column || kind == Kind::Title) {
        const clsSceneElement& model = kind == Kind::Column ? m_colTemplate : m_titleTemplate;
        element->rect = model.rect;
        element->alignment = model.alignment;
        element->font = model.font;
    }
    layer.index.insert(key, layer.items.size());
    layer.items.push_back(std::move(element));
    if (created)
        *created = true;
    return *layer.items.back();
}

bool clsCanvasScene::Remove(Kind kind, const QString& name)
{
    Layer& layer = LayerOf(kind);
    const auto it = layer.index.find(Key(name));
    if (it == layer.index.end())
        return false;
    const size_t at = it.value();
    layer.index.erase(it);
    layer.items.erase(layer.items.begin() + qsizetype(at));
    // Keep the painting order; removals are rare next to lookups.
    for (auto& position : layer.index)
        if (position > at)
            --position;
    m_handles.erase(std::remove_if(m_handles.begin(), m_handles.end(),
                                   [&](const clsSizeHandle& h) { return h.ownerKind == kind && Key(h.owner) == Key(name); }),
                    m_handles.end());
    return true;
}

bool clsCanvasScene::Rename(Kind kind, const QString& oldName, const QString& newName)
{
    Layer& layer = LayerOf(kind);
    const QString oldKey = Key(oldName);
    const QString newKey = Key(newName);
    const auto it = layer.index.constFind(oldKey);
    if (it == layer.index.constEnd())
        return false;
    if (newKey != oldKey && layer.index.contains(newKey))
        return false;
    const size_t at = it.value();
    layer.index.remove(oldKey);
    layer.index.insert(newKey, at);
    layer.items[at]->name = newName;
    return true;
}

const std::vector<std::unique_ptr<clsSceneElement>>& clsCanvasScene::Elements(Kind kind) const
{
    return LayerOf(kind).items;
}

int clsCanvasScene::Count(Kind kind) const
{
    return int(LayerOf(kind).items.size());
}

void clsCanvasScene::SetKindShown(Kind kind, bool shown)
{
    LayerOf(kind).shown = shown;
}

bool clsCanvasScene::KindShown(Kind kind) const
{
    return LayerOf(kind).shown;
}

bool clsCanvasScene::IsDisplayed(const clsSceneElement& element) const
{
    return element.visible && KindShown(element.kind);
}

void clsCanvasScene::DeleteAllObjects()
{
    // The next pass puts back about as many: its elements and the index's table are
    // kept for it, so a redraw of a large report neither gives that memory back to the
    // system nor takes it again (each page taken again costs a fault).
    for (Layer& layer : m_layers) {
        for (auto& element : layer.items)
            layer.spare.push_back(std::move(element));
        layer.items.clear();
        layer.index.removeIf([](const auto&) { return true; });
    }
    lineBreak.visible = false;
    m_handles.clear();
}

void clsCanvasScene::ShowSizeHandles(const clsSceneElement& element)
{
    // Each handle touches the middle of its edge from outside, so it never covers the
    // element's text.
    const clsSceneRect& r = element.rect;
    const qint32 midX = r.left + r.width / 2 - HandleSize / 2;
    const qint32 midY = r.top + r.height / 2 - HandleSize / 2;
    const auto add = [&](clsSizeHandle::Edge edge, qint32 x, qint32 y) {
        clsSizeHandle h;
        h.edge = edge;
        h.rect = {x, y, HandleSize, HandleSize};
        h.ownerKind = element.kind;
        h.owner = element.name;
        m_handles.push_back(h);
    };
    add(clsSizeHandle::Top, midX, r.top - HandleSize);
    add(clsSizeHandle::Bottom, midX, r.Bottom());
    add(clsSizeHandle::Left, r.left - HandleSize, midY);
    add(clsSizeHandle::Right, r.Right(), midY);
}

void clsCanvasScene::HideSizeHandles(Kind ownerKind)
{
    m_handles.erase(std::remove_if(m_handles.begin(), m_handles.end(),
                                   [&](const clsSizeHandle& h) { return h.ownerKind == ownerKind; }),
                    m_handles.end());
}

void clsCanvasScene::HideAllSizeHandles()
{
    m_handles.clear();
}
