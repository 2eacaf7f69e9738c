#include "document/clsDefinitionStore.h"
#include "document/clsDocument.h"
#include "document/clsFormatCheck.h"
#include "document/clsFormatStore.h"
#include "document/clsFormatTransfer.h"
#include "ranges/clsRangeManager.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <random>

using Plant = std::function<void(clsFormatSnapshot&)>;
Q_DECLARE_METATYPE(Plant)

namespace {
const QString kGL = QStringLiteral("GL");
const QString kBalance = QStringLiteral("科目余额表");

clsFormatRow& Row(clsFormatSnapshot& s, qint32 kind, const QString& name)
{
    for (clsFormatRow& r : s.Rows)
        if (r.ModeEx == kind && r.Text(FldColumn::Name) == name)
            return r;
    qFatal("no row %d %s", kind, qPrintable(name));
}

Plant Set(qint32 kind, const QString& name, FldColumn column, const QVariant& value)
{
    return [=](clsFormatSnapshot& s) { Row(s, kind, name).Set(column, value); };
}

// Replaces the titles by a stack of `levels` rows: one title across every enabled
// column on each upper row, and one title per column on the last.
void StackTitles(clsFormatSnapshot& s, int levels)
{
    std::vector<clsFormatRow> rows;
    QStringList enabled;
    for (const clsFormatRow& r : s.Rows) {
        if (r.ModeEx == FormatKind::Column && r.Long(FldColumn::TopEx) != 1)
            enabled << r.Text(FldColumn::Name);
        if (r.ModeEx != FormatKind::Title)
            rows.push_back(r);
    }
    const auto title = [&](const QString& name, int top, int left, int width) {
        clsFormatRow t(FormatKind::Title);
        t.Set(FldColumn::Name, name).Set(FldColumn::nameForeign, name).Set(FldColumn::TopEx, top)
            .Set(FldColumn::LeftEx, left).Set(FldColumn::Width, width).Set(FldColumn::Height, 1).Set(FldColumn::Visible, 1);
        rows.push_back(t);
    };
    for (int level = 1; level < levels; ++level)
        title(QStringLiteral("第%1层").arg(level), level, 1, int(enabled.size()));
    for (int c = 0; c < enabled.size(); ++c)
        title(enabled[c], levels, c + 1, 1);
    s.Rows = rows;
}

// Everything a database holds of the formats, to see that a refused import wrote nothing.
QString Fingerprint(clsTestDatabase& db)
{
    QStringList parts;
    for (const char* table : {"Rpt_GlbDEF", "Rpt_FldDEF", "Rpt_FltDEF"})
        parts << db.Scalar(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))).toString();
    parts << db.Scalar(QStringLiteral("select sum(Cols) from Rpt_GlbDEF")).toString();
    for (const clsFormatTransfer::ReportEntry& r : clsFormatTransfer::ListReports(db.Conn()))
        parts << clsFormatTransfer::ReadReport(db.Conn(), r.ID).ToJson();
    return parts.join(QLatin1Char('\n'));
}

// A report whose texts hold quotes, backslashes and Chinese, under five title levels.
clsFormatSnapshot Awkward(clsConnection& conn)
{
    clsFormatSnapshot s = clsFormatTransfer::ReadReport(conn, clsFormatTransfer::FindReport(conn, kBalance, kGL));
    s.Report.Name = QStringLiteral("引号'与\"双引号\"的表");
    s.Report.Note = QStringLiteral("  说明：'单' \"双\" \\ 反斜杠  ");
    Row(s, FormatKind::Label, QStringLiteral("金额单位")).Set(FldColumn::Expression, QStringLiteral("金额单位：'元' \"人民币\""));
    StackTitles(s, 5);
    return s;
}
}

