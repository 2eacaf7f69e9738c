#pragma once
#include <QString>

// One horizontal band of the report. Geometry in twips; `top` is the top of the
// working area below the caption strip, set by the layout pass.
struct clsRange
{
    QString StrName;
    QString StrRangeType;
    QString strDisplayStyle;
    bool blnPageBreak = false;
    qint32 top = 0;
    qint32 Height = 0;
    qint32 left = 0;
    qint32 Width = 0;
    qint32 lngLines = 25;
    QString strGroupField;
    bool blnVisible = false;
    qint32 LngLineHeight = 350;
    bool blnSelected = false;
    // Set by the layout pass when the range took its place on the canvas (not stored).
    bool blnLaidOut = false;
};
