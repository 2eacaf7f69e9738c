#pragma once
#include <QString>

// One parameter of a catalogue function.
struct clsPere
{
    QString StrName;
    bool bNeedInput = false;
    QString strDefault;
    QString strRefType;
    qint32 lngDataType = 0;
};
