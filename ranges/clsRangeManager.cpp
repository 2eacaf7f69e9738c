#include "clsRangeManager.h"
#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include <stdexcept>

namespace {
const QString kModule = QStringLiteral("clsRangeManager");
const QString kHidden = QStringLiteral("隐含");
const QString kShownPrinted = QStringLiteral("显示/打印");

// Menu items of the five standard ranges, in the order of m_menuChecked.
struct MenuOfRange
{
    const char* rangeName;
    const char* menuName;
};
const MenuOfRange kMenus[] = {
    {"标题区域", "mnuHead"},
    {"脚注区域", "mnuFoot"},
    {"页标题区域", "mnuPageHead"},
    {"页脚注区域", "mnuPageFoot"},
    {"正文区域", "mnuText"},
};

bool SameText(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

clsConnection* Connection()
{
    return g_objDocument ? g_objDocument->m_AdoConn : nullptr;
}

std::unique_ptr<clsRange> NewRange(const char* name, const char* kind, bool visible, qint32 height)
{
    auto range = std::make_unique<clsRange>();
    range->StrName = QString::fromUtf8(name);
    range->StrRangeType = QString::fromUtf8(kind);
    range->blnVisible = visible;
    range->strDisplayStyle = visible ? kShownPrinted : kHidden;
    range->top = 0;
    range->Height = height;
    return range;
}

// Millimetres typed in the grid, as twips. Blank or non-numeric text is refused
// rather than read as 0, so a slip of the keyboard never collapses a range.
bool TypedMmToTwips(const QString& value, qint32& twips)
{
    if (value.trimmed().isEmpty())
        return false;
    bool ok = false;
    const qint32 mm = ToLong(value, &ok);
    if (!ok)
        return false;
    try {
        twips = MmToTwips(mm);
    } catch (const std::overflow_error&) {
        return false;
    }
    return true;
}

QString MmText(qint32 twips)
{
    return QString::number(TwipsToMm(twips), 'f', 2);
}
}

clsRange* clsRangeManager::FindRange(const QString& StrName, bool trimmed) const
{
    const QString wanted = trimmed ? StrName.trimmed() : StrName;
    for (const auto& range : Ranges)
        if (SameText(range->StrName, wanted))
            return range.get();
    return nullptr;
}

void clsRangeManager::LoadRangeDefine(qint32 ID, bool& ok)
{
    ok = false;
    m_lngID = ID;
    Ranges.clear();
    try {
        // Without a connection there is nothing to read: the report starts from the
        // standard ranges like a new one.
        if (clsConnection* conn = Connection()) {
            clsRecordset rs = conn->Open(QStringLiteral("Select  * from Rpt_FldDEF where ID =") + QString::number(ID)
                                         + QStringLiteral("  and ModeEx =") + QStringLiteral("25")
                                         + QStringLiteral(" order by OrderEx "));
            while (!rs.Eof()) {
                auto range = std::make_unique<clsRange>();
                range->StrName = rs.Text(QStringLiteral("name"));
                range->strGroupField = rs.Text(QStringLiteral("nameforeign"));
                range->strDisplayStyle = rs.Text(QStringLiteral("formatex"));
                range->StrRangeType = rs.Text(QStringLiteral("Expression"));
                range->lngLines = rs.Long(QStringLiteral("iSize"));
                range->blnVisible = !SameText(range->strDisplayStyle, kHidden);
                range->blnPageBreak = rs.Long(QStringLiteral("iColSize")) == 1;
                range->LngLineHeight = rs.Long(QStringLiteral("ialignstyle"));
                range->top = rs.Long(QStringLiteral("topex"));
                range->left = rs.Long(QStringLiteral("leftex"));
                range->Width = rs.Long(QStringLiteral("width"));
                range->Height = rs.Long(QStringLiteral("height"));
                Ranges.push_back(std::move(range));
                rs.MoveNext();
            }
            rs.Close();
        }
        if (Ranges.empty()) {
            Ranges.push_back(NewRange("标题区域", "标题区", true, 1000));
            Ranges.push_back(NewRange("页标题区域", "页眉区", false, 1000));
            Ranges.push_back(NewRange("正文区域", "正文区", true, 1500));
            Ranges.push_back(NewRange("页脚注区域", "页尾区", false, 1000));
            Ranges.push_back(NewRange("脚注区域", "脚注区", false, 1000));
        }
        ok = true;
    } catch (const std::exception& e) {
        ReportException(e, kModule, QStringLiteral("LoadReportRang()"));
    }
}

void clsRangeManager::SaveRangeDefine(qint32 ID, bool& ok)
{
    ok = false;
    clsConnection* conn = Connection();
    if (!conn)
        return;
    const QString id = QString::number(ID);
    try {
        conn->Execute(QStringLiteral("Delete from Rpt_FldDEF where ID =") + id + QStringLiteral(" and ModeEx =")
                      + QStringLiteral("25"));
        for (size_t i = 0; i < Ranges.size(); ++i) {
            const clsRange& r = *Ranges[i];
            // A group range the user hid belongs to a group that no longer shows it;
            // the group window creates it again when needed.
            if (!(r.strGroupField.isEmpty() || r.blnVisible))
                continue;
            conn->Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,OrderEx,")
                          + QStringLiteral("Name,nameForeign,FormatEx,Expression,")
                          + QStringLiteral("iSize,iColSize,iAlignStyle,TopEx,LeftEx,Width,Height) ")
                          + QStringLiteral(" values( ") + id + QStringLiteral(",") + QStringLiteral("25")
                          + QStringLiteral(",") + QString::number(i + 1) + QStringLiteral(", '") + SqlQuote(r.StrName)
                          + QStringLiteral("', ") + QStringLiteral(" '") + SqlQuote(r.strGroupField)
                          + QStringLiteral("',") + QStringLiteral(" '") + SqlQuote(r.strDisplayStyle)
                          + QStringLiteral("',") + QStringLiteral(" '") + SqlQuote(r.StrRangeType)
                          + QStringLiteral("',") + QStringLiteral(" ") + QString::number(r.lngLines)
                          + QStringLiteral(",") + (r.blnPageBreak ? QStringLiteral(" 1,") : QStringLiteral(" 0,"))
                          + QStringLiteral(" ") + QString::number(r.LngLineHeight) + QStringLiteral(",")
                          + QStringLiteral(" ") + QString::number(r.top) + QStringLiteral(",")
                          + QStringLiteral(" ") + QString::number(r.left) + QStringLiteral(",")
                          + QStringLiteral(" ") + QString::number(r.Width) + QStringLiteral(",")
                          + QStringLiteral(" ") + QString::number(r.Height) + QStringLiteral(")"));
        }
        ok = true;
    } catch (const std::exception& e) {
        ReportException(e, kModule);
    }
}

