#include "clsFunctionServer.h"

QVariant clsFunctionServer::Invoke(const QString& member, QVariantList& args)
{
    if (member.compare(QLatin1String("srvCount"), Qt::CaseInsensitive) == 0)
        return Count();
    if (member.compare(QLatin1String("srvItemForm"), Qt::CaseInsensitive) == 0) {
        if (args.isEmpty())
            throw clsOutsideError(QStringLiteral("参数不可选"));
        bool ok = false;
        const int index = args.at(0).toInt(&ok);
        if (!ok || index < 0 || index >= Count())
            throw clsOutsideError(QStringLiteral("下标越界"));
        return ItemForm(index);
    }
    if (member.compare(QLatin1String("srvcheck"), Qt::CaseInsensitive) == 0) {
        if (args.isEmpty())
            throw clsOutsideError(QStringLiteral("参数不可选"));
        QString why;
        const int result = Check(args.at(0).toString(), why);
        if (args.size() > 1)
            args[1] = why;  // the second argument comes back with the reason
        return result;
    }
    UnknownMember(member);
}

void clsFunctionServer::AddFunction(const QString& define, const QString& name, const QVector<Parameter>& params)
{
    m_functions.append({define, name, params});
}

QString clsFunctionServer::ItemForm(int index) const
{
    const Function& f = m_functions.at(index);
    QStringList pieces;
    for (const Parameter& p : f.params) {
        QString piece = p.fullWidth ? QStringLiteral("〈%1〉").arg(p.name) : QStringLiteral("<%1>").arg(p.name);
        if (!p.required)
            piece = QLatin1Char('[') + piece + QLatin1Char(']');
        pieces.append(piece);
    }
    return f.define + QLatin1Char('|') + f.name + QLatin1Char('(') + pieces.join(QLatin1Char(',')) + QLatin1Char(')');
}

QStringList clsFunctionServer::Arguments(const QStringList& lines) const
{
    // Blanks and commas both separate arguments here, so an empty line carries nothing.
    QStringList args;
    for (const QString& line : lines)
        if (!line.trimmed().isEmpty())
            args.append(line.trimmed());
    return args;
}

int clsFunctionServer::Check(const QString& text, QString& why) const
{
    QStringList lines = text.split(QStringLiteral("\r\n"));
    const QString name = lines.isEmpty() ? QString() : lines.takeFirst().trimmed();
    const Function* function = nullptr;
    for (const Function& f : m_functions)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            function = &f;
    if (!function) {
        why = QStringLiteral("函数%1不存在").arg(name);
        return UnknownFunction;
    }
    const QStringList args = Arguments(lines);
    if (args.size() > function->params.size()) {
        why = QStringLiteral("函数%1最多有%2个参数").arg(function->name).arg(function->params.size());
        return WrongArgumentCount;
    }
    for (int i = 0; i < function->params.size(); ++i) {
        const Parameter& p = function->params.at(i);
        const QString value = i < args.size() ? args.at(i) : QString();
        if (value.isEmpty()) {
            if (p.required) {
                why = QStringLiteral("参数%1必须输入").arg(p.name);
                return WrongArgumentCount;
            }
            continue;
        }
        const int result = CheckArgument(*function, p, value, why);
        if (result != CheckOk)
            return result;
    }
    why.clear();
    return CheckOk;
}

int clsFunctionServer::CheckArgument(const Function&, const Parameter& param, const QString& value, QString& why) const
{
    if (param.name == QStringLiteral("会计期间") && !IsPeriod(value)) {
        why = QStringLiteral("会计期间%1不正确").arg(value);
        return BadArgument;
    }
    return CheckOk;
}

bool clsFunctionServer::IsDigits(const QString& value)
{
    if (value.isEmpty())
        return false;
    for (const QChar c : value)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool clsFunctionServer::IsPeriod(const QString& value)
{
    if (!IsDigits(value) || value.size() > 2)
        return false;
    const int period = value.toInt();
    return period >= 1 && period <= 12;
}
