#include "clsFieldsManager.h"

void clsFieldsManager::LoadAllObjects(qint32 ID, bool& ok)
{
    m_lngID = ID;
    ok = false;
}

void clsFieldsManager::SaveAllObjects(bool& ok)
{
    m_blnSaveRefused = false;
    ok = true;
}
