#include "clsCanvasWidget.h"
#include "clsCanvasScene.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "ranges/clsRangeManager.h"
#include <QBitmap>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <cmath>

namespace {
using Kind = clsCanvasScene::Kind;

// The pointer while an object is being added: a cross with a small frame beside it,
// so the user sees the next click places something.
QCursor AddingCursor()
{
    static const QCursor cursor = [] {
        QPixmap pm(32, 32);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(8, 0, 8, 16);
        p.drawLine(0, 8, 16, 8);
        p.drawRect(12, 12, 14, 9);
        p.end();
        return QCursor(pm, 8, 8);
    }();
    return cursor;
}

bool Inside(const clsSceneRect& r, qint32 x, qint32 y)
{
    return x >= r.left && x <= r.Right() && y >= r.top && y <= r.Bottom();
}
}

// One of the two rulers: paints through the canvas and hands its mouse to it.
class clsRulerStrip : public QWidget
{
public:
    clsRulerStrip(clsCanvasWidget* canvas, bool vertical)
        : QWidget(canvas)
        , m_canvas(canvas)
        , m_vertical(vertical)
    {
        setObjectName(vertical ? QStringLiteral("picLeftRote") : QStringLiteral("PicTopRote"));
    }

protected:
    void paintEvent(QPaintEvent*) override { m_canvas->PaintRuler(this, m_vertical); }
    void mousePressEvent(QMouseEvent* e) override { m_canvas->RulerMouse(m_vertical, e, true); }
    void mouseReleaseEvent(QMouseEvent* e) override { m_canvas->RulerMouse(m_vertical, e, false); }
    void mouseMoveEvent(QMouseEvent*) override { setCursor(Qt::ArrowCursor); }

private:
    clsCanvasWidget* m_canvas;
    bool m_vertical;
};

clsCanvasWidget::clsCanvasWidget(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("picBack"));
    viewport()->setObjectName(QStringLiteral("picDraw"));
    viewport()->setMouseTracking(true);
    viewport()->setAcceptDrops(true);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    horizontalScrollBar()->setObjectName(QStringLiteral("HScroll1"));
    verticalScrollBar()->setObjectName(QStringLiteral("VScroll1"));
    m_topRuler = new clsRulerStrip(this, false);
    m_leftRuler = new clsRulerStrip(this, true);
    setViewportMargins(RulerThicknessPixels(), RulerThicknessPixels(), 0, 0);
    SyncScrollBars();
}

clsCanvasWidget::~clsCanvasWidget() = default;

clsCanvasScene* clsCanvasWidget::Scene()
{
    // Painting and hit tests always see the records as they now are.
    EnsureDocumentLayout();
    return DocumentScene();
}

void clsCanvasWidget::SetZoom(double zoom)
{
    if (zoom <= 0)
        return;
    m_zoom = zoom;
    setViewportMargins(RulerThicknessPixels(), RulerThicknessPixels(), 0, 0);
    LayoutRulers();
    viewport()->update();
}

qint32 clsCanvasWidget::RulerThicknessPixels() const
{
    return qint32(std::ceil(clsCanvasScene::RulerThickness * m_zoom / clsCanvasScene::TwipsPerPixel));
}

void clsCanvasWidget::LayoutRulers()
{
    const QRect vp = viewport()->geometry();
    const int t = RulerThicknessPixels();
    m_topRuler->setGeometry(vp.left(), vp.top() - t, vp.width(), t);
    m_leftRuler->setGeometry(vp.left() - t, vp.top(), t, vp.height());
    m_topRuler->update();
    m_leftRuler->update();
}

QPoint clsCanvasWidget::ToCanvas(const QPointF& pixel) const
{
    const clsCanvasScene* scene = Scene();
    const qint32 left = scene ? scene->picBack.left : 0;
    const qint32 top = scene ? scene->picBack.top : 0;
    const double twipsPerPixel = clsCanvasScene::TwipsPerPixel / m_zoom;
    return QPoint(qint32(std::lround(pixel.x() * twipsPerPixel)) - left, qint32(std::lround(pixel.y() * twipsPerPixel)) - top);
}

