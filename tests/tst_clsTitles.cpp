#include "fieldsRows.h"
#include "clsCanvasFixture.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QtTest>

using namespace fieldsRows;

class tst_clsTitles : public QObject
{
    Q_OBJECT

    static QString Grid(const clsTitle* t)
    {
        return t ? QStringLiteral("%1,%2,%3,%4,%5").arg(t->top).arg(t->left).arg(t->Width).arg(t->Height).arg(t->Col)
                 : QStringLiteral("missing");
    }

private Q_SLOTS:
    void cleanup() { g_blnRunMode = false; }

    // Without title rows each enabled column gets its own title.
    void loadedTitles_data() { clsTestDatabase::AddBackendRows(); }
    void loadedTitles()
    {
        QXRF_OPEN_DB(db);
        clsConnection& c = db.Conn();
        InsertCol(c, 1, QStringLiteral("a"), 1, 1000);
        InsertCol(c, 1, Col(QStringLiteral("off"), 2, 1));
        ColRow hidden = Col(QStringLiteral("b"), 3);
        hidden.visible = 0;
        hidden.width = 1200;
        InsertCol(c, 1, hidden);
        Doc env(c);
        clsFieldsManager fm;
        Load(fm, 1);
        QCOMPARE(fm.Titles.size(), size_t(2));  // none for the disabled column
        const clsTitle* a = fm.FindTitle(QStringLiteral("a"));
        const clsTitle* b = fm.FindTitle(QStringLiteral("b"));
        QCOMPARE(Grid(a), QStringLiteral("1,1,1,1,1"));
        QCOMPARE(Grid(b), QStringLiteral("1,2,1,1,2"));
        QCOMPARE(b->nameForeign, QStringLiteral("b"));
        QCOMPARE(b->cx, 1200);
        QVERIFY(a->blnVisible);
        QVERIFY(!b->blnVisible);

        // Stored titles are linked to the columns under them.
        InsertCol(c, 2, QStringLiteral("c1"), 1, 1000);
        InsertCol(c, 2, QStringLiteral("c2"), 2, 1500);
        InsertCol(c, 2, QStringLiteral("c3"), 3, 800);
        InsertTitle(c, 2, QStringLiteral("合计"), QString(), 1, 1, 2, 1);  // over c1 and c2
        InsertTitle(c, 2, QStringLiteral("本月"), QStringLiteral("This month"), 2, 1, 1, 1, 0);
        InsertTitle(c, 2, QStringLiteral("累计"), QStringLiteral("YTD"), 2, 2, 1, 1);
        clsFieldsManager linked;
        Load(linked, 2);
        QCOMPARE(linked.Titles.size(), size_t(4));
        const clsTitle* span = linked.FindTitle(QStringLiteral("合计"));
        QCOMPARE(span->cx, 2500);
        QCOMPARE(span->nameForeign, QStringLiteral("合计"));  // empty foreign caption loads as the name
        const clsTitle* month = linked.FindTitle(QStringLiteral("本月"));
        QCOMPARE(month->Col, 1);
        QCOMPARE(month->cx, 1000);
        QVERIFY(month->blnVisible);  // follows its column
        QCOMPARE(month->nameForeign, QStringLiteral("This month"));
        // c3 has no title ending in row 2: one is created over rows 1-2.
        const clsTitle* created = linked.FindTitle(QStringLiteral("c3"));
        QCOMPARE(Grid(created), QStringLiteral("1,3,1,2,3"));
        QCOMPARE(created->cx, 800);
        QCOMPARE(created->nameForeign, QStringLiteral("c3"));
    }

