#include "clsConnection.h"
#include "clsDatabaseError.h"
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace {
QString DescribeError(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("数据库操作失败");
    return text;
}
}

clsConnection::clsConnection(const QString& connectionName) : m_name(connectionName) {}

bool clsConnection::IsOpen() const
{
    return QSqlDatabase::contains(m_name) && Database().isOpen();
}

bool clsConnection::IsPostgres() const
{
    return Database().driverName() == QLatin1String("QPSQL");
}

void clsConnection::Fail(const QString& description, const QString& code)
{
    ++m_failures;
    m_lastFailure = description;
    m_lastFailureCode = code;
    throw clsDatabaseError(description, code);
}

void clsConnection::Fail(const QSqlError& error)
{
    Fail(DescribeError(error), error.nativeErrorCode());
}

void clsConnection::RunHook(const QString& sql)
{
    if (!m_hook)
        return;
    try {
        m_hook(sql);
    } catch (const clsDatabaseError& e) {
        ++m_failures;
        m_lastFailure = e.Description();
        m_lastFailureCode = e.Code();
        throw;
    }
}

clsRecordset clsConnection::Open(const QString& sql)
{
    RunHook(sql);
    if (!IsOpen())
        Fail(QStringLiteral("连接无法用于执行此操作。在此上下文中它可能已被关闭或无效。"));
    QSqlQuery query(Database());
    query.setForwardOnly(true);
    if (!query.exec(sql))
        Fail(query.lastError());
    return clsRecordset(std::move(query));
}

int clsConnection::Execute(const QString& sql)
{
    RunHook(sql);
    return Run(sql);
}

QSqlQuery clsConnection::Prepare(const QString& sql, const QVariantList& params)
{
    if (!IsOpen())
        Fail(QStringLiteral("连接无法用于执行此操作。在此上下文中它可能已被关闭或无效。"));
    QSqlQuery query(Database());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        Fail(query.lastError());
    for (const QVariant& value : params) {
        // The drivers bind a null text as SQL Null; a text the component holds is
        // never Null, it is at most empty, as it would read back.
        if (value.typeId() == QMetaType::QString && value.toString().isNull())
            query.addBindValue(QStringLiteral(""));
        else
            query.addBindValue(value);
    }
    if (!query.exec())
        Fail(query.lastError());
    return query;
}

clsRecordset clsConnection::Open(const QString& sql, const QVariantList& params)
{
    RunHook(sql);
    return clsRecordset(Prepare(sql, params));
}

int clsConnection::Execute(const QString& sql, const QVariantList& params)
{
    RunHook(sql);
    return Prepare(sql, params).numRowsAffected();
}

int clsConnection::Run(const QString& sql)
{
    if (!IsOpen())
        Fail(QStringLiteral("连接无法用于执行此操作。在此上下文中它可能已被关闭或无效。"));
    QSqlQuery query(Database());
    if (!query.exec(sql))
        Fail(query.lastError());
    return query.numRowsAffected();
}

int clsConnection::MaxBoundValues() const
{
    // PostgreSQL takes up to 65535 parameters, but through Qt's driver binding and
    // sending a statement costs more than linearly in its values: 673 rows of 17 values
    // took 210 ms in one statement, 99 ms in statements of 200 rows and 95 ms in
    // statements of 50. About 4,000 values a statement stays near the best. SQLite: its
    // default SQLITE_MAX_VARIABLE_NUMBER.
    return IsPostgres() ? 4096 : 32766;
}

