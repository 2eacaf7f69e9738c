#include "columns/clsFieldsManager.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "properties/clsPropertysManager.h"
#include "ranges/clsRangeManager.h"
#include <QtTest>

namespace {
// Every description of a list as "caption/kind/edit/ro", one string per row.
QStringList Describe(const std::vector<std::unique_ptr<ClsPropDiscription>>& list)
{
    QStringList rows;
    for (const auto& p : list)
        rows << QStringLiteral("%1/%2/%3/%4").arg(p->StrPropName).arg(p->lngDataType).arg(p->LngRefType).arg(p->blnReadOnly ? 1 : 0);
    return rows;
}

void OpenWithoutDatabase(clsDocument& doc)
{
    doc.SetRunMode(true);
    doc.OpenDocument(nullptr, QStringLiteral("某报表"), QStringLiteral("GL"), QStringLiteral("op"));
    doc.SetRunMode(false);
}

void AddColumn(clsFieldsManager& fields, const QString& name, const QString& expression, qint32 group)
{
    auto col = std::make_unique<clsRepcol>();
    col->name = name;
    col->Expression = expression;
    col->TpyGroup = group;
    fields.Cols.push_back(std::move(col));
}

QStringList Reflist(const QString& kind, const QString& caption)
{
    QStringList list = {QStringLiteral("stale")};
    int count = -1;
    g_objDocument->PropertysManager()->GetPropertyReflist(kind, caption, list, count);
    if (count != list.size())
        return {QStringLiteral("count mismatch")};
    return list;
}

QStringList Split(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}
}

