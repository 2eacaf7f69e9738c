#pragma once
#include "clsFunctionServer.h"

// The payroll function server ("QXSvrGZ.ClsMain"): wage items by department and period.
class clsPayrollServer : public clsFunctionServer
{
public:
    clsPayrollServer();
    static QString ProgId() { return QStringLiteral("QXSvrGZ.ClsMain"); }

protected:
    int CheckArgument(const Function& function, const Parameter& param, const QString& value,
                      QString& why) const override;
};
