#include "clsScenePainter.h"
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

namespace {
using Kind = clsCanvasScene::Kind;

const QColor kOutside(0x80, 0x80, 0x80);
const QColor kSheet(Qt::white);
const QColor kStrip(0xd4, 0xd0, 0xc8);
const QColor kStripText(0x20, 0x20, 0x20);
const QColor kBox(0x40, 0x40, 0x40);
const QColor kLabelFrame(0xc0, 0xc0, 0xc0);
const QColor kHiddenLabel(0x00, 0x80, 0x80);
const QColor kPaperMark(0x00, 0x00, 0xc0);
const QColor kSeparator(0xc0, 0x00, 0x00);
const QColor kRuler(0xff, 0xff, 0xe1);

// Painting order: strips under everything, then titles, columns, labels on top;
// the hit test of the canvas walks the same kinds the other way round.
constexpr Kind kPaintOrder[] = {Kind::Strip, Kind::Title, Kind::Column, Kind::Label};

Qt::Alignment ToQtAlignment(clsSceneAlign a)
{
    switch (a) {
    case clsSceneAlign::Centre:
        return Qt::AlignHCenter;
    case clsSceneAlign::Right:
        return Qt::AlignRight;
    case clsSceneAlign::Left:
        break;
    }
    return Qt::AlignLeft;
}
}

clsScenePainter::clsScenePainter(const clsCanvasScene& scene, double zoom)
    : m_scene(scene)
    , m_zoom(zoom > 0 ? zoom : 1.0)
{
}

double clsScenePainter::Scale() const
{
    return m_zoom / clsCanvasScene::TwipsPerPixel;
}

double clsScenePainter::ToPixels(qint32 twips) const
{
    return twips * Scale();
}

qint32 clsScenePainter::ToTwips(double pixels) const
{
    return qint32(std::lround(pixels / Scale()));
}

QFont clsScenePainter::ToQFont(const clsFont& font, double zoom)
{
    QFont f(font.Name.trimmed().isEmpty() ? QStringLiteral("宋体") : font.Name.trimmed());
    // A point is 20 twips; the canvas paints at TwipsPerPixel twips per pixel.
    const double size = font.Size > 0 ? font.Size : 9;
    f.setPixelSize(std::max(1, int(std::lround(size * 20.0 / clsCanvasScene::TwipsPerPixel * zoom))));
    // The weight is the stored one unless only the Bold flag says otherwise.
    int weight = font.Weight > 0 ? font.Weight : 400;
    if (font.Bold && weight < 700)
        weight = 700;
    f.setWeight(QFont::Weight(std::clamp(weight, 1, 1000)));
    f.setItalic(font.Italic);
    f.setUnderline(font.Underline);
    f.setStrikeOut(font.Strikethrough);
    return f;
}

QRectF clsScenePainter::PixelRect(const clsSceneRect& r, const QPointF& origin) const
{
    return QRectF(origin.x() + ToPixels(r.left), origin.y() + ToPixels(r.top), ToPixels(r.width), ToPixels(r.height));
}

void clsScenePainter::PaintElement(QPainter& p, const clsSceneElement& e, const QPointF& origin) const
{
    const QRectF box = PixelRect(e.rect, origin);
    // Elements outside the part being painted cost nothing.
    const QRectF clip = p.clipBoundingRect();
    if (p.hasClipping() && !clip.isEmpty() && !box.intersects(clip))
        return;
    switch (e.kind) {
    case Kind::Strip: {
        p.fillRect(box, kStrip);
        p.setPen(kBox);
        p.drawLine(box.topLeft(), box.topRight());
        p.drawLine(box.bottomLeft(), box.bottomRight());
        p.setPen(kStripText);
        p.setFont(ToQFont(clsFont(), m_zoom));
        const QRectF text = box.adjusted(ToPixels(clsCanvasScene::StripCaptionLeft), 0, 0, 0);
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, e.caption);
        break;
    }
    case Kind::Title:
    case Kind::Column: {
        p.setPen(kBox);
        p.setBrush(Qt::NoBrush);
        p.drawRect(box);
        p.setFont(ToQFont(e.font, m_zoom));
        p.drawText(box.adjusted(2, 0, -2, 0), ToQtAlignment(e.alignment) | Qt::AlignVCenter | Qt::TextWordWrap, e.caption);
        break;
    }
    case Kind::Label: {
        QPen frame(kLabelFrame);
        frame.setStyle(Qt::DotLine);
        p.setPen(frame);
        p.setBrush(Qt::NoBrush);
        p.drawRect(box);
        p.setPen(e.hiddenAttribute ? kHiddenLabel : QColor(Qt::black));
        p.setFont(ToQFont(e.font, m_zoom));
        p.drawText(box, ToQtAlignment(e.alignment) | Qt::AlignVCenter | Qt::TextWordWrap, e.caption);
        break;
    }
    }
}

