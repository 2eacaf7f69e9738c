#pragma once
#include "clsFormatRow.h"
#include <QString>
#include <functional>

// The report's printer, paper, orientation, margins (0.1 mm) and frame flag, and
// the fixed catalogue of 41 papers.
class clsPrintSetting
{
public:
    clsPrintSetting();
    ~clsPrintSetting();

    QString StrPrintDrive;
    qint32 LngPaperType = 9;
    qint32 LngOrientation = 1;
    qint32 LngPrintLeft = 180;
    qint32 LngPrintTop = 200;
    qint32 LngPrintButton = 180;
    qint32 LngPrintRight = 180;
    bool blnListFrame = true;

    // Hands out one catalogue record per call; the call that hands out the 41st
    // record answers False and the cursor starts again.
    bool EnumPapers(qint32& lngSize, QString& StrName, bool blnClear = false);
    // Width gets the record's second dimension, height its first; unknown ids leave both.
    void GetPaperSize(qint32 lngID, qint32& lngwidth, qint32& lngheight) const;

    static constexpr int PaperCount = 41;

    // The stored row of the settings, and the settings from a stored row (throws
    // clsDatabaseError when a number does not convert).
    clsFormatRow ToRow() const;
    void FromRow(const clsFormatRow& row);

    // The default printer's device name comes from the windowing side, which installs
    // this provider; without it the name is empty.
    static void SetDefaultPrinterProvider(std::function<QString()> provider);
    static QString DefaultPrinterName();

private:
    void ResetDefaults();
    int m_intPaperCursor = 0;
};