    void saveFillsForeignCaption_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("foreign");
        QTest::addColumn<QString>("stored");
        for (const QString& b : clsTestDatabase::Backends()) {
            const auto row = [&](const char* n) { return &clsTestDatabase::NewRow(b, QLatin1String(n)); };
            *row("after underscore") << "收入_Income" << "" << "Income";
            *row("nothing after underscore") << "收入_ " << "" << "收入";
            *row("caption kept") << "收入_Income" << "Revenue" << "Revenue";
            *row("quotes") << "O'x_It's" << "" << "It's";
        }
    }
    void saveFillsForeignCaption()
    {
        QXRF_OPEN_DB(db);
        QFETCH(QString, name);
        QFETCH(QString, foreign);
        QFETCH(QString, stored);
        clsConnection& c = db.Conn();
        InsertCol(c, 3, QStringLiteral("a"), 1);
        Doc env(c);
        clsFieldsManager fm;
        Load(fm, 3);
        clsTitle* t = fm.Titles.front().get();
        t->name = name;
        t->nameForeign = foreign;
        bool ok = false;
        fm.SaveAllObjects(ok);
        QVERIFY(ok);
        QCOMPARE(t->nameForeign, stored);
        QCOMPARE(db.Scalar(QStringLiteral("select nameForeign from Rpt_FldDEF where ModeEx=5 and ID=3")).toString(), stored);
        QCOMPARE(db.Scalar(QStringLiteral("select Name from Rpt_FldDEF where ModeEx=5 and ID=3")).toString(), name);
    }

    void levelCheck_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("refused");
        for (const QString& b : clsTestDatabase::Backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(" five levels"))) << b << false;
            QTest::newRow(qPrintable(b + QStringLiteral(" six levels"))) << b << true;
        }
    }
    // A stored grid deeper than five rows is refused at save, with nothing written.
    void levelCheck()
    {
        QXRF_OPEN_DB(db);
        QFETCH(bool, refused);
        clsConnection& c = db.Conn();
        InsertCol(c, 4, QStringLiteral("a"), 1);
        InsertCol(c, 4, QStringLiteral("b"), 2);
        InsertHelpId(c, 4, 5);
        const int rows = refused ? 6 : 5;
        InsertTitle(c, 4, QStringLiteral("a"), QStringLiteral("a"), 1, 1, 1, rows);
        InsertTitle(c, 4, QStringLiteral("b"), QStringLiteral("b"), 1, 2, 1, rows);
        Doc env(c);
        clsFieldsManager fm;
        Load(fm, 4);
        const QStringList stored = RawRows(c, 4);
        fm.SetReportHelpID(6);
        clsRecordingPrompt prompt;
        QCOMPARE(fm.CheckTitleLevels(), !refused);
        prompt.Clear();
        bool ok = false;
        fm.SaveAllObjects(ok);
        QVERIFY(ok);
        QCOMPARE(fm.LastSaveRefused(), refused);
        if (refused) {
            QCOMPARE(prompt.messages.size(), 1);
            QCOMPARE(prompt.beeps, 1);
            QCOMPARE(prompt.LastText(), QStringLiteral("标题的逻辑层次超过五层，系统最大只支持五层复合标题的定义..."));
            QCOMPARE(prompt.messages.first().title, QStringLiteral("格式"));
            QCOMPARE(RawRows(c, 4), stored);
        } else {
            QCOMPARE(prompt.messages.size(), 0);
            QCOMPARE(db.Scalar(QStringLiteral("select OrderEx from Rpt_FldDEF where ModeEx=22 and ID=4")).toInt(), 6);
        }
    }

    void setTitleProperty_data()
    {
        QTest::addColumn<QString>("prop");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("readBack");
        const QString none;
        QTest::newRow("name empty") << "名称" << " " << false << "必须输入标题名..." << false << "Month";
        QTest::newRow("name of another, other case") << "名称" << "ytd" << false << "列标题名称不能重复..." << false << "Month";
        QTest::newRow("own name") << "名称" << " Month " << true << none << false << "Month";
        QTest::newRow("rename") << "名称" << " 本月 " << true << none << true << "本月";
        QTest::newRow("top") << "顶（行）" << "2" << true << none << true << "2";
        QTest::newRow("left not a number") << "左（列）" << "x" << false << none << false << "1";
        QTest::newRow("height same") << "高（行数）" << "1" << true << none << false << "1";
        QTest::newRow("unknown") << "颜色" << "红" << false << none << false << "";
    }
    void setTitleProperty()
    {
        QFETCH(QString, prop);
        QFETCH(QString, value);
        QFETCH(QString, message);
        clsDocument doc;
        clsFieldsManager fm;
        clsCanvasFixture::AddTitle(fm, QStringLiteral("Month"), 1);
        clsCanvasFixture::AddTitle(fm, QStringLiteral("YTD"), 1);
        clsRecordingPrompt prompt;
        QString name = QStringLiteral(" month ");
        QTEST(fm.SetTitleProperty(name, prop, value), "accepted");
        QTEST(doc.DocChanged(), "changed");
        QCOMPARE(prompt.messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(prompt.LastText(), message);
            QCOMPARE(prompt.beeps, 1);
            QCOMPARE(prompt.messages.first().title, QStringLiteral("格式"));
        }
        QString read;
        fm.ReadTitleProperty(name, prop, read);
        QTEST(read, "readBack");
    }

};

QTEST_GUILESS_MAIN(tst_clsTitles)
#include "tst_clsTitles.moc"