class tst_clsPropertysManager : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void catalogue_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("columns") << QStringLiteral("col")
                                 << Split("列名/1/0/0|列标题/1/0/0|列号/0/0/1|列间表达式/1/3/0|字段/1/1/1|列数据类型/1/1/1|"
                                          "列宽/0/0/0|显示格式/1/5/0|对齐方式/1/1/0|分组/1/1/0|合计/1/1/0|显示/1/1/0|备注/1/0/0");
        QTest::newRow("labels") << QStringLiteral("label")
                                << Split("名称/1/0/0|所属区域/1/1/0|字体/4/4/0|对齐方式/1/1/0|上边距/0/0/0|左边距/0/0/0|"
                                         "宽度/0/0/0|高度/0/0/0|标签显示方式/1/1/0|数据源类型/1/1/0|数据源/1/3/0|显示格式/1/5/0");
        QTest::newRow("titles") << QStringLiteral("title")
                                << Split("名称/1/0/0|显示标题/1/0/0|顶（行）/0/0/1|左（列）/0/0/1|宽（列数）/0/0/1|"
                                         "高（行数）/0/0/1|显示/1/1/0");
        QTest::newRow("ranges") << QStringLiteral("range")
                                << Split("区域名称/1/0/1|区域类别/1/1/1|上边距/0/0/1|下边距/0/0/1|左边距/0/0/1|右边距/0/0/1|"
                                         "每页打印行数/0/0/0|对应的分组列/1/1/1|打印行高/0/0/0");
        QTest::newRow("mixed selection") << QStringLiteral("public") << Split("对齐方式/1/1/0");
    }
    void catalogue()
    {
        QFETCH(QString, list);
        QFETCH(QStringList, rows);
        clsPropertysManager m;
        bool ok = false;
        m.LoadAllPropertys(ok);
        QVERIFY(ok);
        m.LoadAllPropertys(ok);  // a second load gives the same lists, not doubled ones
        const auto& chosen = list == QLatin1String("col")     ? m.ColPropertys
                             : list == QLatin1String("label") ? m.LabelPropertys
                             : list == QLatin1String("title") ? m.TitlePropertys
                             : list == QLatin1String("range") ? m.RangePropertys
                                                              : m.PublicPropertys;
        QCOMPARE(Describe(chosen), rows);
    }

    void fixedChoiceLists_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("label alignment") << QStringLiteral("标签") << QStringLiteral("对齐方式") << Split("左对齐|居中|右对齐");
        QTest::newRow("label display") << QStringLiteral("标签") << QStringLiteral("标签显示方式") << Split("只显示|只打印|显示/打印|隐含");
        QTest::newRow("label source kind") << QStringLiteral("标签") << QStringLiteral("数据源类型") << Split("文本|SQL查询|公式|表达式");
        QTest::newRow("column data type") << QStringLiteral("列") << QStringLiteral("列数据类型") << Split("数值|字符串|日期|逻辑");
        QTest::newRow("column alignment") << QStringLiteral("列") << QStringLiteral("对齐方式") << Split("左对齐|居中|右对齐");
        QTest::newRow("column group") << QStringLiteral("列") << QStringLiteral("分组") << Split("不能分组|未分组|分组");
        QTest::newRow("column sum") << QStringLiteral("列") << QStringLiteral("合计") << Split("汇总|不汇总|用表达式计算|余额汇总方案");
        QTest::newRow("column shown") << QStringLiteral("列") << QStringLiteral("显示") << Split("显示|不显示");
        QTest::newRow("column subtotal") << QStringLiteral("列") << QStringLiteral("小计") << Split("小计|不小计");
        QTest::newRow("column running total") << QStringLiteral("列") << QStringLiteral("累计") << Split("累计|不累计");
        QTest::newRow("range display") << QStringLiteral("区域") << QStringLiteral("显示属性") << Split("只显示|只打印|显示/打印|隐含");
        QTest::newRow("range page break") << QStringLiteral("区域") << QStringLiteral("是否分页") << Split("分页|不分页");
        QTest::newRow("title shown") << QStringLiteral("标题") << QStringLiteral("显示") << Split("显示|不显示");
        QTest::newRow("unknown pair") << QStringLiteral("标题") << QStringLiteral("对齐方式") << QStringList();
        QTest::newRow("unknown kind") << QStringLiteral("图片") << QStringLiteral("显示") << QStringList();
        QTest::newRow("range shown is a title's") << QStringLiteral("区域") << QStringLiteral("显示") << QStringList();
    }
    void fixedChoiceLists()
    {
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(QStringList, items);
        clsDocument doc;
        OpenWithoutDatabase(doc);
        QCOMPARE(Reflist(kind, caption), items);
    }

    void formatLists()
    {
        clsDocument doc;
        OpenWithoutDatabase(doc);
        const QStringList label = Reflist(QStringLiteral("标签"), QStringLiteral("显示格式"));
        QCOMPARE(label.size(), 19);
        QCOMPARE(label.first(), QStringLiteral("00"));
        QCOMPARE(label.last(), QStringLiteral("Z9存货单价显示格式"));
        QVERIFY(!label.contains(QStringLiteral("行百分比")));
        const QStringList column = Reflist(QStringLiteral("列"), QStringLiteral("显示格式"));
        QCOMPARE(column, label + Split("行百分比|分组行百分比"));
    }

    void rangeChoices()
    {
        clsDocument doc;
        OpenWithoutDatabase(doc);
        clsRangeManager& ranges = *doc.RangeManager();
        QCOMPARE(Reflist(QStringLiteral("标签"), QStringLiteral("所属区域")),
                 Split("标题区域|页标题区域|页脚注区域|脚注区域"));
        // A report with only the body range offers nowhere to put a label.
        ranges.Ranges.erase(ranges.Ranges.begin() + 3, ranges.Ranges.end());
        ranges.Ranges.erase(ranges.Ranges.begin(), ranges.Ranges.begin() + 2);
        QCOMPARE(int(ranges.Ranges.size()), 1);
        QCOMPARE(Reflist(QStringLiteral("标签"), QStringLiteral("所属区域")), QStringList());
    }

    void columnChoices()
    {
        clsDocument doc;
        OpenWithoutDatabase(doc);
        clsFieldsManager& fields = *doc.FieldsManager();
        fields.Cols.clear();
        AddColumn(fields, QStringLiteral("计算列"), QStringLiteral("   "), 0);
        QCOMPARE(Reflist(QStringLiteral("列"), QStringLiteral("字段")), QStringList());
        QCOMPARE(Reflist(QStringLiteral("区域"), QStringLiteral("对应的分组列")), QStringList());
        AddColumn(fields, QStringLiteral("部门"), QStringLiteral(" dept "), 2);
        AddColumn(fields, QStringLiteral("金额"), QStringLiteral("amount"), 0);
        AddColumn(fields, QStringLiteral("类别"), QString(), 1);
        QCOMPARE(Reflist(QStringLiteral("列"), QStringLiteral("字段")), Split("dept|amount"));
        QCOMPARE(Reflist(QStringLiteral("区域"), QStringLiteral("对应的分组列")), Split("部门|类别"));
    }
};

QTEST_GUILESS_MAIN(tst_clsPropertysManager)
#include "tst_clsPropertysManager.moc"
