#include "clsLedgerServer.h"

clsLedgerServer::clsLedgerServer()
{
    const Parameter code{QStringLiteral("科目编码"), true, false};
    const Parameter period{QStringLiteral("会计期间"), false, false};
    const Parameter currency{QStringLiteral("币种"), false, true};
    AddFunction(QStringLiteral("取科目期初余额"), QStringLiteral("QC"), {code, period, currency});
    AddFunction(QStringLiteral("取科目期末余额"), QStringLiteral("QM"), {code, period, currency});
    AddFunction(QStringLiteral("取科目借方发生额"), QStringLiteral("JF"), {code, period, currency});
    AddFunction(QStringLiteral("取科目贷方发生额"), QStringLiteral("DF"), {code, period, currency});
    AddFunction(QStringLiteral("取科目借方累计发生额"), QStringLiteral("LJF"), {code, period});
    AddFunction(QStringLiteral("取科目贷方累计发生额"), QStringLiteral("LDF"), {code, period});
}

bool clsLedgerServer::IsAccountCode(const QString& code)
{
    // First level four digits, then two digits per level, at most three levels.
    return IsDigits(code) && (code.size() == 4 || code.size() == 6 || code.size() == 8);
}

QStringList clsLedgerServer::Arguments(const QStringList& lines) const
{
    // One argument per line, blanks included; an empty line is an omitted argument.
    QStringList args;
    for (const QString& line : lines)
        args.append(line.trimmed());
    while (!args.isEmpty() && args.last().isEmpty())
        args.removeLast();
    return args;
}

int clsLedgerServer::CheckArgument(const Function& function, const Parameter& param, const QString& value,
                                   QString& why) const
{
    if (param.name == QStringLiteral("科目编码") && !IsAccountCode(value)) {
        why = QStringLiteral("科目编码%1不正确").arg(value);
        return BadArgument;
    }
    if (param.name == QStringLiteral("币种")) {
        for (const QChar c : value) {
            if (c.isDigit() || c.isSpace()) {
                why = QStringLiteral("币种%1不正确").arg(value);
                return BadArgument;
            }
        }
    }
    return clsFunctionServer::CheckArgument(function, param, value, why);
}
