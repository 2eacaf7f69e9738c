#pragma once
#include "clsSceneElement.h"
#include "clsSceneRect.h"
#include <QString>

// A small square on one edge of a selected element that the user drags to resize it.
struct clsSizeHandle
{
    enum Edge
    {
        Top = 0,
        Bottom = 1,
        Left = 2,
        Right = 3,
    };

    Edge edge = Top;
    clsSceneRect rect;
    clsSceneElement::Kind ownerKind = clsSceneElement::Kind::Label;
    QString owner;
};
