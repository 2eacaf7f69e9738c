#pragma once
#include "clsPere.h"
#include <QList>
#include <QString>

// One function of the catalogue, from rpt_fundef or from a function server.
struct clsFunction
{
    qint32 id = 0;
    QString StrName;
    QString strFuncDefine;
    QString StrGroup;
    QString strLimitRange;
    bool blnUserDefine = false;
    bool blnSysService = false;
    bool blnlimited = false;
    QList<clsPere> Peres;
    qint32 LngFirst = 0;
};
