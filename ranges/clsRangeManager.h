#pragma once
#include "clsRange.h"
#include <memory>
#include <vector>

// The report's bands: load, save, lookups and properties.
class clsRangeManager
{
public:
    std::vector<std::unique_ptr<clsRange>> Ranges;
    qint32 pTitleHeight = 0;
    qint32 pColHeight = 0;

    void LoadRangeDefine(qint32 ID, bool& ok);
    void SaveRangeDefine(qint32 ID, bool& ok);
    void DeleteAllObjects();

private:
    qint32 m_lngID = 0;
};
