#pragma once
#include "clsFormatSnapshot.h"
#include <QString>
#include <vector>

class clsConnection;
class clsDocument;

// Formats leaving and entering a database: a report's whole stored format read as a
// snapshot, a snapshot written into any database as a new report or in place of one,
// and files holding the snapshot's JSON text. Reading never writes; writing is one
// transaction under the save lock, so a reader or a designer never sees half a format.
class clsFormatTransfer
{
public:
    struct ReportEntry
    {
        qint32 ID = 0;
        QString Name;
        QString SystemID;
    };
    // Every catalogue row, by subsystem, name and ID. Throws clsDatabaseError.
    static std::vector<ReportEntry> ListReports(clsConnection& conn);
    // The report's ID (the lowest when the catalogue holds the name twice), or -1.
    // Throws clsDatabaseError.
    static qint32 FindReport(clsConnection& conn, const QString& name, const QString& systemId);

    // The catalogue row, the object rows (in the order the loaders read them) and the
    // filter rows, exactly as stored. Throws clsDatabaseError.
    static clsFormatSnapshot ReadReport(clsConnection& conn, qint32 id);
    // The open document's format as its save would write it, with the catalogue and
    // filter rows its database holds for it. False when the save's own checks refuse
    // the format (the user has been told; `error` stays empty) or a read failed.
    static bool SnapshotOfDocument(clsDocument& doc, clsFormatSnapshot& snapshot, QString& error);

    struct ImportOptions
    {
        QString Name;       // the report's name in the target, instead of the file's
        QString SystemID;   // its subsystem, instead of the file's
        bool Replace = false;
    };
    // What can be judged without a database: the format names its report and holds
    // no second help id or print setting row. `error` names the place and the problem.
    static bool Validate(const clsFormatSnapshot& snapshot, const ImportOptions& options, QString& error);
    // Writes the format as a report of the target. A new report gets the next free ID
    // of the target; an existing one is refused unless `Replace`, and then keeps its
    // ID while every kind of row, the filter rows and the catalogue's descriptions are
    // replaced. Answers the report's ID, or -1 with `error` telling why nothing was written.
    static qint32 Import(clsConnection& conn, const clsFormatSnapshot& snapshot, const ImportOptions& options,
                         QString& error);
    // ReadFile, Validate and Import; every refusal names the file. `snapshot` receives
    // what the file holds.
    static qint32 ImportFile(clsConnection& conn, const QString& path, const ImportOptions& options,
                             clsFormatSnapshot& snapshot, QString& error);
    // One report from one database into another: ReadReport, then Import.
    static qint32 CopyReport(clsConnection& from, clsConnection& to, qint32 id, bool replace, QString& error);

    // Files of the JSON text (UTF-8). Errors name the file, then the place and the problem.
    static bool ReadFile(const QString& path, clsFormatSnapshot& snapshot, QString& error);
    static bool WriteFile(const QString& path, const clsFormatSnapshot& snapshot, QString& error);
    // "GL_科目余额表.json", with the characters a file name cannot hold replaced.
    static QString FileNameFor(const ReportEntry& report);
};
