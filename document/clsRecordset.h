#pragma once
#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <vector>

// A forward-only, read-only result: the rows of one query read once from first to
// last, fields found by name in any letter case. Reading a missing field or a value
// that does not convert raises clsDatabaseError.
class clsRecordset
{
public:
    clsRecordset() = default;
    explicit clsRecordset(QSqlQuery&& query);
    // Rows already read whole (a server's answer in one message, or SQLite's read
    // through its own calls).
    clsRecordset(const QStringList& names, std::vector<std::vector<QVariant>>&& rows);

    bool Eof() const { return m_eof; }
    void MoveNext();
    // Forward-only: only valid before the first MoveNext, where it does nothing.
    void MoveFirst() {}
    void Close();

    bool HasField(const QString& name) const;
    // Position of a field (any letter case), -1 when the result has none; with
    // ValueAt it reads many rows without looking names up again.
    int IndexOfField(const QString& name) const;
    QVariant ValueAt(int index) const;
    QVariant Value(const QString& name) const;   // Null stays Null
    bool IsNull(const QString& name) const;
    QString Text(const QString& name) const;     // trimmed, Null as empty text
    qint32 Long(const QString& name) const;      // Null as 0, halves to even
    double Double(const QString& name) const;    // Null as 0
    bool Boolean(const QString& name) const;     // Null as False, non-zero number as True

private:
    int IndexOf(const QString& name) const;
    QVariant Current(int index) const;
    QSqlQuery m_query;
    // Rows read whole, when the result came that way; m_row is the current one.
    std::vector<std::vector<QVariant>> m_rows;
    size_t m_row = 0;
    bool m_whole = false;
    QHash<QString, int> m_fields;  // lower-case name -> column
    // Names as callers spell them -> column (-1: none), so a name is lower-cased once a
    // query rather than on every read of every row.
    mutable QHash<QString, int> m_asAsked;
    bool m_eof = true;
};
