#include "clsLabelManager.h"

void clsLabelManager::LoadReportLabels(qint32, bool& ok)
{
    ok = true;
}

void clsLabelManager::SaveReportLabels(qint32, bool& ok)
{
    ok = true;
}

bool clsLabelManager::InLabels(const QString& StrName) const
{
    const QString wanted = StrName.trimmed();
    for (const auto& label : Labels)
        if (label->StrName.compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}
