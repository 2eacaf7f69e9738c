#pragma once
#include "clsRepcol.h"
#include "clsTitle.h"
#include <QString>
#include <memory>
#include <vector>

// The report's columns and composite titles, with their groups, sums and help id.
class clsFieldsManager
{
public:
    std::vector<std::unique_ptr<clsRepcol>> Cols;
    std::vector<std::unique_ptr<clsTitle>> Titles;

    void LoadAllObjects(qint32 ID, bool& ok);
    void SaveAllObjects(bool& ok);

    // `Col` of the column whose name equals the trimmed argument (case ignored); -1 when none.
    qint32 GetCol(const QString& name) const;

    qint32 ReportHelpID() const { return m_lngHelpID; }
    void SetReportHelpID(qint32 id) { m_lngHelpID = id; }

    // True when the last SaveAllObjects refused to write (validation failed); the
    // document then rolls the whole save back and keeps the format marked changed.
    bool LastSaveRefused() const { return m_blnSaveRefused; }

private:
    qint32 m_lngID = 0;
    qint32 m_lngHelpID = 0;
    bool m_blnSaveRefused = false;
};
