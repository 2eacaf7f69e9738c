#pragma once
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <stdexcept>

// Raised when an outside component cannot be created or does not answer a member.
class clsOutsideError : public std::runtime_error
{
public:
    explicit clsOutsideError(const QString& description)
        : std::runtime_error(description.toStdString()), m_description(description) {}
    QString Description() const { return m_description; }

private:
    QString m_description;
};

// An object of an outside component, reached late-bound: a member is called by name
// (letter case ignored) with its arguments, which it may write back (by reference).
// A property read is a call with no arguments.
class clsOutsideObject
{
public:
    virtual ~clsOutsideObject() = default;
    virtual QVariant Invoke(const QString& member, QVariantList& args) = 0;

protected:
    [[noreturn]] static void UnknownMember(const QString& member)
    {
        throw clsOutsideError(QStringLiteral("对象不支持该属性或方法 (%1)").arg(member));
    }
};
