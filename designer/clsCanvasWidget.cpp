#include "clsCanvasWidget.h"
#include "clsCanvasScene.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "columns/clsFieldsManager.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include <QBitmap>
#include <QHelpEvent>
#include <QToolTip>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
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

constexpr double kZoomSteps[] = {0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};
// Pixels of slack around a handle, and the distance within which a dragged edge snaps.
constexpr double kHandleSlack = 2;
constexpr double kSnapPixels = 6;

// A tooltip's lines: the caption, then what the object computes when that says more.
QString ToolTipText(const QString& caption, const QString& source)
{
    const QString shown = caption.trimmed();
    const QString more = source.trimmed();
    if (more.isEmpty() || more == shown)
        return shown;
    return shown + QLatin1Char('\n') + more;
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

void clsCanvasWidget::SetController(clsCanvasController* controller)
{
    m_controller = controller;
    if (m_controller)
        m_controller->SetSnapTolerance(qint32(std::lround(kSnapPixels * clsCanvasScene::TwipsPerPixel / m_zoom)));
}

double clsCanvasWidget::StepZoom(double zoom, int steps)
{
    double z = std::clamp(zoom, MinZoom, MaxZoom);
    for (; steps > 0; --steps) {
        const auto next = std::upper_bound(std::begin(kZoomSteps), std::end(kZoomSteps), z + 1e-9);
        z = next == std::end(kZoomSteps) ? MaxZoom : *next;
    }
    for (; steps < 0; ++steps) {
        const auto next = std::lower_bound(std::begin(kZoomSteps), std::end(kZoomSteps), z - 1e-9);
        z = next == std::begin(kZoomSteps) ? MinZoom : *(next - 1);
    }
    return z;
}

clsCanvasWidget::~clsCanvasWidget() = default;

clsCanvasScene* clsCanvasWidget::Scene()
{
    // Painting and hit tests always see the records as they now are.
    EnsureDocumentLayout();
    return DocumentScene();
}

void clsCanvasWidget::SetZoom(double zoom, const QPointF& anchor)
{
    if (!(zoom > 0))
        return;
    zoom = std::clamp(zoom, MinZoom, MaxZoom);
    if (std::abs(zoom - m_zoom) < 1e-9)
        return;
    const QPointF at = anchor.x() < 0 || anchor.y() < 0 ? QPointF(viewport()->rect().center()) : anchor;
    const QPoint fixed = ToCanvas(at);
    m_zoom = zoom;
    if (m_controller)
        m_controller->SetSnapTolerance(qint32(std::lround(kSnapPixels * clsCanvasScene::TwipsPerPixel / m_zoom)));
    UpdateScrollSteps();
    // Scroll so that the surface point under the anchor is under it again; the bars
    // count whole millimetres.
    const double twipsPerPixel = clsCanvasScene::TwipsPerPixel / m_zoom;
    const double mm = MmToTwips(1);
    ScrollTo(qint32(std::lround((fixed.x() - at.x() * twipsPerPixel) / mm)),
             qint32(std::lround((fixed.y() - at.y() * twipsPerPixel) / mm)));
    LayoutRulers();
    viewport()->update();
    Q_EMIT ZoomChanged(m_zoom);
}

void clsCanvasWidget::SetGrid(qint32 stepTwips)
{
    m_grid = std::max(0, stepTwips);
    viewport()->update();
}

qint32 clsCanvasWidget::RulerThicknessPixels()
{
    return qint32(std::ceil(clsScenePainter::RulerPixels));
}

void clsCanvasWidget::UpdateScrollSteps()
{
    // The bars count millimetres: a wheel notch and a page move about as far on the
    // screen at every zoom.
    const double pixelsPerMm = MmToTwips(1) * m_zoom / clsCanvasScene::TwipsPerPixel;
    horizontalScrollBar()->setSingleStep(std::max(1, int(std::lround(2 / m_zoom))));
    verticalScrollBar()->setSingleStep(std::max(1, int(std::lround(2 / m_zoom))));
    horizontalScrollBar()->setPageStep(std::max(1, int(viewport()->width() * 0.9 / pixelsPerMm)));
    verticalScrollBar()->setPageStep(std::max(1, int(viewport()->height() * 0.9 / pixelsPerMm)));
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
    // Handles keep their pixel size at every zoom and get a pixel or two of slack.
    const clsScenePainter painter(*scene, m_zoom);
    const QPointF origin = ToViewport(0, 0);
    const QPointF pixel = ToViewport(x, y);
    const qint32 slack = qint32(std::lround(kHandleSlack * clsCanvasScene::TwipsPerPixel / m_zoom));
    for (const clsSizeHandle& h : scene->SizeHandles()) {
        const clsSceneElement* owner = scene->Find(h.ownerKind, h.owner);
        if (owner && !scene->IsDisplayed(*owner))
            continue;
        const QRectF box = painter.HandlePixelRect(h, origin).adjusted(-kHandleSlack, -kHandleSlack, kHandleSlack, kHandleSlack);
        if (box.contains(pixel)) {
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
    h->setValue(scene->HScroll1.value);
    v->setRange(scene->VScroll1.min, scene->VScroll1.max);
    v->setValue(scene->VScroll1.value);
    // At 100 % the scene's own steps; zoomed, steps of about the same screen distance.
    if (std::abs(m_zoom - 1.0) < 1e-9) {
        h->setSingleStep(scene->HScroll1.smallChange);
        h->setPageStep(scene->HScroll1.largeChange);
        v->setSingleStep(scene->VScroll1.smallChange);
        v->setPageStep(scene->VScroll1.largeChange);
    } else {
        UpdateScrollSteps();
    }
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
    m_controller->SnapGuides(f.guideX, f.guideY);
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
    clsScenePainter painter(*scene, m_zoom);
    painter.SetGrid(m_grid);
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
    if (std::abs(m_zoom - 1.0) > 1e-9)
        UpdateScrollSteps();
}

void clsCanvasWidget::wheelEvent(QWheelEvent* event)
{
    if (!event->modifiers().testFlag(Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // One zoom step per notch, about the point under the pointer.
    const int notches = event->angleDelta().y() / 120;
    if (notches != 0)
        SetZoom(StepZoom(m_zoom, notches), event->position());
    event->accept();
}

bool clsCanvasWidget::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QPoint at = ToCanvas(help->pos());
        const QString text = ToolTipAt(at.x(), at.y());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

QString clsCanvasWidget::ToolTipAt(qint32 x, qint32 y) const
{
    const Hit hit = HitTest(x, y);
    const clsCanvasScene* scene = Scene();
    if (!scene)
        return QString();
    switch (hit.target) {
    case CanvasTarget::LabelView: {
        const clsLabelManager* labels = DocumentLabels();
        const clsLabel* label = labels ? labels->FindLabel(hit.name) : nullptr;
        if (!label)
            break;
        // The caption is the data source when there is one; otherwise the name.
        const QString source = label->strSou.trimmed();
        if (source.isEmpty())
            return label->StrName;
        return ToolTipText(label->StrName, label->StrDataSouType.trimmed() + QStringLiteral("：") + label->strSou);
    }
    case CanvasTarget::ColumnView: {
        const clsFieldsManager* fields = DocumentFields();
        const clsRepcol* col = fields ? fields->FindCol(hit.name) : nullptr;
        if (!col)
            break;
        const QString caption = col->Caption.trimmed().isEmpty() ? col->name : col->name + QStringLiteral("（") + col->Caption.trimmed() + QStringLiteral("）");
        return ToolTipText(caption, col->Expression);
    }
    case CanvasTarget::TitleView:
        if (const clsSceneElement* e = scene->Find(Kind::Title, hit.name))
            return ToolTipText(e->caption, QString());
        break;
    default:
        break;
    }
    return QString();
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

void clsCanvasWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press like any other (a drag from it
    // still moves); on an object it also opens the property window, as F4 does.
    mousePressEvent(event);
    const CanvasTarget hit = m_pressHit.target;
    if (event->button() == Qt::LeftButton && m_controller
        && (hit == CanvasTarget::LabelView || hit == CanvasTarget::ColumnView || hit == CanvasTarget::TitleView))
        m_controller->ShowProperties();
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
