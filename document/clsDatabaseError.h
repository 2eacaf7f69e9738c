#pragma once
#include <QString>
#include <stdexcept>

// Raised by the connection layer when a statement or a read fails. Carries the
// driver's own description, which the error convention shows to the user, and the
// database's code for the failure (SQLSTATE on PostgreSQL, the result code on
// SQLite; empty when there is none), from which a caller tells a busy or read-only
// database from other failures.
class clsDatabaseError : public std::runtime_error
{
public:
    explicit clsDatabaseError(const QString& description, const QString& code = QString())
        : std::runtime_error(description.toStdString()), m_description(description), m_code(code) {}
    QString Description() const { return m_description; }
    QString Code() const { return m_code; }

private:
    QString m_description;
    QString m_code;
};
