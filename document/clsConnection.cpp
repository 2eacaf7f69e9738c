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

void clsConnection::Fail(const QString& description)
{
    ++m_failures;
    throw clsDatabaseError(description);
}

void clsConnection::RunHook(const QString& sql)
{
    if (!m_hook)
        return;
    try {
        m_hook(sql);
    } catch (const clsDatabaseError&) {
        ++m_failures;
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
        Fail(DescribeError(query.lastError()));
    return clsRecordset(std::move(query));
}

int clsConnection::Execute(const QString& sql)
{
    RunHook(sql);
    if (!IsOpen())
        Fail(QStringLiteral("连接无法用于执行此操作。在此上下文中它可能已被关闭或无效。"));
    QSqlQuery query(Database());
    if (!query.exec(sql))
        Fail(DescribeError(query.lastError()));
    return query.numRowsAffected();
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
    --m_transactionDepth;
    return Database().commit();
}

bool clsConnection::RollbackTrans()
{
    if (m_transactionDepth == 0)
        return false;
    --m_transactionDepth;
    // A connection that went away has lost its transaction with it.
    return IsOpen() && Database().rollback();
}
