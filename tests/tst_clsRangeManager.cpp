#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "ranges/clsRangeManager.h"
#include "clsCanvasFixture.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QtTest>

namespace {
// Opens a report that has no catalogue row (ID -1): every manager exists and loads
// whatever rows the test inserted for ID -1.
void OpenReport(clsDocument& doc, clsConnection& conn)
{
    clsCanvasFixture::OpenHeadless(doc, &conn);
}

void InsertRange(clsConnection& c, int order, const QString& name, const QString& kind, const QString& display,
                 const QString& iColSize, const QString& group = QString(), int top = 0, int height = 1000)
{
    c.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,OrderEx,Name,nameForeign,FormatEx,Expression,iSize,"
                             "iColSize,iAlignStyle,TopEx,LeftEx,Width,Height) values (-1,25,%1,'%2','%3','%4','%5',30,"
                             "%6,400,%7,11,12000,%8)")
                  .arg(order).arg(SqlQuote(name), SqlQuote(group), SqlQuote(display), SqlQuote(kind), iColSize).arg(top).arg(height));
}

clsRange* AddLaidOut(clsRangeManager& m, const QString& name, qint32 top, qint32 height, bool visible = true)
{
    auto r = std::make_unique<clsRange>();
    std::tie(r->StrName, r->StrRangeType, r->top, r->Height) = std::tuple(name, QStringLiteral("标题区"), top, height);
    std::tie(r->blnVisible, r->blnLaidOut) = std::tuple(visible, true);
    m.Ranges.push_back(std::move(r));
    return m.Ranges.back().get();
}
}

