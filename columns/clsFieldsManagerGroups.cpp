// The rules of the group window, kept in the model so every way of editing groups
// follows them: a grouped column whose group ranges show cannot stop grouping, and only
// a grouped column prints group headers and footers.
#include "clsFieldsManager.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "ranges/clsRangeManager.h"

std::vector<clsRepcol*> clsFieldsManager::GroupableColumns() const
{
    std::vector<clsRepcol*> listed;
    for (const auto& c : Cols)
        if (!c->Expression.trimmed().isEmpty() && c->BlnEnable && c->blnVisible)
            listed.push_back(c.get());
    return listed;
}

bool clsFieldsManager::ToggleGroupCell(const QString& column, GroupCell cell)
{
    clsRepcol* col = FindCol(column);
    clsRangeManager* ranges = DocumentRanges();
    if (!col || !ranges)
        return false;
    switch (cell) {
    case GroupCell::Grouped:
        if (col->TpyGroup == 2) {
            // A shown group range needs its group: the ranges go first.
            if (ranges->GroupRangeShown(col->name, true) || ranges->GroupRangeShown(col->name, false)) {
                ShowMessage(QStringLiteral("分组标题区域或分组脚注区域是显示的，不能去掉分组属性"));
                return false;
            }
            col->TpyGroup = 1;
        } else {
            col->TpyGroup = 2;
        }
        break;
    case GroupCell::Subtotal:
        col->BlnGroupSum = !col->BlnGroupSum;
        break;
    case GroupCell::Running:
        col->BlnGroupAccount = !col->BlnGroupAccount;
        break;
    case GroupCell::Header:
    case GroupCell::Footer: {
        if (col->TpyGroup != 2) {
            ShowMessage(QStringLiteral("当前列没有分组"));
            return false;
        }
        const bool header = cell == GroupCell::Header;
        ranges->SetGroupRangeShown(col->name, header, !ranges->GroupRangeShown(col->name, header));
        break;
    }
    }
    MarkDocChanged();
    return true;
}

void clsFieldsManager::CloseGroups()
{
    // A group printed with neither header nor footer keeps no ranges at all.
    clsRangeManager* ranges = DocumentRanges();
    if (!ranges)
        return;
    for (clsRepcol* c : GroupableColumns())
        if (!ranges->GroupRangeShown(c->name, true) && !ranges->GroupRangeShown(c->name, false))
            ranges->RemoveGroupRanges(c->name);
}
