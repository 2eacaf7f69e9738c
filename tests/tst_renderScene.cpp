#include "designer/clsCanvasScene.h"
#include "designer/clsScenePainter.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "ranges/clsRangeManager.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <limits>

class tst_renderScene : public QObject
{
    Q_OBJECT
private:
    static int NonWhite(const QImage& image)
    {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((line[x] & 0xffffff) != 0xffffff)
                    ++count;
        }
        return count;
    }

    // The demo report laid out as the designer lays it out, with no window.
    static void LayOut(clsDocument& doc)
    {
        doc.RangeManager()->DrawBackView();
        doc.RangeManager()->DrawPaperWidthTopic();
        doc.RangeManager()->DrawAllObjects();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Rendering needs no designer window.
        clsDocument::SetDesignerProvider({});
    }

    // The database makes no difference to the picture: one is enough.
    void rendersTheDemoReport_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::newRow("zoom 1") << 1.0;
        QTest::newRow("zoom 2") << 2.0;
    }
    void rendersTheDemoReport()
    {
        QFETCH(double, zoom);
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        QVERIFY(db.Ready());
        clsRecordingPrompt prompt;
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("op")));
        LayOut(doc);
        const clsCanvasScene& scene = *doc.Scene();

        // The picture covers the laid-out height and the paper width, plus both rulers.
        const QSize extent = clsScenePainter::ContentExtent(scene);
        QVERIFY(extent.height() >= scene.picDraw.height);
        QVERIFY(scene.PaperMarkDraw.visible);
        QVERIFY(extent.width() >= scene.PaperMarkDraw.x1);
        const QImage image = clsScenePainter::RenderToImage(scene, zoom);
        // The rulers keep their width at every zoom.
        const int ruler = int(std::ceil(clsScenePainter::RulerPixels));
        const QSize expected(ruler + int(std::ceil(extent.width() * zoom / clsCanvasScene::TwipsPerPixel)),
                             ruler + int(std::ceil(extent.height() * zoom / clsCanvasScene::TwipsPerPixel)));
        QCOMPARE(image.size(), expected);
        QCOMPARE(clsScenePainter::RenderSize(scene, zoom), expected);
        // Strips, titles, columns, labels and rulers leave ink on a good part of the page.
        QVERIFY2(NonWhite(image) > image.width() * image.height() / 50, qPrintable(QString::number(NonWhite(image))));
        // A grid adds its lines to the sheet.
        QVERIFY(NonWhite(clsScenePainter::RenderToImage(scene, zoom, MmToTwips(5))) > NonWhite(image));
        QVERIFY(prompt.messages.isEmpty());

        // And the same page as a PDF.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("page.pdf"));
        QString error;
        QVERIFY2(clsScenePainter::RenderToPdf(scene, path, &error), qPrintable(error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
        QVERIFY(file.size() > 1000);
    }

    void emptyScene()
    {
        // No document and nothing laid out: a tiny picture, never a crash.
        clsCanvasScene scene;
        const QImage image = clsScenePainter::RenderToImage(scene);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), clsScenePainter::RenderSize(scene));
        QString error;
        const QString path = QStringLiteral("/nonexistent-folder/page.pdf");
        QVERIFY(!clsScenePainter::RenderToPdf(scene, path, &error));
        QCOMPARE(error, QStringLiteral("无法写入文件: ") + path);
    }

    // Geometry stored at either end of 32 bits, or negative, in each kind of object: the
    // layout and the painter saturate instead of overflowing (the sanitizer build stops
    // at the first overflow), and the picture and the page still come out.
    void extremeGeometryRenders_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<qint64>("value");
        for (int mode : {0, 5, 25, 26, 27, -1})   // -1: every kind at once
            for (qint64 value : {qint64(std::numeric_limits<qint32>::max()), qint64(std::numeric_limits<qint32>::min()), qint64(-7000)})
                QTest::newRow(qPrintable(QStringLiteral("%1 at %2").arg(mode < 0 ? QStringLiteral("every kind") : QStringLiteral("ModeEx %1").arg(mode)).arg(value)))
                    << mode << value;
    }
    void extremeGeometryRenders()
    {
        QFETCH(int, mode);
        QFETCH(qint64, value);
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        QVERIFY(db.Ready());
        db.Conn().Execute(QStringLiteral("update Rpt_FldDEF set TopEx = ?, LeftEx = ?, Width = ?, Height = ?, iColSize = ? "
                                         "where ID = 2 and (ModeEx = ? or ? < 0)"),
                          {value, value, value, value, value, mode, mode});
        clsRecordingPrompt prompt;
        clsDocument doc;
        if (!doc.OpenDocument(&db.Conn(), QStringLiteral("应付账款账龄分析表"), QStringLiteral("AP"), QString()))
            QVERIFY2(!prompt.messages.isEmpty(), "an open that stops says why");
        if (!doc.RangeManager())
            return;
        LayOut(doc);
        QVERIFY(!clsScenePainter::RenderToImage(*doc.Scene(), 0.25).isNull());
        QTemporaryDir dir;
        QVERIFY(clsScenePainter::RenderToPdf(*doc.Scene(), dir.filePath(QStringLiteral("page.pdf"))));
    }

    // A zoom no picture can hold gives a null image, never an overflowed size; a box
    // however far out keeps its edges on their side.
    void hugeZoomGivesNoImage()
    {
        const clsSceneRect far{std::numeric_limits<qint32>::max() - 10, std::numeric_limits<qint32>::min() + 10, 100, -100};
        QCOMPARE(far.Right(), std::numeric_limits<qint32>::max());
        QCOMPARE(far.Bottom(), std::numeric_limits<qint32>::min());
        clsCanvasScene scene;
        const QSize size = clsScenePainter::RenderSize(scene, 1e12);
        QCOMPARE(size, QSize(std::numeric_limits<int>::max(), std::numeric_limits<int>::max()));
        QVERIFY(clsScenePainter::RenderToImage(scene, 1e12).isNull());
    }

    void fontFollowsTheStoredFont_data()
    {
        QTest::addColumn<double>("size");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<int>("weight");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("expectedWeight");
        // A point is 20 twips, a pixel 15: 9 points are 12 pixels.
        QTest::newRow("9pt") << 9.0 << false << 400 << 1.0 << 12 << 400;
        QTest::newRow("9pt zoom 2") << 9.0 << false << 400 << 2.0 << 24 << 400;
        QTest::newRow("bold flag wins over normal weight") << 12.0 << true << 400 << 1.0 << 16 << 700;
        QTest::newRow("zero size falls back") << 0.0 << false << 0 << 1.0 << 12 << 400;
    }
    void fontFollowsTheStoredFont()
    {
        QFETCH(double, size);
        QFETCH(bool, bold);
        QFETCH(int, weight);
        QFETCH(double, zoom);
        const clsFont font{QStringLiteral(" 黑体 "), size, bold, true, false, false, qint16(weight), 134};
        const QFont f = clsScenePainter::ToQFont(font, zoom);
        QCOMPARE(f.family(), QStringLiteral("黑体"));
        QTEST(f.pixelSize(), "pixels");
        QTEST(int(f.weight()), "expectedWeight");
        QVERIFY(f.italic());
    }
};

QTEST_MAIN(tst_renderScene)
#include "tst_renderScene.moc"