void clsScenePainter::PaintSurface(QPainter& p, const QPointF& origin, const clsPaintFeedback& feedback) const
{
    p.save();
    const QRectF clip = p.clipBoundingRect();
    // Around the sheet (scrolled past its edges) the window shows grey.
    if (!clip.isEmpty())
        p.fillRect(clip, kOutside);
    const clsSceneRect& draw = m_scene.picDraw;
    const clsSceneRect sheet{-draw.left, -draw.top, m_scene.picBack.width, m_scene.picBack.height};
    p.fillRect(PixelRect(sheet, origin), kSheet);

    const auto paintLine = [&](const clsSceneLine& l, const QColor& colour, Qt::PenStyle style) {
        if (!l.visible)
            return;
        QPen pen(colour);
        pen.setStyle(style);
        p.setPen(pen);
        p.drawLine(QPointF(origin.x() + ToPixels(l.x1), origin.y() + ToPixels(l.y1)),
                   QPointF(origin.x() + ToPixels(l.x2), origin.y() + ToPixels(l.y2)));
    };
    paintLine(m_scene.PaperMarkDraw, kPaperMark, Qt::DashLine);
    // The mark on the sheet lies at the same place once the surface's offset is undone.
    if (m_scene.PaperMarkBack.visible && !m_scene.PaperMarkDraw.visible) {
        clsSceneLine back = m_scene.PaperMarkBack;
        back.x1 -= draw.left;
        back.x2 -= draw.left;
        paintLine(back, kPaperMark, Qt::DashLine);
    }

    for (Kind kind : kPaintOrder) {
        if (!m_scene.KindShown(kind))
            continue;
        for (const auto& e : m_scene.Elements(kind))
            if (e->visible)
                PaintElement(p, *e, origin);
        if (kind == Kind::Title)
            paintLine(m_scene.lineBreak, kSeparator, Qt::SolidLine);
    }

    // Selection marks: the handles of every selected element that is painted.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (const clsSizeHandle& h : m_scene.SizeHandles()) {
        const clsSceneElement* owner = m_scene.Find(h.ownerKind, h.owner);
        if (owner && !m_scene.IsDisplayed(*owner))
            continue;
        p.drawRect(PixelRect(h.rect, origin));
    }

    QPen dashed(Qt::black);
    dashed.setStyle(Qt::DashLine);
    p.setPen(dashed);
    p.setBrush(Qt::NoBrush);
    if (!feedback.rubberBand.isNull()) {
        const QRect b = feedback.rubberBand.normalized();
        p.drawRect(PixelRect({b.left(), b.top(), b.width(), b.height()}, origin));
    }
    if (feedback.showMoveOutline) {
        for (Kind kind : {Kind::Title, Kind::Column, Kind::Label}) {
            for (const auto& e : m_scene.Elements(kind)) {
                if (!e->selected || !m_scene.IsDisplayed(*e))
                    continue;
                clsSceneRect r = e->rect;
                r.left += feedback.moveOffset.x();
                r.top += feedback.moveOffset.y();
                p.drawRect(PixelRect(r, origin));
            }
        }
    }
    if (feedback.showDragLine) {
        const double y = origin.y() + ToPixels(feedback.dragLineY);
        p.drawLine(QPointF(origin.x() + ToPixels(sheet.left), y), QPointF(origin.x() + ToPixels(sheet.Right()), y));
    }
    p.restore();
}

void clsScenePainter::PaintRuler(QPainter& p, const clsSceneRuler& ruler, const QRectF& area) const
{
    p.save();
    p.fillRect(area, kRuler);
    p.setPen(Qt::black);
    for (const clsRulerTick& t : ruler.ticks) {
        const double along = ToPixels(t.position);
        const double from = ToPixels(clsSceneRuler::TickOffset);
        const double to = ToPixels(clsSceneRuler::TickOffset + t.length);
        if (ruler.vertical) {
            if (along > area.height())
                break;
            p.drawLine(QPointF(area.left() + from, area.top() + along), QPointF(area.left() + to, area.top() + along));
        } else {
            if (along > area.width())
                break;
            p.drawLine(QPointF(area.left() + along, area.top() + from), QPointF(area.left() + along, area.top() + to));
        }
    }
    p.setPen(kOutside);
    if (ruler.vertical)
        p.drawLine(area.topRight(), area.bottomRight());
    else
        p.drawLine(area.bottomLeft(), area.bottomRight());
    p.restore();
}

