#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "expressions/clsFunction.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include "clsCanvasFixture.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QtTest>

namespace {
constexpr auto OpenReport = &clsCanvasFixture::OpenHeadless;

void InsertLabel(clsConnection& c, int order, const QString& name, const QString& note, const QString& font)
{
    c.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,OrderEx,Name,nameForeign,FormatEx,Condition,iAlignStyle,"
                             "Note,iColSize,Expression,TopEx,LeftEx,Height,Width) values (-1,26,%1,'%2','标题区域',"
                             "'只显示','%3',1,'%4',3,'源',10,20,30,40)")
                  .arg(order).arg(SqlQuote(name), SqlQuote(font), SqlQuote(note)));
}

constexpr auto AddLabel = [](clsLabelManager& m, const QString& name, const QString& range) {
    return clsCanvasFixture::AddLabel(m, name, range);
};

bool SameLabel(const clsLabel& a, const clsLabel& b)
{
    return a.StrName == b.StrName && a.strRang == b.strRang && a.tpyFont == b.tpyFont && a.AlignStyle == b.AlignStyle
        && a.top == b.top && a.left == b.left && a.Height == b.Height && a.Width == b.Width
        && a.StrDispStyle == b.StrDispStyle && a.StrDataSouType == b.StrDataSouType && a.strSou == b.strSou
        && a.BlnEnable == b.BlnEnable && a.LngFirst == b.LngFirst && a.StrFormat == b.StrFormat
        && a.StrFuncGroup == b.StrFuncGroup && a.blnlimited == b.blnlimited;
}

// A document without database: the standard ranges with the page header shown, the
// default title label and a label "Abc" in the page header.
struct Fixture
{
    Fixture()
    {
        OpenReport(doc, nullptr);
        doc.RangeManager()->SetRangeVisible(QStringLiteral("页标题区域"), true);
        AddLabel(labels(), QStringLiteral("Abc"), QStringLiteral("页标题区域"));
        doc.SetDocChanged(false);
    }
    clsLabelManager& labels() { return *doc.LabelManager(); }
    clsLabel* title() { return labels().Labels.front().get(); }
    clsDocument doc;
};
}

