#include "clsScenePainter.h"
#include "document/modPublicDefine.h"
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <limits>
#include <zlib.h>

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
const QColor kGrid(0xdc, 0xe2, 0xea);
const QColor kGuide(0xe0, 0x00, 0x80);
const QColor kHandleFrame(0x00, 0x3c, 0x8c);
// Grid lines and ruler ticks closer than this many pixels are left out.
constexpr double kDensestGrid = 6;
constexpr double kDensestTick = 3;
// Centimetre numbers on a ruler stand at least this far apart.
constexpr double kNumberSpacing = 24;

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

// Text that fits its box wraps; text that does not stays on one line cut with an
// ellipsis, so the box shows the start of the text and never half a line of it.
void DrawFittedText(QPainter& p, const QRectF& box, Qt::Alignment align, const QString& text)
{
    if (text.isEmpty() || box.width() <= 0 || box.height() <= 0)
        return;
    const QFontMetricsF metrics(p.font(), p.device());
    const QRectF wrapped = metrics.boundingRect(QRectF(0, 0, box.width(), 1e6),
                                                int(Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap), text);
    if (wrapped.height() <= box.height() + 0.5) {
        p.drawText(box, int(align | Qt::AlignVCenter | Qt::TextWordWrap), text);
        return;
    }
    const QString line = metrics.elidedText(text, Qt::ElideRight, box.width());
    p.drawText(box, int(align | Qt::AlignVCenter | Qt::TextSingleLine), line);
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
        DrawFittedText(p, box.adjusted(2, 0, -2, 0), ToQtAlignment(e.alignment), e.caption);
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
        DrawFittedText(p, box, ToQtAlignment(e.alignment), e.caption);
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
    const clsSceneRect sheet{clsSceneRect::Saturated(-qint64(draw.left)), clsSceneRect::Saturated(-qint64(draw.top)),
                             m_scene.picBack.width, m_scene.picBack.height};
    p.fillRect(PixelRect(sheet, origin), kSheet);
    PaintGrid(p, PixelRect(sheet, origin), origin);

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
        back.x1 = clsSceneRect::Saturated(qint64(back.x1) - draw.left);
        back.x2 = clsSceneRect::Saturated(qint64(back.x2) - draw.left);
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
    p.setPen(QPen(kHandleFrame, 0));
    p.setBrush(Qt::white);
    for (const clsSizeHandle& h : m_scene.SizeHandles()) {
        const clsSceneElement* owner = m_scene.Find(h.ownerKind, h.owner);
        if (owner && !m_scene.IsDisplayed(*owner))
            continue;
        p.drawRect(HandlePixelRect(h, origin));
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
                r.left = clsSceneRect::Saturated(qint64(r.left) + feedback.moveOffset.x());
                r.top = clsSceneRect::Saturated(qint64(r.top) + feedback.moveOffset.y());
                p.drawRect(PixelRect(r, origin));
            }
        }
    }
    if (feedback.showDragLine) {
        const double y = origin.y() + ToPixels(feedback.dragLineY);
        p.drawLine(QPointF(origin.x() + ToPixels(sheet.left), y), QPointF(origin.x() + ToPixels(sheet.Right()), y));
    }
    const QRectF sheetPixels = PixelRect(sheet, origin);
    p.setPen(QPen(kGuide, 0));
    for (qint32 x : feedback.guideX) {
        const double px = origin.x() + ToPixels(x);
        p.drawLine(QPointF(px, sheetPixels.top()), QPointF(px, sheetPixels.bottom()));
    }
    for (qint32 y : feedback.guideY) {
        const double py = origin.y() + ToPixels(y);
        p.drawLine(QPointF(sheetPixels.left(), py), QPointF(sheetPixels.right(), py));
    }
    p.restore();
}

