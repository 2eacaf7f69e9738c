#pragma once
#include "clsDatabaseError.h"
#include "clsRecordset.h"
#include <QSqlDatabase>
#include <QSqlError>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>
#include <QMetaType>

struct pg_conn;
struct pg_result;
struct sqlite3;
struct sqlite3_stmt;

// The host's database connection as the component uses it: forward-only text
// queries, statements, the connection string and the host's transaction. The host
// owns the connection; the component never opens or closes it.
class clsConnection
{
public:
    // `connectionName` names a QSqlDatabase connection that the host has opened.
    explicit clsConnection(const QString& connectionName = QLatin1String(QSqlDatabase::defaultConnection));

    // What every operation on a connection that is closed (or none at all) says.
    static QString ClosedText();

    QSqlDatabase Database() const { return QSqlDatabase::database(m_name, false); }
    QString Name() const { return m_name; }
    bool IsOpen() const;
    bool IsPostgres() const;

    clsRecordset Open(const QString& sql);   // throws clsDatabaseError
    int Execute(const QString& sql);         // rows affected; throws clsDatabaseError
    // The same with values bound to the statement's "?" placeholders in order: a value
    // from the user or from stored data never becomes part of a statement's text. A
    // Null QVariant binds SQL Null.
    clsRecordset Open(const QString& sql, const QVariantList& params);
    int Execute(const QString& sql, const QVariantList& params);
    QString ConnectionString() const;

    // Transactions begun here are counted, so a save can tell whether the host is
    // already inside one and must not commit it.
    bool InTransaction() const { return m_transactionDepth > 0; }
    bool BeginTrans();
    bool CommitTrans();     // false: still inside the transaction, to be rolled back
    bool RollbackTrans();

    // Rows of one table, in the order given, written as fast as the database takes them.
    // PostgreSQL: COPY ... FROM STDIN on the connection's own session (so inside its
    // transaction); where the client library cannot be reached, one statement that
    // unnests a bound array text per column (the table's column types are read once a
    // connection). SQLite: one prepared single-row insert run for each row, through
    // SQLite's own calls where they can be reached; the statement hook is called once
    // for each group of rows a statement of MaxBoundValues() values would carry, so
    // faults land as on a server. Throws clsDatabaseError.
    void InsertMany(const QString& table, const QStringList& columns, const std::vector<QVariantList>& rows);
    // The same with the rows read where they are: value(r, c) is row r's value of
    // columns[c], and stays valid until InsertMany returns.
    using RowValue = std::function<const QVariant&(size_t row, qsizetype column)>;
    void InsertMany(const QString& table, const QStringList& columns, size_t rowCount, const RowValue& value);
    // The rows of a query, read as fast as the database hands them out: `columns` is
    // called once with the result's column names, then `row` once a row with its values
    // in that order (they may be moved from). Through the client library's own calls
    // where it can be reached and the result holds only numbers and texts, else through
    // Qt's driver; either way a value comes as the driver hands it out (whole numbers
    // as qlonglong or int, texts as QString, Null as a null QVariant). Throws
    // clsDatabaseError.
    using ColumnNames = std::function<void(const QStringList& names)>;
    using RowValues = std::function<void(QVariant* values)>;
    void ReadMany(const QString& sql, const QVariantList& params, const ColumnNames& columns, const RowValues& row);
    // The same with each value put straight where it is kept: `places` is called once a
    // row and gives a place for each column (nullptr: the column is not wanted), `done`
    // once that row's values are in their places.
    using RowPlaces = std::function<QVariant* const*()>;
    using RowDone = std::function<void()>;
    void ReadInto(const QString& sql, const QVariantList& params, const ColumnNames& columns, const RowPlaces& places,
                  const RowDone& done);
    // Off: InsertMany, ReadMany and ReadInto, and on PostgreSQL every bound statement,
    // go through Qt's drivers only, as where the client libraries cannot be reached
    // (tests run both ways).
    static void SetDirectAccess(bool on) { s_direct = on; }
    // Values one statement of InsertMany may carry on this connection.
    int MaxBoundValues() const;

    // Queries a caller is about to run, sent ahead together: on a server, in one round
    // trip instead of one each. Each answer is kept for the first Open, ReadMany or
    // ReadInto of the same text and values, which takes it instead of asking again (the
    // statement hook is called then, as for any statement). Nothing is kept on SQLite,
    // where there is no trip to save, nor past the next statement that writes, a
    // transaction's start or end, or DropReadAhead. Never throws: a query that fails is
    // kept with its failure, to fail where it is run.
    // A probe is only asked whether the database takes it (see Takes).
    struct Statement
    {
        QString sql;
        QVariantList params;
        bool probe = false;
    };
    void ReadAhead(const std::vector<Statement>& statements);
    // Whether the database takes a query as it stands, its tables and columns there:
    // it is parsed and planned, never run, so no row of it is read however many there
    // are. Never throws; a failure of the statement hook counts as not taken.
    bool Takes(const QString& sql);