bool clsRangeManager::AddNewRange(const QString& StrName, const QString& StrRangeType, const QString& strGroupField)
{
    if (FindRange(StrName, true)) {
        ShowMessage(QStringLiteral("区域名称不能相同..."));
        return false;
    }
    MarkDocChanged();
    auto range = std::make_unique<clsRange>();
    range->StrName = StrName;
    range->StrRangeType = StrRangeType;
    range->strGroupField = strGroupField;
    range->blnVisible = false;
    range->Height = 1000;
    range->strDisplayStyle = kHidden;
    Ranges.push_back(std::move(range));
    return true;
}

void clsRangeManager::RangeTypeToName(const QString& StrRangeType, const QString&, QString& StrName) const
{
    StrName.clear();
    for (const auto& range : Ranges) {
        if (SameText(range->StrRangeType, StrRangeType)) {
            StrName = range->StrName;
            return;
        }
    }
}

QString clsRangeManager::GetRangeType(const QString& StrName) const
{
    const clsRange* range = FindRange(StrName, true);
    return range ? range->StrRangeType : QString();
}

bool clsRangeManager::GetRangeVisible(const QString& StrName) const
{
    const clsRange* range = FindRange(StrName, true);
    return range && range->blnVisible;
}

bool clsRangeManager::GetRangePart(const QString& StrName, qint32& left, qint32& top, qint32& Width,
                                   qint32& Height) const
{
    const clsRange* range = FindRange(StrName, true);
    if (!range)
        return false;
    left = range->left;
    top = range->top;
    Width = range->Width;
    Height = range->Height;
    return true;
}

bool clsRangeManager::SetRangePart(const QString& StrName, qint32 left, qint32 top, qint32 Width, qint32 Height)
{
    clsRange* range = FindRange(StrName, false);
    if (!range)
        return false;
    range->left = left;
    range->top = top;
    range->Width = Width;
    range->Height = Height;
    MarkDocChanged();
    return true;
}

void clsRangeManager::ChangeRangeHeight(const QString& StrName, qint32 change)
{
    clsRange* range = FindRange(StrName, false);
    if (!range)
        return;
    MarkDocChanged();
    range->Height += change;
}

void clsRangeManager::SetRangeVisible(const QString& StrName, bool visible)
{
    clsRange* range = FindRange(StrName, false);
    if (!range)
        return;
    MarkDocChanged();
    range->blnVisible = visible;
    if (!visible) {
        range->strDisplayStyle = kHidden;
        return;
    }
    const QString& kind = range->StrRangeType;
    if (SameText(kind, QStringLiteral("标题区")) || SameText(kind, QStringLiteral("正文区"))
        || SameText(kind, QStringLiteral("脚注区")))
        range->strDisplayStyle = kShownPrinted;
    else if (SameText(kind, QStringLiteral("页眉区")) || SameText(kind, QStringLiteral("页尾区")))
        range->strDisplayStyle = QStringLiteral("只打印");
    // Group ranges keep the attribute the user gave them.
}

