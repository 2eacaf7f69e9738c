#include "clsTestDatabase.h"
#include "document/clsDatabaseError.h"
#include "document/clsDefinitionStore.h"
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUuid>

namespace {
// Every session of a PostgreSQL test database works in its schema, without notices.
bool UseSchema(const QSqlDatabase& db, const QString& schema)
{
    QSqlQuery q(db);
    return schema.isEmpty()
        || (q.exec(QStringLiteral("SET client_min_messages TO warning")) && q.exec(QStringLiteral("SET search_path TO ") + schema));
}
}

void clsTestDatabase::AddBackendRows()
{
    AddBackendColumn();
    for (const QString& b : Backends())
        QTest::newRow(qPrintable(b)) << b;
}

clsTestDatabase::clsTestDatabase(const QString& backend, bool withSchema, bool withDemo)
    : m_backend(backend), m_name(QStringLiteral("t%1").arg(QUuid::createUuid().toString(QUuid::Id128).left(16)))
{
    QSqlDatabase db;
    if (backend == QLatin1String("sqlite")) {
        static QTemporaryDir dir(QDir(qEnvironmentVariable("QXRF_TEST_TMP", QDir::tempPath())).filePath(QStringLiteral("qxrfdb-XXXXXX")));
        m_path = dir.filePath(m_name + QStringLiteral(".db"));
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(m_path);
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        m_error = clsDefinitionStore::ApplyPostgresOptions(db, PostgresOptions() + QStringLiteral(" connect_timeout=5"));
        if (!m_error.isEmpty())
            return;
        m_schema = m_name.toLower();
    }
    if (!db.open()) {
        m_error = db.lastError().text();
        return;
    }
    QSqlQuery q(db);
    if (!m_schema.isEmpty() && !(q.exec(QStringLiteral("CREATE SCHEMA ") + m_schema) && UseSchema(db, m_schema))) {
        m_error = q.lastError().text();
        return;
    }
    m_conn = std::make_unique<clsConnection>(m_name);
    try {
        if (withSchema)
            clsDefinitionStore::CreateSchema(*m_conn);
        if (withDemo)
            clsDefinitionStore::LoadDemoData(*m_conn);
    } catch (const clsDatabaseError& e) {
        m_error = e.Description();
        return;
    }
    m_ready = true;
}

std::unique_ptr<clsConnection> clsTestDatabase::OpenAnother(const QString& connectOptions)
{
    const QString name = m_name + QStringLiteral("_%1").arg(m_extraConnections.size() + 1);
    QSqlDatabase db = QSqlDatabase::cloneDatabase(m_name, name);
    if (!connectOptions.isEmpty())
        db.setConnectOptions((db.connectOptions() + QLatin1Char(' ') + connectOptions).trimmed());
    if (!db.open())
        return nullptr;
    UseSchema(db, m_schema);
    m_extraConnections.append(name);
    return std::make_unique<clsConnection>(name);
}

bool clsTestDatabase::Reopen()
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    return db.open() && UseSchema(db, m_schema);
}

QVariant clsTestDatabase::Scalar(const QString& sql)
{
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    return q.exec(sql) && q.next() ? q.value(0) : QVariant();
}

QStringList clsTestDatabase::Dump(qint32 reportId)
{
    QStringList rows;
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.exec(QStringLiteral("select * from Rpt_FldDEF where ID = %1").arg(reportId));
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < q.record().count(); ++i)
            values << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
        rows << values.join(QLatin1Char('|'));
    }
    rows.sort();
    return rows;
}

clsTestDatabase::~clsTestDatabase()
{
    while (m_conn && m_conn->InTransaction())
        m_conn->RollbackTrans();
    m_conn.reset();
    for (const QString& name : m_extraConnections) {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (!m_schema.isEmpty() && db.isOpen())
            QSqlQuery(db).exec(QStringLiteral("DROP SCHEMA ") + m_schema + QStringLiteral(" CASCADE"));
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    if (!m_path.isEmpty())
        QFile::remove(m_path);
}
