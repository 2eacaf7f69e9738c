#include "clsFunctionServer.h"
#include <QDate>
#include <QHash>

namespace {
bool IsDigits(const QString& value, int maxLength)
{
    if (value.isEmpty() || value.size() > maxLength)
        return false;
    for (const QChar c : value)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool InRange(const QString& value, int maxLength, int low, int high)
{
    return IsDigits(value, maxLength) && value.toInt() >= low && value.toInt() <= high;
}

// A code of the suite's master files: letters, digits and the separators "-", "_", ".".
bool IsCode(const QString& value)
{
    if (value.isEmpty() || value.size() > 30)
        return false;
    for (const QChar c : value) {
        const bool ascii = c.unicode() < 128 && c.isLetterOrNumber();
        if (!ascii && c != QLatin1Char('-') && c != QLatin1Char('_') && c != QLatin1Char('.'))
            return false;
    }
    return true;
}

// "<name>", "[<name>]", "〈name〉" or "[〈name〉]": required unless in square brackets.
clsFunctionServer::Parameter ParsePiece(const QString& piece)
{
    clsFunctionServer::Parameter p;
    QString name = piece.trimmed();
    p.required = !name.startsWith(QLatin1Char('['));
    for (const QChar c : {QChar(u'['), QChar(u']'), QChar(u'<'), QChar(u'>'), QChar(0x3008), QChar(0x3009)})
        name.remove(c);
    p.name = name.trimmed();
    p.kind = clsFunctionServer::KindOf(p.name);
    return p;
}
}

clsFunctionServer::clsFunctionServer(const QStringList& forms, bool linePerArgument)
    : m_forms(forms), m_linePerArgument(linePerArgument)
{
    for (const QString& form : forms) {
        Function f;
        const int open = form.indexOf(QLatin1Char('('));
        const int bar = form.indexOf(QLatin1Char('|'));
        f.define = form.left(bar);
        f.name = form.mid(bar + 1, open - bar - 1).trimmed();
        const QString list = form.mid(open + 1).chopped(1);
        for (const QString& piece : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
            f.params.append(ParsePiece(piece));
        m_functions.append(f);
    }
}

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

QStringList clsFunctionServer::Arguments(const QStringList& lines) const
{
    QStringList args;
    for (const QString& line : lines) {
        // Where blanks separate arguments too, an empty line carries nothing.
        if (m_linePerArgument || !line.trimmed().isEmpty())
            args.append(line.trimmed());
    }
    while (!args.isEmpty() && args.last().isEmpty())
        args.removeLast();
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
        const QString value = args.value(i);
        if (value.isEmpty()) {
            if (p.required) {
                why = QStringLiteral("参数%1必须输入").arg(p.name);
                return WrongArgumentCount;
            }
            continue;
        }
        if (!Accepts(p.kind, value)) {
            why = QStringLiteral("%1%2不正确").arg(p.name, value);
            return BadArgument;
        }
    }
    why.clear();
    return CheckOk;
}

clsFunctionServer::ArgKind clsFunctionServer::KindOf(const QString& parameterName)
{
    static const QHash<QString, ArgKind> kinds = {
        {QStringLiteral("科目编码"), ArgKind::AccountCode},
        {QStringLiteral("会计期间"), ArgKind::Period},
        {QStringLiteral("会计年度"), ArgKind::Year},
        {QStringLiteral("日期"), ArgKind::Date},
        {QStringLiteral("起始日期"), ArgKind::Date},
        {QStringLiteral("截止日期"), ArgKind::Date},
        {QStringLiteral("部门编码"), ArgKind::Digits},
        {QStringLiteral("资产类别"), ArgKind::Digits},
        {QStringLiteral("客户编码"), ArgKind::Code},
        {QStringLiteral("供应商编码"), ArgKind::Code},
        {QStringLiteral("存货编码"), ArgKind::Code},
        {QStringLiteral("仓库编码"), ArgKind::Code},
        {QStringLiteral("产品编码"), ArgKind::Code},
        {QStringLiteral("业务员编码"), ArgKind::Code},
        {QStringLiteral("银行账号"), ArgKind::Code},
        {QStringLiteral("币种"), ArgKind::Currency},
        {QStringLiteral("账龄天数"), ArgKind::Days},
    };
    return kinds.value(parameterName.trimmed(), ArgKind::Text);
}

bool clsFunctionServer::Accepts(ArgKind kind, const QString& value)
{
    switch (kind) {
    case ArgKind::Text:
        return !value.trimmed().isEmpty();
    case ArgKind::AccountCode:
        // First level four digits, then two digits per level, at most three levels.
        return IsDigits(value, 8) && value.size() >= 4 && value.size() % 2 == 0;
    case ArgKind::Period:
        return InRange(value, 2, 1, 12);
    case ArgKind::Year:
        return value.size() == 4 && InRange(value, 4, 1990, 2099);
    case ArgKind::Date:
        return QDate::fromString(value, QStringLiteral("yyyy-MM-dd")).isValid();
    case ArgKind::Digits:
        return IsDigits(value, 12);
    case ArgKind::Code:
        return IsCode(value);
    case ArgKind::Currency:
        for (const QChar c : value)
            if (c.isDigit() || c.isSpace())
                return false;
        return !value.isEmpty();
    case ArgKind::Days:
        return InRange(value, 4, 1, 9999);
    }
    return false;
}
