#include "columns/clsFieldsManager.h"
#include "document/clsDesignerView.h"
#include "document/clsDocument.h"
#include "document/clsPrintSetting.h"
#include "document/modPublicDefine.h"
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
private Q_SLOTS:
    void cleanup() { g_blnRunMode = false; }

    void open_data() { clsTestDatabase::AddBackendRows(); }
    void open()
    {
        QXRF_OPEN_DB(db);
        clsRecordingPrompt prompt;
        const QString name = QStringLiteral("O'Neil 客户''对账单");
        AddReport(db, 11, name, QStringLiteral("GL"), QStringLiteral("1"));
        AddReport(db, 12, QStringLiteral("固定资产折旧计算表"), QStringLiteral("FA"), QStringLiteral("1"), false);
        clsDocument doc;
        QCOMPARE(g_objDocument, &doc);
        QVERIFY(!doc.OpenDocument(&db.Conn(), QStringLiteral("没有这张表"), QStringLiteral("GL"), QStringLiteral("张三")));
        QCOMPARE(prompt.Shown(), clsRecordingPrompt::Refusal(QStringLiteral("没有找到报表定义...")));
        QCOMPARE(doc.m_lngReportID, 0);       // nothing changed
        QVERIFY(!doc.FieldsManager());

        prompt.Clear();
        QVERIFY(doc.OpenDocument(&db.Conn(), name, QStringLiteral("GL"), QStringLiteral("张三")));
        QCOMPARE(prompt.messages.size(), 0);
        QCOMPARE(doc.m_lngReportID, 11);
        QCOMPARE(clsDocument::Designer()->Caption(), QStringLiteral("报表格式定义-") + name);
        QVERIFY(doc.FieldsManager() && doc.RangeManager() && doc.LabelManager() && doc.GetPrintObject());
        QVERIFY(!doc.DocChanged());
        QVERIFY(ApplicationHelpFile().endsWith(QStringLiteral("自定义报表.chm")));

        // Reopening with the document's own fields (as the report list does) keeps them.
        QVERIFY(doc.OpenDocument(doc.m_AdoConn, doc.m_strReportName, doc.m_strSystemID, doc.m_strOprName));
        QCOMPARE(doc.m_strOprName, QStringLiteral("张三"));
        QCOMPARE(doc.m_strReportName, name);
        // The name under another subsystem code is not found.
        QVERIFY(!doc.OpenDocument(&db.Conn(), name, QStringLiteral("AP"), QString()));
        // A second catalogue row of the same name: the first is opened, none of the
        // other's rows with it (a server reads the format by name, ahead).
        AddReport(db, 13, name, QStringLiteral("GL"), QStringLiteral("1"));
        QVERIFY(doc.OpenDocument(&db.Conn(), name, QStringLiteral("GL"), QStringLiteral("张三")));
        QCOMPARE(doc.m_lngReportID, 11);
        QCOMPARE(doc.FieldsManager()->Cols.size(), size_t(1));

        // A report without columns stops the open, and nothing of it is taken.
        clsDocument bare;
        prompt.Clear();
        QVERIFY(!bare.OpenDocument(&db.Conn(), QStringLiteral("固定资产折旧计算表"), QStringLiteral("FA"), QString()));
        QCOMPARE(prompt.LastText(), QStringLiteral("没有找到报表的字段列表，请打开报表，然后按保存。\r\n（系统有自动分析数据源得到报表最新格式的能力），..."));
        QVERIFY(!bare.IsOpen());
    }

    // IsBaseTable and the frame flag of the print row, as stored: only 1 is a frame.
    void storedFlags_data()
    {
        clsTestDatabase::AddBackendColumn();
        QTest::addColumn<QString>("isBase");
        QTest::addColumn<bool>("userDefine");
        QTest::addColumn<QString>("frameStored");
        QTest::addColumn<bool>("frame");
        for (const QString& b : clsTestDatabase::Backends()) {
            clsTestDatabase::NewRow(b, QStringLiteral("null")) << QStringLiteral("NULL") << true << QStringLiteral("NULL") << false;
            clsTestDatabase::NewRow(b, QStringLiteral("zero")) << QStringLiteral("0") << true << QStringLiteral("1") << true;
            clsTestDatabase::NewRow(b, QStringLiteral("seven")) << QStringLiteral("7") << false << QStringLiteral("-1") << false;
        }
    }
    void storedFlags()
    {
        QXRF_OPEN_DB(db);
        QFETCH(QString, isBase);
        QFETCH(QString, frameStored);
        AddReport(db, 13, QStringLiteral("工资汇总表"), QStringLiteral("WA"), isBase);
        db.Conn().Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,Condition,iSize,OrderEx,TopEx,LeftEx,Width,Height,iColSize) "
                                         "values (13,27,NULL,NULL,2,1,2,3,4,%1)").arg(frameStored));
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("工资汇总表"), QStringLiteral("WA"), QString()));
        QTEST(doc.UserDefine(), "userDefine");
        QTEST(doc.GetPrintObject()->blnListFrame, "frame");
        QCOMPARE(doc.GetPrintObject()->LngPaperType, 0);   // Null as 0
        QCOMPARE(doc.GetPrintObject()->StrPrintDrive, QString());
    }

    // Print settings kept by a close that asks (No keeps the stored format, Yes saves), then
    // saved again: one row, the lock released, read back whole; a save in the host's
    // transaction is the host's to end.
    void printSettingRoundTrip_data() { clsTestDatabase::AddBackendRows(); }
    void printSettingRoundTrip()
    {
        QXRF_OPEN_DB(db);
        AddReport(db, 19, QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("1"));
        clsRecordingPrompt prompt;
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QString()));
        // A report without print settings answers that it has none.
        QString drive;
        qint32 paper = 0, orientation = 0, left = 0, right = 0, bottom = 0, top = 0;
        bool frame = false;
        QVERIFY(!doc.GetPrintSetting(drive, paper, orientation, left, right, bottom, top, frame));
        doc.CloseDocument(true);
        QCOMPARE(prompt.messages.size(), 0);   // nothing changed, nothing asked

        doc.SetPrintSetting(QStringLiteral("财务部 HP'LaserJet"), 8, 2, 150, 160, 170, 120, false);
        QVERIFY(doc.DocChanged());
        prompt.answers = {PromptAnswer::No};
        doc.CloseDocument(true);
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.LastText(), QStringLiteral("格式定义已经改变是否保存?"));
        QCOMPARE(prompt.messages.last().icon, PromptIcon::Question);
        QCOMPARE(prompt.messages.last().buttons, PromptButtons::YesNo);
        QVERIFY(!doc.DocChanged());
        QCOMPARE(db.Count(QStringLiteral("ID=19 and ModeEx=27")), 0);

        doc.SetDocChanged(true);
        prompt.answers = {PromptAnswer::Yes};
        doc.CloseDocument(true);
        QVERIFY(doc.LastSaveWritten());
        QVERIFY(!doc.DocChanged());
        QCOMPARE(db.Scalar(QStringLiteral("select Cols from Rpt_GlbDEF where ID=19")).toInt(), 0);
        QCOMPARE(db.Scalar(QStringLiteral("select iColSize from Rpt_FldDEF where ID=19 and ModeEx=27")).toInt(), 0);
        const QStringList first = db.Dump(19);
        doc.SaveReportFormat();
        QVERIFY(doc.SavePrintSetting(19));
        QCOMPARE(db.Dump(19), first);
        QCOMPARE(db.Count(QStringLiteral("ID=19 and ModeEx=27")), 1);

        clsDocument again;
        QVERIFY(again.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QString()));
        const clsPrintSetting* p = again.GetPrintObject();
        QCOMPARE(QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8").arg(p->StrPrintDrive).arg(p->LngPaperType).arg(p->LngOrientation).arg(p->LngPrintLeft)
                     .arg(p->LngPrintRight).arg(p->LngPrintButton).arg(p->LngPrintTop).arg(p->blnListFrame),
                 QStringLiteral("财务部 HP'LaserJet|8|2|150|160|170|120|0"));

        // A save inside the host's own transaction leaves it open for the host to end.
        QVERIFY(db.Conn().BeginTrans());
        again.SetPrintSetting(QStringLiteral("另一台"), 9, 1, 10, 10, 10, 10, true);
        again.SaveReportFormat();
        QVERIFY(db.Conn().InTransaction());
        QVERIFY(db.Conn().RollbackTrans());
        QCOMPARE(db.Dump(19), first);
    }

    // The default printer comes from the provider the host installs (none: no name); an
    // inch paper rounds to whole millimetres (A4 and unknown papers: tst_rangeLayout).
    void printerAndPaper()
    {
        clsPrintSetting::SetDefaultPrinterProvider([] { return QStringLiteral("财务部打印机"); });
        clsPrintSetting p;
        clsPrintSetting::SetDefaultPrinterProvider({});
        QCOMPARE(p.StrPrintDrive, QStringLiteral("财务部打印机"));
        QCOMPARE(clsPrintSetting().StrPrintDrive, QString());
        qint32 width = -1, height = -1;
        p.GetPaperSize(7, width, height);   // executive, 7 1/2 by 10 1/2 inches
        QCOMPARE((QList<qint32>{width, height}), (QList<qint32>{267, 190}));
    }
};

QTEST_GUILESS_MAIN(tst_clsDocument)
#include "tst_clsDocument.moc"