void clsConnection::InsertMany(const QString& table, const QStringList& columns, const std::vector<QVariantList>& rows)
{
    if (rows.empty() || columns.isEmpty())
        return;
    const qsizetype width = columns.size();
    const size_t perStatement = size_t(std::max<qsizetype>(1, MaxBoundValues() / width));
    QString row = QStringLiteral("(?");
    for (qsizetype i = 1; i < width; ++i)
        row += QStringLiteral(",?");
    row += QLatin1Char(')');
    const QString head = QStringLiteral("Insert into ") + table + QStringLiteral(" (") + columns.join(QLatin1Char(','))
        + QStringLiteral(") values ");
    const auto bind = [&](QSqlQuery& query, const QVariantList& values) {
        for (qsizetype i = 0; i < width; ++i)
            query.addBindValue(i < values.size() ? values.at(i) : QVariant());
    };
    if (!IsPostgres()) {
        // SQLite runs in the process: one prepared single-row insert stepped once a row
        // is its fastest write (Qt's driver binds a statement of many rows' values in
        // time growing with their square). The hook sees the statement once for each
        // group of rows a multi-row statement would carry, so faults land alike.
        const QString sql = head + row;
        if (!IsOpen())
            Fail(QStringLiteral("连接无法用于执行此操作。在此上下文中它可能已被关闭或无效。"));
        QSqlQuery query(Database());
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            Fail(query.lastError());
        for (size_t r = 0; r < rows.size(); ++r) {
            if (r % perStatement == 0) {
                RunHook(sql);
                if (!IsOpen())
                    Fail(QStringLiteral("连接无法用于执行此操作。在此上下文中它可能已被关闭或无效。"));
            }
            bind(query, rows[r]);
            if (!query.exec())
                Fail(query.lastError());
        }
        return;
    }
    // PostgreSQL: every statement is a round trip, so each carries as many rows as it
    // may. Every statement but the last carries the same number, so its text is made once.
    QString fullText;
    const auto text = [&](size_t count) {
        QString sql;
        sql.reserve(head.size() + qsizetype(count) * (row.size() + 1));
        sql += head;
        for (size_t i = 0; i < count; ++i) {
            if (i)
                sql += QLatin1Char(',');
            sql += row;
        }
        return sql;
    };
    for (size_t from = 0; from < rows.size(); from += perStatement) {
        const size_t count = std::min(perStatement, rows.size() - from);
        if (count == perStatement && fullText.isEmpty())
            fullText = text(count);
        const QString sql = count == perStatement ? fullText : text(count);
        RunHook(sql);
        if (!IsOpen())
            Fail(QStringLiteral("连接无法用于执行此操作。在此上下文中它可能已被关闭或无效。"));
        QSqlQuery query(Database());
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            Fail(query.lastError());
        for (size_t r = from; r < from + count; ++r)
            bind(query, rows[r]);
        if (!query.exec())
            Fail(query.lastError());
    }
}

QString clsConnection::ConnectionString() const
{
    if (!QSqlDatabase::contains(m_name))
        return QString();
    const QSqlDatabase db = Database();
    QString text = QStringLiteral("Driver=%1;Database=%2;").arg(db.driverName(), db.databaseName());
    if (!db.hostName().isEmpty())
        text += QStringLiteral("Host=%1;").arg(db.hostName());
    if (db.port() > 0)
        text += QStringLiteral("Port=%1;").arg(db.port());
    if (!db.userName().isEmpty())
        text += QStringLiteral("User=%1;").arg(db.userName());
    return text;
}

bool clsConnection::BeginTrans()
{
    if (!IsOpen() || !Database().transaction())
        return false;
    ++m_transactionDepth;
    return true;
}

bool clsConnection::CommitTrans()
{
    if (m_transactionDepth == 0)
        return false;
    // A commit that fails (SQLite busy past its wait) leaves the transaction open: the
    // caller still has to roll it back. SQLite's driver drops the result code of a
    // failed commit, so there the statement runs as any other, keeping it.
    QSqlError error;
    if (IsPostgres()) {
        if (!Database().commit())
            error = Database().lastError();
    } else {
        QSqlQuery query(Database());
        if (!query.exec(QStringLiteral("COMMIT")))
            error = query.lastError();
    }
    if (error.isValid()) {
        ++m_failures;
        m_lastFailure = DescribeError(error);
        m_lastFailureCode = error.nativeErrorCode();
        return false;
    }
    --m_transactionDepth;
    return true;
}

bool clsConnection::RollbackTrans()
{
    if (m_transactionDepth == 0)
        return false;
    --m_transactionDepth;
    // A connection that went away has lost its transaction with it.
    return IsOpen() && Database().rollback();
}
