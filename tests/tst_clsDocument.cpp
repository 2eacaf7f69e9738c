#include "document/clsConnection.h"
#include "document/clsDesignerView.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "columns/clsFieldsManager.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QtTest>

namespace {
void AddReport(clsTestDatabase& db, int id, const QString& name, const QString& system, const QString& isBase,
               bool withColumn = true)
{
    db.Conn().Execute(QStringLiteral("Insert into Rpt_GlbDEF (ID,Name,SystemID,Relation,IsBaseTable,Type,Cols) values (%1,'%2','%3','vimba',%4,1,0)")
                          .arg(id).arg(SqlQuote(name), system, isBase));
    if (withColumn)
        db.Conn().Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,Name,ModeEx,OrderEx,Expression,iColSize,FormatEx,iAlignStyle,Visible,Note,Condition,iSize,TopEx,Height) "
                                         "values (%1,'金额',0,1,'je',1500,'',0,-1,'','',0,0,320)").arg(id));
}
}

class tst_clsDocument : public QObject
{
    Q_OBJECT
private:
    static void backends()
    {
        clsTestDatabase::AddBackendColumn();
        for (const QString& b : clsTestDatabase::Backends())
            QTest::newRow(qPrintable(b)) << b;
    }

private Q_SLOTS:
    void cleanup() { g_blnRunMode = false; }

