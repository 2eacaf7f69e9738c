#pragma once
#include <QtGlobal>
#include <algorithm>
#include <limits>

// A box on the canvas in twips: left and top from the owner's origin, width and height.
struct clsSceneRect
{
    qint32 left = 0;
    qint32 top = 0;
    qint32 width = 0;
    qint32 height = 0;

    // Edges of a box stored anywhere in 32 bits stay in 32 bits: they saturate.
    qint32 Right() const { return Saturated(qint64(left) + width); }
    qint32 Bottom() const { return Saturated(qint64(top) + height); }
    static qint32 Saturated(qint64 value)
    {
        return qint32(std::clamp<qint64>(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
    }
    bool operator==(const clsSceneRect& o) const
    {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
    bool operator!=(const clsSceneRect& o) const { return !(*this == o); }
};
