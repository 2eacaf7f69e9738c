#pragma once
#include <QString>

// Bridge to the filter-setting component, which edits the report's Rpt_FltDEF rows.
class clsReportFilter
{
public:
    static QString ComponentId() { return QStringLiteral("QXVimbaReport.clsfilterInterface"); }
    void OpenFilterSetting(bool& ok);
    QString CloseFilter() { return QString(); }
};
