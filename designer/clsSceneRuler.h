#pragma once
#include "clsRulerTick.h"
#include "clsSceneRect.h"
#include <vector>

// A millimetre ruler along one edge of the canvas. Every tick is drawn across the
// ruler starting TickOffset twips from its edge.
struct clsSceneRuler
{
    static constexpr qint32 TickOffset = 100;

    bool vertical = false;
    clsSceneRect rect;
    // The count of the first tick; the window scrolls the ruler by changing it.
    qint32 start = 0;
    std::vector<clsRulerTick> ticks;
};
