#pragma once
#include <QtGlobal>

// A box on the canvas in twips: left and top from the owner's origin, width and height.
struct clsSceneRect
{
    qint32 left = 0;
    qint32 top = 0;
    qint32 width = 0;
    qint32 height = 0;

    qint32 Right() const { return left + width; }
    qint32 Bottom() const { return top + height; }
    bool operator==(const clsSceneRect& o) const
    {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
    bool operator!=(const clsSceneRect& o) const { return !(*this == o); }
};
