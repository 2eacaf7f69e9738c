#pragma once
#include "document/clsFont.h"
#include <QString>

// A free-standing text box in one range; geometry in twips relative to the range.
struct clsLabel
{
    QString StrName;
    QString strRang;
    clsFont tpyFont;
    qint32 AlignStyle = 0;
    qint32 top = 0;
    qint32 left = 0;
    qint32 Height = 0;
    qint32 Width = 0;
    QString StrDispStyle = QStringLiteral("显示/打印");
    QString StrDataSouType = QStringLiteral("文本");
    QString strSou;
    bool BlnEnable = true;
    bool BlnVisibled = true;
    bool BlnGroupCou = false;
    qint32 LngFirst = 0;
    QString StrFormat;
    QString StrFuncGroup;
    bool blnlimited = false;
    bool blnSelected = false;
    bool blnCopyed = false;
    bool blnDeleted = false;
};