QPointF clsCanvasWidget::ToViewport(qint32 x, qint32 y) const
{
    const clsCanvasScene* scene = Scene();
    const qint32 left = scene ? scene->picBack.left : 0;
    const qint32 top = scene ? scene->picBack.top : 0;
    const double scale = m_zoom / clsCanvasScene::TwipsPerPixel;
    return QPointF((qint64(x) + left) * scale, (qint64(y) + top) * scale);
}

clsCanvasWidget::Hit clsCanvasWidget::HitTest(qint32 x, qint32 y) const
{
    Hit hit;
    const clsCanvasScene* scene = Scene();
    if (!scene)
        return hit;
    // Handles are small; give them a pixel or two of slack so they can be caught.
    const qint32 slack = qint32(std::lround(2 * clsCanvasScene::TwipsPerPixel / m_zoom));
    for (const clsSizeHandle& h : scene->SizeHandles()) {
        const clsSceneElement* owner = scene->Find(h.ownerKind, h.owner);
        if (owner && !scene->IsDisplayed(*owner))
            continue;
        const clsSceneRect r{h.rect.left - slack, h.rect.top - slack, h.rect.width + 2 * slack, h.rect.height + 2 * slack};
        if (Inside(r, x, y)) {
            hit.target = CanvasTarget::SizeHandle;
            hit.name = QString::number(int(h.edge));
            return hit;
        }
    }
    if (scene->lineBreak.visible && scene->KindShown(Kind::Title) && std::abs(y - scene->lineBreak.y1) <= slack
        && x >= std::min(scene->lineBreak.x1, scene->lineBreak.x2) && x <= std::max(scene->lineBreak.x1, scene->lineBreak.x2)) {
        hit.target = CanvasTarget::TitleLine;
        return hit;
    }
    // Topmost first: labels are painted over columns, columns over titles, and later
    // elements of a kind over earlier ones.
    const std::pair<Kind, CanvasTarget> views[] = {
        {Kind::Label, CanvasTarget::LabelView},
        {Kind::Column, CanvasTarget::ColumnView},
        {Kind::Title, CanvasTarget::TitleView},
        {Kind::Strip, CanvasTarget::RangeBar},
    };
    for (const auto& [kind, target] : views) {
        if (!scene->KindShown(kind))
            continue;
        const auto& elements = scene->Elements(kind);
        for (auto it = elements.rbegin(); it != elements.rend(); ++it) {
            const clsSceneElement& e = **it;
            if (e.visible && Inside(e.rect, x, y)) {
                hit.target = target;
                hit.name = e.name;
                return hit;
            }
        }
    }
    return hit;
}

void clsCanvasWidget::SyncScrollBars()
{
    const clsCanvasScene* scene = Scene();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    const QSignalBlocker bh(h);
    const QSignalBlocker bv(v);
    if (!scene) {
        h->setRange(0, 0);
        v->setRange(0, 0);
        return;
    }
    h->setRange(scene->HScroll1.min, scene->HScroll1.max);
    h->setSingleStep(scene->HScroll1.smallChange);
    h->setPageStep(scene->HScroll1.largeChange);
    h->setValue(scene->HScroll1.value);
    v->setRange(scene->VScroll1.min, scene->VScroll1.max);
    v->setSingleStep(scene->VScroll1.smallChange);
    v->setPageStep(scene->VScroll1.largeChange);
    v->setValue(scene->VScroll1.value);
}

void clsCanvasWidget::ScrollTo(qint32 hMm, qint32 vMm)
{
    horizontalScrollBar()->setValue(hMm);
    verticalScrollBar()->setValue(vMm);
}

void clsCanvasWidget::scrollContentsBy(int, int)
{
    clsCanvasScene* scene = Scene();
    clsRangeManager* ranges = DocumentRanges();
    if (scene) {
        scene->HScroll1.value = horizontalScrollBar()->value();
        scene->VScroll1.value = verticalScrollBar()->value();
    }
    // The rulers count from the scroll position so their marks stay on the sheet's millimetres.
    if (ranges) {
        ranges->DrawHRotes(horizontalScrollBar()->value());
        ranges->MoveBackHRange(horizontalScrollBar()->value());
        ranges->DrawVRotes(verticalScrollBar()->value());
        ranges->MoveBackVRange(verticalScrollBar()->value());
    }
    m_topRuler->update();
    m_leftRuler->update();
    viewport()->update();
}

