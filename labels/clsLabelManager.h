#pragma once
#include "clsLabel.h"
#include <memory>
#include <vector>

// The report's labels: load, save, editing and properties.
class clsLabelManager
{
public:
    std::vector<std::unique_ptr<clsLabel>> Labels;

    void LoadReportLabels(qint32 ID, bool& ok);
    void SaveReportLabels(qint32 ID, bool& ok);
};