void clsScenePainter::PaintGrid(QPainter& p, const QRectF& sheet, const QPointF& origin) const
{
    if (m_grid <= 0)
        return;
    // Zoomed far out, every second (fourth, ...) line is enough to show the step.
    double step = m_grid;
    while (step * Scale() < kDensestGrid)
        step *= 2;
    QRectF area = sheet;
    if (p.hasClipping())
        area &= p.clipBoundingRect();
    if (area.isEmpty())
        return;
    const double scale = Scale();
    const auto first = [&](double pixel, double originPixel) { return std::ceil((pixel - originPixel) / scale / step) * step; };
    QVector<QLineF> lines;
    for (double x = first(area.left(), origin.x()); origin.x() + x * scale <= area.right(); x += step)
        lines.append(QLineF(origin.x() + x * scale, area.top(), origin.x() + x * scale, area.bottom()));
    for (double y = first(area.top(), origin.y()); origin.y() + y * scale <= area.bottom(); y += step)
        lines.append(QLineF(area.left(), origin.y() + y * scale, area.right(), origin.y() + y * scale));
    p.save();
    p.setPen(QPen(kGrid, 0));
    p.drawLines(lines);
    p.restore();
}

QRectF clsScenePainter::HandleBox(const QRectF& owner, int edge)
{
    const double size = HandlePixels;
    const double midX = owner.center().x() - size / 2;
    const double midY = owner.center().y() - size / 2;
    switch (edge) {
    case clsSizeHandle::Top:
        return QRectF(midX, owner.top() - size, size, size);
    case clsSizeHandle::Bottom:
        return QRectF(midX, owner.bottom(), size, size);
    case clsSizeHandle::Left:
        return QRectF(owner.left() - size, midY, size, size);
    default:
        return QRectF(owner.right(), midY, size, size);
    }
}

QRectF clsScenePainter::HandlePixelRect(const clsSizeHandle& handle, const QPointF& origin) const
{
    if (const clsSceneElement* owner = m_scene.Find(handle.ownerKind, handle.owner))
        return HandleBox(PixelRect(owner->rect, origin), handle.edge);
    return PixelRect(handle.rect, origin);
}