    // A statement that ends a transaction (the save's unlock) and then COMMIT, in one
    // round trip on a server. Throws clsDatabaseError when the statement fails: nothing
    // is committed and the transaction waits for RollbackTrans. Answers false when the
    // commit fails, as CommitTrans does. `rows` gets what the statement changed.
    bool CommitTransAfter(const Statement& last, int& rows);
    void DropReadAhead();
    // Round trips that read ahead, and statements answered from them.
    qint64 ReadAheadTrips() const { return m_aheadTrips; }
    qint64 AnsweredAhead() const { return m_answeredAhead; }

    // Failed statements so far; a save compares it before and after to decide on rollback.
    qint64 FailureCount() const { return m_failures; }
    // The most recent failure, to tell the user why a save did not happen.
    clsDatabaseError LastFailure() const { return clsDatabaseError(m_lastFailure, m_lastFailureCode); }

    // Called with each text before it runs; may throw clsDatabaseError (fault injection).
    using StatementHook = std::function<void(const QString& sql)>;
    void SetStatementHook(StatementHook hook) { m_hook = std::move(hook); }

private:
    // Counts a failed statement and keeps it as the last failure.
    void NoteFailure(const QString& description, const QString& code);
    [[noreturn]] void Fail(const QString& description, const QString& code = QString());
    [[noreturn]] void Fail(const QSqlError& error);
    // SQLite's last error on `db`; `statement`, if any, is finished and left null.
    [[noreturn]] void FailOnSqlite(sqlite3* db, sqlite3_stmt*& statement);
    // `sql` prepared on `db` with `params` bound as Qt's driver binds them; throws.
    sqlite3_stmt* PrepareOnSqlite(sqlite3* db, const QString& sql, const QVariantList& params);
    // libpq's error: `result`'s (which is cleared), or the session's where there is none.
    [[noreturn]] void FailOnPq(pg_conn* session, pg_result* result);
    // What libpq says went wrong, from `result` or else the session, as it is reported.
    static clsDatabaseError PqFailure(pg_conn* session, const pg_result* result);
    void RunHook(const QString& sql);
    int Run(const QString& sql);
    QSqlQuery Prepare(const QString& sql, const QVariantList& params);
    // COPY through the client library under Qt's driver; false when that library or the
    // session cannot be reached (nothing was sent then). Throws clsDatabaseError.
    bool CopyIn(const QString& table, const QStringList& columns, size_t rowCount, const RowValue& value);
    // SQLite: the single-row insert `sql` stepped for each row on the driver's handle,
    // prepared again after each statement-hook call; false when that library cannot be
    // reached. Throws clsDatabaseError.
    bool InsertThroughSqlite(const QString& sql, size_t rowCount, qsizetype width, size_t perStatement,
                             const RowValue& value);
    // ReadInto through SQLite's or libpq's own calls; false when they cannot be reached
    // (nothing was run then).
    bool ReadThroughSqlite(const QString& sql, const QVariantList& params, const ColumnNames& columns,
                           const RowPlaces& places, const RowDone& done);
    bool ReadThroughPq(const QString& sql, const QVariantList& params, const ColumnNames& columns,
                       const RowPlaces& places, const RowDone& done);
    // A bound statement run through libpq in one round trip; false (nothing run) when
    // libpq or the session cannot be reached or a value is of a kind only the driver
    // writes. Throws clsDatabaseError.
    bool ExecuteThroughPq(const QString& sql, const QVariantList& params, int& rows);
    bool ExecuteThroughSqlite(const QString& sql, const QVariantList& params, int& rows);
    pg_result* RunThroughPq(const QString& sql, const QVariantList& params, int expected);
    // Sends the BEGIN that BeginTrans held back, if it did; throws when it fails.
    void FlushBegin();
    // A whole libpq result handed out as ReadInto does; false (nothing handed out) when
    // it holds a type only the driver reads.
    bool ReadPqResult(pg_result* result, const ColumnNames& columns, const RowPlaces& places, const RowDone& done);
    // ReadInto answered from what was read ahead; false when nothing was. Throws the
    // kept failure.
    bool AnswerFromAhead(const QString& sql, const QVariantList& params, const ColumnNames& columns,
                         const RowPlaces& places, const RowDone& done);
    struct Ahead
    {
        QString sql;
        QVariantList params;
        std::shared_ptr<pg_result> answer;
        bool probe = false;
    };
    std::vector<Ahead> m_ahead;
    qint64 m_aheadTrips = 0;
    qint64 m_answeredAhead = 0;
    static bool s_direct;
    QString m_name;
    int m_transactionDepth = 0;
    bool m_beginPending = false;   // BEGIN goes with the transaction's first statement
    qint64 m_failures = 0;
    QString m_lastFailure;
    QString m_lastFailureCode;
    StatementHook m_hook;
    // PostgreSQL column types of the tables InsertMany writes, by table and column list.
    QHash<QString, QStringList> m_columnTypes;
    QStringList ColumnTypes(const QString& table, const QStringList& columns);
};
Q_DECLARE_METATYPE(clsConnection*)
