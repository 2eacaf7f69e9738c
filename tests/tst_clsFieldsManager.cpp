#include "fieldsRows.h"
#include "clsCanvasFixture.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include "document/clsDatabaseError.h"
#include <QtTest>

using namespace fieldsRows;

class tst_clsFieldsManager : public QObject
{
    Q_OBJECT

    // Four columns for the in-memory property cases.
    static void Fill(clsFieldsManager& fm)
    {
        const auto add = [&](const QString& name, const QString& field, qint32 dtype, const QString& condition) {
            auto c = std::make_unique<clsRepcol>();
            c->name = c->Caption = name;
            c->Expression = field;
            c->Dtype = dtype;
            c->StrCondition = condition;
            c->Width = 1000;
            c->Col = qint32(fm.Cols.size()) + 1;
            fm.Cols.push_back(std::move(c));
        };
        add(QStringLiteral("金额"), QStringLiteral("je"), 0, QString());
        add(QStringLiteral("摘要"), QStringLiteral("zy"), 1, QString());
        add(QStringLiteral("计算"), QString(), 0, QStringLiteral("[金额]*2"));
        add(QStringLiteral("Amt"), QStringLiteral("amt"), 0, QString());
    }

    static QString Grid(const clsTitle* t)
    {
        return t ? QStringLiteral("%1,%2,%3,%4,%5").arg(t->top).arg(t->left).arg(t->Width).arg(t->Height).arg(t->Col)
                 : QStringLiteral("missing");
    }

private Q_SLOTS:
    void cleanup() { g_blnRunMode = false; }

    void roundTripWithQuotes_data() { clsTestDatabase::AddBackendRows(); }
    void roundTripWithQuotes()
    {
        QXRF_OPEN_DB(db);
        clsConnection& c = db.Conn();
        ColRow a = Col(QStringLiteral("O'Neil金额"), 1, 0, QStringLiteral("a'b"));
        a.format = QStringLiteral("#,##0.00'元'");
        a.note = QStringLiteral("n'ote");
        a.condition = QStringLiteral("[x]+'y'");
        a.width = 1500;
        a.align = 3;
        a.height = 400;
        InsertCol(c, 4, a);
        ColRow b = Col(QStringLiteral("摘'要"), 2, 0, QStringLiteral("zy"));
        b.dtype = 1;
        b.visible = 0;
        InsertCol(c, 4, b);
        // A disabled column keeps its number: keep it clear of the others.
        InsertCol(c, 4, Col(QStringLiteral("停'用"), 9, 1, QStringLiteral("ty'")));
        InsertCol(c, 4, Col(QStringLiteral("数'量"), 4, 0, QStringLiteral("sl")));
        InsertTitle(c, 4, QStringLiteral("总'计"), QStringLiteral("Tot'al"), 1, 1, 2, 1);
        InsertTitle(c, 4, QStringLiteral("明'细"), QString(), 2, 1, 1, 1);
        InsertGroup(c, 4, QStringLiteral("摘'要"), -1, 1);
        InsertSum(c, 4, QStringLiteral("O'Neil金额"), 2);
        // Every numeric column has its sum row, as after any save (a sum row marks a
        // column numeric on load).
        InsertSum(c, 4, QStringLiteral("数'量"), -1);
        InsertSum(c, 4, QStringLiteral("停'用"), 0);
        InsertHelpId(c, 4, 77);

        Doc env(c);
        clsRecordingPrompt prompt;
        clsFieldsManager first;
        Load(first, 4);
        const QStringList before = Snapshot(first);

        bool ok = false;
        first.SaveAllObjects(ok);
        QVERIFY(ok);
        QVERIFY(!first.LastSaveRefused());
        const QStringList written = RawRows(c, 4);
        QCOMPARE(db.Scalar(QStringLiteral("select Expression from Rpt_FldDEF where ModeEx=0 and ID=4 and OrderEx=1")).toString(),
                 QStringLiteral("a'b"));

        clsFieldsManager second;
        Load(second, 4);
        QCOMPARE(Snapshot(second), before);
        second.SaveAllObjects(ok);
        QCOMPARE(RawRows(c, 4), written);  // load then save writes back what was read
        QCOMPARE(prompt.messages.size(), 0);
    }

