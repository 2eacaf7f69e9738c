#pragma once
#include "clsCanvasScene.h"
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

class QPainter;

// What the canvas shows on top of the scene while a gesture is under way; all in
// drawing-surface twips. Empty values draw nothing.
struct clsPaintFeedback
{
    // The rubber band of a selection by rectangle.
    QRect rubberBand;
    // The selection's outline shifted by this offset while it is dragged.
    QPoint moveOffset;
    bool showMoveOutline = false;
    // A horizontal guide while the title line or a range boundary is dragged.
    bool showDragLine = false;
    qint32 dragLineY = 0;
    // Guide lines where a dragged edge snapped to another object's edge.
    std::vector<qint32> guideX;
    std::vector<qint32> guideY;
};

// Paints the designer's canvas from the plain-data scene. One pixel is
// clsCanvasScene::TwipsPerPixel twips at zoom 1. The painter needs no window: the
// canvas widget paints through it, and so do the image and PDF renderings.
class clsScenePainter
{
public:
    // Rulers and size handles keep their pixel size at every zoom.
    static constexpr double RulerPixels = double(clsCanvasScene::RulerThickness) / clsCanvasScene::TwipsPerPixel;
    static constexpr double HandlePixels = double(clsCanvasScene::HandleSize) / clsCanvasScene::TwipsPerPixel;

    explicit clsScenePainter(const clsCanvasScene& scene, double zoom = 1.0);

    // Paints a grid of this step (twips; 0 paints none) on the sheet, under the objects.
    void SetGrid(qint32 stepTwips) { m_grid = stepTwips; }

    double Zoom() const { return m_zoom; }
    // Pixels per twip at this zoom.
    double Scale() const;
    double ToPixels(qint32 twips) const;
    qint32 ToTwips(double pixels) const;

    // The drawing surface, sheet, strips, titles, columns, labels, separator line,
    // paper marks, selection handles and the feedback, with the surface's origin
    // (its top-left twip) at `origin` pixels.
    void PaintSurface(QPainter& p, const QPointF& origin, const clsPaintFeedback& feedback = {}) const;
    // A ruler drawn into `area` (pixels): the millimetre ticks from the ruler's start
    // count at the area's leading edge, every centimetre numbered.
    void PaintRuler(QPainter& p, const clsSceneRuler& ruler, const QRectF& area) const;

    // A box of the surface in pixels, with the surface's origin at `origin`.
    QRectF PixelRect(const clsSceneRect& r, const QPointF& origin) const;
    // Where a size handle is drawn and caught: a square of HandlePixels touching the
    // middle of its owner's edge from outside (`owner` in pixels).
    static QRectF HandleBox(const QRectF& owner, int edge);
    // The pixel box of a handle as painted: beside its owner when the owner is known.
    QRectF HandlePixelRect(const clsSizeHandle& handle, const QPointF& origin) const;

    // The part of the drawing surface that holds something: every shown element, the
    // paper mark and the laid-out height, in twips from the surface's origin.
    static QSize ContentExtent(const clsCanvasScene& scene);
    // Pixel size of a rendering at `zoom`: both rulers plus the content extent.
    static QSize RenderSize(const clsCanvasScene& scene, double zoom = 1.0);
    // The canvas as an image: top ruler, left ruler, and the surface unscrolled, with
    // a grid of `gridTwips` when it is not 0; a null image when it would take more
    // than 1 GiB or cannot be allocated.
    static QImage RenderToImage(const clsCanvasScene& scene, double zoom = 1.0, qint32 gridTwips = 0);
    // The same picture written to a PNG file band by band, so memory stays a band's
    // worth (a few megabytes) however large the picture. False with `error` set when the
    // picture is empty or the file cannot be written.
    static bool RenderToPng(const clsCanvasScene& scene, const QString& fileName, double zoom = 1.0,
                            QString* error = nullptr);
    // The same as a one-page PDF whose page is the content's size (twips / 20 points).
    // False with `error` set when the file cannot be written.
    static bool RenderToPdf(const clsCanvasScene& scene, const QString& fileName, QString* error = nullptr);

    // A label's stored font as the font the canvas paints with at `zoom`.
    static QFont ToQFont(const clsFont& font, double zoom = 1.0);

private:
    void PaintElement(QPainter& p, const clsSceneElement& e, const QPointF& origin) const;
    void PaintGrid(QPainter& p, const QRectF& sheet, const QPointF& origin) const;

    const clsCanvasScene& m_scene;
    double m_zoom;
    qint32 m_grid = 0;
};
