#pragma once
#include <QtGlobal>

// One millimetre mark of a ruler: where it lies along the ruler and how long it is
// (30 short, 60 every fifth, 90 every tenth millimetre), both in twips.
struct clsRulerTick
{
    qint32 position = 0;
    qint32 length = 0;

    bool operator==(const clsRulerTick& o) const { return position == o.position && length == o.length; }
};