void clsScenePainter::PaintRuler(QPainter& p, const clsSceneRuler& ruler, const QRectF& area) const
{
    p.save();
    p.fillRect(area, kRuler);
    p.setClipRect(area, Qt::IntersectClip);
    p.setPen(QPen(Qt::black, 0));
    QFont numbers = p.font();
    numbers.setPixelSize(9);
    p.setFont(numbers);
    // The tick counted `c` marks millimetre c of the surface: with the ruler's start at
    // the scroll position, the numbers read as the positions the status line shows.
    const double mm = ToPixels(MmToTwips(1));
    const double length = ruler.vertical ? area.height() : area.width();
    const double depth = ruler.vertical ? area.width() : area.height();
    const double from = double(clsSceneRuler::TickOffset) / clsCanvasScene::TwipsPerPixel;
    qint64 every = 1;
    for (qint64 k : {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000}) {
        every = k;
        if (k * 10 * mm >= kNumberSpacing)
            break;
    }
    // Ticks closer than kDensestTick pixels are left out: every millimetre, every fifth,
    // every tenth, every fiftieth, ... as far as the zoom allows.
    qint64 step = 1;
    for (qint64 k : {1, 5, 10, 50, 100, 500, 1000, 5000, 10000}) {
        step = k;
        if (k * mm >= kDensestTick)
            break;
    }
    const qint64 first = ruler.start >= 0 ? (ruler.start + step - 1) / step * step : ruler.start / step * step;
    for (qint64 c = first;; c += step) {
        const double along = double(c - ruler.start) * mm;
        if (along > length)
            break;
        const int kind = c % 10 == 0 ? 3 : (c % 5 == 0 ? 2 : 1);
        const double to = from + 30.0 * kind / clsCanvasScene::TwipsPerPixel;
        if (ruler.vertical)
            p.drawLine(QPointF(area.left() + from, area.top() + along), QPointF(area.left() + to, area.top() + along));
        else
            p.drawLine(QPointF(area.left() + along, area.top() + from), QPointF(area.left() + along, area.top() + to));
        if (kind != 3 || (c / 10) % every != 0)
            continue;
        const QString text = QString::number(c / 10);
        const QRectF band(-20, 0, 40, depth - to);
        p.save();
        if (ruler.vertical) {
            p.translate(area.left() + to, area.top() + along);
            p.rotate(90);
            p.translate(0, -(depth - to));
        } else {
            p.translate(area.left() + along, area.top() + to);
        }
        p.drawText(band, Qt::AlignHCenter | Qt::AlignVCenter, text);
        p.restore();
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
    // At a large zoom the size in pixels may pass what an int holds: it saturates, and
    // such a picture cannot be made.
    const auto pixels = [](double value) {
        return int(std::min<double>(std::ceil(value), std::numeric_limits<int>::max()));
    };
    const double ruler = std::ceil(RulerPixels);
    return QSize(pixels(ruler + std::ceil(painter.ToPixels(extent.width()))),
                 pixels(ruler + std::ceil(painter.ToPixels(extent.height()))));
}

QImage clsScenePainter::RenderToImage(const clsCanvasScene& scene, double zoom, qint32 gridTwips)
{
    clsScenePainter painter(scene, zoom);
    painter.SetGrid(gridTwips);
    const QSize size = RenderSize(scene, zoom);
    // Beyond this a picture is a mistaken zoom, not a page; asking the allocator for it
    // would take the machine's memory or be refused anyway.
    constexpr qint64 maxBytes = qint64(1) << 30;
    if (qint64(size.width()) * size.height() > maxBytes / 4)
        return QImage();
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    QPainter p(&image);
    const double ruler = std::ceil(RulerPixels);
    const QRectF surface(ruler, ruler, size.width() - ruler, size.height() - ruler);
    p.setClipRect(surface);
    painter.PaintSurface(p, surface.topLeft());
    p.setClipping(false);
    painter.PaintRuler(p, scene.PicTopRote, QRectF(ruler, 0, size.width() - ruler, ruler));
    painter.PaintRuler(p, scene.picLeftRote, QRectF(0, ruler, ruler, size.height() - ruler));
    p.end();
    return image;
}

namespace {
// A PNG file written a band of rows at a time: the rows are filtered (Sub) and
// deflated into one zlib stream that goes out as IDAT chunks while it grows.
class clsPngStream
{
public:
    explicit clsPngStream(QFile& file) : m_file(file) {}
    ~clsPngStream() { deflateEnd(&m_z); }

    bool Begin(int width, int height)
    {
        m_width = width;
        if (deflateInit(&m_z, 6) != Z_OK)
            return false;
        static const char signature[] = "\x89PNG\r\n\x1a\n";
        if (m_file.write(signature, 8) != 8)
            return false;
        QByteArray header(13, '\0');
        qToBigEndian<quint32>(quint32(width), header.data());
        qToBigEndian<quint32>(quint32(height), header.data() + 4);
        header[8] = 8;   // bits per sample
        header[9] = 2;   // RGB
        m_row.resize(1 + qsizetype(width) * 3);
        m_out.resize(256 * 1024);
        return Chunk("IHDR", header);
    }
    // One row of an RGB32 image.
    bool Row(const uchar* scanLine)
    {
        const QRgb* pixels = reinterpret_cast<const QRgb*>(scanLine);
        uchar* out = reinterpret_cast<uchar*>(m_row.data());
        out[0] = 1;   // Sub: each byte less the same byte of the pixel before
        uchar prev[3] = {0, 0, 0};
        for (int x = 0; x < m_width; ++x) {
            const uchar rgb[3] = {uchar(qRed(pixels[x])), uchar(qGreen(pixels[x])), uchar(qBlue(pixels[x]))};
            for (int c = 0; c < 3; ++c) {
                out[1 + x * 3 + c] = uchar(rgb[c] - prev[c]);
                prev[c] = rgb[c];
            }
        }
        return Deflate(reinterpret_cast<const uchar*>(m_row.constData()), m_row.size(), Z_NO_FLUSH);
    }
    bool End() { return Deflate(nullptr, 0, Z_FINISH) && Chunk("IEND", QByteArray()); }

private:
    bool Deflate(const uchar* data, qsizetype size, int flush)
    {
        m_z.next_in = const_cast<Bytef*>(data);
        m_z.avail_in = uInt(size);
        for (;;) {
            m_z.next_out = reinterpret_cast<Bytef*>(m_out.data());
            m_z.avail_out = uInt(m_out.size());
            const int status = deflate(&m_z, flush);
            if (status == Z_STREAM_ERROR)
                return false;
            const qsizetype produced = m_out.size() - qsizetype(m_z.avail_out);
            if (produced > 0 && !Chunk("IDAT", QByteArray::fromRawData(m_out.constData(), produced)))
                return false;
            if (flush == Z_FINISH ? status == Z_STREAM_END : m_z.avail_out != 0)
                return true;
        }
    }
    bool Chunk(const char* type, const QByteArray& data)
    {
        char length[4];
        qToBigEndian<quint32>(quint32(data.size()), length);
        uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size()));
        char crcBytes[4];
        qToBigEndian<quint32>(quint32(crc), crcBytes);
        return m_file.write(length, 4) == 4 && m_file.write(type, 4) == 4
            && m_file.write(data) == data.size() && m_file.write(crcBytes, 4) == 4;
    }

    QFile& m_file;
    z_stream m_z{};
    int m_width = 0;
    QByteArray m_row;
    QByteArray m_out;
};
}

