#include "columns/clsFieldsManager.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "properties/clsPropertysManager.h"
#include "ranges/clsRangeManager.h"
#include "clsCanvasFixture.h"
#include <QtTest>

namespace {
void AddColumn(clsFieldsManager& fields, const QString& name, const QString& expression, qint32 group)
{
    clsCanvasFixture::AddCol(fields, name, 1000, true, true, group)->Expression = expression;
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
    // Only columns offer the percentages of a row; ranges a label can go to, the fields
    // of the columns and the group columns come from the report itself.
    void choicesFromTheReport()
    {
        clsDocument doc;
        clsCanvasFixture::OpenHeadless(doc);
        // A choice list belongs to its kind and caption together: a title has no alignment,
        // the shown choice of a title is not a range's, an unknown kind has none.
        for (const char* kindAndCaption : {"标题|对齐方式", "区域|显示", "图片|显示"})
            QCOMPARE(Reflist(Split(kindAndCaption).at(0), Split(kindAndCaption).at(1)), QStringList());
        QCOMPARE(Reflist(QStringLiteral("标题"), QStringLiteral("显示")), Split("显示|不显示"));
        const QStringList label = Reflist(QStringLiteral("标签"), QStringLiteral("显示格式"));
        QVERIFY(!label.isEmpty() && !label.contains(QStringLiteral("行百分比")));
        QCOMPARE(Reflist(QStringLiteral("列"), QStringLiteral("显示格式")), label + Split("行百分比|分组行百分比"));
        clsRangeManager& ranges = *doc.RangeManager();
        QCOMPARE(Reflist(QStringLiteral("标签"), QStringLiteral("所属区域")),
                 Split("标题区域|页标题区域|页脚注区域|脚注区域"));
        // A report with only the body range offers nowhere to put a label.
        ranges.Ranges.erase(ranges.Ranges.begin() + 3, ranges.Ranges.end());
        ranges.Ranges.erase(ranges.Ranges.begin(), ranges.Ranges.begin() + 2);
        QCOMPARE(int(ranges.Ranges.size()), 1);
        QCOMPARE(Reflist(QStringLiteral("标签"), QStringLiteral("所属区域")), QStringList());

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
