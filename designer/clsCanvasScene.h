#pragma once
#include "clsSceneElement.h"
#include "clsSceneLine.h"
#include "clsSceneRect.h"
#include "clsSceneRuler.h"
#include "clsSceneScrollBar.h"
#include "clsSizeHandle.h"
#include <QHash>
#include <QString>
#include <array>
#include <memory>
#include <vector>

// Everything the designer window shows on its canvas, as plain data: the layout code
// of the range, label and column managers writes it, the window only paints it
// (at TwipsPerPixel). All positions are twips; strips, labels, columns, titles, the
// separator line and the paper mark on the surface are relative to `picDraw`, the
// surface itself and the sheet's paper mark to `picBack`.
//
// Elements of one kind are found by name (letter case and surrounding blanks
// ignored) through a hash, created on first use and reused by every later pass, so a
// layout pass stays linear in the number of objects.
class clsCanvasScene
{
public:
    using Kind = clsSceneElement::Kind;

    static constexpr qint32 TwipsPerPixel = 15;
    static constexpr qint32 StripHeight = 240;
    // The range name is printed this far from the strip's left edge.
    static constexpr qint32 StripCaptionLeft = 200;
    // Width of the rulers; the drawing surface starts this far right on the sheet.
    static constexpr qint32 RulerThickness = 330;
    // Seven pixels at 100 %: big enough to catch, small enough to stay beside the text.
    static constexpr qint32 HandleSize = 105;
    // The separator under the titles is one pixel thick.
    static constexpr qint32 LineThickness = TwipsPerPixel;

    clsCanvasScene();
    ~clsCanvasScene();
    clsCanvasScene(const clsCanvasScene&) = delete;
    clsCanvasScene& operator=(const clsCanvasScene&) = delete;

    // The element of that kind and name, or nullptr.
    clsSceneElement* Find(Kind kind, const QString& name) const;
    // The element of that kind and name, created hidden when there is none yet.
    clsSceneElement& Obtain(Kind kind, const QString& name, bool* created = nullptr);
    // Unloads one element; False when there was none.
    bool Remove(Kind kind, const QString& name);
    // Gives an element a new name (a renamed record keeps its view); False when the
    // old name has no element or the new one is taken by another element.
    bool Rename(Kind kind, const QString& oldName, const QString& newName);
    const std::vector<std::unique_ptr<clsSceneElement>>& Elements(Kind kind) const;
    int Count(Kind kind) const;

    // Templates of the column and title arrays: never unloaded; their height is the
    // height every column label and every title row is drawn with.
    clsSceneElement& ColumnTemplate() { return m_colTemplate; }
    const clsSceneElement& ColumnTemplate() const { return m_colTemplate; }
    clsSceneElement& TitleTemplate() { return m_titleTemplate; }
    const clsSceneElement& TitleTemplate() const { return m_titleTemplate; }

    // Show or hide a whole kind at once. An element is painted when its kind is shown
    // and the element itself is visible, so showing a kind again never brings back a
    // hidden column or a label of a hidden range.
    void SetKindShown(Kind kind, bool shown);
    bool KindShown(Kind kind) const;
    bool IsDisplayed(const clsSceneElement& element) const;

    // Unloads every element of the four kinds (the templates stay), hides the separator
    // line and drops the size handles: a redraw starts from nothing.
    void DeleteAllObjects();
    // Room for a pass that is about to put `count` elements of a kind.
    void Reserve(Kind kind, size_t count);

    // Selection marks: four handles just outside the middle of an element's edges, and
    // taking them away again.
    void ShowSizeHandles(const clsSceneElement& element);
    void HideSizeHandles(Kind ownerKind);
    void HideAllSizeHandles();
    const std::vector<clsSizeHandle>& SizeHandles() const { return m_handles; }

    // The window's toolbar, which the vertical ruler sits under.
    qint32 ToolbarTop = 0;
    qint32 ToolbarHeight = 0;

    clsSceneRect picBack;
    clsSceneRect picDraw;
    clsSceneRuler picLeftRote;
    clsSceneRuler PicTopRote;
    clsSceneScrollBar HScroll1;
    clsSceneScrollBar VScroll1;
    clsSceneLine lineBreak;
    // The paper width: one mark on the sheet, one on the drawing surface.
    clsSceneLine PaperMarkBack;
    clsSceneLine PaperMarkDraw;

private:
    struct Layer
    {
        std::vector<std::unique_ptr<clsSceneElement>> items;
        QHash<QString, size_t> index;
        bool shown = true;
        std::vector<std::unique_ptr<clsSceneElement>> spare;   // unloaded, to be used again
    };
    static QString Key(const QString& name);
    Layer& LayerOf(Kind kind) { return m_layers[size_t(kind)]; }
    const Layer& LayerOf(Kind kind) const { return m_layers[size_t(kind)]; }

    std::array<Layer, 4> m_layers;
    clsSceneElement m_colTemplate;
    clsSceneElement m_titleTemplate;
    std::vector<clsSizeHandle> m_handles;
};
