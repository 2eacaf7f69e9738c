#pragma once
#include "clsFormatRow.h"
#include <vector>

class clsConnection;

// Reading and writing a report's object rows in Rpt_FldDEF. Every value is bound; the
// statement texts carry only the kind numbers. Errors raise clsDatabaseError with the
// driver's description, for the caller to report under its own routine's name.
class clsFormatStore
{
public:
    // The report's rows of the given kinds in one read, each kind in the order its
    // loader expects (columns, labels and ranges by OrderEx, titles by LeftEx then
    // Width, the others as stored), kinds in the order given.
    static std::vector<clsFormatRow> ReadRows(clsConnection& conn, qint32 id, const std::vector<qint32>& kinds);
    // Deletes the report's rows of the given kinds in one statement.
    static void DeleteKinds(clsConnection& conn, qint32 id, const std::vector<qint32>& kinds);
    // Inserts rows (all of one kind, `modeEx`) with the columns that kind writes.
    static void InsertRows(clsConnection& conn, qint32 id, qint32 modeEx, const std::vector<const clsFormatRow*>& rows);

    // The kinds' numbers as an SQL list, "0,3,4".
    static QString KindList(const std::vector<qint32>& kinds);
};
