#include "document/clsDatabaseError.h"
#include "document/modPublicDefine.h"
#include "clsRecordingPrompt.h"
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
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("throws");
        QTest::newRow("null") << QVariant() << 0 << false;
        QTest::newRow("text number") << QVariant(QStringLiteral(" 12 ")) << 12 << false;
        QTest::newRow("text half to even") << QVariant(QStringLiteral("12.5")) << 12 << false;
        QTest::newRow("double 10.5") << QVariant(10.5) << 10 << false;
        QTest::newRow("word") << QVariant(QStringLiteral("abc")) << 0 << true;
        QTest::newRow("too big") << QVariant(qint64(1) << 40) << 0 << true;
    }
    void conversions()
    {
        QFETCH(QVariant, value);
        QFETCH(int, expected);
        QFETCH(bool, throws);
        if (throws) {
            QVERIFY_THROWS_EXCEPTION(clsDatabaseError, CLng(value));
        } else {
            QCOMPARE(CLng(value), expected);
        }
    }

    void textHelpers()
    {
        QCOMPARE(AddBackslash(QStringLiteral("C:\\WF")), QStringLiteral("C:\\WF\\"));
        QCOMPARE(AddBackslash(QStringLiteral("C:\\WF\\")), QStringLiteral("C:\\WF\\"));
        QCOMPARE(CutAtNul(QStringLiteral("abc") + QChar(0) + QStringLiteral("def")), QStringLiteral("abc"));
        QCOMPARE(CutAtNul(QStringLiteral("abc")), QStringLiteral("abc"));
        QCOMPARE(SqlQuote(QStringLiteral("O'Brien''s")), QStringLiteral("O''Brien''''s"));
        qputenv("QXRF_HELP_PATH", "/opt/suite/help");
        QCOMPARE(GetHelpPath(), QStringLiteral("/opt/suite/help/"));
        qunsetenv("QXRF_HELP_PATH");
        QVERIFY(GetHelpPath().endsWith(QLatin1Char('/')));
    }

    void errorConvention()
    {
        clsRecordingPrompt prompt;
        g_blnRunMode = false;
        ReportError(QStringLiteral("语法错误"), QStringLiteral("clsRangeManager"), QStringLiteral("LoadReportRang()"));
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.LastText(), QStringLiteral("语法错误\r\n错误位于模块：clsRangeManager.LoadReportRang()"));
        QCOMPARE(prompt.messages.last().title, QStringLiteral("格式"));
        QCOMPARE(prompt.messages.last().icon, PromptIcon::Exclamation);
        g_blnRunMode = true;
        ReportError(QStringLiteral("x"), QStringLiteral("clsDocument"));
        g_blnRunMode = false;
        QCOMPARE(prompt.messages.size(), 1);
    }

};

QTEST_GUILESS_MAIN(tst_modPublicDefine)
#include "tst_modPublicDefine.moc"
