#include "fieldsRows.h"
#include "clsCanvasFixture.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include "document/clsDatabaseError.h"
#include <QtTest>

using namespace fieldsRows;

namespace {
// The columns of a _data() table, named in order and typed by the template arguments.
template <typename... T, typename... N>
void Columns(N... names)
{
    (QTest::addColumn<T>(names), ...);
}

// Saves; answers whether the save went through (a refused one does).
bool Saved(clsFieldsManager& fm)
{
    bool ok = false;
    fm.SaveAllObjects(ok);
    return ok;
}

// Four columns for the in-memory property cases.
void Fill(clsFieldsManager& fm)
{
    const auto add = [&](const char* name, const char* field, qint32 dtype, const char* condition) {
        clsRepcol* c = clsCanvasFixture::AddCol(fm, QString::fromUtf8(name), 1000, true, true, 0);
        std::tie(c->Expression, c->Dtype, c->StrCondition) =
            std::tuple(QString::fromUtf8(field), dtype, QString::fromUtf8(condition));
    };
    add("金额", "je", 0, "");
    add("摘要", "zy", 1, "");
    add("计算", "", 0, "[金额]*2");
    add("Amt", "amt", 0, "");
}

// Each title, sorted by name: its name, place in the grid, column, width, foreign caption
// and whether it shows.
QStringList Grids(const clsFieldsManager& fm)
{
    QStringList out;
    for (const auto& t : fm.Titles)
        out << QStringLiteral("%1 %2,%3,%4,%5 col %6 cx %7 %8 %9")
                   .arg(t->name).arg(t->top).arg(t->left).arg(t->Width).arg(t->Height).arg(t->Col).arg(t->cx)
                   .arg(t->nameForeign).arg(t->blnVisible);
    out.sort();
    return out;
}
}  // namespace

