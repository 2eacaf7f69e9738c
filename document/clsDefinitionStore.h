#pragma once
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class clsConnection;
class QSqlDatabase;

// The definition tables of a new database, the demo reports the host offers, and how
// the host opens a report database.
class clsDefinitionStore
{
public:
    // Creates Rpt_GlbDEF, Rpt_FldDEF, Rpt_FltDEF, rpt_fundef and rpt_funPere where
    // they are missing. Throws clsDatabaseError.
    static void CreateSchema(clsConnection& conn);
    // The first of the five tables the database lacks, by name; empty when none is
    // missing. Throws clsDatabaseError.
    static QString MissingTable(clsConnection& conn);
    static bool HasSchema(clsConnection& conn);
    // Writes the demo reports and functions (replacing earlier demo rows). Throws clsDatabaseError.
    static void LoadDemoData(clsConnection& conn);
    static QStringList SchemaStatements(bool postgres);

    // Each returns an empty text, or the reason it failed in words for the user.
    // Opens an SQLite file that exists, under `connectionName`; creates and repairs
    // nothing. With `readOnly` the connection refuses every write.
    static QString OpenSqliteFile(const QString& path, const QString& connectionName, bool readOnly = false);
    // Makes a new SQLite file with the five tables (and the demo reports) and leaves it
    // open under `connectionName`. An existing file is left alone.
    static QString CreateSqliteFile(const QString& path, const QString& connectionName, bool withDemo);
    // Opens PostgreSQL from a libpq connection string ("host=h password='a b'") or URI
    // ("postgresql://user@host/db?connect_timeout=3"); see ApplyPostgresOptions.
    static QString OpenPostgres(const QString& conninfo, const QString& connectionName, bool readOnly = false);
    // Gives a QPSQL connection every option of `conninfo`, with a connect timeout and a
    // statement timeout unless it names its own, standard conforming strings always,
    // and with `readOnly` transactions that cannot write.
    static QString ApplyPostgresOptions(QSqlDatabase& db, const QString& conninfo, bool readOnly = false);
    // The key / value pairs of a connection string or URI, values unquoted and decoded.
    static QString ParseConnectionString(const QString& conninfo, QList<QPair<QString, QString>>& pairs);

    static constexpr int kConnectTimeoutSeconds = 10;
    static constexpr int kStatementTimeoutSeconds = 60;

private:
    static void WriteDemoRows(clsConnection& conn);
};
