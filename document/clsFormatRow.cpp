#include "clsFormatRow.h"
#include "modPublicDefine.h"
#include <QHash>

namespace {
const std::array<const char*, kFldColumnCount>& Names()
{
    static const std::array<const char*, kFldColumnCount> names = {
        "OrderEx", "Name", "nameForeign", "FormatEx", "Condition", "iAlignStyle", "Note", "iColSize",
        "Expression", "TopEx", "LeftEx", "Width", "Height", "iSize", "Visible"};
    return names;
}

// Whether a value already has its column's kept form: a whole number as qlonglong, a
// text as a QString that is not null (what the drivers mostly hand back).
bool Kept(FldColumn column, const QVariant& value)
{
    if (!clsFormatRow::IsTextColumn(column))
        return TypeIdOf(value) == QMetaType::LongLong;
    return TypeIdOf(value) == QMetaType::QString && !static_cast<const QString*>(value.constData())->isNull();
}

// A stored whole number read back as the same value whatever the driver's type.
QVariant Normalized(FldColumn column, const QVariant& value)
{
    if (value.isNull())
        return QVariant();
    if (Kept(column, value))
        return value;
    if (clsFormatRow::IsTextColumn(column)) {
        // The drivers bind a null QString as SQL Null and an empty one as '': a row
        // taken from the managers holds what a save of it stores.
        QString text = value.toString();
        return text.isNull() ? QVariant() : QVariant(text);
    }
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Bool:
        return QVariant(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        const qlonglong n = qlonglong(d);
        if (double(n) == d)
            return QVariant(n);
        return value;
    }
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        // Some drivers hand numbers back as text; a whole number still compares as one.
        bool ok = false;
        const qlonglong n = value.toString().trimmed().toLongLong(&ok);
        return ok ? QVariant(n) : QVariant(value.toString());
    }
    default:
        return value;
    }
}
}

clsFormatRow& clsFormatRow::Set(FldColumn column, const QVariant& value)
{
    values[size_t(column)] = Normalized(column, value);
    return *this;
}

void clsFormatRow::KeepForms()
{
    // A read puts Null in place untyped.
    for (int c = 0; c < kFldColumnCount; ++c) {
        QVariant& v = values[size_t(c)];
        const int type = TypeIdOf(v);
        if (type == QMetaType::UnknownType)
            continue;
        const bool text = IsTextColumn(FldColumn(c));
        if (!text && type == QMetaType::LongLong)
            continue;
        // PostgreSQL's integer columns come as int: widened where they lie (an int held
        // in a QVariant owns nothing to release).
        if (!text && type == QMetaType::Int && !v.data_ptr().is_null && !v.data_ptr().is_shared) {
            const qlonglong n = *static_cast<const int*>(v.constData());
            new (&v) QVariant(n);
            continue;
        }
        if (!Kept(FldColumn(c), v))
            v = Normalized(FldColumn(c), v);
    }
}

clsFormatRow& clsFormatRow::Set(FldColumn column, qint64 value)
{
    if (IsTextColumn(column))
        PutValue(values[size_t(column)], QString::number(value));
    else
        PutValue(values[size_t(column)], qlonglong(value));
    return *this;
}

clsFormatRow& clsFormatRow::Set(FldColumn column, const QString& value)
{
    if (value.isNull())
        values[size_t(column)] = QVariant();
    else if (IsTextColumn(column))
        PutValue(values[size_t(column)], QString(value));
    else
        values[size_t(column)] = Normalized(column, value);
    return *this;
}

QString clsFormatRow::Text(FldColumn column) const
{
    const QVariant& v = Value(column);
    // The kept text handed out shared unless it has ends to trim.
    if (TypeIdOf(v) == QMetaType::QString) {
        const QString& text = *static_cast<const QString*>(v.constData());
        if (text.isEmpty() || (!text.front().isSpace() && !text.back().isSpace()))
            return text;
        return text.trimmed();
    }
    return v.isNull() ? QString() : v.toString().trimmed();
}

qint32 clsFormatRow::Long(FldColumn column) const
{
    const QVariant& v = Value(column);
    if (TypeIdOf(v) == QMetaType::LongLong) {
        const qlonglong n = *static_cast<const qlonglong*>(v.constData());
        if (n >= std::numeric_limits<qint32>::min() && n <= std::numeric_limits<qint32>::max())
            return qint32(n);
    }
    return CLng(v);
}

bool clsFormatRow::operator==(const clsFormatRow& other) const
{
    if (ModeEx != other.ModeEx)
        return false;
    for (size_t i = 0; i < values.size(); ++i) {
        const QVariant& a = values[i];
        const QVariant& b = other.values[i];
        // The kept forms compared where they are kept: a snapshot is compared whole at
        // every step.
        if (!a.data_ptr().is_null && !b.data_ptr().is_null) {
            const int type = TypeIdOf(a);
            if (type == QMetaType::LongLong && TypeIdOf(b) == type) {
                if (*static_cast<const qlonglong*>(a.constData()) != *static_cast<const qlonglong*>(b.constData()))
                    return false;
                continue;
            }
            if (type == QMetaType::QString && TypeIdOf(b) == type) {
                if (*static_cast<const QString*>(a.constData()) != *static_cast<const QString*>(b.constData()))
                    return false;
                continue;
            }
        }
        if (a.isNull() != b.isNull())
            return false;
        if (a.isNull())
            continue;
        if (a.typeId() != b.typeId() || a != b)
            return false;
    }
    return true;
}

QString clsFormatRow::ColumnName(FldColumn column)
{
    return QString::fromLatin1(Names()[size_t(column)]);
}

const std::vector<qint32>& clsFormatRow::SavedKinds()
{
    static const std::vector<qint32> kinds = {FormatKind::Label, FormatKind::Range, FormatKind::Column,
                                              FormatKind::Title, FormatKind::Group, FormatKind::Sum,
                                              FormatKind::HelpId, FormatKind::Print};
    return kinds;
}

const std::vector<FldColumn>& clsFormatRow::KindColumns(qint32 modeEx)
{
    using C = FldColumn;
    static const QHash<qint32, std::vector<FldColumn>> columns = {
        {FormatKind::Label,
         {C::OrderEx, C::Name, C::nameForeign, C::FormatEx, C::Condition, C::iAlignStyle, C::Note, C::iColSize,
          C::Expression, C::TopEx, C::LeftEx, C::Height, C::Width}},
        {FormatKind::Range,
         {C::OrderEx, C::Name, C::nameForeign, C::FormatEx, C::Expression, C::iSize, C::iColSize, C::iAlignStyle,
          C::TopEx, C::LeftEx, C::Width, C::Height}},
        {FormatKind::Column,
         {C::Name, C::OrderEx, C::Expression, C::iColSize, C::FormatEx, C::iAlignStyle, C::Visible, C::Note,
          C::Condition, C::iSize, C::TopEx, C::Height}},
        {FormatKind::Title, {C::Name, C::nameForeign, C::TopEx, C::LeftEx, C::Width, C::Height, C::Visible}},
        {FormatKind::Group, {C::Name, C::nameForeign, C::OrderEx, C::iSize}},
        {FormatKind::Sum, {C::Name, C::nameForeign, C::OrderEx}},
        {FormatKind::HelpId, {C::OrderEx}},
        {FormatKind::Print, {C::Condition, C::iSize, C::OrderEx, C::TopEx, C::LeftEx, C::Width, C::Height, C::iColSize}},
    };
    static const std::vector<FldColumn> none;
    const auto it = columns.constFind(modeEx);
    return it == columns.constEnd() ? none : *it;
}
