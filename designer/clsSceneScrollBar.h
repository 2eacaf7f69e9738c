#pragma once
#include <QtGlobal>

// Range and steps of one of the window's scroll bars, in millimetres.
struct clsSceneScrollBar
{
    qint32 min = 0;
    qint32 max = 0;
    qint32 smallChange = 1;
    qint32 largeChange = 1;
    qint32 value = 0;
};
