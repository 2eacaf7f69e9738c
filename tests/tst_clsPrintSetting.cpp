#include "document/clsPrintSetting.h"
#include <QtTest>

class tst_clsPrintSetting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void printerComesFromTheProvider()
    {
        clsPrintSetting::SetDefaultPrinterProvider([] { return QStringLiteral("财务部打印机"); });
        clsPrintSetting p;
        clsPrintSetting::SetDefaultPrinterProvider({});
        QCOMPARE(p.StrPrintDrive, QStringLiteral("财务部打印机"));
        QCOMPARE(clsPrintSetting().StrPrintDrive, QString());   // no printer: empty name
    }

    void paperSize_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("A4: second dimension is the width") << 9 << 297 << 210;
        QTest::newRow("executive 7 1/2 rounds to 190") << 7 << 267 << 190;
        QTest::newRow("unknown leaves both") << 99 << -1 << -1;
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