class tst_formatTransfer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        for (const QString& from : clsTestDatabase::Backends())
            for (const QString& to : clsTestDatabase::Backends())
                QTest::newRow(qPrintable(from + QStringLiteral(" to ") + to)) << from << to;
    }
    void roundTrip()
    {
        // Every report of the source, the demo ones and an awkward one, copied into
        // another database: the target's exports are byte for byte the source's, and the
        // target numbers the reports itself (a replacing import: importIntoExistingName).
        // Each is then opened and saved in the source.
        QFETCH(QString, from);
        QFETCH(QString, to);
        clsTestDatabase source(from, true, true);
        QXRF_REQUIRE_DB(source);
        clsTestDatabase target(to, true, false);
        QXRF_REQUIRE_DB(target);
        target.Conn().Execute(QStringLiteral("Insert into Rpt_GlbDEF (ID,Name,SystemID,Type,Cols) values (40,'先有的表','ZZ',1,0)"));
        QString error;
        QVERIFY2(clsFormatTransfer::Import(source.Conn(), Awkward(source.Conn()), {}, error) > 0, qPrintable(error));

        QList<qint32> ids;
        clsRecordingPrompt prompt;
        for (const clsFormatTransfer::ReportEntry& r : clsFormatTransfer::ListReports(source.Conn())) {
            const QString json = clsFormatTransfer::ReadReport(source.Conn(), r.ID).ToJson();
            const qint32 id = clsFormatTransfer::CopyReport(source.Conn(), target.Conn(), r.ID, false, error);
            QVERIFY2(id > 40, qPrintable(error));
            ids << id;
            QCOMPARE(clsFormatTransfer::ReadReport(target.Conn(), id).ToJson(), json);
            // The export of an open document is what its save writes.
            clsDocument doc;
            if (!doc.OpenDocument(&source.Conn(), r.Name, r.SystemID, QStringLiteral("op")))
                continue;   // no column list yet
            doc.RangeManager()->DrawAllObjects();
            clsFormatSnapshot exported;
            QVERIFY2(clsFormatTransfer::SnapshotOfDocument(doc, exported, error), qPrintable(error));
            doc.SaveReportFormat();
            QVERIFY(doc.LastSaveWritten());
            QCOMPARE(exported.ToJson(), clsFormatTransfer::ReadReport(source.Conn(), r.ID).ToJson());
        }
        QCOMPARE(prompt.messages.size(), 1);   // the report without a column list
        std::sort(ids.begin(), ids.end());
        QCOMPARE(ids, (QList<qint32>{41, 42, 43, 44, 45, 46}));
    }

    void malformedFile_data()
    {
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<QString>("problem");
        QTest::newRow("not JSON") << QByteArray(R"({"ModeEx": 26,)") << QStringLiteral("JSON 格式错误");
        QTest::newRow("not UTF-8") << QByteArray("{\"ModeEx\": 26, \"Name\": \"\xff\"}") << QStringLiteral("不是 UTF-8 编码的文本");
        QTest::newRow("unknown kind") << QByteArray(R"({"ModeEx": 9})") << QStringLiteral("$.rows[0].ModeEx：未知的对象类别 9");
        QTest::newRow("unknown column") << QByteArray(R"({"ModeEx": 26, "Colour": 1})") << QStringLiteral("$.rows[0].Colour：未知的列");
        QTest::newRow("text for a number") << QByteArray(R"({"ModeEx": 26, "Width": "宽"})") << QStringLiteral("$.rows[0].Width：应为整数");
        QTest::newRow("out of range") << QByteArray(R"({"ModeEx": 25, "Height": 3000000000})") << QStringLiteral("$.rows[0].Height：数值超出范围");
        QTest::newRow("second print row") << QByteArray(R"({"ModeEx": 27, "OrderEx": 1}, {"ModeEx": 27, "OrderEx": 1})") << QStringLiteral("$.rows[1].ModeEx：每个报表只能有一行 ModeEx 27");
        QTest::newRow("no rows") << QByteArray() << QStringLiteral("$.rows：缺少该项");
    }
    void malformedFile()
    {
        // Each gives its place and problem after the file's name, and nothing is written.
        QFETCH(QByteArray, rows);
        QFETCH(QString, problem);
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        QVERIFY(db.Ready());
        const QByteArray text = R"({"format": 1, "report": {"Name": "新报表", "SystemID": "GL"})"
                                + (rows.isNull() ? QByteArray() : R"(, "rows": [)" + rows + "]") + "}";
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("格式.json"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.flush());
        const QString before = Fingerprint(db);
        clsFormatSnapshot snapshot;
        QString error;
        QCOMPARE(clsFormatTransfer::ImportFile(db.Conn(), path, {}, snapshot, error), -1);
        QVERIFY2(error.startsWith(QStringLiteral("文件 ") + path + QStringLiteral("：")), qPrintable(error));
        QVERIFY2(error.contains(problem), qPrintable(error));
        QCOMPARE(Fingerprint(db), before);
    }

    void importIntoExistingName_data()
    {
        clsTestDatabase::AddBackendColumn();
        QTest::addColumn<QString>("as");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QString>("setup");   // "locked": a save holds the lock; "fault": the filter rows' write fails
        QTest::addColumn<QString>("refusal");
        for (const QString& b : clsTestDatabase::Backends()) {
            const auto row = [&](const char* name) { return &clsTestDatabase::NewRow(b, QLatin1String(name)); };
            *row("name taken") << kBalance << false << "" << QStringLiteral("已经存在");
            *row("replaced") << kBalance << true << "" << QString();
            *row("save lock held") << kBalance << true << "locked" << QStringLiteral("正在被保存");
            *row("new name") << QStringLiteral("科目余额表（副本）") << false << "" << QString();
            *row("fault while replacing") << kBalance << true << "fault" << QStringLiteral("注入的故障");
        }
    }
    void importIntoExistingName()
    {
        QFETCH(QString, as);
        QFETCH(bool, replace);
        QFETCH(QString, setup);
        QFETCH(QString, refusal);
        QXRF_OPEN_DB(db, true, true);
        const qint32 balance = clsFormatTransfer::FindReport(db.Conn(), kBalance, kGL);
        clsFormatSnapshot changed = clsFormatTransfer::ReadReport(db.Conn(), balance);
        Row(changed, FormatKind::Label, QStringLiteral("金额单位")).Set(FldColumn::Expression, QStringLiteral("金额单位：万元"));
        changed.Filters.pop_back();
        if (setup == QLatin1String("locked"))
            db.Conn().Execute(QStringLiteral("Update Rpt_GlbDEF Set Cols = 1 Where ID = ?"), {balance});
        if (setup == QLatin1String("fault"))
            db.Conn().SetStatementHook([](const QString& sql) {
                if (sql.contains(QLatin1String("Rpt_FltDEF (")))   // the write, Insert or Copy
                    throw clsDatabaseError(QStringLiteral("注入的故障"));
            });
        const QString before = Fingerprint(db);
        QString error;
        const qint32 id = clsFormatTransfer::Import(db.Conn(), changed, {as, QString(), replace}, error);
        db.Conn().SetStatementHook({});
        if (!refusal.isEmpty()) {
            QCOMPARE(id, -1);
            QVERIFY2(error.contains(refusal), qPrintable(error));
            QCOMPARE(Fingerprint(db), before);
            return;
        }
        QVERIFY2(id > 0, qPrintable(error));
        QCOMPARE(id == balance, as == kBalance);   // a replaced report keeps its ID
        changed.Report.Name = as;
        QCOMPARE(clsFormatTransfer::ReadReport(db.Conn(), id).ToJson(), changed.ToJson());
        QCOMPARE(db.Scalar(QStringLiteral("select count(*) from Rpt_GlbDEF where Cols <> 0")).toInt(), 0);
    }

    void check_data()
    {
        QTest::addColumn<QList<Plant>>("plants");
        QTest::addColumn<QStringList>("lines");
        const qint32 col = FormatKind::Column, label = FormatKind::Label, title = FormatKind::Title;
        // A problem's line: the report (GL/检查), the object, what is wrong.
        const auto at = [](const QString& object, const QString& problem) { return QStringLiteral("GL/检查\t") + object + QLatin1Char('\t') + problem; };
        const auto row = [](const char* name, const QList<Plant>& plants, const QStringList& lines) {
            QTest::newRow(name) << plants << lines;
        };
        const auto stack = [](int levels) { return Plant([=](clsFormatSnapshot& s) { StackTitles(s, levels); }); };
        row("as it is, five title levels", {stack(5)}, {});
        row("six title levels", {stack(6)}, {at("标题", "标题的逻辑层次超过五层，系统最大只支持五层复合标题的定义...")});
        row("column without source", {Set(col, "科目名称", FldColumn::Expression, QString())},
            {at("列 科目名称", "保存失败！报表列名科目名称必须有对应的字段名或列间表达式...")});
        row("column expression", {Set(col, "期末借方", FldColumn::Condition, "[期初借方]+*[本期借方]"), Set(col, "期末贷方", FldColumn::Condition, "[无此列]+1")},
            {at("列 期末借方", "表达式输入错误:[期初借方]+*"), at("列 期末贷方", "表达式中定义的列名：无此列 不在报表列集合中")});
        row("label expression", {Set(label, "金额单位", FldColumn::Note, "表达式;;"), Set(label, "金额单位", FldColumn::Expression, "[编制单位]&[无此标签]")},
            {at("标签 金额单位", "表达式中定义的标签名：无此标签 不在报表标签集合中")});
        row("formula", {Set(label, "编制单位", FldColumn::Expression, "GetCompanyName()+1")},
            {at("标签 编制单位", "非法公式,只能指定一个公式，请去掉公式后的内容...")});
        row("formula outside its ranges", {Set(label, "页码", FldColumn::nameForeign, "脚注区域")},
            {at("标签 页码", "区域（脚注区域）中不能设置该标签公式...")});
        row("label range missing or the body", {Set(label, "金额单位", FldColumn::nameForeign, "正文区域"), Set(label, "会计期间", FldColumn::nameForeign, "无此区域")},
            {at("标签 会计期间", "所属区域（无此区域）不存在..."), at("标签 金额单位", "正文区域中不能画标签对象...")});
        row("names", {Set(label, "会计期间", FldColumn::Name, "编制单位"), Set(col, "科目名称", FldColumn::Name, "科目编码"),
                     Set(title, "期初借方", FldColumn::Name, "期初余额")},
            {at("列 科目编码", "列名不能重复..."), at("标题 期初余额", "列标题名称不能重复..."), at("标签 编制单位", "标签名称重复...")});
        row("overlaps", {Set(label, "会计期间", FldColumn::LeftEx, 4000), Set(title, "期初余额", FldColumn::Width, 3)},
            {at("标题 本期发生", "标题（本期发生）与标题（期初余额）重叠..."), at("标签 会计期间", "标签（会计期间）与标签（编制单位）重叠...")});
    }
    void check()
    {
        // A copy of a clean report with problems planted gives exactly their lines, in
        // the words the designer would have shown.
        QFETCH(QList<Plant>, plants);
        QFETCH(QStringList, lines);
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        QVERIFY(db.Ready());
        clsFormatSnapshot s = clsFormatTransfer::ReadReport(db.Conn(), clsFormatTransfer::FindReport(db.Conn(), kBalance, kGL));
        s.Report.Name = QStringLiteral("检查");
        for (const Plant& plant : plants)
            plant(s);
        QString error;
        const qint32 id = clsFormatTransfer::Import(db.Conn(), s, {}, error);
        QVERIFY2(id > 0, qPrintable(error));
        const QString before = Fingerprint(db);
        clsRecordingPrompt prompt;
        clsFormatCheck check(db.Conn());
        std::vector<clsFormatCheck::Problem> problems;
        QCOMPARE(check.CheckReport(id, problems), clsFormatCheck::Outcome::Checked);
        QStringList found;
        for (const clsFormatCheck::Problem& p : problems)
            found << clsFormatCheck::Line(p);
        QCOMPARE(found, lines);
        QVERIFY(prompt.messages.isEmpty());
        QCOMPARE(Fingerprint(db), before);
    }

    void commandLine_data()
    {
        QTest::addColumn<QList<QStringList>>("steps");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QStringList>("same");
        const auto row = [](const char* name, const QList<QStringList>& steps, int status, const QString& said, const QStringList& same = {}) {
            QTest::newRow(name) << steps << status << said << same;
        };
        const QStringList exportA{"export", "--report", kBalance, "--out", "{dir}/a.json"};
        row("export, replace, export", {exportA, {"import", "--in", "{dir}/a.json", "--replace"}, {"export", "--report", kBalance, "--system", kGL, "--out", "{dir}/b.json"}},
            0, "已导出 GL/科目余额表", {"{dir}/a.json", "{dir}/b.json"});
        row("name taken", {exportA, {"import", "--in", "{dir}/a.json"}}, 1, "已经存在");
        row("import under another name", {exportA, {"import", "--in", "{dir}/a.json", "--as", "余额表二", "--system", "WA"}, {"export", "--report", "余额表二", "--system", "WA"}},
            0, "\"Name\": \"余额表二\"");
        row("check everything", {{"check"}}, 0, "已检查 4 个报表，发现 0 个问题；1 个报表还没有字段列表，未检查");
        row("copy and export everything", {{"copy", "--all", "--from-db", "{db}", "--to-db", "{dir}/copy.db"}, {"export", "--all", "--out", "{dir}/one"},
                                           {"export", "--all", "--db", "{dir}/copy.db", "--out", "{dir}/two"}},
            0, "已导出 5 个报表到 {dir}/two，失败 0 个", {"{dir}/one", "{dir}/two"});
        row("neither one nor all", {{"export"}}, 2, "--all");
    }
    // A format reads back in one order whatever order the database hands its rows out
    // in: ties, Null, and a text where a number belongs included.
    void readOrderIgnoresStoredOrder()
    {
        QRandomGenerator random(15);
        const qint32 kinds[] = {FormatKind::Column, FormatKind::Group, FormatKind::Sum, FormatKind::Title, FormatKind::Label};
        const QVariant numbers[] = {QVariant(), QVariant(qlonglong(1)), QVariant(qlonglong(2)), QVariant(QStringLiteral("y")),
                                    QVariant(QStringLiteral("x"))};
        const QVariant texts[] = {QVariant(), QVariant(QString()), QVariant(QStringLiteral("甲")), QVariant(QStringLiteral("乙"))};
        std::vector<clsFormatRow> rows;
        for (int i = 0; i < 300; ++i) {
            clsFormatRow& r = rows.emplace_back(kinds[random.bounded(5)]);
            for (int c = 0; c < kFldColumnCount; ++c)
                r.values[size_t(c)] = clsFormatRow::IsTextColumn(FldColumn(c)) ? texts[random.bounded(4)] : numbers[random.bounded(5)];
        }
        std::vector<clsFormatRow> first = rows;
        clsFormatStore::OrderAsRead(first);
        for (int round = 0; round < 5; ++round) {
            std::shuffle(rows.begin(), rows.end(), random);
            std::vector<clsFormatRow> again = rows;
            clsFormatStore::OrderAsRead(again);
            QVERIFY(again == first);
        }
    }

    void commandLine()
    {
        QFETCH(QList<QStringList>, steps);
        QFETCH(int, status);
        QFETCH(QString, said);
        QFETCH(QStringList, same);
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("demo.db"));
        QVERIFY(clsDefinitionStore::CreateSqliteFile(db, QStringLiteral("cli"), true).isEmpty());
        QSqlDatabase::database(QStringLiteral("cli"), false).close();
        QSqlDatabase::removeDatabase(QStringLiteral("cli"));
        const auto fill = [&](QStringList texts) {
            return texts.replaceInStrings(QStringLiteral("{dir}"), dir.path()).replaceInStrings(QStringLiteral("{db}"), db);
        };
        QProcess host;
        for (const QStringList& step : steps) {
            QStringList args = fill(step);
            if (!args.contains(QStringLiteral("--db")) && args.first() != QLatin1String("copy"))
                args << QStringLiteral("--db") << db;
            host.start(QStringLiteral(QXRF_HOST_PROGRAM), args);
            QVERIFY(host.waitForFinished(60000));
        }
        const QString output = QString::fromUtf8(host.readAllStandardOutput() + host.readAllStandardError());
        QVERIFY2(output.contains(fill({said}).first()), qPrintable(output));
        QCOMPARE(host.exitCode(), status);
        if (same.isEmpty())
            return;
        // Files, or the files of a folder, by name.
        const auto read = [](const QString& path) {
            QStringList contents;
            const bool folder = QFileInfo(path).isDir();
            for (const QString& f : folder ? QDir(path).entryList(QDir::Files, QDir::Name) : QStringList{path}) {
                QFile file(folder ? QDir(path).filePath(f) : f);
                contents << (file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString());
            }
            return contents;
        };
        same = fill(same);
        const QStringList first = read(same[0]);
        QVERIFY(!first.isEmpty() && !first.first().isEmpty());
        QCOMPARE(read(same[1]), first);
    }
};

QTEST_GUILESS_MAIN(tst_formatTransfer)
#include "tst_formatTransfer.moc"
