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

QString DisplayFormatToCode(const QString& entry)
{
    const QString text = entry.trimmed();
    for (const NamedFormat& f : kNamed)
        if (text == QString::fromUtf8(f.entry))
            return QString::fromUtf8(f.code);
    return text;
}

QString DisplayFormatToEntry(const QString& stored, FormatOwner owner)
{
    for (const NamedFormat& f : kNamed)
        if (stored == QString::fromUtf8(f.code) && (owner == FormatOwner::Column || !f.columnsOnly))
            return QString::fromUtf8(f.entry);
    return stored;
}