QSize clsScenePainter::ContentExtent(const clsCanvasScene& scene)
{
    qint64 right = 0;
    qint64 bottom = std::max(0, scene.picDraw.height);
    for (Kind kind : kPaintOrder) {
        if (!scene.KindShown(kind))
            continue;
        for (const auto& e : scene.Elements(kind)) {
            if (!e->visible)
                continue;
            // A strip runs the whole sheet wide; only its height counts.
            if (kind != Kind::Strip)
                right = std::max<qint64>(right, e->rect.Right());
            bottom = std::max<qint64>(bottom, e->rect.Bottom());
        }
    }
    if (scene.PaperMarkDraw.visible)
        right = std::max<qint64>(right, scene.PaperMarkDraw.x1);
    // A little room beyond the last object, and never wider than the sheet.
    constexpr qint64 margin = 300;
    const qint64 sheetWidth = std::max<qint64>(1, qint64(scene.picBack.width) - scene.picDraw.left);
    const qint64 sheetHeight = std::max<qint64>(1, scene.picBack.height);
    right = std::clamp<qint64>(right + margin, 1, std::max<qint64>(sheetWidth, 1));
    bottom = std::clamp<qint64>(bottom + margin, 1, std::max<qint64>(sheetHeight, 1));
    return QSize(int(right), int(bottom));
}

QSize clsScenePainter::RenderSize(const clsCanvasScene& scene, double zoom)
{
    const clsScenePainter painter(scene, zoom);
    const QSize extent = ContentExtent(scene);
    const int ruler = int(std::ceil(painter.ToPixels(clsCanvasScene::RulerThickness)));
    return QSize(ruler + int(std::ceil(painter.ToPixels(extent.width()))),
                 ruler + int(std::ceil(painter.ToPixels(extent.height()))));
}

QImage clsScenePainter::RenderToImage(const clsCanvasScene& scene, double zoom)
{
    const clsScenePainter painter(scene, zoom);
    const QSize size = RenderSize(scene, zoom);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    const double ruler = std::ceil(painter.ToPixels(clsCanvasScene::RulerThickness));
    const QRectF surface(ruler, ruler, size.width() - ruler, size.height() - ruler);
    p.setClipRect(surface);
    painter.PaintSurface(p, surface.topLeft());
    p.setClipping(false);
    painter.PaintRuler(p, scene.PicTopRote, QRectF(ruler, 0, size.width() - ruler, ruler));
    painter.PaintRuler(p, scene.picLeftRote, QRectF(0, ruler, ruler, size.height() - ruler));
    p.end();
    return image;
}

bool clsScenePainter::RenderToPdf(const clsCanvasScene& scene, const QString& fileName, QString* error)
{
    const QSize extent = ContentExtent(scene);
    const double rulerPt = clsCanvasScene::RulerThickness / 20.0;
    QPdfWriter writer(fileName);
    writer.setCreator(QStringLiteral("QXReportFormat"));
    writer.setPageSize(QPageSize(QSizeF(extent.width() / 20.0 + rulerPt, extent.height() / 20.0 + rulerPt),
                                 QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    // At this resolution one device pixel is exactly TwipsPerPixel twips.
    writer.setResolution(1440 / clsCanvasScene::TwipsPerPixel);
    QPainter p;
    if (!p.begin(&writer)) {
        if (error)
            *error = QStringLiteral("无法写入文件: ") + QFileInfo(fileName).absoluteFilePath();
        return false;
    }
    const clsScenePainter painter(scene, 1.0);
    const double ruler = painter.ToPixels(clsCanvasScene::RulerThickness);
    const double w = painter.ToPixels(extent.width());
    const double h = painter.ToPixels(extent.height());
    p.setClipRect(QRectF(ruler, ruler, w, h));
    painter.PaintSurface(p, QPointF(ruler, ruler));
    p.setClipping(false);
    painter.PaintRuler(p, scene.PicTopRote, QRectF(ruler, 0, w, ruler));
    painter.PaintRuler(p, scene.picLeftRote, QRectF(0, ruler, ruler, h));
    return p.end();
}
