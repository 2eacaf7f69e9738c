#pragma once
#include "document/clsConnection.h"
#include <QString>
#include <QtTest>
#include <memory>

// A fresh, empty report database for one test: an SQLite file in a temporary folder,
// or a schema of its own on the local PostgreSQL server (QXRF_PG, by default
// "host=127.0.0.1 port=5432 dbname=qxrf user=qxrf password=qxrf"), dropped afterwards.
// With CI=true an unreachable PostgreSQL fails the test instead of skipping it.
class clsTestDatabase
{
public:
    explicit clsTestDatabase(const QString& backend, bool withSchema = true, bool withDemo = false);
    ~clsTestDatabase();

    bool Ready() const { return m_ready; }
    QString Error() const { return m_error; }
    QString Backend() const { return m_backend; }
    QString Schema() const { return m_schema; }      // PostgreSQL
    QString Path() const { return m_path; }          // SQLite file
    clsConnection& Conn() { return *m_conn; }
    // A second connection to the same database (for two designers at once), with
    // driver connect options added to those of the first; later ones win.
    std::unique_ptr<clsConnection> OpenAnother(const QString& connectOptions = QString());
    // Opens the first connection again after a test closed it.
    bool Reopen();
    // Runs a scalar query, for assertions.
    QVariant Scalar(const QString& sql);
    int Count(const QString& whereClauseOnFldDef)
    {
        return Scalar(QStringLiteral("select count(*) from Rpt_FldDEF where ") + whereClauseOnFldDef).toInt();
    }
    // Every Rpt_FldDEF row of a report as text, sorted: two dumps compare whole formats.
    QStringList Dump(qint32 reportId);

    static QString PostgresOptions()
    {
        const QString env = qEnvironmentVariable("QXRF_PG");
        return env.isEmpty() ? QStringLiteral("host=127.0.0.1 port=5432 dbname=qxrf user=qxrf password=qxrf") : env;
    }
    // How the host names this database: the SQLite file, or a connection string of the
    // PostgreSQL schema.
    QString Where() const
    {
        return m_schema.isEmpty() ? m_path : PostgresOptions() + QStringLiteral(" options='-c search_path=") + m_schema + QLatin1Char('\'');
    }
    static bool InCI() { return qEnvironmentVariable("CI").compare(QLatin1String("true"), Qt::CaseInsensitive) == 0; }

    // Adds one row per backend to a _data() table that has a "backend" column first.
    static void AddBackendColumn() { QTest::addColumn<QString>("backend"); }
    // The column and one row per backend, for a _data() table that needs nothing else.
    static void AddBackendRows();
    // A row named "<backend> <name>" of such a table, the backend already given.
    static QTestData& NewRow(const QString& backend, const QString& name)
    {
        return QTest::newRow(qPrintable(backend + QLatin1Char(' ') + name)) << backend;
    }
    static QStringList Backends() { return {QStringLiteral("sqlite"), QStringLiteral("postgres")}; }
    // One row of such a table under each backend, named `name`, with these values.
    template <typename... V>
    static void RowPerBackend(const char* name, const V&... values)
    {
        for (const QString& b : Backends())
            (NewRow(b, QString::fromUtf8(name)) << ... << values);
    }

private:
    QString m_backend;
    QString m_name;
    QString m_schema;
    QString m_path;
    QStringList m_extraConnections;
    bool m_ready = false;
    QString m_error;
    std::unique_ptr<clsConnection> m_conn;
};

// Fails on a database that did not open, or skips one on PostgreSQL outside CI.
#define QXRF_REQUIRE_DB(db)                                                                        \
    if (!(db).Ready()) {                                                                           \
        if ((db).Backend() == QLatin1String("postgres") && !clsTestDatabase::InCI())               \
            QSKIP(qPrintable(QStringLiteral("PostgreSQL not reachable: ") + (db).Error()));       \
        QFAIL(qPrintable((db).Backend() + QStringLiteral(" database not available: ") + (db).Error())); \
    }

// Opens the database of the current data row's backend, or skips / fails as above.
#define QXRF_OPEN_DB(var, ...)                                                                   \
    QFETCH(QString, backend);                                                                    \
    clsTestDatabase var(backend, ##__VA_ARGS__);                                                 \
    QXRF_REQUIRE_DB(var)
