#include "clsFormatStore.h"
#include "clsConnection.h"
#include "clsDatabaseError.h"
#include <QHash>
#include <QSqlRecord>
#include <algorithm>

namespace {
// A sort key as the database would compare the stored number: Null first, then by value;
// a value that is not a number sorts with Null (its loader refuses it anyway).
qint64 SortKey(const clsFormatRow& row, FldColumn column)
{
    const QVariant& v = row.Value(column);
    if (v.isNull() || v.metaType().id() != QMetaType::LongLong)
        return std::numeric_limits<qint64>::min();
    return v.toLongLong();
}

void SortKind(std::vector<clsFormatRow>& rows, size_t from, size_t to, qint32 modeEx)
{
    const auto begin = rows.begin() + qint64(from);
    const auto end = rows.begin() + qint64(to);
    switch (modeEx) {
    case FormatKind::Column:
    case FormatKind::Label:
    case FormatKind::Range:
        std::stable_sort(begin, end, [](const clsFormatRow& a, const clsFormatRow& b) {
            return SortKey(a, FldColumn::OrderEx) < SortKey(b, FldColumn::OrderEx);
        });
        break;
    case FormatKind::Title:
        std::stable_sort(begin, end, [](const clsFormatRow& a, const clsFormatRow& b) {
            const qint64 la = SortKey(a, FldColumn::LeftEx), lb = SortKey(b, FldColumn::LeftEx);
            if (la != lb)
                return la < lb;
            return SortKey(a, FldColumn::Width) < SortKey(b, FldColumn::Width);
        });
        break;
    default:
        break;
    }
}
}

QString clsFormatStore::KindList(const std::vector<qint32>& kinds)
{
    QStringList parts;
    for (qint32 k : kinds)
        parts << QString::number(k);
    return parts.join(QLatin1Char(','));
}

std::vector<clsFormatRow> clsFormatStore::ReadRows(clsConnection& conn, qint32 id, const std::vector<qint32>& kinds)
{
    clsRecordset rs = conn.Open(QStringLiteral("Select * From Rpt_FldDEF Where ID = ? and ModeEx in (") + KindList(kinds)
                                    + QStringLiteral(")"),
                                {id});
    // Field positions are looked up once for the whole read.
    std::array<int, kFldColumnCount> at{};
    for (int c = 0; c < kFldColumnCount; ++c)
        at[size_t(c)] = rs.IndexOfField(clsFormatRow::ColumnName(FldColumn(c)));
    const int modeAt = rs.IndexOfField(QStringLiteral("ModeEx"));
    QHash<qint32, std::vector<clsFormatRow>> byKind;
    while (!rs.Eof()) {
        clsFormatRow row(rs.ValueAt(modeAt).toInt());
        for (int c = 0; c < kFldColumnCount; ++c)
            if (at[size_t(c)] >= 0)
                row.Set(FldColumn(c), rs.ValueAt(at[size_t(c)]));
        byKind[row.ModeEx].push_back(std::move(row));
        rs.MoveNext();
    }
    rs.Close();
    std::vector<clsFormatRow> rows;
    for (qint32 kind : kinds) {
        auto it = byKind.find(kind);
        if (it == byKind.end())
            continue;
        const size_t from = rows.size();
        for (clsFormatRow& r : *it)
            rows.push_back(std::move(r));
        SortKind(rows, from, rows.size(), kind);
    }
    return rows;
}

void clsFormatStore::DeleteKinds(clsConnection& conn, qint32 id, const std::vector<qint32>& kinds)
{
    conn.Execute(QStringLiteral("Delete From Rpt_FldDEF Where ID = ? and ModeEx in (") + KindList(kinds)
                     + QStringLiteral(")"),
                 {id});
}

void clsFormatStore::InsertRows(clsConnection& conn, qint32 id, qint32 modeEx, const std::vector<const clsFormatRow*>& rows)
{
    if (rows.empty())
        return;
    const std::vector<FldColumn>& columns = clsFormatRow::KindColumns(modeEx);
    QString names = QStringLiteral("ID,ModeEx");
    QString marks = QStringLiteral("?,?");
    for (FldColumn c : columns) {
        names += QLatin1Char(',') + clsFormatRow::ColumnName(c);
        marks += QStringLiteral(",?");
    }
    const QString sql = QStringLiteral("Insert into Rpt_FldDEF (") + names + QStringLiteral(") values (") + marks
        + QStringLiteral(")");
    std::vector<QVariantList> values;
    values.reserve(rows.size());
    for (const clsFormatRow* r : rows) {
        QVariantList v;
        v.reserve(qsizetype(columns.size()) + 2);
        v << id << modeEx;
        for (FldColumn c : columns)
            v << r->Value(c);
        values.push_back(std::move(v));
    }
    conn.ExecuteMany(sql, values);
}
