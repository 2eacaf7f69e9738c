#pragma once
#include "clsSceneAlign.h"
#include "clsSceneRect.h"
#include "document/clsFont.h"
#include <QString>

// One element the designer shows on its drawing surface: the caption strip of a
// range, or the view of a label, a column or a composite title. The element only
// mirrors the record it belongs to; the records keep the authoritative geometry.
struct clsSceneElement
{
    enum class Kind
    {
        Strip,
        Label,
        Column,
        Title,
    };

    Kind kind = Kind::Label;
    // The name the element is found by: the record's name (the range's name for a strip).
    QString name;
    // A strip carries its range's name here as well; stale group strips are found by it.
    QString tag;
    clsSceneRect rect;
    QString caption;
    bool visible = false;
    clsSceneAlign alignment = clsSceneAlign::Left;
    clsFont font;
    // Labels whose display attribute is "隐含" are painted in another colour.
    bool hiddenAttribute = false;
    // Drawn with selection marks.
    bool selected = false;
};
