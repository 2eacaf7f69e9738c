#include "clsFormatStore.h"
#include "clsConnection.h"
#include "clsDatabaseError.h"
#include <QHash>
#include <QSqlRecord>
#include <algorithm>
#include <array>

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

// Whole rows column by column: Null first, then numbers by value, then texts. It settles
// whatever the kind's own order leaves open, so a format reads back in one order
// whichever order the database hands its rows out in.
int CompareRows(const clsFormatRow& a, const clsFormatRow& b)
{
    const auto rank = [](const QVariant& v) { return v.isNull() ? 0 : v.metaType().id() == QMetaType::LongLong ? 1 : 2; };
    for (int c = 0; c < kFldColumnCount; ++c) {
        const QVariant& x = a.Value(FldColumn(c));
        const QVariant& y = b.Value(FldColumn(c));
        const int rx = rank(x), ry = rank(y);
        if (rx != ry)
            return rx < ry ? -1 : 1;
        if (rx == 1 && x.toLongLong() != y.toLongLong())
            return x.toLongLong() < y.toLongLong() ? -1 : 1;
        if (rx == 2) {
            const int text = x.toString().compare(y.toString());
            if (text != 0)
                return text;
        }
    }
    return 0;
}

// The loaders' orders: columns, labels and ranges by OrderEx, titles by LeftEx and
// Width (then top to bottom); the other kinds are read in no order of their own.
const std::vector<FldColumn>& SortColumns(qint32 modeEx)
{
    static const std::vector<FldColumn> byOrder = {FldColumn::OrderEx};
    static const std::vector<FldColumn> titles = {FldColumn::LeftEx, FldColumn::Width, FldColumn::TopEx, FldColumn::Height};
    static const std::vector<FldColumn> none;
    switch (modeEx) {
    case FormatKind::Column:
    case FormatKind::Label:
    case FormatKind::Range:
        return byOrder;
    case FormatKind::Title:
        return titles;
    default:
        return none;
    }
}

// Puts rows in the loaders' order: kinds as listed (rows of other kinds are left out),
// each kind by its own columns, whole rows settling ties. A save writes rows in this
// order and SQLite hands them back as stored, so there the check that they already are
// in order is usually the whole cost. PostgreSQL puts new rows into the space deleted
// ones left, so its rows mostly need the sort: of indices, each row's keys taken once.
std::vector<clsFormatRow> Grouped(std::vector<clsFormatRow>& read, const std::vector<qint32>& kinds)
{
    QHash<qint32, int> rank;
    for (size_t i = 0; i < kinds.size(); ++i)
        if (!rank.contains(kinds[i]))
            rank.insert(kinds[i], int(i));
    struct Key
    {
        int rank;
        std::array<qint64, 4> values;
        size_t at;
    };
    std::vector<Key> keys;
    keys.reserve(read.size());
    for (size_t i = 0; i < read.size(); ++i) {
        const auto r = rank.constFind(read[i].ModeEx);
        if (r == rank.constEnd())
            continue;
        Key key{*r, {}, i};
        const std::vector<FldColumn>& columns = SortColumns(read[i].ModeEx);
        for (size_t k = 0; k < columns.size() && k < key.values.size(); ++k)
            key.values[k] = SortKey(read[i], columns[k]);
        keys.push_back(key);
    }
    const auto before = [&](const Key& a, const Key& b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        if (a.values != b.values)
            return a.values < b.values;
        return CompareRows(read[a.at], read[b.at]) < 0;
    };
    if (keys.size() == read.size() && std::is_sorted(keys.begin(), keys.end(), before))
        return std::move(read);
    std::stable_sort(keys.begin(), keys.end(), before);
    if (keys.size() != read.size()) {
        std::vector<clsFormatRow> rows;
        rows.reserve(keys.size());
        for (const Key& key : keys)
            rows.push_back(std::move(read[key.at]));
        return rows;
    }
    // Every row is wanted: the order is applied in place, cycle by cycle, so the rows
    // (large) are moved about once each and no second vector of them is made.
    std::vector<bool> placed(read.size(), false);
    for (size_t start = 0; start < read.size(); ++start) {
        if (placed[start] || keys[start].at == start)
            continue;
        clsFormatRow first = std::move(read[start]);
        size_t to = start;
        while (keys[to].at != start) {
            read[to] = std::move(read[keys[to].at]);
            placed[to] = true;
            to = keys[to].at;
        }
        read[to] = std::move(first);
        placed[to] = true;
    }
    return std::move(read);
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
    std::vector<clsFormatRow> rows;
    while (!rs.Eof()) {
        clsFormatRow& row = rows.emplace_back(rs.ValueAt(modeAt).toInt());
        for (int c = 0; c < kFldColumnCount; ++c)
            if (at[size_t(c)] >= 0)
                row.Set(FldColumn(c), rs.ValueAt(at[size_t(c)]));
        rs.MoveNext();
    }
    rs.Close();
    return Grouped(rows, kinds);
}

