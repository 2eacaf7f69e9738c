#pragma once
#include "clsSceneRect.h"
#include <QPoint>
#include <algorithm>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// How moves and resizes snap: to a grid of `gridStep` twips (0: no grid) and to the
// edges of the objects that are not being dragged, each within `tolerance` twips.
struct clsSnapSettings
{
    qint32 gridStep = 0;
    bool toObjects = false;
    qint32 tolerance = 90;
};

// The designer's tool-state machine, free of widgets: the canvas widget translates
// mouse and key events into these calls (positions in canvas twips) and paints the
// feedback it reads back; everything the gestures change goes into the managers and
// from there into the scene.

enum class CanvasTarget { Canvas, LabelView, ColumnView, TitleView, SizeHandle, TitleLine, RangeBar, LeftRuler, TopRuler };
enum class CanvasButton { Left, Right };
struct CanvasModifiers
{
    bool ctrl = false;
    bool shift = false;
};

class clsCanvasController
{
public:
    clsCanvasController();
    ~clsCanvasController();

    // The eleven states by name (case ignored): "AddLabel","AddCol","AddTitle",
    // "SelectObject","SelectObjects","LineSelects","ColSelects","MoveObject",
    // "ChangeTitleSize","ChangeObjectSize","ChangeRangSize"
    void SetToolState(const QString& name, qint32 X, qint32 Y, qint32 handleCode = 0);
    void EndToolState(qint32 X, qint32 Y, bool ctrl = false);
    void ClearToolState();
    bool IsAdding() const;
    bool IsState(const QString& name) const;
    bool Busy() const;
    // The window became active again: whatever press was in progress was lost with the
    // focus, so the busy flag no longer stands for anything.
    void ClearBusy() { m_busy = false; }
    QString GetRangeAt(qint32 X, qint32 Y) const;

    // Gestures, positions in canvas twips (for rulers: the position along the ruler).
    // `name` is the view's object name for label/column/title views, the range name
    // for RangeBar, the handle code as text ("0".."3") for SizeHandle.
    void Press(CanvasTarget target, const QString& name, CanvasButton button, qint32 X, qint32 Y, CanvasModifiers m);
    void Move(CanvasTarget target, qint32 X, qint32 Y, CanvasModifiers m);
    void Release(CanvasTarget target, qint32 X, qint32 Y, CanvasModifiers m);
    void DropFields(const QStringList& fields, qint32 X, qint32 Y);

    // Commands of the window (menus, toolbar, keys):
    void EndSelection();
    void MoveSelection(qint32 dx, qint32 dy); // arrows: 50, Ctrl+arrows: 10
    void ResizeSelection(qint32 handleCode, qint32 dw, qint32 dh);
    void DeleteSelection();
    void CopyLabels();   // with no label selected, what was copied before stays
    void PasteLabels();
    // What the edit commands have to act on now: Copy a selected label, Paste a copied
    // one, Delete and the alignments any selected object.
    struct EditTargets
    {
        bool anySelected = false;
        bool labelSelected = false;
        bool labelCopied = false;
    };
    static EditTargets CurrentEditTargets();
    void ShowProperties();
    void SelectAll();
    void Align(int code); // 0..5
    void ToggleRange(const QString& rangeType, bool currentlyChecked); // the five range menus
    bool HandleKey(int qtKey, CanvasModifiers m); // false when not handled (e.g. F4 with Shift)
    // Escape: leaves adding or the gesture under way; False when there was none.
    bool CancelToolState();

    // Snapping of drags (the keys move by their own steps and never snap).
    void SetSnap(const clsSnapSettings& settings) { m_snap = settings; }
    const clsSnapSettings& Snap() const { return m_snap; }
    // The tolerance follows the zoom: a few pixels, whatever they are in twips.
    void SetSnapTolerance(qint32 twips) { m_snap.tolerance = std::max(0, twips); }
    // Where the drag under way snapped to other objects' edges (surface twips).
    void SnapGuides(std::vector<qint32>& xs, std::vector<qint32>& ys) const;

    // Feedback the painter shows while dragging (empty rect when none):
    QRect RubberBand() const;
    // The travel of a move or resize, after snapping.
    QPoint DragOffset() const;
    // Where the dragged title line or range boundary would go; -1 when none is dragged.
    qint32 DragLineY() const; // title line / range bar

    // Callbacks to the window (set by frmMainView; may be empty in tests):
    std::function<void()> onContextMenu, onShowProperties, onRefreshFieldList, onCursorChanged;
    // A move or resize the managers refused (a column's titles would overlap, an edge
    // would leave its part): said on the status line, since the objects just stay put.
    std::function<void(const QString& why)> onRefused;
    int Cursor() const; // 1 arrow, 99 custom while adding / over a handle

private:
    enum class State { None, AddLabel, AddCol, AddTitle, SelectObject, SelectObjects, LineSelects, ColSelects,
                       MoveObject, ChangeTitleSize, ChangeObjectSize, ChangeRangSize };
    static State StateOf(const QString& name);

    void SetCursor(int cursor);
    // The smallest change of the dragged range's height the bar accepts.
    qint32 RangeChangeBound() const;
    void SelectInRect(qint32 left, qint32 top, qint32 right, qint32 bottom);
    void SelectObjectView(CanvasTarget target, const QString& name, CanvasModifiers m);
    // Whether the object a view shows is selected; selecting it (adding it to the rest).
    bool ViewSelected(CanvasTarget target, const QString& name) const;
    void SelectView(CanvasTarget target, const QString& name);
    void ListSelection();
    // Whether the pointer at (X, Y) is out of the few pixels around the press.
    bool LeftDeadZone(qint32 X, qint32 Y) const;
    // Snapping: the dragged selection's box and the edges it may snap to, gathered
    // when a move or resize begins; the snapped travel for a raw one.
    void PrepareSnap();
    QPoint Snapped(qint32 dx, qint32 dy, std::vector<qint32>* guideX = nullptr,
                   std::vector<qint32>* guideY = nullptr) const;

    State m_state = State::None;
    bool m_busy = false;
    qint32 m_x0 = 0, m_y0 = 0; // where the gesture started
    qint32 m_x1 = 0, m_y1 = 0; // where the pointer is now
    qint32 m_handle = 0;       // size handle being dragged
    QString m_rangeName;       // range whose bar is dragged
    bool m_bandShown = false;
    int m_cursor = 1;
    clsSnapSettings m_snap;
    clsSceneRect m_dragBox;       // the selection's box when the drag began
    bool m_hasDragBox = false;
    // A move or resize begins only once the pointer leaves a few pixels around the
    // press: a click never nudges an object, nor snaps it to the grid.
    bool m_dragStarted = false;
    std::vector<qint32> m_edgesX; // other objects' edges, sorted
    std::vector<qint32> m_edgesY;
};