void clsRangeManager::GetPointRange(qint32, qint32 Y, QString& StrName) const
{
    StrName.clear();
    qint32 lowestTop = 0;
    QString lowestName;
    for (const auto& range : Ranges) {
        if (!range->blnVisible)
            continue;
        if (range->top <= Y && qint64(Y) <= qint64(range->top) + range->Height) {
            StrName = range->StrName;
            return;
        }
        // A range at top 0 has not been laid out yet and never counts as the lowest.
        if (range->top > lowestTop) {
            lowestTop = range->top;
            lowestName = range->StrName;
        }
    }
    if (Y > lowestTop)
        StrName = lowestName;
}

QString clsRangeManager::ReadRangeProperty(const QString& StrName, const QString& PropName) const
{
    const clsRange* range = FindRange(StrName, false);
    if (!range)
        return QString();
    const clsRange& r = *range;
    const auto is = [&](const char* name) { return SameText(PropName, QString::fromUtf8(name)); };
    if (is("区域名称"))
        return r.StrName;
    if (is("区域类别"))
        return r.StrRangeType;
    if (is("显示属性"))
        return r.strDisplayStyle;
    if (is("是否分页"))
        return r.blnPageBreak ? QStringLiteral("分页") : QStringLiteral("不分页");
    if (is("上边距"))
        return MmText(r.top);
    // "下边距" and "右边距" are the range's height and width, whatever the captions say.
    if (is("下边距"))
        return MmText(r.Height);
    if (is("左边距"))
        return MmText(r.left);
    if (is("右边距"))
        return MmText(r.Width);
    if (is("每页打印行数"))
        return QString::number(r.lngLines);
    if (is("对应的分组列"))
        return r.strGroupField;
    if (is("打印行高"))
        return MmText(r.LngLineHeight);
    return QString();
}

bool clsRangeManager::SetRangeProperty(const QString& StrName, const QString& PropName, const QString& Value)
{
    clsRange* range = FindRange(StrName, false);
    if (!range)
        return false;
    clsRange& r = *range;
    const auto is = [&](const char* name) { return SameText(PropName, QString::fromUtf8(name)); };

    // Lengths: every one is refused untouched when the text is not a number.
    qint32* length = nullptr;
    if (is("上边距"))
        length = &r.top;
    else if (is("下边距"))
        length = &r.Height;
    else if (is("左边距"))
        length = &r.left;
    else if (is("右边距"))
        length = &r.Width;
    else if (is("打印行高"))
        length = &r.LngLineHeight;
    if (length) {
        qint32 twips = 0;
        if (!TypedMmToTwips(Value, twips))
            return false;
        *length = twips;
        MarkDocChanged();
        return true;
    }

    if (is("区域名称")) {
        r.StrName = Value;
    } else if (is("区域类别")) {
        r.StrRangeType = Value;
    } else if (is("对应的分组列")) {
        r.strGroupField = Value;
    } else if (is("是否分页")) {
        r.blnPageBreak = Value.trimmed() == QStringLiteral("分页");
        MarkDocChanged();
    } else if (is("每页打印行数")) {
        if (Value.trimmed().isEmpty())
            return false;
        bool ok = false;
        const qint32 lines = ToLong(Value, &ok);
        if (!ok)
            return false;
        r.lngLines = lines;
        MarkDocChanged();
    } else if (is("显示属性")) {
        const bool differs = !SameText(Value, r.strDisplayStyle);
        if (differs)
            MarkDocChanged();
        if (!SameText(r.strDisplayStyle, kHidden) && !SameText(Value, kHidden)) {
            r.strDisplayStyle = Value;
        } else if (differs) {
            // The range comes into view or leaves it: the bands below move.
            r.strDisplayStyle = Value;
            r.blnVisible = !SameText(Value, kHidden);
            ReDrawAllRangesAndObject();
        }
    }
    return true;
}

void clsRangeManager::ListMenu(const QString& StrName, bool mark)
{
    const QString name = StrName.trimmed();
    for (size_t i = 0; i < m_menuChecked.size(); ++i)
        if (name.isEmpty() || SameText(name, QString::fromUtf8(kMenus[i].rangeName)))
            m_menuChecked[i] = mark;
}

bool clsRangeManager::MenuChecked(const QString& menuName) const
{
    for (size_t i = 0; i < m_menuChecked.size(); ++i)
        if (SameText(menuName.trimmed(), QString::fromUtf8(kMenus[i].menuName)))
            return m_menuChecked[i];
    return false;
}

void clsRangeManager::ReDrawAllRangesAndObject() {}

void clsRangeManager::DeleteAllObjects() {}
