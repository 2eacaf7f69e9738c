#pragma once
#include <QString>
#include <QVariant>

// One report column. `Col` is its number among the enabled columns (1-based).
struct clsRepcol
{
    QString name;
    QString Caption;
    QString CaptionForeign;
    qint32 Col = 0;
    QString StrCondition;
    QString Expression;
    qint32 Dtype = 0;
    qint32 Width = 0;
    qint32 Height = 320;
    QString StrFormat;
    qint32 AlignStyle = 0;
    qint32 TpyOrder = 0;
    qint32 TpyGroup = 0;
    qint32 lngSum = -1;
    qint32 TpyCol = 0;
    bool blnSelected = false;
    bool BlnLocked = false;
    bool blnVisible = true;
    QVariant varValue;
    bool BlnGroupSum = false;
    bool BlnGroupAccount = false;
    bool blnNumber = false;
    QString StrColSum;
    QString strnote;
    bool BlnEnable = true;
    bool BlnDesy = true;
    bool blnCopyed = false;
    qint32 X = 0;
    qint32 Y = 0;
    qint32 cx = 0;
    qint32 cy = 0;
};
