#pragma once
#include "document/clsFont.h"
#include <QString>

// One row of the property grid: caption (also the key), value kind, edit kind.
struct ClsPropDiscription
{
    // Value kinds (lngDataType).
    static constexpr qint32 DataNumber = 0;
    static constexpr qint32 DataText = 1;
    static constexpr qint32 DataFont = 4;
    // Edit kinds (LngRefType).
    static constexpr qint32 RefTyped = 0;
    static constexpr qint32 RefList = 1;
    static constexpr qint32 RefExpression = 3;
    static constexpr qint32 RefFontDialog = 4;
    static constexpr qint32 RefFormatList = 5;

    QString StrPropName;
    qint32 lngDataType = 0;   // 0 number, 1 text, 4 font
    qint32 LngRefType = 0;    // 0 typed, 1 list, 3 expression editor, 4 font dialog, 5 format list
    bool blnReadOnly = false;
    QString StrMemo;
    QString strValue;
    clsFont objFont;
};