void clsFormatStore::OrderAsRead(std::vector<clsFormatRow>& rows)
{
    rows = Grouped(rows, clsFormatRow::SavedKinds());
}

bool clsFormatStore::TakeSaveLock(clsConnection& conn, qint32 id)
{
    const bool postgres = conn.InTransaction() && conn.IsPostgres();
    try {
        const int rows = postgres
            ? conn.Execute(QStringLiteral("Update Rpt_GlbDEF Set Cols= 1 Where ID in (Select ID From Rpt_GlbDEF "
                                          "Where ID = ? and (Cols = 0 or Cols is null) For Update Nowait)"),
                           {id})
            : conn.Execute(QStringLiteral("Update Rpt_GlbDEF Set Cols= 1 Where ID = ? and (Cols = 0 or Cols is null)"), {id});
        return rows == 1;
    } catch (const clsDatabaseError&) {
        return false;
    }
}

bool clsFormatStore::ReleaseSaveLock(clsConnection& conn, qint32 id)
{
    try {
        conn.Execute(QStringLiteral("Update Rpt_GlbDEF Set Cols= 0 Where ID =") + QString::number(id));
        return true;
    } catch (const clsDatabaseError&) {
        return false;
    }
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
    QStringList names = {QStringLiteral("ID"), QStringLiteral("ModeEx")};
    for (FldColumn c : columns)
        names << clsFormatRow::ColumnName(c);
    const QVariant idValue(id), kindValue(modeEx);
    conn.InsertMany(QStringLiteral("Rpt_FldDEF"), names, rows.size(), [&](size_t r, qsizetype c) -> const QVariant& {
        return c == 0 ? idValue : c == 1 ? kindValue : rows[r]->Value(columns[size_t(c - 2)]);
    });
}

void clsFormatStore::InsertFormat(clsConnection& conn, qint32 id, const std::vector<clsFormatRow>& rows)
{
    // One column list for every kind: a column a kind does not write is bound Null,
    // which is what leaving it out of the kind's own insert stores in these tables.
    // The rows are read where they are, kinds in turn.
    QStringList names = {QStringLiteral("ID"), QStringLiteral("ModeEx")};
    for (int c = 0; c < kFldColumnCount; ++c)
        names << clsFormatRow::ColumnName(FldColumn(c));
    struct Kind
    {
        QVariant value;
        std::array<bool, kFldColumnCount> writes{};
    };
    std::vector<Kind> kinds;
    for (qint32 kind : clsFormatRow::SavedKinds()) {
        Kind k{QVariant(kind), {}};
        for (FldColumn c : clsFormatRow::KindColumns(kind))
            k.writes[size_t(c)] = true;
        kinds.push_back(k);
    }
    std::vector<std::pair<const clsFormatRow*, const Kind*>> order;
    order.reserve(rows.size());
    for (size_t k = 0; k < kinds.size(); ++k)
        for (const clsFormatRow& r : rows)
            if (r.ModeEx == clsFormatRow::SavedKinds()[k])
                order.emplace_back(&r, &kinds[k]);
    const QVariant idValue(id), null;
    conn.InsertMany(QStringLiteral("Rpt_FldDEF"), names, order.size(), [&](size_t r, qsizetype c) -> const QVariant& {
        if (c < 2)
            return c == 0 ? idValue : order[r].second->value;
        const size_t column = size_t(c - 2);
        return order[r].second->writes[column] ? order[r].first->values[column] : null;
    });
}
