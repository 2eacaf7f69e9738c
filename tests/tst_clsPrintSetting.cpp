#include "document/clsPrintSetting.h"
#include <QtTest>

class tst_clsPrintSetting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaults()
    {
        clsPrintSetting::SetDefaultPrinterProvider([] { return QStringLiteral("财务部打印机"); });
        clsPrintSetting p;
        clsPrintSetting::SetDefaultPrinterProvider({});
        QCOMPARE(p.StrPrintDrive, QStringLiteral("财务部打印机"));
        QCOMPARE(p.LngPaperType, 9);
        QCOMPARE(p.LngOrientation, 1);
        QCOMPARE(p.LngPrintLeft, 180);
        QCOMPARE(p.LngPrintTop, 200);
        QCOMPARE(p.LngPrintButton, 180);
        QCOMPARE(p.LngPrintRight, 180);
        QVERIFY(p.blnListFrame);
        QCOMPARE(clsPrintSetting().StrPrintDrive, QString());   // no printer: empty name
    }

    void enumPapersHandsOutFortyBeforeFalse()
    {
        clsPrintSetting p;
        qint32 id = 0;
        QString name;
        QList<qint32> ids;
        QVERIFY(p.EnumPapers(id, name, true));
        ids << id;
        QCOMPARE(name, QStringLiteral("信笺， 8 1/2 x 11 英寸"));
        while (p.EnumPapers(id, name))
            ids << id;
        QCOMPARE(ids.size(), 40);
        QCOMPARE(id, 41);   // the 41st record comes with False
        QCOMPARE(name, QStringLiteral("41 德国法律复写簿， 8 1/2 x 13 英寸"));
        // The cursor starts again after the False answer.
        QVERIFY(p.EnumPapers(id, name));
        QCOMPARE(id, 1);
        // A restart in the middle goes back to the first record.
        p.EnumPapers(id, name);
        QVERIFY(p.EnumPapers(id, name, true));
        QCOMPARE(id, 1);
    }

    void paperSize_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("A4: second dimension is the width") << 9 << 297 << 210;
        QTest::newRow("A3") << 8 << 420 << 297;
        QTest::newRow("ledger 17 x 11") << 4 << 279 << 432;
        QTest::newRow("executive 7 1/2 rounds to 190") << 7 << 267 << 190;
        QTest::newRow("B6 envelope") << 35 << 125 << 176;
        QTest::newRow("C size sheet") << 25 << 150 << 100;
        QTest::newRow("unknown leaves both") << 99 << -1 << -1;
        QTest::newRow("zero leaves both") << 0 << -1 << -1;
    }
    void paperSize()
    {
        QFETCH(int, id);
        QFETCH(int, width);
        QFETCH(int, height);
        clsPrintSetting p;
        qint32 w = -1, h = -1;
        p.GetPaperSize(id, w, h);
        QCOMPARE(w, width);
        QCOMPARE(h, height);
    }

    void inchSizesFollowHalfToEven()
    {
        // Every inch-named paper holds its named size at 25.4 mm, rounded half to even.
        clsPrintSetting p;
        qint32 id = 0;
        QString name;
        bool more = p.EnumPapers(id, name, true);
        int checked = 0;
        for (;;) {
            static const QRegularExpression inches(QStringLiteral("(\\d+)(?: (\\d)/(\\d))? x (\\d+)(?: (\\d)/(\\d))? 英寸"));
            const auto m = inches.match(name);
            if (m.hasMatch()) {
                auto value = [&](int whole, int num) {
                    double v = m.captured(whole).toDouble();
                    if (!m.captured(num).isEmpty())
                        v += m.captured(num).toDouble() / m.captured(num + 1).toDouble();
                    return qint32(std::nearbyint(v * 25.4));
                };
                qint32 w = 0, h = 0;
                p.GetPaperSize(id, w, h);
                QCOMPARE(h, value(1, 2));
                QCOMPARE(w, value(4, 5));
                ++checked;
            }
            if (!more)
                break;
            more = p.EnumPapers(id, name);
        }
        QVERIFY(checked >= 20);
    }
};

QTEST_GUILESS_MAIN(tst_clsPrintSetting)
#include "tst_clsPrintSetting.moc"
