#pragma once
#include <QString>
#include <QVariant>
#include <array>
#include <vector>

// The columns of Rpt_FldDEF that an object row carries besides ID and ModeEx.
enum class FldColumn : int
{
    OrderEx,
    Name,
    nameForeign,
    FormatEx,
    Condition,
    iAlignStyle,
    Note,
    iColSize,
    Expression,
    TopEx,
    LeftEx,
    Width,
    Height,
    iSize,
    Visible,
};
constexpr int kFldColumnCount = 15;

// Object kinds (ModeEx) of a report's format.
namespace FormatKind {
constexpr qint32 Column = 0;
constexpr qint32 Group = 3;
constexpr qint32 Sum = 4;
constexpr qint32 Title = 5;
constexpr qint32 HelpId = 22;
constexpr qint32 Range = 25;
constexpr qint32 Label = 26;
constexpr qint32 Print = 27;
}

// One stored object of a report: its kind and the values of its columns. A column the
// kind does not write is Null. Whole numbers are kept as qlonglong and texts as QString,
// so two rows built from the same values compare equal whichever way they were made;
// a value read from the database that is neither (text in a number column) is kept as
// read, and reading it as a number raises the type error of the stored-value rules.
struct clsFormatRow
{
    qint32 ModeEx = 0;
    std::array<QVariant, kFldColumnCount> values;

    clsFormatRow() = default;
    explicit clsFormatRow(qint32 modeEx) : ModeEx(modeEx) {}

    clsFormatRow& Set(FldColumn column, const QVariant& value);
    // Values put in place as read brought to the kept form (most already are).
    void KeepForms();
    // The same for what the managers hold, without a QVariant made and taken apart in
    // between (a snapshot sets every value of every object).
    clsFormatRow& Set(FldColumn column, qint64 value);
    clsFormatRow& Set(FldColumn column, qint32 value) { return Set(column, qint64(value)); }
    clsFormatRow& Set(FldColumn column, const QString& value);
    clsFormatRow& Set(FldColumn column, bool value) = delete;   // a flag is stored as a chosen number
    const QVariant& Value(FldColumn column) const { return values[size_t(column)]; }
    bool IsNull(FldColumn column) const { return Value(column).isNull(); }
    QString Text(FldColumn column) const;   // trimmed, Null as empty text
    qint32 Long(FldColumn column) const;    // Null as 0; throws clsDatabaseError

    bool operator==(const clsFormatRow& other) const;
    bool operator!=(const clsFormatRow& other) const { return !(*this == other); }

    static QString ColumnName(FldColumn column);
    // Name, nameForeign, FormatEx, Condition, Note and Expression hold texts.
    static constexpr bool IsTextColumn(FldColumn column) { return (0b101011110 >> int(column)) & 1; }
    // The kinds a save writes, in the order it writes them.
    static const std::vector<qint32>& SavedKinds();
    // The columns a kind's insert names, in the order of its statement.
    static const std::vector<FldColumn>& KindColumns(qint32 modeEx);
};
