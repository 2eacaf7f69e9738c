#include "clsPropertysManager.h"
#include "columns/clsFieldsManager.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "modDisplayFormat.h"
#include "ranges/clsRangeManager.h"

namespace {
using List = std::vector<std::unique_ptr<ClsPropDiscription>>;

constexpr qint32 N = ClsPropDiscription::DataNumber;
constexpr qint32 T = ClsPropDiscription::DataText;
constexpr qint32 F = ClsPropDiscription::DataFont;
constexpr qint32 Typed = ClsPropDiscription::RefTyped;
constexpr qint32 Pick = ClsPropDiscription::RefList;
constexpr qint32 Expr = ClsPropDiscription::RefExpression;
constexpr qint32 FontDlg = ClsPropDiscription::RefFontDialog;
constexpr qint32 Format = ClsPropDiscription::RefFormatList;

struct Row
{
    const char* caption;
    qint32 dataType;
    qint32 refType;
    bool readOnly;
};

template <size_t Size>
void Fill(List& list, const Row (&rows)[Size])
{
    list.clear();
    for (const Row& row : rows) {
        auto prop = std::make_unique<ClsPropDiscription>();
        prop->StrPropName = QString::fromUtf8(row.caption);
        prop->lngDataType = row.dataType;
        prop->LngRefType = row.refType;
        prop->blnReadOnly = row.readOnly;
        list.push_back(std::move(prop));
    }
}

const Row kColumn[] = {
    {"列名", T, Typed, false},
    {"列标题", T, Typed, false},
    {"列号", N, Typed, true},
    {"列间表达式", T, Expr, false},
    {"字段", T, Pick, true},
    {"列数据类型", T, Pick, true},
    {"列宽", N, Typed, false},
    {"显示格式", T, Format, false},
    {"对齐方式", T, Pick, false},
    {"分组", T, Pick, false},
    {"合计", T, Pick, false},
    {"显示", T, Pick, false},
    {"备注", T, Typed, false},
};

const Row kLabel[] = {
    {"名称", T, Typed, false},
    {"所属区域", T, Pick, false},
    {"字体", F, FontDlg, false},
    {"对齐方式", T, Pick, false},
    {"上边距", N, Typed, false},
    {"左边距", N, Typed, false},
    {"宽度", N, Typed, false},
    {"高度", N, Typed, false},
    {"标签显示方式", T, Pick, false},
    {"数据源类型", T, Pick, false},
    {"数据源", T, Expr, false},
    {"显示格式", T, Format, false},
};

const Row kTitle[] = {
    {"名称", T, Typed, false},
    {"显示标题", T, Typed, false},
    {"顶（行）", N, Typed, true},
    {"左（列）", N, Typed, true},
    {"宽（列数）", N, Typed, true},
    {"高（行数）", N, Typed, true},
    {"显示", T, Pick, false},
};

const Row kRange[] = {
    {"区域名称", T, Typed, true},
    {"区域类别", T, Pick, true},
    {"上边距", N, Typed, true},
    {"下边距", N, Typed, true},
    {"左边距", N, Typed, true},
    {"右边距", N, Typed, true},
    {"每页打印行数", N, Typed, false},
    {"对应的分组列", T, Pick, true},
    {"打印行高", N, Typed, false},
};

const Row kPublic[] = {
    {"对齐方式", T, Pick, false},
};

QStringList Texts(std::initializer_list<const char*> items)
{
    QStringList list;
    for (const char* item : items)
        list << QString::fromUtf8(item);
    return list;
}

const QStringList& AlignChoices()
{
    static const QStringList list = Texts({"左对齐", "居中", "右对齐"});
    return list;
}

const QStringList& DisplayChoices()
{
    static const QStringList list = Texts({"只显示", "只打印", "显示/打印", "隐含"});
    return list;
}
}

void clsPropertysManager::LoadAllPropertys(bool& ok)
{
    Fill(ColPropertys, kColumn);
    Fill(LabelPropertys, kLabel);
    Fill(TitlePropertys, kTitle);
    Fill(RangePropertys, kRange);
    Fill(PublicPropertys, kPublic);
    ok = true;
}

void clsPropertysManager::GetPropertyReflist(const QString& kind, const QString& caption, QStringList& list,
                                             int& count) const
{
    list.clear();
    const auto isKind = [&](const char* k) { return kind.trimmed().compare(QString::fromUtf8(k), Qt::CaseInsensitive) == 0; };
    const auto isProp = [&](const char* p) {
        return caption.trimmed().compare(QString::fromUtf8(p), Qt::CaseInsensitive) == 0;
    };
    clsRangeManager* ranges = DocumentRanges();
    clsFieldsManager* fields = DocumentFields();

    if (isKind("标签")) {
        if (isProp("所属区域")) {
            // Labels are never placed in the body range, which holds the columns.
            if (ranges)
                for (const auto& range : ranges->Ranges)
                    if (range->StrRangeType != QStringLiteral("正文区"))
                        list << range->StrName;
        } else if (isProp("对齐方式")) {
            list = AlignChoices();
        } else if (isProp("标签显示方式")) {
            list = DisplayChoices();
        } else if (isProp("数据源类型")) {
            list = Texts({"文本", "SQL查询", "公式", "表达式"});
        } else if (isProp("显示格式")) {
            list = DisplayFormatEntries(FormatOwner::Label);
        }
    } else if (isKind("列")) {
        if (isProp("字段")) {
            if (fields)
                for (const auto& col : fields->Cols)
                    if (!col->Expression.trimmed().isEmpty())
                        list << col->Expression.trimmed();
        } else if (isProp("列数据类型")) {
            list = Texts({"数值", "字符串", "日期", "逻辑"});
        } else if (isProp("显示格式")) {
            list = DisplayFormatEntries(FormatOwner::Column);
        } else if (isProp("对齐方式")) {
            list = AlignChoices();
        } else if (isProp("分组")) {
            list = Texts({"不能分组", "未分组", "分组"});
        } else if (isProp("合计")) {
            list = Texts({"汇总", "不汇总", "用表达式计算", "余额汇总方案"});
        } else if (isProp("显示")) {
            list = Texts({"显示", "不显示"});
        } else if (isProp("小计")) {
            list = Texts({"小计", "不小计"});
        } else if (isProp("累计")) {
            list = Texts({"累计", "不累计"});
        }
    } else if (isKind("区域")) {
        if (isProp("显示属性")) {
            list = DisplayChoices();
        } else if (isProp("是否分页")) {
            list = Texts({"分页", "不分页"});
        } else if (isProp("对应的分组列")) {
            if (fields)
                for (const auto& col : fields->Cols)
                    if (col->TpyGroup != 0)
                        list << col->name;
        }
    } else if (isKind("标题")) {
        if (isProp("显示"))
            list = Texts({"显示", "不显示"});
    }
    count = int(list.size());
}
