#include "clsPayrollServer.h"

clsPayrollServer::clsPayrollServer()
{
    const Parameter item{QStringLiteral("工资项目"), true, false};
    const Parameter department{QStringLiteral("部门编码"), false, false};
    const Parameter period{QStringLiteral("会计期间"), false, false};
    AddFunction(QStringLiteral("取工资项目合计"), QStringLiteral("GZHJ"), {item, department, period});
    AddFunction(QStringLiteral("取工资项目平均数"), QStringLiteral("GZPJ"), {item, department, period});
    AddFunction(QStringLiteral("取发放人数"), QStringLiteral("GZRS"), {department, period});
}

int clsPayrollServer::CheckArgument(const Function& function, const Parameter& param, const QString& value,
                                    QString& why) const
{
    if (param.name == QStringLiteral("部门编码") && (!IsDigits(value) || value.size() > 12)) {
        why = QStringLiteral("部门编码%1不正确").arg(value);
        return BadArgument;
    }
    return clsFunctionServer::CheckArgument(function, param, value, why);
}
