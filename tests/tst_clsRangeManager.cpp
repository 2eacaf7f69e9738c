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
    r->StrName = name;
    r->StrRangeType = QStringLiteral("标题区");
    r->top = top;
    r->Height = height;
    r->blnVisible = visible;
    r->blnLaidOut = true;
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
        const QStringList names = {QStringLiteral("标题区域"), QStringLiteral("页标题区域"), QStringLiteral("正文区域"),
                                   QStringLiteral("页脚注区域"), QStringLiteral("脚注区域")};
        const QStringList kinds = {QStringLiteral("标题区"), QStringLiteral("页眉区"), QStringLiteral("正文区"),
                                   QStringLiteral("页尾区"), QStringLiteral("脚注区")};
        QCOMPARE(int(m.Ranges.size()), 5);
        for (int i = 0; i < 5; ++i) {
            const clsRange& r = *m.Ranges[i];
            QCOMPARE(r.StrName, names[i]);
            QCOMPARE(r.StrRangeType, kinds[i]);
            const bool shown = i == 0 || i == 2;
            QCOMPARE(r.blnVisible, shown);
            QCOMPARE(r.strDisplayStyle, shown ? QStringLiteral("显示/打印") : QStringLiteral("隐含"));
            QCOMPARE(r.Height, i == 2 ? 1500 : 1000);
        }
        QCOMPARE(db.Count(QStringLiteral("ModeEx = 25")), 0);  // defaults wait for a save
        QVERIFY(!doc.DocChanged());

        bool ok = false;
        m.SaveRangeDefine(-1, ok);
        QVERIFY(ok);
        QCOMPARE(db.Count(QStringLiteral("ModeEx = 25")), 5);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(db.Scalar(QStringLiteral("select Name from Rpt_FldDEF where ModeEx = 25 and OrderEx = %1").arg(i + 1))
                         .toString(),
                     names[i]);
        // A second save replaces the rows instead of adding to them.
        m.SaveRangeDefine(-1, ok);
        QCOMPARE(db.Count(QStringLiteral("ModeEx = 25")), 5);
    }

    void hiddenGroupRangeIsNotSaved_data() { defaultRangesAndTheirSave_data(); }
    void hiddenGroupRangeIsNotSaved()
    {
        QXRF_OPEN_DB(db);
        clsDocument doc;
        OpenReport(doc, db.Conn());
        clsRangeManager& m = *doc.RangeManager();
        QVERIFY(m.AddNewRange(QStringLiteral("[分组]部门_标题"), QStringLiteral("分组标题区"), QStringLiteral("部门")));
        QVERIFY(m.AddNewRange(QStringLiteral("[分组]部门_脚注"), QStringLiteral("分组脚注区"), QStringLiteral("部门")));
        m.SetRangeVisible(QStringLiteral("[分组]部门_脚注"), true);
        bool ok = false;
        m.SaveRangeDefine(-1, ok);
        QVERIFY(ok);
        // Hidden non-group ranges (page header, page footer, footer) are kept; the hidden
        // group header is not, and leaves no gap in OrderEx.
        QCOMPARE(db.Count(QStringLiteral("ModeEx = 25")), 6);
        QCOMPARE(db.Count(QStringLiteral("ModeEx = 25 and Name = '[分组]部门_标题'")), 0);
        QCOMPARE(db.Scalar(QStringLiteral("select OrderEx from Rpt_FldDEF where ModeEx = 25 and Name = '[分组]部门_脚注'"))
                     .toInt(),
                 6);
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
            const QByteArray p = b.toLatin1() + ": ";
            QTest::newRow((p + "hidden").constData()) << b << QStringLiteral("隐含") << QStringLiteral("1") << false << true;
            QTest::newRow((p + "print only").constData()) << b << QStringLiteral("只打印") << QStringLiteral("0") << true << false;
            QTest::newRow((p + "null page break").constData()) << b << QStringLiteral("只显示") << QStringLiteral("NULL") << true << false;
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
        QCOMPARE(r.StrName, QStringLiteral("区 '一'"));
        QCOMPARE(r.strGroupField, QStringLiteral("部门"));
        QCOMPARE(r.strDisplayStyle, display);
        QCOMPARE(r.StrRangeType, QStringLiteral("分组标题区"));
        QCOMPARE(r.blnVisible, visible);
        QCOMPARE(r.blnPageBreak, pageBreak);
        QCOMPARE((QList<qint32>{r.lngLines, r.LngLineHeight, r.top, r.left, r.Width, r.Height}),
                 (QList<qint32>{30, 400, 77, 11, 12000, 1234}));

        // Saved and read again, the range is the same (quotes included).
        if (visible) {
            bool ok = false;
            m.SaveRangeDefine(-1, ok);
            QVERIFY(ok);
            clsRangeManager again;
            again.LoadRangeDefine(-1, ok);
            QVERIFY(ok);
            QCOMPARE(int(again.Ranges.size()), 1);
            QCOMPARE(again.Ranges[0]->StrName, r.StrName);
            QCOMPARE(again.Ranges[0]->blnPageBreak, pageBreak);
            QCOMPARE(again.Ranges[0]->Height, 1234);
        }
    }

    void loadFailureIsReported()
    {
        clsTestDatabase db(QStringLiteral("sqlite"));
        QVERIFY(db.Ready());
        InsertRange(db.Conn(), 1, QStringLiteral("标题区域"), QStringLiteral("标题区"), QStringLiteral("显示/打印"),
                    QStringLiteral("0"));
        clsDocument doc;
        doc.m_AdoConn = &db.Conn();
        db.Conn().SetStatementHook([](const QString& sql) {
            if (sql.startsWith(QLatin1String("Select")))
                throw clsDatabaseError(QStringLiteral("查询失败"));
        });
        clsRecordingPrompt prompt;
        clsRangeManager m;
        bool ok = true;
        m.LoadRangeDefine(-1, ok);
        QVERIFY(!ok);
        QCOMPARE(prompt.LastText(), QStringLiteral("查询失败\r\n错误位于模块：clsRangeManager.LoadReportRang()"));
        QCOMPARE(prompt.messages.last().title, QStringLiteral("格式"));
        QVERIFY(m.Ranges.empty());
    }

    void saveFailureStopsAndIsReported()
    {
        clsTestDatabase db(QStringLiteral("sqlite"));
        QVERIFY(db.Ready());
        clsDocument doc;
        OpenReport(doc, db.Conn());
        // Every range goes in one insert, which fails.
        db.Conn().SetStatementHook([](const QString& sql) {
            if (sql.startsWith(QLatin1String("Insert")))
                throw clsDatabaseError(QStringLiteral("写入失败"));
        });
        clsRecordingPrompt prompt;
        bool ok = true;
        doc.RangeManager()->SaveRangeDefine(-1, ok);
        QVERIFY(!ok);
        QCOMPARE(prompt.LastText(), QStringLiteral("写入失败\r\n错误位于模块：clsRangeManager."));
        QCOMPARE(db.Count(QStringLiteral("ModeEx = 25")), 0);
    }

    void addNewRange()
    {
        clsDocument doc;
        clsRangeManager m;
        bool ok = false;
        m.LoadRangeDefine(-1, ok);  // no connection: the standard ranges
        clsRecordingPrompt prompt;
        QVERIFY(!m.AddNewRange(QStringLiteral("  正文区域 "), QStringLiteral("分组标题区"), QString()));
        QCOMPARE(prompt.beeps, 1);
        QCOMPARE(prompt.LastText(), QStringLiteral("区域名称不能相同..."));
        QCOMPARE(prompt.messages.last().icon, PromptIcon::Exclamation);
        QCOMPARE(prompt.messages.last().title, QStringLiteral("格式"));
        QVERIFY(!doc.DocChanged());
        QCOMPARE(int(m.Ranges.size()), 5);

        QVERIFY(m.AddNewRange(QStringLiteral("[分组]X_标题"), QStringLiteral("分组标题区"), QStringLiteral("X")));
        QVERIFY(doc.DocChanged());
        const clsRange& r = *m.Ranges.back();
        QCOMPARE(r.Height, 1000);
        QCOMPARE(r.strDisplayStyle, QStringLiteral("隐含"));
        QVERIFY(!r.blnVisible);
        QCOMPARE(r.strGroupField, QStringLiteral("X"));
        QCOMPARE(r.lngLines, 25);
        QCOMPARE(m.GetRangeType(QStringLiteral(" [分组]x_标题 ")), QStringLiteral("分组标题区"));
    }

    void lookups()
    {
        clsDocument doc;
        clsRangeManager m;
        bool ok = false;
        m.LoadRangeDefine(-1, ok);
        QString name = QStringLiteral("old");
        m.RangeTypeToName(QStringLiteral("正文区"), QString(), name);
        QCOMPARE(name, QStringLiteral("正文区域"));
        m.RangeTypeToName(QStringLiteral("分组标题区"), QString(), name);
        QCOMPARE(name, QString());
        QVERIFY(m.GetRangeVisible(QStringLiteral(" 标题区域")));
        QVERIFY(!m.GetRangeVisible(QStringLiteral("页标题区域")) && !m.GetRangeVisible(QStringLiteral("没有")));
        QCOMPARE(m.GetRangeType(QStringLiteral("没有")), QString());

        qint32 l = -1, t = -1, w = -1, h = -1;
        QVERIFY(!m.GetRangePart(QStringLiteral("没有"), l, t, w, h));
        QCOMPARE(l + t + w + h, -4);  // untouched
        QVERIFY(m.SetRangePart(QStringLiteral("正文区域"), 1, 2, 3, 4));
        QVERIFY(doc.DocChanged());
        QVERIFY(m.GetRangePart(QStringLiteral("正文区域 "), l, t, w, h));
        QCOMPARE(QList<qint32>({l, t, w, h}), QList<qint32>({1, 2, 3, 4}));
        QVERIFY(!m.SetRangePart(QStringLiteral("没有"), 1, 2, 3, 4));

        m.ChangeRangeHeight(QStringLiteral("正文区域"), -10);
        QCOMPARE(m.FindRange(QStringLiteral("正文区域"))->Height, 0);  // never below what it holds
    }

    void setRangeVisibleByKind_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("shownAs");
        QTest::newRow("title") << QStringLiteral("标题区") << QStringLiteral("隐含") << QStringLiteral("显示/打印");
        QTest::newRow("page header") << QStringLiteral("页眉区") << QStringLiteral("隐含") << QStringLiteral("只打印");
        QTest::newRow("group keeps") << QStringLiteral("分组脚注区") << QStringLiteral("只显示") << QStringLiteral("只显示");
    }
    void setRangeVisibleByKind()
    {
        QFETCH(QString, kind);
        QFETCH(QString, before);
        QFETCH(QString, shownAs);
        clsDocument doc;
        clsRangeManager m;
        clsRange* r = AddLaidOut(m, QStringLiteral("R"), 0, 100, false);
        r->StrRangeType = kind;
        r->strDisplayStyle = before;
        m.SetRangeVisible(QStringLiteral("R"), true);
        QVERIFY(r->blnVisible);
        QVERIFY(doc.DocChanged());
        QCOMPARE(r->strDisplayStyle, shownAs);
        m.SetRangeVisible(QStringLiteral("R"), false);
        QVERIFY(!r->blnVisible);
        QCOMPARE(r->strDisplayStyle, QStringLiteral("隐含"));
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
        QFETCH(QString, expected);
        clsRangeManager m;
        AddLaidOut(m, QStringLiteral("C"), 0, 100);
        if (!onlyC)
            AddLaidOut(m, QStringLiteral("A"), 240, 1000);
        AddLaidOut(m, QStringLiteral("H"), 1480, 1000, false);
        if (!onlyC)
            AddLaidOut(m, QStringLiteral("B"), 1480, 1500);
        QString name = QStringLiteral("stale");
        m.GetPointRange(123, y, name);
        QCOMPARE(name, expected);
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
        QFETCH(QString, expected);
        clsRangeManager m;
        clsRange* r = AddLaidOut(m, QStringLiteral("R"), 1000, 140);
        r->strDisplayStyle = QStringLiteral("只显示");
        r->blnPageBreak = true;
        r->Width = 196;
        r->strGroupField = QStringLiteral("部门");
        QCOMPARE(m.ReadRangeProperty(QStringLiteral("R"), prop), expected);
        QCOMPARE(m.ReadRangeProperty(QStringLiteral("没有"), prop), QString());
    }

    void setProperty_data()
    {
        QTest::addColumn<QString>("prop");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("readBack");
        QTest::addColumn<bool>("changed");
        QTest::newRow("top follows the ranges above") << QStringLiteral("上边距") << QStringLiteral("18") << false << QStringLiteral("0.00") << false;
        QTest::newRow("height") << QStringLiteral("下边距") << QStringLiteral("30") << true << QStringLiteral("30.00") << true;
        QTest::newRow("line height") << QStringLiteral("打印行高") << QStringLiteral("7") << true << QStringLiteral("7.00") << true;
        QTest::newRow("non-numeric top") << QStringLiteral("上边距") << QStringLiteral("abc") << false << QStringLiteral("0.00") << false;
        QTest::newRow("overflowing left") << QStringLiteral("左边距") << QStringLiteral("99999999") << false << QStringLiteral("0.00") << false;
        QTest::newRow("lines") << QStringLiteral("每页打印行数") << QStringLiteral("40") << true << QStringLiteral("40") << true;
        QTest::newRow("page break") << QStringLiteral("是否分页") << QStringLiteral(" 分页 ") << true << QStringLiteral("分页") << true;
        QTest::newRow("no page break") << QStringLiteral("是否分页") << QStringLiteral("随便") << true << QStringLiteral("不分页") << true;
        QTest::newRow("name, unchecked") << QStringLiteral("区域名称") << QStringLiteral("新名") << true << QStringLiteral("新名") << false;
        QTest::newRow("unknown property") << QStringLiteral("颜色") << QStringLiteral("红") << true << QString() << false;
    }
    void setProperty()
    {
        QFETCH(QString, prop);
        QFETCH(QString, value);
        QFETCH(bool, result);
        QFETCH(QString, readBack);
        QFETCH(bool, changed);
        clsDocument doc;
        clsRangeManager m;
        AddLaidOut(m, QStringLiteral("R"), 0, 0);
        QCOMPARE(m.SetRangeProperty(QStringLiteral("R"), prop, value), result);
        QCOMPARE(doc.DocChanged(), changed);
        const QString name = m.Ranges[0]->StrName;
        QCOMPARE(m.ReadRangeProperty(name, prop), readBack);
        QVERIFY(!m.SetRangeProperty(QStringLiteral("没有"), prop, value));
    }

    void displayAttribute_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("visibleAfter");
        QTest::addColumn<bool>("changed");
        QTest::newRow("shown to shown") << QStringLiteral("显示/打印") << QStringLiteral("只打印") << true << true;
        QTest::newRow("shown to hidden") << QStringLiteral("只显示") << QStringLiteral("隐含") << false << true;
        QTest::newRow("hidden to shown") << QStringLiteral("隐含") << QStringLiteral("只显示") << true << true;
        QTest::newRow("same value") << QStringLiteral("只打印") << QStringLiteral("只打印") << true << false;
    }
    void displayAttribute()
    {
        QFETCH(QString, before);
        QFETCH(QString, value);
        QFETCH(bool, visibleAfter);
        QFETCH(bool, changed);
        clsDocument doc;
        clsRangeManager m;
        clsRange* r = AddLaidOut(m, QStringLiteral("R"), 0, 0, before != QStringLiteral("隐含"));
        r->strDisplayStyle = before;
        QVERIFY(m.SetRangeProperty(QStringLiteral("R"), QStringLiteral("显示属性"), value));
        QCOMPARE(r->strDisplayStyle, value);
        QCOMPARE(r->blnVisible, visibleAfter);
        QCOMPARE(doc.DocChanged(), changed);
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
        QVERIFY(!m.MenuChecked(QStringLiteral("mnuPageFoot")));
        QVERIFY(m.MenuChecked(QStringLiteral("mnuFoot")));
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
