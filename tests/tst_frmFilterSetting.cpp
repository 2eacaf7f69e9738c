#include "document/clsComponentRegistry.h"
#include "document/clsDefinitionStore.h"
#include "document/clsReportFilter.h"
#include "plugins/filter/frmFilterSetting.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

class tst_frmFilterSetting : public QObject
{
    Q_OBJECT
private:
    static QStringList Stored(clsTestDatabase& db, int id)
    {
        QStringList notes;
        clsRecordset rs = db.Conn().Open(QStringLiteral("select note, ModeEx, location from Rpt_FltDEF where id = %1 order by location").arg(id));
        for (; !rs.Eof(); rs.MoveNext())
            notes << QStringLiteral("%1:%2:%3").arg(rs.Text(QStringLiteral("note"))).arg(rs.Long(QStringLiteral("ModeEx"))).arg(rs.Long(QStringLiteral("location")));
        return notes;
    }

private Q_SLOTS:
    void editsTheReportsConditions_data() { clsTestDatabase::AddBackendRows(); }
    void editsTheReportsConditions()
    {
        QXRF_OPEN_DB(db, true, true);
        QVERIFY(clsComponentRegistry::IsRegistered(clsReportFilter::ComponentId()));
        db.Conn().Execute(QStringLiteral("insert into Rpt_FltDEF (id,note,ModeEx,location) values (1,'内部条件',25,9)"));
        frmFilterSetting window(&db.Conn(), 1, QStringLiteral("科目余额表"));
        QTableWidget* t = window.Table();
        QCOMPARE(t->rowCount(), 3);   // conditions only: ModeEx 25 is not one
        QCOMPARE(t->item(0, 0)->text(), QStringLiteral("会计期间"));

        // Up, down and remove are greyed where they have nothing to act on.
        const auto buttons = [&] {
            QString state;
            for (const char* text : {"删除", "上移", "下移"})
                for (QPushButton* b : window.findChildren<QPushButton*>())
                    if (b->text() == QString::fromUtf8(text))
                        state += b->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
            return state;
        };
        QCOMPARE(buttons(), QStringLiteral("110"));
        t->setCurrentCell(0, 0);
        QCOMPARE(buttons(), QStringLiteral("101"));
        t->setCurrentCell(2, 0);
        window.MoveCurrentRow(-1);
        QCOMPARE(buttons(), QStringLiteral("111"));
        window.AddRow(QStringLiteral("客户'编码"), 3);
        t->setCurrentCell(0, 0);
        window.RemoveCurrentRow();
        QVERIFY(window.SaveRows());
        QCOMPARE(Stored(db, 1), (QStringList{QStringLiteral("科目编码:1:1"), QStringLiteral("科目级次:1:2"),
                                             QStringLiteral("客户'编码:3:3"), QStringLiteral("内部条件:25:9")}));
    }

    void badRowsAreRefusedAndNothingIsLost_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty condition") << QStringLiteral(" ") << QStringLiteral("1") << QStringLiteral("第4行的条件不能为空...");
        QTest::newRow("mode 20") << QStringLiteral("期间") << QStringLiteral("20") << QStringLiteral("第4行的条件类别必须是0到19之间的整数...");
        QTest::newRow("mode text") << QStringLiteral("期间") << QStringLiteral("甲") << QStringLiteral("第4行的条件类别必须是0到19之间的整数...");
    }
    void badRowsAreRefusedAndNothingIsLost()
    {
        QFETCH(QString, note);
        QFETCH(QString, mode);
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        QVERIFY(db.Ready());
        clsRecordingPrompt prompt;
        frmFilterSetting window(&db.Conn(), 1, QStringLiteral("科目余额表"));
        const QStringList before = Stored(db, 1);
        window.AddRow(note);
        window.Table()->item(3, 1)->setText(mode);
        window.accept();
        QVERIFY(window.result() != QDialog::Accepted);
        QTEST(prompt.LastText(), "message");
        QCOMPARE(Stored(db, 1), before);
    }
};

QTEST_MAIN(tst_frmFilterSetting)
#include "tst_frmFilterSetting.moc"