    void openFoundAndNotFound_data() { backends(); }
    void openFoundAndNotFound()
    {
        QXRF_OPEN_DB(db);
        clsRecordingPrompt prompt;
        AddReport(db, 11, QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("1"));
        clsDocument doc;
        QCOMPARE(g_objDocument, &doc);
        QVERIFY(!doc.OpenDocument(&db.Conn(), QStringLiteral("没有这张表"), QStringLiteral("GL"), QStringLiteral("张三")));
        QCOMPARE(prompt.LastText(), QStringLiteral("没有找到报表定义..."));
        QCOMPARE(prompt.messages.last().icon, PromptIcon::Exclamation);
        QCOMPARE(prompt.messages.last().title, QStringLiteral("格式"));
        QCOMPARE(prompt.beeps, 1);
        QCOMPARE(doc.m_lngReportID, 0);       // nothing changed
        QVERIFY(!doc.FieldsManager());

        prompt.Clear();
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("张三")));
        QCOMPARE(prompt.messages.size(), 0);
        QCOMPARE(doc.m_lngReportID, 11);
        QCOMPARE(doc.m_strOprName, QStringLiteral("张三"));
        QCOMPARE(clsDocument::Designer()->Caption(), QStringLiteral("报表格式定义-科目余额表"));
        QVERIFY(doc.FieldsManager() && doc.RangeManager() && doc.LabelManager() && doc.GetPrintObject());
        QVERIFY(!doc.DocChanged());
        QVERIFY(ApplicationHelpFile().endsWith(QStringLiteral("自定义报表.chm")));

        // Reopening with the document's own fields (as the report list does) keeps them.
        QVERIFY(doc.OpenDocument(doc.m_AdoConn, doc.m_strReportName, doc.m_strSystemID, doc.m_strOprName));
        QCOMPARE(doc.m_strOprName, QStringLiteral("张三"));
        QCOMPARE(doc.m_strReportName, QStringLiteral("科目余额表"));

        // The same subsystem code with another name, and the name under another code, are not found.
        QVERIFY(!doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("AP"), QString()));
    }

    void runModeOpensWithoutCatalogueRow_data() { backends(); }
    void runModeOpensWithoutCatalogueRow()
    {
        QXRF_OPEN_DB(db);
        clsRecordingPrompt prompt;
        clsDocument doc;
        doc.SetRunMode(true);
        QVERIFY(g_blnRunMode);
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("无此表"), QStringLiteral("GL"), QString()));
        QCOMPARE(doc.m_lngReportID, -1);
        QCOMPARE(prompt.messages.size(), 0);
    }

    void reportWithoutColumnsStopsTheOpen_data() { backends(); }
    void reportWithoutColumnsStopsTheOpen()
    {
        QXRF_OPEN_DB(db);
        clsRecordingPrompt prompt;
        AddReport(db, 12, QStringLiteral("固定资产折旧计算表"), QStringLiteral("FA"), QStringLiteral("1"), false);
        clsDocument doc;
        QVERIFY(!doc.OpenDocument(&db.Conn(), QStringLiteral("固定资产折旧计算表"), QStringLiteral("FA"), QString()));
        QCOMPARE(prompt.LastText(), QStringLiteral("没有找到报表的字段列表，请打开报表，然后按保存。\r\n（系统有自动分析数据源得到报表最新格式的能力），..."));
        QVERIFY(!doc.IsOpen());   // nothing of the report that failed is taken
    }

    void userDefine_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("isBase");
        QTest::addColumn<bool>("userDefine");
        for (const QString& b : clsTestDatabase::Backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(" null"))) << b << QStringLiteral("NULL") << true;
            QTest::newRow(qPrintable(b + QStringLiteral(" zero"))) << b << QStringLiteral("0") << true;
            QTest::newRow(qPrintable(b + QStringLiteral(" one"))) << b << QStringLiteral("1") << false;
            QTest::newRow(qPrintable(b + QStringLiteral(" seven"))) << b << QStringLiteral("7") << false;
        }
    }
    void userDefine()
    {
        QXRF_OPEN_DB(db);
        QFETCH(QString, isBase);
        QFETCH(bool, userDefine);
        AddReport(db, 13, QStringLiteral("工资汇总表"), QStringLiteral("WA"), isBase);
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("工资汇总表"), QStringLiteral("WA"), QString()));
        QCOMPARE(doc.UserDefine(), userDefine);
    }

    void reportNameWithQuote_data() { backends(); }
    void reportNameWithQuote()
    {
        QXRF_OPEN_DB(db);
        clsRecordingPrompt prompt;
        const QString name = QStringLiteral("O'Neil 客户''对账单");
        AddReport(db, 14, name, QStringLiteral("AR"), QStringLiteral("0"));
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), name, QStringLiteral("AR"), QString()));
        QCOMPARE(doc.m_lngReportID, 14);
        QCOMPARE(prompt.messages.size(), 0);
    }

    void saveTwiceWritesNoDuplicates_data() { backends(); }
    void saveTwiceWritesNoDuplicates()
    {
        QXRF_OPEN_DB(db);
        AddReport(db, 16, QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("1"));
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QString()));
        doc.SetDocChanged(true);
        doc.SaveReportFormat();
        QVERIFY(doc.LastSaveWritten());
        QVERIFY(!doc.DocChanged());
        const QStringList first = db.Dump(16);
        QCOMPARE(db.Count(QStringLiteral("ID=16 and ModeEx=27")), 1);
        doc.SaveReportFormat();
        QCOMPARE(db.Dump(16), first);
        QCOMPARE(db.Scalar(QStringLiteral("select Cols from Rpt_GlbDEF where ID=16")).toInt(), 0);
    }

    void hostTransactionIsLeftToTheHost_data() { backends(); }
    void hostTransactionIsLeftToTheHost()
    {
        QXRF_OPEN_DB(db);
        AddReport(db, 17, QStringLiteral("工资汇总表"), QStringLiteral("WA"), QStringLiteral("0"));
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("工资汇总表"), QStringLiteral("WA"), QString()));
        QVERIFY(db.Conn().BeginTrans());
        doc.SaveReportFormat();
        QVERIFY(db.Conn().InTransaction());
        QVERIFY(db.Conn().RollbackTrans());
        QCOMPARE(db.Count(QStringLiteral("ID=17 and ModeEx=27")), 0);
    }

    void closeAsksOnceAndNoDiscardsNothing_data() { backends(); }
    void closeAsksOnceAndNoDiscardsNothing()
    {
        QXRF_OPEN_DB(db);
        clsRecordingPrompt prompt;
        AddReport(db, 18, QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("1"));
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QString()));
        doc.CloseDocument(true);
        QCOMPARE(prompt.messages.size(), 0);

        doc.SetDocChanged(true);
        prompt.answers = {PromptAnswer::No};
        doc.CloseDocument(true);
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.LastText(), QStringLiteral("格式定义已经改变是否保存?"));
        QCOMPARE(prompt.messages.last().icon, PromptIcon::Question);
        QCOMPARE(prompt.messages.last().buttons, PromptButtons::YesNo);
        QVERIFY(!doc.DocChanged());
        QCOMPARE(db.Count(QStringLiteral("ID=18 and ModeEx=27")), 0);

        doc.SetDocChanged(true);
        prompt.answers = {PromptAnswer::Yes};
        doc.CloseDocument(false);
        QCOMPARE(db.Count(QStringLiteral("ID=18 and ModeEx=27")), 1);
        QVERIFY(!doc.DocChanged());
    }

    void printSettingRoundTrip_data() { backends(); }
    void printSettingRoundTrip()
    {
        QXRF_OPEN_DB(db);
        AddReport(db, 19, QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("1"));
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QString()));
        // A report without print settings answers that it has none.
        QString drive;
        qint32 paper = 0, orientation = 0, left = 0, right = 0, bottom = 0, top = 0;
        bool frame = false;
        QVERIFY(!doc.GetPrintSetting(drive, paper, orientation, left, right, bottom, top, frame));

        doc.SetDocChanged(false);
        doc.SetPrintSetting(QStringLiteral("财务部 HP'LaserJet"), 8, 2, 150, 160, 170, 120, false);
        QVERIFY(doc.DocChanged());
        QCOMPARE(doc.GetPrintObject()->LngPrintButton, 170);
        QVERIFY(doc.SavePrintSetting(19));
        QCOMPARE(db.Scalar(QStringLiteral("select iColSize from Rpt_FldDEF where ID=19 and ModeEx=27")).toInt(), 0);
        QVERIFY(doc.SavePrintSetting(19));
        QCOMPARE(db.Count(QStringLiteral("ID=19 and ModeEx=27")), 1);

        clsDocument again;
        QVERIFY(again.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QString()));
        const clsPrintSetting* p = again.GetPrintObject();
        QCOMPARE(p->StrPrintDrive, QStringLiteral("财务部 HP'LaserJet"));
        QCOMPARE((QList<qint32>{p->LngPaperType, p->LngOrientation, p->LngPrintLeft, p->LngPrintRight, p->LngPrintButton,
                                p->LngPrintTop}),
                 (QList<qint32>{8, 2, 150, 160, 170, 120}));
        QVERIFY(!p->blnListFrame);
    }

    void frameFlagReadsOnlyOneAsTrue_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("frame");
        for (const QString& b : clsTestDatabase::Backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(" 1"))) << b << QStringLiteral("1") << true;
            QTest::newRow(qPrintable(b + QStringLiteral(" -1"))) << b << QStringLiteral("-1") << false;
            QTest::newRow(qPrintable(b + QStringLiteral(" null"))) << b << QStringLiteral("NULL") << false;
        }
    }
    void frameFlagReadsOnlyOneAsTrue()
    {
        QXRF_OPEN_DB(db);
        QFETCH(QString, stored);
        QFETCH(bool, frame);
        AddReport(db, 20, QStringLiteral("r"), QStringLiteral("GL"), QStringLiteral("1"));
        db.Conn().Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,Condition,iSize,OrderEx,TopEx,LeftEx,Width,Height,iColSize) values (20,27,NULL,NULL,2,1,2,3,4,%1)").arg(stored));
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("r"), QStringLiteral("GL"), QString()));
        QCOMPARE(doc.GetPrintObject()->blnListFrame, frame);
        QCOMPARE(doc.GetPrintObject()->LngPaperType, 0);   // Null as 0
        QCOMPARE(doc.GetPrintObject()->StrPrintDrive, QString());
    }

    void secondOpenOnlyChangesTheCaption()
    {
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        QVERIFY(db.Ready());
        struct View : clsDesignerView {
            bool shown = false; QString caption; int shows = 0; int refreshes = 0;
            bool IsShown() const override { return shown; }
            void SetShown(bool s) override { shown = s; }
            void SetCaption(const QString& c) override { caption = c; }
            QString Caption() const override { return caption; }
            void RefreshFormatReport() override { ++refreshes; }
            void ShowModeless() override { ++shows; }
            void GiveFocus() override {}
        } view;
        clsDocument::SetDesignerProvider([&] { return &view; });
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QString()));
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("工资汇总表"), QStringLiteral("WA"), QString()));
        clsDocument::SetDesignerProvider({});
        QCOMPARE(view.shows, 1);
        QCOMPARE(view.refreshes, 2);
        QCOMPARE(view.caption, QStringLiteral("报表格式定义-工资汇总表"));
    }
};

QTEST_GUILESS_MAIN(tst_clsDocument)
#include "tst_clsDocument.moc"
