#pragma once
#include "clsConnection.h"
#include "clsFormatRow.h"
#include <memory>
#include <vector>

// Reading and writing a report's object rows in Rpt_FldDEF. Every value is bound; the
// statement texts carry only the kind numbers. Errors raise clsDatabaseError with the
// driver's description, for the caller to report under its own routine's name.
class clsFormatStore
{
public:
    // The report's rows of the given kinds in one read, each kind in the order its
    // loader expects (columns, labels and ranges by OrderEx, titles by LeftEx then
    // Width), kinds in the order given. What those orders leave open is settled by the
    // rows' values, never by the order the database returns them in.
    static std::vector<clsFormatRow> ReadRows(clsConnection& conn, qint32 id, const std::vector<qint32>& kinds);
    // The same rows in the same order, left where they were read: an open hands each
    // manager its kinds by pointer, so no row is moved.
    struct RowsInPlace
    {
        std::vector<const clsFormatRow*> ordered;
        std::vector<std::unique_ptr<clsFormatRow[]>> blocks;
    };
    // `how`, when given, is the query to read with: ReadStatementByName's (rows of
    // other reports it answers are left out).
    static RowsInPlace ReadInPlace(clsConnection& conn, qint32 id, const std::vector<qint32>& kinds,
                                   const clsConnection::Statement* how = nullptr);
    // The query both read with, for reading it ahead.
    static clsConnection::Statement ReadStatement(qint32 id, const std::vector<qint32>& kinds);
    // The same rows found by the report's name, before its ID is known: on a server the
    // catalogue row and the format then come in one round trip.
    static clsConnection::Statement ReadStatementByName(const QString& systemId, const QString& name,
                                                        const std::vector<qint32>& kinds);
    // Deletes the report's rows of the given kinds in one statement.
    static void DeleteKinds(clsConnection& conn, qint32 id, const std::vector<qint32>& kinds);
    // Inserts rows (all of one kind, `modeEx`) with the columns that kind writes.
    static void InsertRows(clsConnection& conn, qint32 id, qint32 modeEx, const std::vector<const clsFormatRow*>& rows);
    // Inserts the rows of every saved kind, kinds in save order and each kind's rows in
    // the order given, each row with the columns its kind writes (the others Null), in
    // as few statements as the database takes. Rows of other kinds are not written.
    static void InsertFormat(clsConnection& conn, qint32 id, const std::vector<clsFormatRow>& rows);

    // The kinds' numbers as an SQL list, "0,3,4".
    static QString KindList(const std::vector<qint32>& kinds);

    // Puts rows in the order ReadRows gives them, kinds in save order. A format taken
    // from an open document and the same format read back after its save list alike.
    static void OrderAsRead(std::vector<clsFormatRow>& rows);

    // The save lock in the catalogue row's Cols: one conditional update, granted when
    // it touched the row. Inside a transaction on PostgreSQL a writer that finds the
    // row locked by another transaction gives up at once instead of queueing behind it,
    // as it would find Cols = 1 without a transaction. Never throws.
    static bool TakeSaveLock(clsConnection& conn, qint32 id);
    static bool ReleaseSaveLock(clsConnection& conn, qint32 id);
};
