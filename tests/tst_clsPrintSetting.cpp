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

};

QTEST_GUILESS_MAIN(tst_clsPrintSetting)
#include "tst_clsPrintSetting.moc"