class tst_clsLabelManager : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A new report has its title label; a second label has quotes in every text.
    void labelsRoundTrip_data() { clsTestDatabase::AddBackendRows(); }
    void labelsRoundTrip()
    {
        QXRF_OPEN_DB(db);
        clsDocument doc;
        OpenReport(doc, &db.Conn());
        clsLabelManager& m = *doc.LabelManager();
        QCOMPARE(int(m.Labels.size()), 1);
        QCOMPARE(m.Labels[0]->strSou, QStringLiteral("GetReportName()"));
        QVERIFY(!doc.DocChanged());
        clsLabel* l = AddLabel(m, QStringLiteral("O'名"), QStringLiteral("区'域"));
        std::tie(l->StrDispStyle, l->StrDataSouType, l->StrFormat, l->StrFuncGroup, l->strSou) = std::tuple(
            QStringLiteral("显'示"), QStringLiteral("SQL'查询"), QStringLiteral("0.00'"), QStringLiteral("组'别"),
            QStringLiteral("select 'a' from t where x=''"));
        l->tpyFont = clsFont{QStringLiteral("Arial'Uni"), 12, false, true, false, true, 700, 0};
        std::tie(l->AlignStyle, l->LngFirst, l->top, l->left, l->Width, l->Height) = std::tuple(3, 7, -5, 6, 700, 80);
        // Its range is hidden: the drawing has cleared BlnVisibled, the label must stay stored.
        l->BlnVisibled = false;

        bool ok = false;
        m.SaveReportLabels(-1, ok);
        QVERIFY(ok);
        QCOMPARE(db.Count(QStringLiteral("ModeEx = 26")), 2);
        QCOMPARE(db.Scalar(QStringLiteral("select OrderEx from Rpt_FldDEF where ModeEx = 26 and Name = 'O''名'")).toInt(), 2);
        QCOMPARE(db.Scalar(QStringLiteral("select Note from Rpt_FldDEF where ModeEx = 26 and OrderEx = 1")).toString(),
                 QStringLiteral("公式;;系统内置公式"));
        QCOMPARE(db.Scalar(QStringLiteral("select Condition from Rpt_FldDEF where ModeEx = 26 and OrderEx = 1")).toString(),
                 QStringLiteral("True,134,False,宋体,15,False,False,800"));

        clsLabelManager again;
        again.LoadReportLabels(-1, ok);
        QVERIFY(ok);
        QCOMPARE(int(again.Labels.size()), 2);
        QCOMPARE(again.Labels[1]->StrName, l->StrName);
        QVERIFY(SameLabel(*again.Labels[1], *l));  // every text, the font and the geometry
        QVERIFY(again.Labels[1]->BlnVisibled);
        QVERIFY(SameLabel(*again.Labels[0], *m.Labels[0]));
    }

    void noteSplit_data()
    {
        clsTestDatabase::AddBackendColumn();
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("group");
        for (const QString& b : clsTestDatabase::Backends()) {
            const auto row = [&](const char* name, const char* note, const char* kind, const char* format, const char* group) {
                clsTestDatabase::NewRow(b, QLatin1String(name)) << QString::fromUtf8(note) << QString::fromUtf8(kind)
                                                                << QString::fromUtf8(format) << QString::fromUtf8(group);
            };
            row("no separator", "SQL查询", "SQL查询", "", "");
            row("three parts", " 公式 ;0.00; 系统内置公式 ", "公式", "0.00", "系统内置公式");
            row("format keeps its tail", "文本;00 ;x;y", "文本", "00 ", "x;y");
        }
    }
    void noteSplit()
    {
        QXRF_OPEN_DB(db);
        QFETCH(QString, note);
        InsertLabel(db.Conn(), 1, QStringLiteral("L"), note, QStringLiteral("False,134,False,宋体,9,False,False,400"));
        clsDocument doc;
        OpenReport(doc, &db.Conn());
        const clsLabelManager& m = *doc.LabelManager();
        QCOMPARE(int(m.Labels.size()), 1);
        const clsLabel& l = *m.Labels[0];
        QFETCH(QString, kind);
        QFETCH(QString, format);
        QFETCH(QString, group);
        QCOMPARE((QStringList{l.StrDataSouType, l.StrFormat, l.StrFuncGroup, l.StrDispStyle, l.strSou}),
                 (QStringList{kind, format, group, QStringLiteral("只显示"), QStringLiteral("源")}));
        QCOMPARE(QList<qint32>({l.AlignStyle, l.LngFirst, l.top, l.left, l.Height, l.Width}),
                 QList<qint32>({1, 3, 10, 20, 30, 40}));
    }

    void fontText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");  // the font read back, as font text
        QTest::newRow("stored 10.5 rounds to even") << QStringLiteral("True,134,False,宋体,10.5,False,True,700")
                                                    << QStringLiteral("True,134,False,宋体,10,False,True,700");
        QTest::newRow("three pieces") << QStringLiteral("True,0,True") << QStringLiteral("True,0,True,宋体,9,False,False,400");
        QTest::newRow("empty") << QString() << QStringLiteral("False,134,False,宋体,9,False,False,400");
        QTest::newRow("bad pieces skipped") << QStringLiteral("yes,99999,1,黑体,big,-1,0,heavy")
                                            << QStringLiteral("False,134,True,黑体,9,True,False,400");
        QTest::newRow("blanks around pieces") << QStringLiteral("True , 134 , False , 楷体 , 12 , False , False , 700 ")
                                              << QStringLiteral("True,134,False,楷体,12,False,False,700");
    }
    void fontText()
    {
        QFETCH(QString, text);
        clsFont font;
        clsLabelManager::TextToFont(text, font);
        QTEST(clsLabelManager::FontToText(font), "expected");
    }

    // Only reading rounds the size; writing keeps the half point.
    void fontTextKeepsHalfPoints()
    {
        clsFont f;
        f.Size = 10.5;
        QCOMPARE(clsLabelManager::FontToText(f), QStringLiteral("False,134,False,宋体,10.5,False,False,400"));
    }

    void unreadableRowsAndFailingStatements()
    {
        clsTestDatabase db(QStringLiteral("sqlite"));
        QVERIFY(db.Ready());
        // SQLite keeps the text in an INTEGER column: the unreadable value is passed over.
        db.Conn().Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,OrderEx,Name,TopEx,LeftEx) "
                                         "values (-1,26,1,'坏行','abc',15)"));
        clsDocument doc;
        doc.m_AdoConn = &db.Conn();
        clsRecordingPrompt prompt;
        clsLabelManager m;
        bool ok = false;
        m.LoadReportLabels(-1, ok);
        QCOMPARE(int(m.Labels.size()), 1);
        const clsLabel& bad = *m.Labels[0];
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(bad.StrName).arg(bad.top).arg(bad.left), QStringLiteral("坏行 0 15"));

        db.Conn().SetStatementHook([](const QString& sql) {
            if (sql.startsWith(QLatin1String("Select")))
                throw clsDatabaseError(QStringLiteral("查询失败"));
        });
        m.LoadReportLabels(-1, ok);
        QCOMPARE(int(m.Labels.size()), 1);
        QCOMPARE(m.Labels[0]->StrName, QStringLiteral("报表标题"));
        QVERIFY(prompt.messages.isEmpty());

        // A failing save is reported; every label goes in the one insert that failed.
        AddLabel(m, QStringLiteral("后"), QStringLiteral("标题区域"));
        db.Conn().SetStatementHook([](const QString& sql) {
            if (sql.startsWith(QLatin1String("Insert")))
                throw clsDatabaseError(QStringLiteral("写入失败"));
        });
        ok = true;
        m.SaveReportLabels(-1, ok);
        QVERIFY(!ok);
        QCOMPARE(prompt.LastText(), QStringLiteral("写入失败\r\n错误位于模块：clsLabelManager.SaveReportLabels()"));
        QCOMPARE(db.Count(QStringLiteral("ModeEx = 26")), 0);
    }

    // An edit of the title label: refused (with its message, or silently) leaving the label
    // as it was, or accepted and read back as shown.
    void edit_data()
    {
        QTest::addColumn<QString>("prop");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("limited");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("shown");  // empty: refused
        QTest::addColumn<bool>("changed");
        const int excl = int(PromptIcon::Exclamation);
        const QString none;
        QTest::newRow("empty name") << "名称" << "   " << false << "必须有标签名称..." << excl << none << false;
        QTest::newRow("duplicate in other case") << "名称" << " ABC " << false << "标签名称重复..." << excl << none << false;
        QTest::newRow("limited label moved") << "所属区域" << "页标题区域" << true
                                             << "标签对象不能移动到其他区域，数据源有区域限制..." << excl << none << false;
        QTest::newRow("hidden target") << "所属区域" << "脚注区域" << false << "目标区域不可用..." << excl << none << false;
        QTest::newRow("body range") << "所属区域" << "正文区域" << false << "目标区域不可用..." << excl << none << false;
        QTest::newRow("row percentage") << "显示格式" << "行百分比" << false << "标签不支持该数据显示格式"
                                        << int(PromptIcon::Information) << none << false;
        QTest::newRow("non-numeric top") << "上边距" << "十八" << false << none << 0 << none << false;
        QTest::newRow("overflowing height") << "高度" << "2000000000" << false << none << 0 << none << false;
        QTest::newRow("unknown alignment") << "对齐方式" << "两端" << false << none << 0 << none << false;
        QTest::newRow("unknown property") << "颜色" << "红" << false << none << 0 << none << false;
        QTest::newRow("rename") << "名称" << " 主标题 " << false << none << 0 << "主标题" << true;
        QTest::newRow("own name with blanks") << "名称" << "  报表标题 " << false << none << 0 << "报表标题" << false;
        QTest::newRow("shown range") << "所属区域" << " 页标题区域" << false << none << 0 << "页标题区域" << true;
        QTest::newRow("top 18 mm") << "上边距" << "18" << false << none << 0 << "18.00" << true;
        QTest::newRow("picture format") << "显示格式" << " #,0.00 " << false << none << 0 << "#,0.00" << true;
        QTest::newRow("code in any case") << "显示格式" << "money" << false << none << 0 << "Z9存货单价显示格式" << true;
    }
    void edit()
    {
        QFETCH(QString, prop);
        QFETCH(QString, value);
        QFETCH(bool, limited);
        QFETCH(QString, message);
        QFETCH(QString, shown);
        Fixture f;
        clsLabel* title = f.title();
        title->StrFormat = QStringLiteral("0.00");
        title->blnlimited = limited;
        const clsLabel before = *title;
        clsRecordingPrompt prompt;
        QString name = QStringLiteral("报表标题");
        QCOMPARE(f.labels().EditLabelProperty(name, prop, value), !shown.isEmpty());
        QTEST(f.doc.DocChanged(), "changed");
        if (shown.isEmpty()) {
            QCOMPARE(name, QStringLiteral("报表标题"));
            QVERIFY(SameLabel(*title, before));
        } else {
            QCOMPARE(f.labels().GetLabelProperty(name, prop), shown);
        }
        QFETCH(int, icon);
        QCOMPARE(prompt.Shown(), clsRecordingPrompt::Refusal(message, icon == int(PromptIcon::Exclamation)));
    }

    void labelFunction_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("limitRange");
        QTest::addColumn<bool>("userDefined");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("page number in title range") << QStringLiteral("报表标题") << QStringLiteral("页眉区,页尾区") << false << false;
        QTest::newRow("page number in page header") << QStringLiteral("Abc") << QStringLiteral("页眉区,页尾区") << false << true;
        QTest::newRow("unlimited user formula") << QStringLiteral("报表标题") << QString() << true << true;
    }
    void labelFunction()
    {
        QFETCH(QString, label);
        QFETCH(QString, limitRange);
        QFETCH(bool, userDefined);
        QFETCH(bool, accepted);
        Fixture f;
        clsFunction func;
        std::tie(func.StrName, func.strLimitRange, func.LngFirst) = std::tuple(QStringLiteral("GetPageNo"), limitRange, 5);
        std::tie(func.blnlimited, func.blnUserDefine) = std::tuple(!limitRange.isEmpty(), userDefined);
        clsLabel* l = f.labels().FindLabel(label);
        const clsLabel before = *l;
        clsRecordingPrompt prompt;
        QCOMPARE(f.labels().SetLabelFunction(label, &func, QStringLiteral("GetPageNo()")), accepted);
        QCOMPARE(f.doc.DocChanged(), accepted);
        if (!accepted) {
            QCOMPARE(prompt.Shown(), clsRecordingPrompt::Refusal(QStringLiteral("区域（%1）中不能设置该标签公式...").arg(l->strRang)));
            QVERIFY(SameLabel(*l, before));
            return;
        }
        QVERIFY(prompt.messages.isEmpty());
        QCOMPARE(QStringLiteral("%1 %2 %3 %4").arg(l->strSou).arg(l->LngFirst).arg(l->blnlimited).arg(l->StrFuncGroup),
                 QStringLiteral("GetPageNo() 5 %1 %2").arg(func.blnlimited).arg(userDefined ? "自定义公式" : "系统内置公式"));
    }
};

QTEST_GUILESS_MAIN(tst_clsLabelManager)
#include "tst_clsLabelManager.moc"
