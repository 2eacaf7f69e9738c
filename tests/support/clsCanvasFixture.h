#pragma once
#include "columns/clsFieldsManager.h"
#include "document/clsDocument.h"
#include "labels/clsLabelManager.h"
#include <QString>

// A report laid out on the canvas without a database: the default ranges, three
// columns a (1000), b (1200), c (800) with fields fa, fb, fc, and one row of titles
// ta, tb, tc over them. Bands: title 240..1240, body 1480..2980 (titles at 1500,
// separator at 1800, columns at 1880..2180, lefts 0, 1000, 2200).
struct clsCanvasFixture
{
    // Opens the report "某报表" (GL) as a host in RunMode would, on `conn` or on no
    // database at all; every manager exists and DocChanged is cleared.
    static void OpenHeadless(clsDocument& doc, clsConnection* conn = nullptr);
    // Columns are numbered among the enabled ones, as the load does.
    static clsRepcol* AddCol(clsFieldsManager& f, const QString& name, qint32 width, bool enabled = true,
                             bool visible = true, qint32 group = 1);
    static clsTitle* AddTitle(clsFieldsManager& f, const QString& name, qint32 left, qint32 top = 1, qint32 width = 1,
                              qint32 height = 1);
    static clsLabel* AddLabel(clsLabelManager& m, const QString& name, const QString& range, qint32 left = 0,
                              qint32 top = 0);
    // Opens the report as above and draws it; `footerShown` also shows the report
    // footer (3220..4220). DocChanged is cleared and the undo history starts there.
    static clsFieldsManager& OpenLaidOut(clsDocument& doc, bool footerShown = false);
};
