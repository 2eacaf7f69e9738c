#include "clsRangeManager.h"

void clsRangeManager::LoadRangeDefine(qint32 ID, bool& ok)
{
    m_lngID = ID;
    ok = true;
}

void clsRangeManager::SaveRangeDefine(qint32, bool& ok)
{
    ok = true;
}

void clsRangeManager::DeleteAllObjects() {}