class tst_clsFieldsManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { g_blnRunMode = false; }

    void roundTripWithQuotes_data() { clsTestDatabase::AddBackendRows(); }
    void roundTripWithQuotes()
    {
        QXRF_OPEN_DB(db);
        clsConnection& c = db.Conn();
        // name, order, field, width, kind, note, condition, TopEx, shown, format, alignment, height
        InsertCol(c, 4, {QStringLiteral("O'Neil金额"), 1, QStringLiteral("a'b"), 1500, 0, QStringLiteral("n'ote"),
                         QStringLiteral("[x]+'y'"), 0, -1, QStringLiteral("#,##0.00'元'"), 3, 400});
        ColRow b = Col(QStringLiteral("摘'要"), 2, 0, QStringLiteral("zy"));
        std::tie(b.dtype, b.visible) = std::tuple(1, 0);
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
        QVERIFY(Saved(first) && !first.LastSaveRefused());
        const QStringList written = db.Dump(4);
        QCOMPARE(db.Scalar(QStringLiteral("select Expression from Rpt_FldDEF where ModeEx=0 and ID=4 and OrderEx=1")).toString(),
                 QStringLiteral("a'b"));

        clsFieldsManager second;
        Load(second, 4);
        QCOMPARE(Snapshot(second), Snapshot(first));
        QVERIFY(Saved(second));
        QCOMPARE(db.Dump(4), written);  // load then save writes back what was read
        QVERIFY(prompt.messages.isEmpty());
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
        Columns<QString, int, int, QString, int, QString>("backend", "topEx", "width", "note", "iSize", "loaded");
        // loaded: enabled, width, kind, numeric
        clsTestDatabase::RowPerBackend("disabled width 0 stays 0", 1, 0, QString(), 1, "0 0 1 0");
        clsTestDatabase::RowPerBackend("enabled width 0 gets 1000", 0, 0, QString(), 1, "1 1000 1 0");
        clsTestDatabase::RowPerBackend("SUM with blanks is numeric", 0, 500, QStringLiteral(" SUM "), 1, "1 500 0 1");
        clsTestDatabase::RowPerBackend("avg is numeric", 0, 500, QStringLiteral("avg"), 2, "1 500 0 1");
        clsTestDatabase::RowPerBackend("summary is only a note", 0, 500, QStringLiteral("summary"), 1, "1 500 1 0");
    }
    void columnRowReading()
    {
        QXRF_OPEN_DB(db);
        QFETCH(int, topEx);
        QFETCH(int, width);
        QFETCH(QString, note);
        QFETCH(int, iSize);
        ColRow r = Col(QStringLiteral("x"), 1, topEx);
        std::tie(r.width, r.note, r.dtype) = std::tuple(width, note, iSize);
        InsertCol(db.Conn(), 2, r);
        InsertCol(db.Conn(), 2, QStringLiteral("other"), 2);  // keeps the load ok when x is disabled
        Doc env(db.Conn());
        clsFieldsManager fm;
        Load(fm, 2);
        const clsRepcol* x = fm.FindCol(QStringLiteral("x"));
        QVERIFY(x);
        QTEST(QStringLiteral("%1 %2 %3 %4").arg(x->BlnEnable).arg(x->Width).arg(x->Dtype).arg(x->blnNumber), "loaded");
        QCOMPARE(x->Caption + QLatin1Char('|') + x->strnote, QStringLiteral("x|") + note.trimmed());
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
        QCOMPARE(Snapshot(fm), QStringList(QStringLiteral("H|0")));  // no column, no title, no help id
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
        QVERIFY(Saved(fm) && !fm.LastSaveRefused());
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
        const QStringList stored = db.Dump(5);
        fm.SetReportHelpID(9);

        clsRecordingPrompt prompt;
        QVERIFY(Saved(fm) && fm.LastSaveRefused());
        QCOMPARE(prompt.Shown(), clsRecordingPrompt::Refusal(QStringLiteral("保存失败！报表列名空列必须有对应的字段名或列间表达式...")));
        QCOMPARE(db.Dump(5), stored);

        // An inter-column expression is enough.
        fm.FindCol(QStringLiteral("空列"))->StrCondition = QStringLiteral("[a]*2");
        prompt.Clear();
        QVERIFY(Saved(fm) && !fm.LastSaveRefused());
        QVERIFY(prompt.messages.isEmpty());
        QCOMPARE(db.Scalar(QStringLiteral("select OrderEx from Rpt_FldDEF where ModeEx=22 and ID=5")).toInt(), 9);
        QCOMPARE(db.Count(QStringLiteral("ModeEx=0 and ID=5 and TopEx=1")), 1);
    }

    void failingStatementStopsAndReports_data()
    {
        Columns<QString, bool, QString, QString>("backend", "load", "failing", "routine");
        const QString ins = QStringLiteral("Rpt_FldDEF (ID,ModeEx,");   // the write, Insert or Copy
        clsTestDatabase::RowPerBackend("read", true, QStringLiteral("Select * From Rpt_FldDEF"), "AddColsObjec()");
        clsTestDatabase::RowPerBackend("delete", false, QStringLiteral("Delete From Rpt_FldDEF"), "AddNewColToDatabase() ");
        clsTestDatabase::RowPerBackend("insert column", false, ins + QStringLiteral("Name,OrderEx,"), "SaveNewColProperty() ");
        clsTestDatabase::RowPerBackend("insert title", false, ins + QStringLiteral("Name,nameForeign,TopEx"), "SaveProperty() ");
        clsTestDatabase::RowPerBackend("insert group", false, ins + QStringLiteral("Name,nameForeign,OrderEx,iSize"), "SaveGroupProperty() ");
        clsTestDatabase::RowPerBackend("insert sum", false, ins + QStringLiteral("Name,nameForeign,OrderEx)"), "SaveSumProperty() ");
        clsTestDatabase::RowPerBackend("help id write", false, ins + QStringLiteral("OrderEx)"), "SaveReportHelpid() ");
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
        QString last;
        c.SetStatementHook([&](const QString& sql) {
            last = sql;
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
        QCOMPARE(prompt.Shown(), QStringList(QStringLiteral("格式!注入的故障\r\n错误位于模块：clsFieldsManager.") + routine));
        QVERIFY(last.contains(failing));  // nothing runs after the failing statement
    }

    // The property window's edits on a column ("列 name") or a title ("标题 name").
    void setProperty_data()
    {
        Columns<QString, QString, QString, bool, QString, bool, QString>("object", "prop", "value", "accepted", "message",
                                                                        "changed", "readBack");
        const QString none;
        QTest::newRow("name empty") << "列 金额" << "列名" << "  " << false << "列名必须输入..." << false << "金额";
        QTest::newRow("name of another, other case") << "列 金额" << "列名" << "AMT" << false << "列名不能重复..." << false << "金额";
        QTest::newRow("own name with blanks") << "列 金额" << "列名" << " 金额 " << true << none << false << "金额";
        QTest::newRow("own name, other case") << "列 Amt" << "列名" << "AMT" << true << none << true << "AMT";
        QTest::newRow("group without field") << "列 计算" << "分组" << "分组" << false << "当前列不可分组..." << false << "不能分组";
        QTest::newRow("sum on text column") << "列 摘要" << "合计" << "汇总" << false << "只有数值列才能设置合计属性..." << false << "不汇总";
        QTest::newRow("sum unknown text") << "列 金额" << "合计" << "平均" << false << none << false << "不汇总";
        QTest::newRow("field used elsewhere") << "列 计算" << "字段" << " JE " << false << "列（金额）中设置了相同的字段...1" << false << "";
        QTest::newRow("width mm") << "列 金额" << "列宽" << "18" << true << none << true << "18.00";
        QTest::newRow("width not a number") << "列 金额" << "列宽" << "abc" << false << none << false << "18.00";
        QTest::newRow("column number moves it, titles and all") << "列 金额" << "列号" << "3" << true << none << true << "3";
        QTest::newRow("column number beyond the last") << "列 摘要" << "列号" << "9" << true << none << true << "4";
        QTest::newRow("width zero") << "列 金额" << "列宽" << "0" << false << "列宽必须大于0..." << false << "18.00";
        QTest::newRow("expression clears grouping") << "列 金额" << "列间表达式" << " [a]+1 " << true << none << true << "[a]+1";
        QTest::newRow("unknown property") << "列 金额" << "颜色" << "红" << false << none << false << "";
        QTest::newRow("unknown column") << "列 无此列" << "列名" << "x" << false << none << false << "";
        QTest::newRow("title name empty") << "标题  month " << "名称" << " " << false << "必须输入标题名..." << false << "Month";
        QTest::newRow("title name of another, other case") << "标题  month " << "名称" << "ytd" << false << "列标题名称不能重复..." << false << "Month";
        QTest::newRow("title own name") << "标题  month " << "名称" << " Month " << true << none << false << "Month";
        QTest::newRow("title rename") << "标题  month " << "名称" << " 本月 " << true << none << true << "本月";
        QTest::newRow("title top") << "标题  month " << "顶（行）" << "2" << true << none << true << "2";
        QTest::newRow("title left not a number") << "标题  month " << "左（列）" << "x" << false << none << false << "1";
        QTest::newRow("title height same") << "标题  month " << "高（行数）" << "1" << true << none << false << "1";
        QTest::newRow("title unknown") << "标题  month " << "颜色" << "红" << false << none << false << "";
    }
    void setProperty()
    {
        QFETCH(QString, object);
        QFETCH(QString, prop);
        QFETCH(QString, value);
        QFETCH(bool, accepted);
        QFETCH(QString, message);
        clsDocument doc;
        clsFieldsManager fm;
        Fill(fm);
        clsCanvasFixture::AddTitle(fm, QStringLiteral("Month"), 1);
        clsCanvasFixture::AddTitle(fm, QStringLiteral("YTD"), 1);
        const QStringList before = Snapshot(fm);
        clsRecordingPrompt prompt;
        const bool title = object.startsWith(QStringLiteral("标题"));
        QString name = object.mid(object.indexOf(QLatin1Char(' ')) + 1);
        QCOMPARE(title ? fm.SetTitleProperty(name, prop, value) : fm.SetColProperty(name, prop, value), accepted);
        QTEST(doc.DocChanged(), "changed");
        QCOMPARE(prompt.Shown(), clsRecordingPrompt::Refusal(message));
        if (!accepted)
            QCOMPARE(Snapshot(fm), before);
        QString read;
        if (title)
            fm.ReadTitleProperty(name, prop, read);
        else
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
        QCOMPARE(fm->Cols.size(), size_t(2));
        QCOMPARE(fm->ReportHelpID(), 4);

        QString name = QStringLiteral("金额");
        QVERIFY(fm->SetColProperty(name, QStringLiteral("列标题"), QStringLiteral("本期金额")) && doc.DocChanged());
        fm->SetReportHelpID(8);
        doc.SaveReportFormat();
        QVERIFY(doc.LastSaveWritten() && !doc.DocChanged());
        QCOMPARE(db.Scalar(QStringLiteral("select OrderEx from Rpt_FldDEF where ModeEx=22 and ID=30")).toInt(), 8);
        QCOMPARE(db.Count(QStringLiteral("ModeEx=5 and ID=30")), 2);
        QVERIFY(prompt.messages.isEmpty());
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
        fm.FindCol(QStringLiteral("back"))->BlnEnable = true;
        clsRepcol* added = clsCanvasFixture::AddCol(fm, fm.NewColName(), 1000, true, true, 0);
        added->Col = 0;
        added->Expression = QStringLiteral("x");
        QVERIFY(Saved(fm));
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
        std::tie(hidden.width, hidden.visible) = std::tuple(1200, 0);
        InsertCol(c, 1, hidden);
        Doc env(c);
        clsFieldsManager fm;
        Load(fm, 1);
        // None for the disabled column.
        QCOMPARE(Grids(fm), QStringList({QStringLiteral("a 1,1,1,1 col 1 cx 1000 a 1"),
                                         QStringLiteral("b 1,2,1,1 col 2 cx 1200 b 0")}));

        // Stored titles are linked to the columns under them.
        InsertCol(c, 2, QStringLiteral("c1"), 1, 1000);
        InsertCol(c, 2, QStringLiteral("c2"), 2, 1500);
        InsertCol(c, 2, QStringLiteral("c3"), 3, 800);
        InsertTitle(c, 2, QStringLiteral("合计"), QString(), 1, 1, 2, 1);  // over c1 and c2
        InsertTitle(c, 2, QStringLiteral("本月"), QStringLiteral("This month"), 2, 1, 1, 1, 0);
        InsertTitle(c, 2, QStringLiteral("累计"), QStringLiteral("YTD"), 2, 2, 1, 1);
        clsFieldsManager linked;
        Load(linked, 2);
        // An empty foreign caption loads as the name, a title over two columns names none, a
        // stored title shows as its column does; c3 has no title ending in row 2, so one is
        // created over rows 1-2.
        QCOMPARE(Grids(linked), QStringList({QStringLiteral("c3 1,3,1,2 col 3 cx 800 c3 1"),
                                             QStringLiteral("合计 1,1,2,1 col 0 cx 2500 合计 1"),
                                             QStringLiteral("本月 2,1,1,1 col 1 cx 1000 This month 1"),
                                             QStringLiteral("累计 2,2,1,1 col 2 cx 1500 YTD 1")}));
    }

    void saveFillsForeignCaption_data()
    {
        Columns<QString, QString, QString, QString>("backend", "name", "foreign", "stored");
        clsTestDatabase::RowPerBackend("after underscore", "收入_Income", "", "Income");
        clsTestDatabase::RowPerBackend("nothing after underscore", "收入_ ", "", "收入");
        clsTestDatabase::RowPerBackend("caption kept", "收入_Income", "Revenue", "Revenue");
        clsTestDatabase::RowPerBackend("quotes", "O'x_It's", "", "It's");
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
        QVERIFY(Saved(fm));
        QCOMPARE(t->nameForeign, stored);
        QCOMPARE(db.Scalar(QStringLiteral("select nameForeign from Rpt_FldDEF where ModeEx=5 and ID=3")).toString(), stored);
        QCOMPARE(db.Scalar(QStringLiteral("select Name from Rpt_FldDEF where ModeEx=5 and ID=3")).toString(), name);
    }

    void levelCheck_data()
    {
        Columns<QString, bool>("backend", "refused");
        clsTestDatabase::RowPerBackend("five levels", false);
        clsTestDatabase::RowPerBackend("six levels", true);
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
        const QStringList stored = db.Dump(4);
        fm.SetReportHelpID(6);
        clsRecordingPrompt prompt;
        QCOMPARE(fm.CheckTitleLevels(), !refused);
        prompt.Clear();
        QVERIFY(Saved(fm));
        QCOMPARE(fm.LastSaveRefused(), refused);
        QCOMPARE(prompt.Shown(), clsRecordingPrompt::Refusal(refused ? QStringLiteral("标题的逻辑层次超过五层，系统最大只支持五层复合标题的定义...")
                                                : QString()));
        if (refused)
            QCOMPARE(db.Dump(4), stored);
        else
            QCOMPARE(db.Scalar(QStringLiteral("select OrderEx from Rpt_FldDEF where ModeEx=22 and ID=4")).toInt(), 6);
    }

    // Group rows (ModeEx 3) and sum rows (ModeEx 4): what a column's flags write and what
    // a load gives back.
    void groupRows_data()
    {
        // row: the stored OrderEx and iSize, or nothing; loaded: group, subtotal, running, order
        Columns<QString, int, bool, bool, QString, QString>("backend", "group", "subtotal", "running", "row", "loaded");
        clsTestDatabase::RowPerBackend("grouped with subtotal", 2, true, false, "OrderEx=-1 and iSize=0", "2 1 0 1");
        clsTestDatabase::RowPerBackend("grouped with running total", 2, false, true, "OrderEx=0 and iSize=1", "2 0 1 1");
        clsTestDatabase::RowPerBackend("not groupable with field", 0, false, false, "OrderEx=-2 and iSize=0", "0 0 0 1");
        clsTestDatabase::RowPerBackend("not groupable keeps running flag", 0, false, true, "OrderEx=-2 and iSize=1", "0 0 1 1");
        clsTestDatabase::RowPerBackend("groupable, not grouped", 1, true, false, "", "1 0 0 0");
    }
    void groupRows()
    {
        QXRF_OPEN_DB(db);
        QFETCH(int, group);
        QFETCH(bool, subtotal);
        QFETCH(bool, running);
        QFETCH(QString, row);
        clsConnection& c = db.Conn();
        InsertCol(c, 8, Col(QStringLiteral("客'户"), 1));
        ColRow computed = Col(QStringLiteral("计算"), 2, 0, QString());  // no field: never has a group row
        computed.condition = QStringLiteral("[a]");
        InsertCol(c, 8, computed);
        Doc env(c);
        clsFieldsManager fm;
        Load(fm, 8);
        clsRepcol* col = fm.FindCol(QStringLiteral("客'户"));
        QCOMPARE(col->TpyGroup, 1);  // a column with a field can be grouped
        col->TpyGroup = group;
        col->BlnGroupSum = subtotal;
        col->BlnGroupAccount = running;
        QVERIFY(Saved(fm));
        QCOMPARE(db.Count(QStringLiteral("ModeEx=3 and ID=8")), row.isEmpty() ? 0 : 1);
        if (!row.isEmpty())
            QCOMPARE(db.Count(QStringLiteral("ModeEx=3 and ID=8 and nameForeign=Name and ") + row), 1);
        clsFieldsManager again;
        Load(again, 8);
        const clsRepcol* back = again.FindCol(QStringLiteral("客'户"));
        QTEST(QStringLiteral("%1 %2 %3 %4").arg(back->TpyGroup).arg(back->BlnGroupSum).arg(back->BlnGroupAccount)
                  .arg(back->TpyOrder), "loaded");
        QCOMPARE(again.FindCol(QStringLiteral("计算"))->TpyGroup, 0);
    }

    void sumRows_data()
    {
        Columns<QString, int, int, int, int, bool>("backend", "dtype", "sum", "rows", "loadedSum", "loadedNumber");
        clsTestDatabase::RowPerBackend("numeric, default", 0, -1, 1, -1, true);
        clsTestDatabase::RowPerBackend("numeric, sum", 0, 0, 1, 0, true);
        clsTestDatabase::RowPerBackend("numeric, balance scheme", 0, 2, 1, 2, true);
        clsTestDatabase::RowPerBackend("text column with a sum", 1, 0, 0, -1, false);
        clsTestDatabase::RowPerBackend("date column", 2, 1, 0, -1, false);
    }
    void sumRows()
    {
        QXRF_OPEN_DB(db);
        QFETCH(int, dtype);
        QFETCH(int, sum);
        ColRow r = Col(QStringLiteral("金'额"), 1);
        r.dtype = dtype;
        InsertCol(db.Conn(), 9, r);
        Doc env(db.Conn());
        clsFieldsManager fm;
        Load(fm, 9);
        clsRepcol* col = fm.Cols.front().get();
        QCOMPARE(col->lngSum, -1);
        col->lngSum = sum;
        col->CaptionForeign = QStringLiteral("Amo'unt");
        QVERIFY(Saved(fm));
        QTEST(db.Count(QStringLiteral("ModeEx=4 and ID=9")), "rows");
        if (dtype == 0) {
            QCOMPARE(db.Scalar(QStringLiteral("select OrderEx from Rpt_FldDEF where ModeEx=4 and ID=9")).toInt(), sum);
            QCOMPARE(db.Scalar(QStringLiteral("select nameForeign from Rpt_FldDEF where ModeEx=4 and ID=9")).toString(),
                     QStringLiteral("Amo'unt"));
        }
        clsFieldsManager again;
        Load(again, 9);
        QTEST(again.Cols.front()->lngSum, "loadedSum");
        QTEST(again.Cols.front()->blnNumber, "loadedNumber");
    }

    void rowsOfUnknownColumnsAreIgnored_data() { clsTestDatabase::AddBackendRows(); }
    void rowsOfUnknownColumnsAreIgnored()
    {
        QXRF_OPEN_DB(db);
        clsConnection& c = db.Conn();
        InsertCol(c, 10, QStringLiteral("Amt"), 1);
        InsertGroup(c, 10, QStringLiteral("gone"), -1, 1);
        InsertSum(c, 10, QStringLiteral("gone"), 2);
        InsertGroup(c, 10, QStringLiteral("AMT"), -1, 0);  // names compare without case
        InsertSum(c, 10, QStringLiteral("amt"), 0);
        Doc env(c);
        clsRecordingPrompt prompt;
        clsFieldsManager fm;
        Load(fm, 10);
        QCOMPARE(fm.Cols.size(), size_t(1));
        const clsRepcol& col = *fm.Cols.front();
        QCOMPARE(QStringLiteral("%1 %2 %3 %4").arg(col.TpyGroup).arg(col.BlnGroupSum).arg(col.BlnGroupAccount).arg(col.lngSum),
                 QStringLiteral("2 1 0 0"));
        QVERIFY(prompt.messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_clsFieldsManager)
#include "tst_clsFieldsManager.moc"
