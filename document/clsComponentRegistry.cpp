#include "clsComponentRegistry.h"
#include <QHash>

namespace {
QHash<QString, clsComponentRegistry::Factory>& Factories()
{
    static QHash<QString, clsComponentRegistry::Factory> factories;
    return factories;
}
}

void clsComponentRegistry::Register(const QString& progId, Factory factory)
{
    Factories().insert(progId.trimmed().toLower(), std::move(factory));
}

void clsComponentRegistry::Unregister(const QString& progId)
{
    Factories().remove(progId.trimmed().toLower());
}

bool clsComponentRegistry::IsRegistered(const QString& progId)
{
    return Factories().contains(progId.trimmed().toLower());
}

std::unique_ptr<clsOutsideObject> clsComponentRegistry::Create(const QString& progId)
{
    const auto it = Factories().constFind(progId.trimmed().toLower());
    if (it == Factories().constEnd() || !it.value())
        throw clsOutsideError(QStringLiteral("ActiveX 部件不能创建对象"));
    std::unique_ptr<clsOutsideObject> object = it.value()();
    if (!object)
        throw clsOutsideError(QStringLiteral("ActiveX 部件不能创建对象"));
    return object;
}
