#pragma once
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>

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
    void CopyLabels();
    void PasteLabels();
    void Align(int code); // 0..5
    void ToggleRange(const QString& rangeType, bool currentlyChecked); // the five range menus
    bool HandleKey(int qtKey, CanvasModifiers m); // false when not handled (e.g. F4 with Shift)

    // Feedback the painter shows while dragging (empty rect when none):
    QRect RubberBand() const;
    QPoint DragOffset() const;
    // Where the dragged title line or range boundary would go; -1 when none is dragged.
    qint32 DragLineY() const; // title line / range bar

    // Callbacks to the window (set by frmMainView; may be empty in tests):
    std::function<void()> onContextMenu, onShowProperties, onRefreshFieldList, onCursorChanged;
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
    void ListSelection();

    State m_state = State::None;
    bool m_busy = false;
    qint32 m_x0 = 0, m_y0 = 0; // where the gesture started
    qint32 m_x1 = 0, m_y1 = 0; // where the pointer is now
    qint32 m_handle = 0;       // size handle being dragged
    QString m_rangeName;       // range whose bar is dragged
    bool m_bandShown = false;
    int m_cursor = 1;
};
