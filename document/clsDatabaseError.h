#pragma once
#include <QString>
#include <stdexcept>

// Raised by the connection layer when a statement or a read fails. Carries the
// driver's own description, which the error convention shows to the user.
class clsDatabaseError : public std::runtime_error
{
public:
    explicit clsDatabaseError(const QString& description)
        : std::runtime_error(description.toStdString()), m_description(description) {}
    QString Description() const { return m_description; }

private:
    QString m_description;
};