    void renumbering_data() { clsTestDatabase::AddBackendRows(); }
    void renumbering()
    {
        QXRF_OPEN_DB(db);
        InsertCol(db.Conn(), 1, QStringLiteral("a"), 3);
        InsertCol(db.Conn(), 1, Col(QStringLiteral("off"), 5, 1));
        InsertCol(db.Conn(), 1, QStringLiteral("b"), 7);
        InsertCol(db.Conn(), 1, QStringLiteral("c"), 9);
        Doc env(db.Conn());
        clsFieldsManager fm;
        Load(fm, 1);
        QCOMPARE(fm.Cols.size(), size_t(4));
        QList<qint32> numbers;
        for (const char* n : {" A ", "off", "b", "c", "none"})
            numbers << fm.GetCol(QString::fromLatin1(n));
        QCOMPARE(numbers, (QList<qint32>{1, 5, 2, 3, -1}));
        QVERIFY(!fm.FindCol(QStringLiteral("off"))->BlnEnable);
    }

    void columnRowReading_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("topEx");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("iSize");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("loadedWidth");
        QTest::addColumn<int>("dtype");
        QTest::addColumn<bool>("number");
        for (const QString& b : clsTestDatabase::Backends()) {
            const auto row = [&](const char* name) { return &clsTestDatabase::NewRow(b, QLatin1String(name)); };
            *row("disabled width 0 stays 0") << 1 << 0 << QString() << 1 << false << 0 << 1 << false;
            *row("enabled width 0 gets 1000") << 0 << 0 << QString() << 1 << true << 1000 << 1 << false;
            *row("SUM with blanks is numeric") << 0 << 500 << QStringLiteral(" SUM ") << 1 << true << 500 << 0 << true;
            *row("avg is numeric") << 0 << 500 << QStringLiteral("avg") << 2 << true << 500 << 0 << true;
            *row("summary is only a note") << 0 << 500 << QStringLiteral("summary") << 1 << true << 500 << 1 << false;
        }
    }
    void columnRowReading()
    {
        QXRF_OPEN_DB(db);
        QFETCH(int, topEx);
        QFETCH(int, width);
        QFETCH(QString, note);
        QFETCH(int, iSize);
        ColRow r = Col(QStringLiteral("x"), 1, topEx);
        r.width = width;
        r.note = note;
        r.dtype = iSize;
        InsertCol(db.Conn(), 2, r);
        InsertCol(db.Conn(), 2, QStringLiteral("other"), 2);  // keeps the load ok when x is disabled
        Doc env(db.Conn());
        clsFieldsManager fm;
        Load(fm, 2);
        const clsRepcol* x = fm.FindCol(QStringLiteral("x"));
        QVERIFY(x);
        QTEST(x->BlnEnable, "enabled");
        QTEST(int(x->Width), "loadedWidth");
        QTEST(int(x->Dtype), "dtype");
        QTEST(x->blnNumber, "number");
        QCOMPARE(x->Caption, QStringLiteral("x"));
        QCOMPARE(x->strnote, note.trimmed());
    }

    void noColumnRowsReadsNothingElse_data() { clsTestDatabase::AddBackendRows(); }
    void noColumnRowsReadsNothingElse()
    {
        QXRF_OPEN_DB(db);
        InsertTitle(db.Conn(), 3, QStringLiteral("t"), QString(), 1, 1, 1, 1);
        InsertGroup(db.Conn(), 3, QStringLiteral("a"), -1, 0);
        InsertHelpId(db.Conn(), 3, 12);
        InsertCol(db.Conn(), 99, QStringLiteral("elsewhere"), 1);
        QStringList statements;
        db.Conn().SetStatementHook([&](const QString& sql) { statements << sql; });
        Doc env(db.Conn());
        clsFieldsManager fm;
        Load(fm, 3, false);
        QVERIFY(fm.Cols.empty());
        QVERIFY(fm.Titles.empty());
        QCOMPARE(fm.ReportHelpID(), 0);
        QCOMPARE(statements.size(), 1);   // one read of the report's rows
    }

    void noConnectionDoesNothing()
    {
        clsDocument doc;
        clsFieldsManager fm;
        bool ok = true;
        fm.LoadAllObjects(1, ok);
        QVERIFY(!ok);
        Fill(fm);
        fm.SaveAllObjects(ok);
        QVERIFY(ok);
        QVERIFY(!fm.LastSaveRefused());
    }

    void validationNamesTheColumnAndWritesNothing_data() { clsTestDatabase::AddBackendRows(); }
    void validationNamesTheColumnAndWritesNothing()
    {
        QXRF_OPEN_DB(db);
        clsConnection& c = db.Conn();
        InsertCol(c, 5, QStringLiteral("a"), 1);
        InsertCol(c, 5, Col(QStringLiteral("off"), 2, 1, QString()));  // disabled: never validated
        InsertCol(c, 5, Col(QStringLiteral("空列"), 3, 0, QString()));
        Doc env(c);
        clsFieldsManager fm;
        Load(fm, 5);
        const QStringList stored = RawRows(c, 5);
        fm.SetReportHelpID(9);

        clsRecordingPrompt prompt;
        bool ok = false;
        fm.SaveAllObjects(ok);
        QVERIFY(ok);
        QVERIFY(fm.LastSaveRefused());
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.beeps, 1);
        QCOMPARE(prompt.LastText(), QStringLiteral("保存失败！报表列名空列必须有对应的字段名或列间表达式..."));
        QVERIFY(prompt.messages.first().title == QStringLiteral("格式") && prompt.messages.first().icon == PromptIcon::Exclamation);
        QCOMPARE(RawRows(c, 5), stored);

        // An inter-column expression is enough.
        fm.FindCol(QStringLiteral("空列"))->StrCondition = QStringLiteral("[a]*2");
        fm.SaveAllObjects(ok);
        QVERIFY(!fm.LastSaveRefused());
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(db.Scalar(QStringLiteral("select OrderEx from Rpt_FldDEF where ModeEx=22 and ID=5")).toInt(), 9);
        QCOMPARE(db.Count(QStringLiteral("ModeEx=0 and ID=5 and TopEx=1")), 1);
    }

    void failingStatementStopsAndReports_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("load");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("routine");
        const QString ins = QStringLiteral("Rpt_FldDEF (ID,ModeEx,");   // the write, Insert or Copy
        for (const QString& b : clsTestDatabase::Backends()) {
            const auto row = [&](const char* name) { return &clsTestDatabase::NewRow(b, QLatin1String(name)); };
            *row("read") << true << QStringLiteral("Select * From Rpt_FldDEF") << "AddColsObjec()";
            *row("delete") << false << QStringLiteral("Delete From Rpt_FldDEF") << "AddNewColToDatabase() ";
            *row("insert column") << false << ins + QStringLiteral("Name,OrderEx,") << "SaveNewColProperty() ";
            *row("insert title") << false << ins + QStringLiteral("Name,nameForeign,TopEx") << "SaveProperty() ";
            *row("insert group") << false << ins + QStringLiteral("Name,nameForeign,OrderEx,iSize") << "SaveGroupProperty() ";
            *row("insert sum") << false << ins + QStringLiteral("Name,nameForeign,OrderEx)") << "SaveSumProperty() ";
            *row("help id write") << false << ins + QStringLiteral("OrderEx)") << "SaveReportHelpid() ";
        }
    }
    void failingStatementStopsAndReports()
    {
        QXRF_OPEN_DB(db);
        QFETCH(bool, load);
        QFETCH(QString, failing);
        QFETCH(QString, routine);
        clsConnection& c = db.Conn();
        InsertCol(c, 6, QStringLiteral("a"), 1);
        InsertGroup(c, 6, QStringLiteral("a"), -1, 0);
        Doc env(c);
        clsFieldsManager fm;
        if (!load)
            Load(fm, 6);
        QStringList statements;
        c.SetStatementHook([&](const QString& sql) {
            statements << sql;
            if (sql.contains(failing))
                throw clsDatabaseError(QStringLiteral("注入的故障"));
        });
        clsRecordingPrompt prompt;
        bool ok = !load;
        if (load)
            fm.LoadAllObjects(6, ok);
        else
            fm.SaveAllObjects(ok);
        QVERIFY(!ok);
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.LastText(), QStringLiteral("注入的故障\r\n错误位于模块：clsFieldsManager.") + routine);
        QCOMPARE(prompt.messages.first().title, QStringLiteral("格式"));
        if (!load)  // a save stops at the failing statement
            QVERIFY(statements.last().contains(failing));
    }

    void setColProperty_data()
    {
        QTest::addColumn<QString>("col");
        QTest::addColumn<QString>("prop");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("readBack");
        const QString none;
        QTest::newRow("name empty") << "金额" << "列名" << "  " << false << "列名必须输入..." << false << "金额";
        QTest::newRow("name of another, other case") << "金额" << "列名" << "AMT" << false << "列名不能重复..." << false << "金额";
        QTest::newRow("own name with blanks") << "金额" << "列名" << " 金额 " << true << none << false << "金额";
        QTest::newRow("own name, other case") << "Amt" << "列名" << "AMT" << true << none << true << "AMT";
        QTest::newRow("group without field") << "计算" << "分组" << "分组" << false << "当前列不可分组..." << false << "不能分组";
        QTest::newRow("sum on text column") << "摘要" << "合计" << "汇总" << false << "只有数值列才能设置合计属性..." << false << "不汇总";
        QTest::newRow("sum unknown text") << "金额" << "合计" << "平均" << false << none << false << "不汇总";
        QTest::newRow("field used elsewhere") << "计算" << "字段" << " JE " << false << "列（金额）中设置了相同的字段...1" << false << "";
        QTest::newRow("width mm") << "金额" << "列宽" << "18" << true << none << true << "18.00";
        QTest::newRow("width not a number") << "金额" << "列宽" << "abc" << false << none << false << "18.00";
        QTest::newRow("column number moves it, titles and all") << "金额" << "列号" << "3" << true << none << true << "3";
        QTest::newRow("column number beyond the last") << "摘要" << "列号" << "9" << true << none << true << "4";
        QTest::newRow("width zero") << "金额" << "列宽" << "0" << false << "列宽必须大于0..." << false << "18.00";
        QTest::newRow("expression clears grouping") << "金额" << "列间表达式" << " [a]+1 " << true << none << true << "[a]+1";
        QTest::newRow("unknown property") << "金额" << "颜色" << "红" << false << none << false << "";
        QTest::newRow("unknown column") << "无此列" << "列名" << "x" << false << none << false << "";
    }
    void setColProperty()
    {
        QFETCH(QString, col);
        QFETCH(QString, prop);
        QFETCH(QString, value);
        QFETCH(bool, accepted);
        QFETCH(QString, message);
        clsDocument doc;
        clsFieldsManager fm;
        Fill(fm);
        const QStringList before = Snapshot(fm);
        clsRecordingPrompt prompt;
        QString name = col;
        QCOMPARE(fm.SetColProperty(name, prop, value), accepted);
        QTEST(doc.DocChanged(), "changed");
        if (message.isEmpty()) {
            QCOMPARE(prompt.messages.size(), 0);
        } else {
            QCOMPARE(prompt.messages.size(), 1);
            QCOMPARE(prompt.beeps, 1);
            QCOMPARE(prompt.LastText(), message);
            QCOMPARE(prompt.messages.first().title, QStringLiteral("格式"));
            QVERIFY(prompt.messages.first().icon == PromptIcon::Exclamation);
        }
        if (!accepted)
            QCOMPARE(Snapshot(fm), before);
        QString read;
        fm.ReadColProperty(name, prop, read);
        if (!accepted && prop == QStringLiteral("字段"))
            return;
        QTEST(read, "readBack");
    }

    void throughTheDocument_data() { clsTestDatabase::AddBackendRows(); }
    void throughTheDocument()
    {
        QXRF_OPEN_DB(db);
        clsConnection& c = db.Conn();
        c.Execute(QStringLiteral("Insert into Rpt_GlbDEF (ID,Name,SystemID,Relation,IsBaseTable,Type,Cols) "
                                 "values (30,'应收''明细','AR','vimba',0,1,0)"));
        InsertCol(c, 30, QStringLiteral("客户"), 1);
        InsertCol(c, 30, QStringLiteral("金额"), 2);
        InsertHelpId(c, 30, 4);
        clsRecordingPrompt prompt;
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&c, QStringLiteral("应收'明细"), QStringLiteral("AR"), QStringLiteral("op")));
        clsFieldsManager* fm = doc.FieldsManager();
        QVERIFY(fm);
        QCOMPARE(fm->Cols.size(), size_t(2));
        QCOMPARE(fm->ReportHelpID(), 4);

        QString name = QStringLiteral("金额");
        QVERIFY(fm->SetColProperty(name, QStringLiteral("列标题"), QStringLiteral("本期金额")));
        QVERIFY(doc.DocChanged());
        fm->SetReportHelpID(8);
        doc.SaveReportFormat();
        QVERIFY(doc.LastSaveWritten());
        QVERIFY(!doc.DocChanged());
        QCOMPARE(db.Scalar(QStringLiteral("select OrderEx from Rpt_FldDEF where ModeEx=22 and ID=30")).toInt(), 8);
        QCOMPARE(db.Count(QStringLiteral("ModeEx=5 and ID=30")), 2);
        QCOMPARE(prompt.messages.size(), 0);
        QCOMPARE(db.Scalar(QStringLiteral("select Cols from Rpt_GlbDEF where ID=30")).toInt(), 0);
    }

    // A column added since the load (number 0) or enabled again (its old number) is
    // written at its place in the list, so the next load keeps the order.
    void savedNumbersFollowTheList_data() { clsTestDatabase::AddBackendRows(); }
    void savedNumbersFollowTheList()
    {
        QXRF_OPEN_DB(db);
        clsConnection& c = db.Conn();
        InsertCol(c, 11, QStringLiteral("a"), 1);
        InsertCol(c, 11, Col(QStringLiteral("back"), 1, 1));
        InsertCol(c, 11, QStringLiteral("b"), 2);
        Doc env(c);
        clsFieldsManager fm;
        Load(fm, 11);
        QCOMPARE(fm.Cols[1]->name, QStringLiteral("back"));
        fm.Cols[1]->BlnEnable = true;
        auto added = std::make_unique<clsRepcol>();
        added->name = fm.NewColName();
        added->Expression = QStringLiteral("x");
        added->Width = 1000;
        fm.Cols.push_back(std::move(added));
        bool ok = false;
        fm.SaveAllObjects(ok);
        QVERIFY(ok);
        clsFieldsManager again;
        Load(again, 11);
        QStringList order;
        for (const auto& col : again.Cols)
            order << col->name + QLatin1Char(':') + QString::number(col->Col);
        QCOMPARE(order, QStringList({QStringLiteral("a:1"), QStringLiteral("back:2"), QStringLiteral("b:3"),
                                     QStringLiteral("列名31:4")}));
        QCOMPARE(again.Titles.size(), size_t(4));
    }

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

QTEST_GUILESS_MAIN(tst_clsFieldsManager)
#include "tst_clsFieldsManager.moc"
