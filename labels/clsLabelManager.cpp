#include "clsLabelManager.h"

void clsLabelManager::LoadReportLabels(qint32, bool& ok)
{
    ok = true;
}

void clsLabelManager::SaveReportLabels(qint32, bool& ok)
{
    ok = true;
}
