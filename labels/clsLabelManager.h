#pragma once
#include "clsLabel.h"
#include <QString>
#include <memory>
#include <vector>

// The report's labels: load, save, editing and properties.
class clsLabelManager
{
public:
    std::vector<std::unique_ptr<clsLabel>> Labels;

    void LoadReportLabels(qint32 ID, bool& ok);
    void SaveReportLabels(qint32 ID, bool& ok);

    // True when a label of that name (argument trimmed, case ignored) exists.
    bool InLabels(const QString& StrName) const;
};
