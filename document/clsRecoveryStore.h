#pragma once
#include "clsFormatSnapshot.h"
#include <QDateTime>
#include <QString>

// The recovery file of one report: the designer writes the unsaved format there every
// few minutes, removes it on a clean close or a save, and finds it on the next open
// when the designer ended without either. One file per database, system and report,
// under the application's data folder (QStandardPaths::AppDataLocation)/recovery,
// named by a hash of the three so any report name makes a valid file name. The file
// is JSON: the three names (the database as its hash), the time written and the
// format as clsFormatSnapshot::ToJson writes it.
class clsRecoveryStore
{
public:
    clsRecoveryStore(const QString& database, const QString& systemId, const QString& report);

    QString FilePath() const { return m_path; }
    bool Exists() const;
    // Written whole or not at all (QSaveFile). False with `error` set when it could not be.
    bool Write(const clsFormatSnapshot& snapshot, QString& error) const;
    // The format kept and when it was written; False with `error` naming the problem.
    bool Read(clsFormatSnapshot& snapshot, QDateTime& written, QString& error) const;
    // True when no file is left.
    bool Remove() const;

    static QString Folder();

private:
    QString m_database;
    QString m_systemId;
    QString m_report;
    QString m_path;
};
