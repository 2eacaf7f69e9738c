#pragma once
#include <QString>
#include <QStringList>

class clsConnection;

// The definition tables of a new database, and the demo reports the host offers.
class clsDefinitionStore
{
public:
    // Creates Rpt_GlbDEF, Rpt_FldDEF, Rpt_FltDEF, rpt_fundef and rpt_funPere where
    // they are missing. Throws clsDatabaseError.
    static void CreateSchema(clsConnection& conn);
    static bool HasSchema(clsConnection& conn);
    // Writes the demo reports and functions (replacing earlier demo rows). Throws clsDatabaseError.
    static void LoadDemoData(clsConnection& conn);
    static QStringList SchemaStatements(bool postgres);

    // Opens (creating when missing) an SQLite file under `connectionName`; a new file
    // gets the schema and the demo reports. Returns an empty text or the reason it failed.
    static QString OpenSqliteFile(const QString& path, const QString& connectionName, bool withDemo = true);
    // Opens a PostgreSQL database from "host=... port=... dbname=... user=... password=...".
    static QString OpenPostgres(const QString& options, const QString& connectionName);

private:
    static void WriteDemoRows(clsConnection& conn);
};