bool clsScenePainter::RenderToPng(const clsCanvasScene& scene, const QString& fileName, double zoom, QString* error)
{
    const QSize size = RenderSize(scene, zoom);
    const auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (size.isEmpty())
        return fail(QStringLiteral("报表没有可以画出的内容。"));
    // A picture of more than a billion pixels is a mistaken zoom, not a page.
    if (qint64(size.width()) * size.height() > (qint64(1) << 30) || size.width() > (1 << 20))
        return fail(QStringLiteral("无法生成 %1 x %2 像素的图像，请用较小的缩放比例。").arg(size.width()).arg(size.height()));
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(QStringLiteral("无法写入文件: ") + QFileInfo(fileName).absoluteFilePath());
    clsPngStream png(file);
    bool ok = png.Begin(size.width(), size.height());
    const clsScenePainter painter(scene, zoom);
    const double ruler = std::ceil(RulerPixels);
    const QRectF surface(ruler, ruler, size.width() - ruler, size.height() - ruler);
    // About 4 MB a band whatever the width; each band paints only what crosses it.
    const int bandRows = std::clamp(int((4 << 20) / (qint64(size.width()) * 4)), 16, 1024);
    QImage band(size.width(), bandRows, QImage::Format_RGB32);
    if (band.isNull())
        return fail(QStringLiteral("无法生成 %1 x %2 像素的图像，请用较小的缩放比例。").arg(size.width()).arg(size.height()));
    for (int top = 0; ok && top < size.height(); top += bandRows) {
        band.fill(Qt::white);
        QPainter p(&band);
        p.translate(0, -top);
        p.setClipRect(surface.intersected(QRectF(0, top, size.width(), bandRows)));
        painter.PaintSurface(p, surface.topLeft());
        p.setClipRect(QRectF(0, top, size.width(), bandRows));
        painter.PaintRuler(p, scene.PicTopRote, QRectF(ruler, 0, size.width() - ruler, ruler));
        painter.PaintRuler(p, scene.picLeftRote, QRectF(0, ruler, ruler, size.height() - ruler));
        p.end();
        const int rows = std::min(bandRows, size.height() - top);
        for (int y = 0; ok && y < rows; ++y)
            ok = png.Row(band.constScanLine(y));
    }
    ok = ok && png.End();
    if (!ok || !file.flush()) {
        file.remove();
        return fail(QStringLiteral("无法写入文件: ") + QFileInfo(fileName).absoluteFilePath());
    }
    return true;
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
