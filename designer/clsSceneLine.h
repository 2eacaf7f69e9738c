#pragma once
#include <QtGlobal>

// A straight line on the sheet or the drawing surface, in twips.
struct clsSceneLine
{
    qint32 x1 = 0;
    qint32 y1 = 0;
    qint32 x2 = 0;
    qint32 y2 = 0;
    bool visible = false;
};
