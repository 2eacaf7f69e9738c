#include "document/clsDocument.h"
#include "document/frmReportList.h"
#include "document/modPublicDefine.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QtTest>

class tst_frmReportList : public QObject
{
    Q_OBJECT
private:
    static QStringList Lines(frmReportList& window)
    {
        QStringList lines;
        auto* list = window.findChild<QListWidget*>(QStringLiteral("lstReport"));
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        return lines;
    }
    static void AddReport(clsConnection& c, int id, const QString& system, const QString& name,
                          const QString& relation = QStringLiteral("vimba"), int type = 1)
    {
        c.Execute(QStringLiteral("Insert into Rpt_GlbDEF (ID,Name,SystemID,Note,Relation,DatabaseEx,IsBaseTable,Type,Cols) "
                                 "values (%1,'%2','%3','','%4','',0,%5,0)")
                      .arg(id).arg(SqlQuote(name), SqlQuote(system), SqlQuote(relation)).arg(type));
        c.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,Name,ModeEx,OrderEx,Expression,iColSize,Visible,iSize,TopEx,Height) "
                                     "values (%1,'金额',0,1,'je',1200,-1,0,0,320)").arg(id));
    }
    // The demo reports plus a second ledger report, a name with three blanks in a row,
    // a quoted name and two rows the list leaves out (other relation, type 0).
    static void AddExtras(clsConnection& c)
    {
        AddReport(c, 10, QStringLiteral("GL"), QStringLiteral("1现金日记账"));
        AddReport(c, 11, QStringLiteral("GL"), QStringLiteral("2银行日记账"), QStringLiteral("other"));
        AddReport(c, 12, QStringLiteral("GL"), QStringLiteral("3凭证汇总表"), QStringLiteral("vimba"), 0);
        AddReport(c, 13, QStringLiteral("SA"), QStringLiteral("销售   日报"));
        AddReport(c, 14, QStringLiteral("PU"), QStringLiteral("采购'到货表"));
    }

private Q_SLOTS:
    void listsBySubsystemOrAll_data() { clsTestDatabase::AddBackendRows(); }
    void listsBySubsystemOrAll()
    {
        QXRF_OPEN_DB(db, true, true);
        AddExtras(db.Conn());
        clsDocument doc;
        doc.m_AdoConn = &db.Conn();
        frmReportList window;
        auto* all = window.findChild<QCheckBox*>(QStringLiteral("chkAll"));
        auto* systems = window.findChild<QComboBox*>(QStringLiteral("cmbSystem"));
        QVERIFY(Lines(window).isEmpty());

        all->setChecked(true);
        QCOMPARE(Lines(window), (QStringList{QStringLiteral("AP   应付账款账龄分析表"), QStringLiteral("AR   应收账款明细表"),
                                             QStringLiteral("FA   固定资产折旧计算表"), QStringLiteral("GL   1现金日记账"),
                                             QStringLiteral("GL   科目余额表"), QStringLiteral("PU   采购'到货表"),
                                             QStringLiteral("SA   销售   日报"), QStringLiteral("WA   工资汇总表")}));
        QCOMPARE(systems->currentIndex(), -1);

        const int ledger = systems->findText(QStringLiteral("总账         GL"));
        window.cmbSystem_Click(ledger);
        QVERIFY(!all->isChecked());
        QCOMPARE(Lines(window), (QStringList{QStringLiteral("GL   1现金日记账"), QStringLiteral("GL   科目余额表")}));

        window.cmbSystem_Click(systems->findText(QStringLiteral("成本管理     CA")));
        QVERIFY(Lines(window).isEmpty());

        // Unchecking lists nothing anew.
        window.cmbSystem_Click(ledger);
        all->setChecked(true);
        all->setChecked(false);
        QCOMPARE(Lines(window).size(), 8);

        // An older account database has no subsystem selector.
        QVERIFY(!systems->isHidden());
        db.Conn().Execute(QStringLiteral("create table fst00000 (cacc_id varchar(10))"));
        frmReportList older;
        QVERIFY(older.findChild<QComboBox*>(QStringLiteral("cmbSystem"))->isHidden());
        QVERIFY(older.findChild<QLabel*>(QStringLiteral("Label1"))->isHidden());
    }

    void okOpensTheChosenReport_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");   // given: the report is deleted after it was listed
        for (const QString& b : clsTestDatabase::Backends()) {
            clsTestDatabase::NewRow(b, QStringLiteral("three blanks")) << "SA   销售   日报" << "";
            clsTestDatabase::NewRow(b, QStringLiteral("quoted name")) << "PU   采购'到货表" << "";
        }
        QTest::newRow("deleted since listed") << "sqlite" << "WA   工资汇总表" << "没有找到报表定义...";
    }
    void okOpensTheChosenReport()
    {
        QXRF_OPEN_DB(db, true, true);
        QFETCH(QString, line);
        QFETCH(QString, message);
        AddExtras(db.Conn());
        clsRecordingPrompt prompt;
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("李四")));
        frmReportList window;
        auto* list = window.findChild<QListWidget*>(QStringLiteral("lstReport"));
        // The list starts where the user is: the open report's subsystem, the report chosen.
        QCOMPARE(Lines(window), (QStringList{QStringLiteral("GL   1现金日记账"), QStringLiteral("GL   科目余额表")}));
        QCOMPARE(list->currentItem()->text(), QStringLiteral("GL   科目余额表"));
        // Listing every report keeps it chosen.
        window.findChild<QCheckBox*>(QStringLiteral("chkAll"))->setChecked(true);
        QVERIFY(list->currentItem());
        QCOMPARE(list->currentItem()->text(), QStringLiteral("GL   科目余额表"));
        const auto found = list->findItems(line, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        list->setCurrentItem(found.first());
        const bool opens = message.isEmpty();
        if (opens) {
            window.cmdOk_Click();
        } else {
            db.Conn().Execute(QStringLiteral("delete from Rpt_GlbDEF where ID = 3"));
            Q_EMIT list->itemDoubleClicked(list->currentItem());
        }
        QCOMPARE(prompt.LastText(), message);
        QCOMPARE(window.result() == QDialog::Accepted, opens);
        // A line is the subsystem's code, three blanks and the report's name.
        QCOMPARE(doc.m_strReportName, opens ? line.mid(5) : QStringLiteral("科目余额表"));
        if (!opens)
            return;
        QCOMPARE(doc.m_strSystemID, line.left(2));
        QCOMPARE(doc.m_strOprName, QStringLiteral("李四"));
        QVERIFY(doc.m_lngReportID >= 13);
    }
};

QTEST_MAIN(tst_frmReportList)
#include "tst_frmReportList.moc"
