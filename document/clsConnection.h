#pragma once
#include "clsDatabaseError.h"
#include "clsRecordset.h"
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <functional>
#include <vector>
#include <QMetaType>

// The host's database connection as the component uses it: forward-only text
// queries, statements, the connection string and the host's transaction. The host
// owns the connection; the component never opens or closes it.
class clsConnection
{
public:
    // `connectionName` names a QSqlDatabase connection that the host has opened.
    explicit clsConnection(const QString& connectionName = QLatin1String(QSqlDatabase::defaultConnection));

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
    // One statement prepared once and run for every list of values in turn (each run
    // passes the statement hook, so a fault can be injected at any row).
    void ExecuteMany(const QString& sql, const std::vector<QVariantList>& rows);
    QString ConnectionString() const;

    // Transactions begun here are counted, so a save can tell whether the host is
    // already inside one and must not commit it.
    bool InTransaction() const { return m_transactionDepth > 0; }
    bool BeginTrans();
    bool CommitTrans();     // false: still inside the transaction, to be rolled back
    bool RollbackTrans();

    // Gathering inserts: while a batch is open, consecutive "Insert into T (columns)
    // values (...)" statements with the same table and columns are sent as one
    // multi-row insert, so a kind's rows cost one statement instead of one each; any
    // other statement or read sends what was gathered first, keeping the order. A failure
    // of gathered rows surfaces at the statement or flush that sends them.
    void BeginBatch();
    void FlushBatch();    // throws clsDatabaseError
    void EndBatch();      // flushes, then stops gathering; throws clsDatabaseError
    void DiscardBatch();  // drops what was gathered and stops gathering
    bool Batching() const { return m_batching; }

    // Failed statements so far; a save compares it before and after to decide on rollback.
    qint64 FailureCount() const { return m_failures; }
    // The most recent failure, to tell the user why a save did not happen.
    clsDatabaseError LastFailure() const { return clsDatabaseError(m_lastFailure, m_lastFailureCode); }

    // Called with each text before it runs; may throw clsDatabaseError (fault injection).
    using StatementHook = std::function<void(const QString& sql)>;
    void SetStatementHook(StatementHook hook) { m_hook = std::move(hook); }

private:
    [[noreturn]] void Fail(const QString& description, const QString& code = QString());
    [[noreturn]] void Fail(const QSqlError& error);
    void RunHook(const QString& sql);
    bool Gather(const QString& sql);
    int Run(const QString& sql);
    QSqlQuery Prepare(const QString& sql, const QVariantList& params);
    QString m_name;
    bool m_batching = false;
    QString m_batchHead;          // "Insert into T (columns) values"
    QString m_batchKey;           // the head without blanks, to compare
    QStringList m_batchRows;      // "(...)" of each gathered row
    qsizetype m_batchChars = 0;
    int m_transactionDepth = 0;
    qint64 m_failures = 0;
    QString m_lastFailure;
    QString m_lastFailureCode;
    StatementHook m_hook;
};
Q_DECLARE_METATYPE(clsConnection*)
