#pragma once
#include "clsFormatRow.h"
#include <QString>
#include <vector>

// A report's whole stored format as one value: its object rows in the order a save
// writes them (labels, ranges, columns, titles, groups, sums, help id, print settings)
// and, where it was taken from a database rather than from an open document, the
// catalogue row and the filter rows. Equal formats give equal snapshots, and the JSON
// text form is stable (fixed key order, one row per object), so two snapshots of the
// same format give the same text and a changed format diffs by object.
class clsFormatSnapshot
{
public:
    // Rpt_GlbDEF: only what identifies and describes the report; ID and the save lock
    // belong to the database the format sits in.
    struct Catalogue
    {
        QString Name;
        QString SystemID;
        QString Note;
        QString Relation;
        QString DatabaseEx;
        qint64 IsBaseTable = 0;
        qint64 Type = 0;
        bool operator==(const Catalogue& o) const;
    };
    // Rpt_FltDEF: one filter condition of the report.
    struct FilterRow
    {
        QString note;
        qint64 ModeEx = 0;
        qint64 location = 0;
        bool operator==(const FilterRow& o) const;
    };

    std::vector<clsFormatRow> Rows;
    bool HasCatalogue = false;
    Catalogue Report;
    std::vector<FilterRow> Filters;

    bool operator==(const clsFormatSnapshot& other) const;
    bool operator!=(const clsFormatSnapshot& other) const { return !(*this == other); }

    // The rows of one kind, in their order.
    std::vector<const clsFormatRow*> RowsOf(qint32 modeEx) const;

    // Indented JSON ending with a newline.
    QString ToJson() const;
    // Reads a text written by ToJson. On failure answers False with `error` naming the
    // place (a JSON path such as rows[3].Width) and the problem, in the system's words.
    static bool FromJson(const QString& text, clsFormatSnapshot& snapshot, QString& error);

    // Approximate bytes held, for keeping histories of snapshots within bounds.
    qint64 ApproximateSize() const;
};
