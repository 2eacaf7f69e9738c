#include "document/clsDatabaseError.h"
#include "document/modPublicDefine.h"
#include <QtTest>

class tst_modPublicDefine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void twipsToMm_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("mm");
        QTest::newRow("half goes down to even") << 28 << 0;     // 0.5
        QTest::newRow("half goes up to even") << 84 << 2;       // 1.5
        QTest::newRow("2.5 to 2") << 140 << 2;
        QTest::newRow("negative") << -1000 << -18;
    }
    void twipsToMm()
    {
        QFETCH(int, twips);
        QFETCH(int, mm);
        QCOMPARE(TwipsToMm(twips), mm);
    }

    void mmToTwips()
    {
        QCOMPARE(MmToTwips(18), 1008);
        QCOMPARE(MmToTwips(-3), -168);
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, MmToTwips(40000000));
    }

    void conversions_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("expected");   // none: the conversion throws
        QTest::newRow("null") << QVariant() << QVariant(0);
        QTest::newRow("text number") << QVariant(QStringLiteral(" 12 ")) << QVariant(12);
        QTest::newRow("text half to even") << QVariant(QStringLiteral("12.5")) << QVariant(12);
        QTest::newRow("double 10.5") << QVariant(10.5) << QVariant(10);
        QTest::newRow("word") << QVariant(QStringLiteral("abc")) << QVariant();
        QTest::newRow("too big") << QVariant(qint64(1) << 40) << QVariant();
    }
    void conversions()
    {
        QFETCH(QVariant, value);
        QFETCH(QVariant, expected);
        if (expected.isValid())
            QCOMPARE(CLng(value), expected.toInt());
        else
            QVERIFY_THROWS_EXCEPTION(clsDatabaseError, CLng(value));
    }

    // SqlQuote doubles every quote; GetHelpPath ends in a separator, with or without the
    // environment's folder.
    void textHelpers()
    {
        QCOMPARE(SqlQuote(QStringLiteral("O'Brien''s")), QStringLiteral("O''Brien''''s"));
        qputenv("QXRF_HELP_PATH", "/opt/suite/help");
        QCOMPARE(GetHelpPath(), QStringLiteral("/opt/suite/help/"));
        qunsetenv("QXRF_HELP_PATH");
        QVERIFY(GetHelpPath().endsWith(QLatin1Char('/')));
    }
};

QTEST_GUILESS_MAIN(tst_modPublicDefine)
#include "tst_modPublicDefine.moc"