clsPaintFeedback clsCanvasWidget::Feedback() const
{
    clsPaintFeedback f;
    if (!m_controller)
        return f;
    if (m_controller->IsState(QStringLiteral("SelectObjects")))
        f.rubberBand = m_controller->RubberBand();
    if (m_controller->IsState(QStringLiteral("MoveObject"))) {
        f.showMoveOutline = true;
        f.moveOffset = m_controller->DragOffset();
    }
    if (m_controller->IsState(QStringLiteral("ChangeTitleSize")) || m_controller->IsState(QStringLiteral("ChangeRangSize"))) {
        f.showDragLine = true;
        f.dragLineY = m_controller->DragLineY();
    }
    return f;
}

void clsCanvasWidget::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.setClipRect(viewport()->rect());
    const clsCanvasScene* scene = Scene();
    if (!scene) {
        p.fillRect(viewport()->rect(), QColor(0x80, 0x80, 0x80));
        return;
    }
    const clsScenePainter painter(*scene, m_zoom);
    painter.PaintSurface(p, ToViewport(0, 0), Feedback());
}

void clsCanvasWidget::PaintRuler(QWidget* ruler, bool vertical)
{
    QPainter p(ruler);
    const clsCanvasScene* scene = Scene();
    if (!scene) {
        p.fillRect(ruler->rect(), QColor(0xff, 0xff, 0xe1));
        return;
    }
    const clsScenePainter painter(*scene, m_zoom);
    painter.PaintRuler(p, vertical ? scene->picLeftRote : scene->PicTopRote, QRectF(ruler->rect()));
}

void clsCanvasWidget::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    LayoutRulers();
}

CanvasModifiers clsCanvasWidget::ModifiersOf(Qt::KeyboardModifiers m)
{
    CanvasModifiers c;
    c.ctrl = m.testFlag(Qt::ControlModifier);
    c.shift = m.testFlag(Qt::ShiftModifier);
    return c;
}

CanvasButton clsCanvasWidget::ButtonOf(Qt::MouseButton b)
{
    return b == Qt::RightButton ? CanvasButton::Right : CanvasButton::Left;
}

void clsCanvasWidget::PressAt(qint32 x, qint32 y, CanvasButton button, CanvasModifiers m)
{
    if (!m_controller)
        return;
    m_pressHit = HitTest(x, y);
    m_pressed = true;
    // A caption strip is the lower edge of the range above it: dragging the strip
    // changes that range's height, so the strip follows the pointer.
    QString name = m_pressHit.name;
    if (m_pressHit.target == CanvasTarget::RangeBar && g_objDocument && g_objDocument->RangeManager())
        name = g_objDocument->RangeManager()->RangeAboveStrip(name);
    m_controller->Press(m_pressHit.target, name, button, x, y, m);
    UpdatePointer();
    viewport()->update();
}

void clsCanvasWidget::MoveTo(qint32 x, qint32 y, CanvasModifiers m)
{
    Q_EMIT PointerMoved(x, y);
    if (!m_controller)
        return;
    // While a button is down the view that was pressed keeps the pointer.
    m_hoverHit = m_pressed ? m_pressHit : HitTest(x, y);
    m_controller->Move(m_hoverHit.target, x, y, m);
    UpdatePointer();
    if (m_pressed || m_controller->Busy())
        viewport()->update();
}

void clsCanvasWidget::ReleaseAt(qint32 x, qint32 y, CanvasModifiers m)
{
    if (!m_controller)
        return;
    const CanvasTarget target = m_pressed ? m_pressHit.target : HitTest(x, y).target;
    m_pressed = false;
    m_controller->Release(target, x, y, m);
    UpdatePointer();
    m_topRuler->update();
    m_leftRuler->update();
    viewport()->update();
    Q_EMIT GestureEnded();
}

