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

qint32 clsFieldsManager::GetCol(const QString& name) const
{
    const QString wanted = name.trimmed();
    for (const auto& col : Cols)
        if (col->name.trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return col->Col;
    return -1;
}
