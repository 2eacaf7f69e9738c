#pragma once
#include <QString>

// One composite title cell: rows `top`..`top+Height-1` and columns
// `left`..`left+Width-1` of the title grid, plus where it was last drawn (twips).
struct clsTitle
{
    QString name;
    QString nameForeign;
    qint32 top = 0;
    qint32 left = 0;
    qint32 Width = 0;
    qint32 Height = 0;
    qint32 Col = 0;
    bool blnVisible = false;
    bool blnSelected = false;
    bool blnCopyed = false;
    bool blnDelected = false;
    qint32 lngTop = 0;
    qint32 X = 0;
    qint32 Y = 0;
    qint32 cx = 0;
    qint32 cy = 0;
};
