#include "clsRangeManager.h"
#include "document/modPublicDefine.h"
#include "labels/clsLabelManager.h"
#include <algorithm>

namespace {
const QString kGroupHeader = QStringLiteral("分组标题区");
const QString kGroupFooter = QStringLiteral("分组脚注区");

bool IsGroupRangeOf(const clsRange& range, const QString& column)
{
    return (SameText(range.StrRangeType, kGroupHeader) || SameText(range.StrRangeType, kGroupFooter))
           && SameText(range.strGroupField.trimmed(), column.trimmed());
}
}

clsRange* clsRangeManager::FindGroupRange(const QString& column, bool header) const
{
    const QString& kind = header ? kGroupHeader : kGroupFooter;
    for (const auto& range : Ranges)
        if (SameText(range->StrRangeType, kind) && SameText(range->strGroupField.trimmed(), column.trimmed()))
            return range.get();
    return nullptr;
}

bool clsRangeManager::GroupRangeShown(const QString& column, bool header) const
{
    const clsRange* range = FindGroupRange(column, header);
    return range && range->blnVisible;
}

clsRange* clsRangeManager::AddGroupRange(const QString& column, bool header)
{
    auto range = std::make_unique<clsRange>();
    range->StrRangeType = header ? kGroupHeader : kGroupFooter;
    range->strGroupField = column;
    range->StrName = QStringLiteral("[分组]") + column + (header ? QStringLiteral("_标题") : QStringLiteral("_脚注"));
    range->strDisplayStyle = QStringLiteral("只打印");
    range->blnVisible = true;
    range->Height = 1000;
    Ranges.push_back(std::move(range));
    MarkDocChanged();
    return Ranges.back().get();
}

void clsRangeManager::SetGroupRangeShown(const QString& column, bool header, bool shown)
{
    clsRange* range = FindGroupRange(column, header);
    if (!range) {
        // Hiding a range that was never created has nothing to hide.
        if (shown)
            AddGroupRange(column, header);
        return;
    }
    range->strDisplayStyle = shown ? QStringLiteral("只打印") : QStringLiteral("隐含");
    range->blnVisible = shown;
    MarkDocChanged();
}

int clsRangeManager::RemoveGroupRanges(const QString& column)
{
    // The labels of a group band go with it: no label may name a range that is gone.
    if (clsLabelManager* labels = DocumentLabels())
        for (const auto& r : Ranges)
            if (IsGroupRangeOf(*r, column))
                labels->DeleteRangeLabels(r->StrName);
    const auto before = Ranges.size();
    Ranges.erase(std::remove_if(Ranges.begin(), Ranges.end(),
                                [&](const std::unique_ptr<clsRange>& r) { return IsGroupRangeOf(*r, column); }),
                 Ranges.end());
    const int removed = int(before - Ranges.size());
    if (removed > 0)
        MarkDocChanged();
    return removed;
}