void clsCanvasWidget::DropAt(const QStringList& fields, qint32 x, qint32 y)
{
    if (!m_controller || fields.isEmpty())
        return;
    m_controller->DropFields(fields, x, y);
    viewport()->update();
    Q_EMIT GestureEnded();
}

void clsCanvasWidget::PressRuler(bool vertical, qint32 along, CanvasButton button, CanvasModifiers m)
{
    if (!m_controller)
        return;
    m_controller->Press(vertical ? CanvasTarget::LeftRuler : CanvasTarget::TopRuler, QString(), button,
                        vertical ? 0 : along, vertical ? along : 0, m);
    viewport()->update();
}

void clsCanvasWidget::ReleaseRuler(bool vertical, qint32 along, CanvasModifiers m)
{
    if (!m_controller)
        return;
    m_controller->Release(vertical ? CanvasTarget::LeftRuler : CanvasTarget::TopRuler, vertical ? 0 : along,
                          vertical ? along : 0, m);
    viewport()->update();
    Q_EMIT GestureEnded();
}

void clsCanvasWidget::RulerMouse(bool vertical, QMouseEvent* event, bool press)
{
    // Ruler positions are counted as the rulers lay in the window: the left ruler
    // starts a ruler's thickness above the surface's visible top, the top ruler 315
    // twips left of its visible left edge; the machine takes the sheet's scroll
    // position and those offsets back off.
    constexpr qint32 kTopRulerStart = 315;
    const double twipsPerPixel = clsCanvasScene::TwipsPerPixel / m_zoom;
    const double pixel = vertical ? event->position().y() : event->position().x();
    const qint32 along = qint32(std::lround(pixel * twipsPerPixel)) + (vertical ? clsCanvasScene::RulerThickness : kTopRulerStart);
    if (press)
        PressRuler(vertical, along, ButtonOf(event->button()), ModifiersOf(event->modifiers()));
    else
        ReleaseRuler(vertical, along, ModifiersOf(event->modifiers()));
}

void clsCanvasWidget::UpdatePointer()
{
    if (!m_controller || m_controller->Cursor() != 99) {
        viewport()->setCursor(Qt::ArrowCursor);
        return;
    }
    if (m_controller->IsAdding()) {
        viewport()->setCursor(AddingCursor());
        return;
    }
    const Hit& hit = m_pressed ? m_pressHit : m_hoverHit;
    if (hit.target == CanvasTarget::SizeHandle) {
        const bool vertical = hit.name == QLatin1String("0") || hit.name == QLatin1String("1");
        viewport()->setCursor(vertical ? Qt::SizeVerCursor : Qt::SizeHorCursor);
    } else if (hit.target == CanvasTarget::RangeBar || hit.target == CanvasTarget::TitleLine) {
        viewport()->setCursor(Qt::SplitVCursor);
    } else {
        viewport()->setCursor(Qt::ArrowCursor);
    }
}

void clsCanvasWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    setFocus(Qt::MouseFocusReason);
    const QPoint at = ToCanvas(event->position());
    PressAt(at.x(), at.y(), ButtonOf(event->button()), ModifiersOf(event->modifiers()));
}

void clsCanvasWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = ToCanvas(event->position());
    MoveTo(at.x(), at.y(), ModifiersOf(event->modifiers()));
}

void clsCanvasWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    const QPoint at = ToCanvas(event->position());
    ReleaseAt(at.x(), at.y(), ModifiersOf(event->modifiers()));
}

void clsCanvasWidget::keyPressEvent(QKeyEvent* event)
{
    // The window's key table decides what every key does; the arrows must not scroll.
    event->ignore();
}

void clsCanvasWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        event->ignore();
}

void clsCanvasWidget::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        event->ignore();
}

void clsCanvasWidget::dropEvent(QDropEvent* event)
{
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    QStringList fields;
    for (const QString& line : event->mimeData()->text().split(QLatin1Char('\n'))) {
        const QString field = line.trimmed();
        if (!field.isEmpty())
            fields << field;
    }
    event->acceptProposedAction();
    const QPoint at = ToCanvas(event->position());
    DropAt(fields, at.x(), at.y());
}
