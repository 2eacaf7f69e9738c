#include "modDisplayFormat.h"

namespace {
struct NamedFormat
{
    const char* entry;
    const char* code;
    bool columnsOnly;
};

const NamedFormat kNamed[] = {
    {"Z9数量显示格式", "QUANTITY", false},
    {"Z9件数显示格式", "NUM", false},
    {"Z9存货单价显示格式", "MONEY", false},
    {"行百分比", "PERCENT", true},
    {"分组行百分比", "PERCENTGROUP", true},
};
}

QStringList DisplayFormatEntries(FormatOwner owner)
{
    QStringList entries = {
        QStringLiteral("00"), QStringLiteral("0000"), QStringLiteral("000000"), QStringLiteral("00000000"),
        QStringLiteral("0.00"), QStringLiteral("0.0000"), QStringLiteral("0.000000"), QStringLiteral("0.00000000"),
        QStringLiteral("#,0.00"), QStringLiteral("#,0.0000"), QStringLiteral("#,0.000000"), QStringLiteral("#,0.00000000"),
        QStringLiteral("0.00%"), QStringLiteral("00%"), QStringLiteral("YYYY-MM-DD"), QStringLiteral("YYYY年MM月DD日"),
        QStringLiteral("Z9数量显示格式"), QStringLiteral("Z9件数显示格式"), QStringLiteral("Z9存货单价显示格式"),
    };
    if (owner == FormatOwner::Column)
        entries << QStringLiteral("行百分比") << QStringLiteral("分组行百分比");
    return entries;
}

// Entries and codes are names, compared as every name of the system is: case ignored.
QString DisplayFormatToCode(const QString& entry, FormatOwner owner)
{
    const QString text = entry.trimmed();
    for (const NamedFormat& f : kNamed)
        if ((owner == FormatOwner::Column || !f.columnsOnly) && text.compare(QString::fromUtf8(f.entry), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(f.code);
    return text;
}

QString DisplayFormatToEntry(const QString& stored, FormatOwner owner)
{
    const QString code = stored.trimmed();
    for (const NamedFormat& f : kNamed)
        if ((owner == FormatOwner::Column || !f.columnsOnly) && code.compare(QString::fromUtf8(f.code), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(f.entry);
    return stored;
}