class tst_clsRangeManager : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultRangesAndTheirSave_data() { clsTestDatabase::AddBackendRows(); }
    void defaultRangesAndTheirSave()
    {
        QXRF_OPEN_DB(db);
        clsDocument doc;
        OpenReport(doc, db.Conn());
        clsRangeManager& m = *doc.RangeManager();
        QCOMPARE(int(m.Ranges.size()), 5);
        QCOMPARE(db.Count(QStringLiteral("ModeEx = 25")), 0);  // defaults wait for a save
        QVERIFY(!doc.DocChanged());

        QVERIFY(m.AddNewRange(QStringLiteral("[分组]部门_标题"), QStringLiteral("分组标题区"), QStringLiteral("部门")));
        QVERIFY(m.AddNewRange(QStringLiteral("[分组]部门_脚注"), QStringLiteral("分组脚注区"), QStringLiteral("部门")));
        m.SetRangeVisible(QStringLiteral("[分组]部门_脚注"), true);
        bool ok = false;
        m.SaveRangeDefine(-1, ok);
        QVERIFY(ok);
        // Stored in their order. Hidden standard ranges are kept; the hidden group header
        // (the sixth) is not, and leaves no gap.
        QCOMPARE(db.Count(QStringLiteral("ModeEx = 25")), 6);
        for (int order = 1; order <= 6; ++order)
            QCOMPARE(db.Scalar(QStringLiteral("select Name from Rpt_FldDEF where ModeEx = 25 and OrderEx = %1").arg(order))
                         .toString(),
                     m.Ranges[size_t(order < 6 ? order - 1 : 6)]->StrName);
        QCOMPARE(db.Count(QStringLiteral("ModeEx = 25 and Name = '页标题区域' and FormatEx = '隐含'")), 1);
    }

    void loadedRowMapping_data()
    {
        clsTestDatabase::AddBackendColumn();
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("iColSize");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("pageBreak");
        for (const QString& b : clsTestDatabase::Backends()) {
            clsTestDatabase::NewRow(b, QStringLiteral("hidden")) << QStringLiteral("隐含") << QStringLiteral("1") << false << true;
            clsTestDatabase::NewRow(b, QStringLiteral("print only")) << QStringLiteral("只打印") << QStringLiteral("0") << true << false;
            clsTestDatabase::NewRow(b, QStringLiteral("null page break")) << QStringLiteral("只显示") << QStringLiteral("NULL") << true << false;
        }
    }
    void loadedRowMapping()
    {
        QXRF_OPEN_DB(db);
        QFETCH(QString, display);
        QFETCH(QString, iColSize);
        QFETCH(bool, visible);
        QFETCH(bool, pageBreak);
        InsertRange(db.Conn(), 1, QStringLiteral(" 区 '一' "), QStringLiteral("分组标题区"), display, iColSize,
                    QStringLiteral("部门"), 77, 1234);
        clsDocument doc;
        OpenReport(doc, db.Conn());
        clsRangeManager& m = *doc.RangeManager();
        QCOMPARE(int(m.Ranges.size()), 1);  // rows read: no defaults
        const clsRange& r = *m.Ranges[0];
        QCOMPARE((QStringList{r.StrName, r.strGroupField, r.strDisplayStyle, r.StrRangeType}),
                 (QStringList{QStringLiteral("区 '一'"), QStringLiteral("部门"), display, QStringLiteral("分组标题区")}));
        QCOMPARE((QList<bool>{r.blnVisible, r.blnPageBreak}), (QList<bool>{visible, pageBreak}));
        QCOMPARE((QList<qint32>{r.lngLines, r.LngLineHeight, r.top, r.left, r.Width, r.Height}),
                 (QList<qint32>{30, 400, 77, 11, 12000, 1234}));
    }

    void databaseFailureIsReported_data()
    {
        QTest::addColumn<bool>("load");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("message");
        QTest::newRow("load") << true << QStringLiteral("Select")
                              << QStringLiteral("查询失败\r\n错误位于模块：clsRangeManager.LoadReportRang()");
        // Every range goes in one insert.
        QTest::newRow("save") << false << QStringLiteral("Insert") << QStringLiteral("查询失败\r\n错误位于模块：clsRangeManager.");
    }
    void databaseFailureIsReported()
    {
        QFETCH(bool, load);
        QFETCH(QString, failing);
        clsTestDatabase db(QStringLiteral("sqlite"));
        QVERIFY(db.Ready());
        if (load)
            InsertRange(db.Conn(), 1, QStringLiteral("标题区域"), QStringLiteral("标题区"), QStringLiteral("显示/打印"),
                        QStringLiteral("0"));
        clsDocument doc;
        OpenReport(doc, db.Conn());
        db.Conn().SetStatementHook([&](const QString& sql) {
            if (sql.startsWith(failing))
                throw clsDatabaseError(QStringLiteral("查询失败"));
        });
        clsRecordingPrompt prompt;
        clsRangeManager fresh;
        clsRangeManager& m = load ? fresh : *doc.RangeManager();
        bool ok = true;
        load ? m.LoadRangeDefine(-1, ok) : m.SaveRangeDefine(-1, ok);
        QVERIFY(!ok);
        QFETCH(QString, message);
        QCOMPARE(prompt.Shown(), QStringList(QStringLiteral("格式!") + message));
        QVERIFY(!load || m.Ranges.empty());
        QCOMPARE(db.Count(QStringLiteral("ModeEx = 25")), load ? 1 : 0);
    }

    void addNewRange()
    {
        clsDocument doc;
        clsRangeManager m;
        bool ok = false;
        m.LoadRangeDefine(-1, ok);  // no connection: the standard ranges
        clsRecordingPrompt prompt;
        QVERIFY(!m.AddNewRange(QStringLiteral("  正文区域 "), QStringLiteral("分组标题区"), QString()));
        QCOMPARE(prompt.LastText(), QStringLiteral("区域名称不能相同..."));
        QVERIFY(!doc.DocChanged());
        QCOMPARE(int(m.Ranges.size()), 5);

        QVERIFY(m.AddNewRange(QStringLiteral("[分组]X_标题"), QStringLiteral("分组标题区"), QStringLiteral("X")));
        QVERIFY(doc.DocChanged());
        QVERIFY(!m.Ranges.back()->blnVisible);  // a new group range waits to be shown
        QCOMPARE(m.Ranges.back()->strGroupField, QStringLiteral("X"));
        QCOMPARE(m.GetRangeType(QStringLiteral(" [分组]x_标题 ")), QStringLiteral("分组标题区"));
    }

    void pointRange_data()
    {
        QTest::addColumn<bool>("onlyC");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("expected");
        // A at 240..1240, hidden H at 1480..2480, B at 1480..2980, C (top 0) 0..100.
        QTest::newRow("bottom edge") << false << 1240 << QStringLiteral("A");
        QTest::newRow("strip between") << false << 1300 << QString();
        QTest::newRow("hidden range skipped") << false << 2000 << QStringLiteral("B");
        QTest::newRow("below every range") << false << 9000 << QStringLiteral("B");
        QTest::newRow("top-0 range hit directly") << false << 50 << QStringLiteral("C");
        QTest::newRow("above first") << false << 200 << QString();
        // A visible range at top 0 never becomes the lowest: below it there is no range.
        QTest::newRow("below only the top-0 range") << true << 5000 << QString();
    }
    void pointRange()
    {
        QFETCH(bool, onlyC);
        QFETCH(int, y);
        clsRangeManager m;
        AddLaidOut(m, QStringLiteral("C"), 0, 100);
        if (!onlyC)
            AddLaidOut(m, QStringLiteral("A"), 240, 1000);
        AddLaidOut(m, QStringLiteral("H"), 1480, 1000, false);
        if (!onlyC)
            AddLaidOut(m, QStringLiteral("B"), 1480, 1500);
        QString name = QStringLiteral("stale");
        m.GetPointRange(123, y, name);
        QTEST(name, "expected");
    }

    void readProperty_data()
    {
        QTest::addColumn<QString>("prop");
        QTest::addColumn<QString>("expected");
        QTest::newRow("page break") << QStringLiteral("是否分页") << QStringLiteral("分页");
        QTest::newRow("top 1000 twips") << QStringLiteral("上边距") << QStringLiteral("18.00");
        QTest::newRow("height, half to even") << QStringLiteral("下边距") << QStringLiteral("2.00");  // 140/56 = 2.5
        QTest::newRow("width") << QStringLiteral("右边距") << QStringLiteral("4.00");  // 196/56 = 3.5
        QTest::newRow("unknown") << QStringLiteral("颜色") << QString();
    }
    void readProperty()
    {
        QFETCH(QString, prop);
        clsRangeManager m;
        clsRange* r = AddLaidOut(m, QStringLiteral("R"), 1000, 140);
        std::tie(r->strDisplayStyle, r->blnPageBreak, r->Width) = std::tuple(QStringLiteral("只显示"), true, 196);
        QTEST(m.ReadRangeProperty(QStringLiteral("R"), prop), "expected");
        QCOMPARE(m.ReadRangeProperty(QStringLiteral("没有"), prop), QString());
    }

    // A range shown as `before` ("隐含" hides it) has a property set.
    void setProperty_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("prop");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("readBack");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("visibleAfter");
        const QString shown = QStringLiteral("显示/打印"), hidden = QStringLiteral("隐含");
        QTest::newRow("top follows the ranges above") << shown << "上边距" << "18" << false << "0.00" << false << true;
        QTest::newRow("height") << shown << "下边距" << "30" << true << "30.00" << true << true;
        QTest::newRow("non-numeric top") << shown << "上边距" << "abc" << false << "0.00" << false << true;
        QTest::newRow("overflowing left") << shown << "左边距" << "99999999" << false << "0.00" << false << true;
        QTest::newRow("lines") << shown << "每页打印行数" << "40" << true << "40" << true << true;
        QTest::newRow("page break") << shown << "是否分页" << " 分页 " << true << "分页" << true << true;
        QTest::newRow("no page break") << shown << "是否分页" << "随便" << true << "不分页" << true << true;
        QTest::newRow("name, unchecked") << shown << "区域名称" << "新名" << true << "新名" << false << true;
        QTest::newRow("unknown property") << shown << "颜色" << "红" << true << "" << false << true;
        QTest::newRow("shown to hidden") << "只显示" << "显示属性" << "隐含" << true << "隐含" << true << false;
        QTest::newRow("hidden to shown") << hidden << "显示属性" << "只显示" << true << "只显示" << true << true;
        QTest::newRow("same display") << "只打印" << "显示属性" << "只打印" << true << "只打印" << false << true;
    }
    void setProperty()
    {
        QFETCH(QString, before);
        QFETCH(QString, prop);
        QFETCH(QString, value);
        clsDocument doc;
        clsRangeManager m;
        clsRange* r = AddLaidOut(m, QStringLiteral("R"), 0, 0, before != QStringLiteral("隐含"));
        r->strDisplayStyle = before;
        QTEST(m.SetRangeProperty(QStringLiteral("R"), prop, value), "result");
        QTEST(doc.DocChanged(), "changed");
        QTEST(r->blnVisible, "visibleAfter");
        QTEST(m.ReadRangeProperty(r->StrName, prop), "readBack");
        QVERIFY(!m.SetRangeProperty(QStringLiteral("没有"), prop, value));
    }

    void menuMarks()
    {
        clsRangeManager m;
        const QStringList menus = {QStringLiteral("mnuHead"), QStringLiteral("mnuFoot"), QStringLiteral("mnuPageHead"),
                                   QStringLiteral("mnuPageFoot"), QStringLiteral("mnuText")};
        m.ListMenu(QStringLiteral("  "), true);
        for (const QString& menu : menus)
            QVERIFY(m.MenuChecked(menu));
        m.ListMenu(QStringLiteral("页脚注区域"), false);
        QCOMPARE(std::pair(m.MenuChecked(QStringLiteral("mnuPageFoot")), m.MenuChecked(QStringLiteral("mnuFoot"))), std::pair(false, true));
        m.ListMenu(QStringLiteral("[分组]X_标题"), false);  // not a standard range: no menu
        QVERIFY(m.MenuChecked(QStringLiteral("mnuHead")));
        m.ListMenu(QString(), false);
        for (const QString& menu : menus)
            QVERIFY(!m.MenuChecked(menu));
        QVERIFY(!m.MenuChecked(QStringLiteral("mnuGroup")));
    }
};

QTEST_GUILESS_MAIN(tst_clsRangeManager)
#include "tst_clsRangeManager.moc"
