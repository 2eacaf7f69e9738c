#include "clsConnection.h"
#include "clsDatabaseError.h"
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

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
    FlushBatch();   // a read must see what was written before it
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
    if (m_batching && Gather(sql))
        return 1;
    FlushBatch();
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
    FlushBatch();
    return clsRecordset(Prepare(sql, params));
}

int clsConnection::Execute(const QString& sql, const QVariantList& params)
{
    RunHook(sql);
    FlushBatch();
    return Prepare(sql, params).numRowsAffected();
}

void clsConnection::ExecuteMany(const QString& sql, const std::vector<QVariantList>& rows)
{
    if (rows.empty())
        return;
    FlushBatch();
    if (!IsOpen())
        Fail(QStringLiteral("连接无法用于执行此操作。在此上下文中它可能已被关闭或无效。"));
    QSqlQuery query(Database());
    if (!query.prepare(sql))
        Fail(DescribeError(query.lastError()));
    for (const QVariantList& values : rows) {
        RunHook(sql);
        if (!IsOpen())
            Fail(QStringLiteral("连接无法用于执行此操作。在此上下文中它可能已被关闭或无效。"));
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values.at(i));
        if (!query.exec())
            Fail(DescribeError(query.lastError()));
    }
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

namespace {
// Splits "Insert into T (columns) values (...)" into its head and its row; empty when
// the text is not a single-row insert of that shape.
bool SplitInsert(const QString& sql, QStringView& head, QStringView& row)
{
    static const QString insert = QStringLiteral("insert into");
    static const QString values = QStringLiteral("values");
    const QStringView text = QStringView(sql).trimmed();
    if (!text.startsWith(insert, Qt::CaseInsensitive))
        return false;
    const qsizetype columnsEnd = text.indexOf(QLatin1Char(')'));
    if (columnsEnd < 0)
        return false;
    const qsizetype valuesAt = text.indexOf(values, columnsEnd, Qt::CaseInsensitive);
    if (valuesAt < 0 || !text.endsWith(QLatin1Char(')')))
        return false;
    const qsizetype open = text.indexOf(QLatin1Char('('), valuesAt + values.size());
    if (open < 0 || !text.mid(valuesAt + values.size(), open - valuesAt - values.size()).trimmed().isEmpty())
        return false;
    head = text.left(valuesAt + values.size());
    row = text.mid(open);
    return true;
}
}

bool clsConnection::Gather(const QString& sql)
{
    QStringView head, row;
    if (!SplitInsert(sql, head, row))
        return false;
    // Heads are compared without blanks: the writers space their column lists freely.
    QString key = head.toString();
    key.remove(QLatin1Char(' '));
    if (key.compare(m_batchKey, Qt::CaseInsensitive) != 0) {
        FlushBatch();
        m_batchKey = key;
        m_batchHead = head.toString();
    }
    m_batchRows.append(row.toString());
    m_batchChars += row.size();
    // Keep each statement well inside what drivers take in one go.
    if (m_batchRows.size() >= 500 || m_batchChars > 512 * 1024)
        FlushBatch();
    return true;
}

void clsConnection::BeginBatch()
{
    m_batching = true;
}

void clsConnection::FlushBatch()
{
    if (m_batchRows.isEmpty())
        return;
    QString sql = m_batchHead;
    sql.reserve(m_batchHead.size() + m_batchChars + m_batchRows.size() * 2);
    sql += QLatin1Char(' ');
    sql += m_batchRows.join(QLatin1Char(','));
    m_batchRows.clear();
    m_batchChars = 0;
    Run(sql);
}

void clsConnection::EndBatch()
{
    m_batching = false;
    FlushBatch();
}

void clsConnection::DiscardBatch()
{
    m_batching = false;
    m_batchRows.clear();
    m_batchChars = 0;
    m_batchHead.clear();
    m_batchKey.clear();
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
