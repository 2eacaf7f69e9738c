#pragma once
#include <QString>
#include <QStringList>

// The display-format catalogue shared by labels and columns: the entries offered to
// the user and the codes stored for the suite's named formats.
enum class FormatOwner { Label, Column };

// The nineteen common entries; columns add "行百分比" and "分组行百分比".
QStringList DisplayFormatEntries(FormatOwner owner);
// What to store for a chosen entry: the code of a named format allowed on the owner,
// else the trimmed text.
QString DisplayFormatToCode(const QString& entry, FormatOwner owner = FormatOwner::Column);
// What to show for a stored value: the entry of a code allowed on the owner, else the text.
QString DisplayFormatToEntry(const QString& stored, FormatOwner owner);
