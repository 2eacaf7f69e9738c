#pragma once
#include "clsTitle.h"
#include <QString>
#include <memory>
#include <vector>

// The rules of the composite-title grid, kept by every edit of columns and titles.
//
// Titles cover cells of a grid whose rows are title rows (1 at the top, at most five)
// and whose columns are the enabled report columns by number (1..n). A well-formed grid
// has no two titles sharing a cell, every title inside rows 1..5 and columns 1..n, and
// each column carrying its own title: one that starts over it and reaches the last row.
// That last rule is the one the load's link step relies on: a grid saved well-formed is
// read back exactly, with nothing created by the link step.
class clsTitleGrid
{
public:
    using Titles = std::vector<std::unique_ptr<clsTitle>>;
    static constexpr qint32 MaxRows = 5;

    // The last title row (the deepest bottom row), 0 without titles.
    static qint32 Depth(const Titles& titles);
    // The problems of the grid over `columns` enabled columns, one text each; empty when
    // the grid is well-formed.
    static QStringList Problems(const Titles& titles, qint32 columns);
    // The title standing over a column in the last row (the column's own title), or nullptr.
    static clsTitle* OwnTitle(const Titles& titles, qint32 column);
    // Every column's own title in one walk of the titles (OwnTitle once a column walks
    // them once a column): the entry at c is column c's, nullptr where it has none.
    static std::vector<clsTitle*> OwnTitles(const Titles& titles, qint32 columns);
    // The title covering a cell, or nullptr.
    static clsTitle* At(const Titles& titles, qint32 row, qint32 column);

    // Column `k` leaves the grid: titles right of it move left, spans over it narrow and
    // titles over it alone go. Answers the titles that went.
    static Titles RemoveColumn(Titles& titles, qint32 k);
    // A column comes in at number `k`: titles from k on move right and spans across the
    // gap widen over it.
    static void InsertColumn(Titles& titles, qint32 k);
    // A new row comes in at `row`: titles from it on move down, titles across it grow.
    static void InsertRow(Titles& titles, qint32 row);
    // Rows no title covers go; the rows below move up.
    static void RemoveEmptyRows(Titles& titles);
    // Gives column `k` its own title when it has none: named `name` (made unique among
    // the titles), over the rows free above the last row, at least the last row itself.
    static clsTitle* EnsureOwnTitle(Titles& titles, qint32 k, const QString& name, bool visible);
    // `wanted`, or wanted + 1, 2, ... until no title has that name (case ignored).
    static QString UniqueName(const Titles& titles, const QString& wanted);
};
