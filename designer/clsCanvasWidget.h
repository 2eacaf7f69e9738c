#pragma once
#include "clsCanvasController.h"
#include "clsScenePainter.h"
#include <QAbstractScrollArea>
#include <QString>

class clsCanvasScene;
class QMenu;

// The designer's page canvas: the drawing surface in the viewport, the millimetre
// rulers along its top and left edges and the two scroll bars. It paints the open
// document's scene and turns mouse gestures and dropped fields into calls on the
// tool-state machine; keys are left to the window.
class clsCanvasWidget : public QAbstractScrollArea
{
    Q_OBJECT
public:
    // What lies under a canvas point: the kind of view and its name (the object's
    // name, the range's name for a caption strip, the edge code for a size handle).
    struct Hit
    {
        CanvasTarget target = CanvasTarget::Canvas;
        QString name;
    };

    explicit clsCanvasWidget(QWidget* parent = nullptr);
    ~clsCanvasWidget() override;

    // The zoom range and the steps that Ctrl+wheel and the zoom keys go through.
    static constexpr double MinZoom = 0.25;
    static constexpr double MaxZoom = 4.0;
    // The next step in (steps > 0) or out (steps < 0) from `zoom`, within the range.
    static double StepZoom(double zoom, int steps);

    void SetController(clsCanvasController* controller);
    clsCanvasController* Controller() const { return m_controller; }
    // Scales painting, hit tests, handles, rulers and scrolling; the surface point under
    // `anchor` (viewport pixels; the viewport's centre when null) stays where it is.
    // The zoom is kept within MinZoom..MaxZoom.
    void SetZoom(double zoom, const QPointF& anchor = QPointF(-1, -1));
    double Zoom() const { return m_zoom; }
    // The grid painted on the sheet, its step in twips; 0 shows none.
    void SetGrid(qint32 stepTwips);
    qint32 Grid() const { return m_grid; }
    // The text of the tooltip over a surface point: the full caption of the object
    // there and, where it has one, its expression or data source; empty elsewhere.
    QString ToolTipAt(qint32 x, qint32 y) const;

    // The open document's scene, or nullptr.
    static clsCanvasScene* Scene();

    // Viewport pixels to drawing-surface twips and back, at the current scroll position.
    QPoint ToCanvas(const QPointF& pixel) const;
    QPointF ToViewport(qint32 x, qint32 y) const;
    // The topmost view under a surface point: size handles first, then the title
    // line, labels, columns, titles, caption strips; otherwise the bare canvas.
    Hit HitTest(qint32 x, qint32 y) const;

    // Takes the scroll ranges from the scene and puts the sheet at the bars' values.
    void SyncScrollBars();
    // Scrolls to these millimetres (what a scroll bar change does).
    void ScrollTo(qint32 hMm, qint32 vMm);

    // Gestures in surface twips, as the mouse handlers deliver them; public so that a
    // scripted session can drive the canvas without synthesising events.
    void PressAt(qint32 x, qint32 y, CanvasButton button, CanvasModifiers m);
    void MoveTo(qint32 x, qint32 y, CanvasModifiers m);
    void ReleaseAt(qint32 x, qint32 y, CanvasModifiers m);
    // Field names dropped at a surface point.
    void DropAt(const QStringList& fields, qint32 x, qint32 y);
    // Gestures on the rulers; `along` is the pointer's twips from the ruler's start.
    void PressRuler(bool vertical, qint32 along, CanvasButton button, CanvasModifiers m);
    void ReleaseRuler(bool vertical, qint32 along, CanvasModifiers m);

    // The pointer the canvas shows now (follows the machine's pointer code).
    void UpdatePointer();

Q_SIGNALS:
    // The pointer moved over the surface (twips), for the window's status line.
    void PointerMoved(qint32 x, qint32 y);
    // A gesture ended: the window refreshes whatever depends on the selection.
    void GestureEnded();
    // The zoom changed (Ctrl+wheel or SetZoom).
    void ZoomChanged(double zoom);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    friend class clsRulerStrip;
    void PaintRuler(QWidget* ruler, bool vertical);
    void RulerMouse(bool vertical, QMouseEvent* event, bool press);
    static qint32 RulerThicknessPixels();
    void LayoutRulers();
    void UpdateScrollSteps();
    static CanvasModifiers ModifiersOf(Qt::KeyboardModifiers m);
    static CanvasButton ButtonOf(Qt::MouseButton b);
    clsPaintFeedback Feedback() const;

    clsCanvasController* m_controller = nullptr;
    double m_zoom = 1.0;
    qint32 m_grid = 0;
    QWidget* m_topRuler = nullptr;
    QWidget* m_leftRuler = nullptr;
    // Where the current press began: the release and the moves go to the same view.
    bool m_pressed = false;
    Hit m_pressHit;
    Hit m_hoverHit;
};
