#pragma once
#include "clsOutsideObject.h"
#include <QString>
#include <functional>
#include <memory>

// Outside components by programmatic identifier ("QXSvrZW.ClsMain"): plugins register a
// factory, callers create by name. An identifier with no factory cannot be created.
class clsComponentRegistry
{
public:
    using Factory = std::function<std::unique_ptr<clsOutsideObject>()>;

    static void Register(const QString& progId, Factory factory);
    static void Unregister(const QString& progId);
    static bool IsRegistered(const QString& progId);
    // Throws clsOutsideError("ActiveX 部件不能创建对象") when there is no factory.
    static std::unique_ptr<clsOutsideObject> Create(const QString& progId);
};
