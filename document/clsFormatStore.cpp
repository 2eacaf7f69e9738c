#include "clsFormatStore.h"
#include "clsConnection.h"
#include "clsDatabaseError.h"
#include "modPublicDefine.h"
#include <QHash>
#include <QSqlRecord>
#include <algorithm>
#include <array>
#include <memory>

namespace {
// A sort key as the database would compare the stored number: Null first, then by value;
// a value that is not a number sorts with Null (its loader refuses it anyway).
qint64 SortKey(const clsFormatRow& row, FldColumn column)
{
    const QVariant& v = row.Value(column);
    if (v.data_ptr().is_null || TypeIdOf(v) != QMetaType::LongLong)
        return std::numeric_limits<qint64>::min();
    return *static_cast<const qlonglong*>(v.constData());
}

// Null, number or anything else, as CompareRows ranks a value.
int Rank(const QVariant& v)
{
    if (!v.data_ptr().is_null) {
        switch (TypeIdOf(v)) {
        case QMetaType::UnknownType:
            return 0;
        case QMetaType::LongLong:
            return 1;
        case QMetaType::QString:
            return 2;
        default:
            break;
        }
    }
    return v.isNull() ? 0 : TypeIdOf(v) == QMetaType::LongLong ? 1 : 2;
}

// Whole rows column by column: Null first, then numbers by value, then texts. It settles
// whatever the kind's own order leaves open, so a format reads back in one order
// whichever order the database hands its rows out in.
int CompareRows(const clsFormatRow& a, const clsFormatRow& b)
{
    for (int c = 0; c < kFldColumnCount; ++c) {
        const QVariant& x = a.Value(FldColumn(c));
        const QVariant& y = b.Value(FldColumn(c));
        const int rx = Rank(x), ry = Rank(y);
        if (rx != ry)
            return rx < ry ? -1 : 1;
        if (rx == 1) {
            const qlonglong m = *static_cast<const qlonglong*>(x.constData());
            const qlonglong n = *static_cast<const qlonglong*>(y.constData());
            if (m != n)
                return m < n ? -1 : 1;
        }
        if (rx == 2) {
            // Texts (nearly all of them) are compared where they are kept.
            const bool texts = TypeIdOf(x) == QMetaType::QString && TypeIdOf(y) == QMetaType::QString;
            const int text = texts ? static_cast<const QString*>(x.constData())->compare(*static_cast<const QString*>(y.constData()))
                                   : x.toString().compare(y.toString());
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

// Rows as they are read, in blocks of a fixed size: a report of any size is read
// without a vector of large rows growing, and so being copied and its memory taken
// afresh, as it goes.
class ReadBlocks
{
public:
    clsFormatRow& Add(qint32 modeEx)
    {
        if (m_count % kBlock == 0)
            m_blocks.push_back(std::make_unique<clsFormatRow[]>(kBlock));
        clsFormatRow& row = (*this)[m_count++];
        row.ModeEx = modeEx;
        return row;
    }
    clsFormatRow& operator[](size_t i) { return m_blocks[i / kBlock][i % kBlock]; }
    size_t size() const { return m_count; }
    std::vector<std::unique_ptr<clsFormatRow[]>> TakeBlocks() { return std::move(m_blocks); }
    // The last row added goes again, its slot emptied for the next.
    void DropLast() { (*this)[--m_count] = clsFormatRow(); }

private:
    static constexpr size_t kBlock = 64;
    std::vector<std::unique_ptr<clsFormatRow[]>> m_blocks;
    size_t m_count = 0;
};

// The loaders' order of rows: kinds as listed (rows of other kinds are left out), each
// kind by its own columns, whole rows settling ties. A save writes each kind's rows in
// this order and SQLite hands them back so (by kind number, then OrderEx, then as
// stored), so there the check that a kind already is in order is usually the whole
// cost. PostgreSQL puts new rows into the space deleted ones left, so its rows mostly
// need the sort: of indices, each row's keys taken once.
template <typename Rows>
std::vector<size_t> Order(Rows& read, const std::vector<qint32>& kinds)
{
    // A handful of kinds: looked up in the list itself, the first listing counting.
    const auto rankOf = [&](qint32 kind) {
        for (size_t i = 0; i < kinds.size(); ++i)
            if (kinds[i] == kind)
                return int(i);
        return -1;
    };
    struct Key
    {
        int rank;
        std::array<qint64, 4> values;
        size_t at;
        const QString* name;
    };
    std::vector<Key> keys;
    keys.reserve(read.size());
    for (size_t i = 0; i < read.size(); ++i) {
        const int r = rankOf(read[i].ModeEx);
        if (r < 0)
            continue;
        Key key{r, {}, i, nullptr};
        const std::vector<FldColumn>& columns = SortColumns(read[i].ModeEx);
        for (size_t k = 0; k < columns.size() && k < key.values.size(); ++k)
            key.values[k] = SortKey(read[i], columns[k]);
        if (columns.empty()) {
            // A kind without an order of its own goes by its whole rows. Their first two
            // columns, taken here as CompareRows ranks them, settle nearly every pair;
            // a number column holding something else leaves it all to CompareRows.
            const QVariant& order = read[i].Value(FldColumn::OrderEx);
            const QVariant& name = read[i].Value(FldColumn::Name);
            const int orderRank = Rank(order);
            key.values[0] = orderRank;
            if (orderRank == 1)
                key.values[1] = *static_cast<const qlonglong*>(order.constData());
            if (orderRank != 2) {
                key.values[2] = Rank(name);
                if (key.values[2] == 2 && TypeIdOf(name) == QMetaType::QString)
                    key.name = static_cast<const QString*>(name.constData());
            }
        }
        keys.push_back(key);
    }
    const auto before = [&](const Key& a, const Key& b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        if (a.values != b.values)
            return a.values < b.values;
        if (a.name && b.name)
            if (const int names = a.name->compare(*b.name))
                return names < 0;
        return CompareRows(read[a.at], read[b.at]) < 0;
    };
    // Kinds apart first, keeping the order read: the database's index hands a report's
    // rows out by kind number, which is not the loaders' order of kinds, while within
    // a kind they mostly are in order already.
    std::vector<size_t> start(kinds.size() + 1, 0);
    for (const Key& key : keys)
        ++start[size_t(key.rank) + 1];
    for (size_t k = 1; k < start.size(); ++k)
        start[k] += start[k - 1];
    const std::unique_ptr<Key[]> byKind(new Key[keys.size()]);
    std::vector<size_t> next(start.begin(), start.end() - 1);
    for (const Key& key : keys)
        byKind[next[size_t(key.rank)]++] = key;
    std::vector<size_t> order;
    order.reserve(keys.size());
    for (size_t k = 0; k + 1 < start.size(); ++k) {
        Key* const from = byKind.get() + start[k];
        Key* const to = byKind.get() + start[k + 1];
        if (!std::is_sorted(from, to, before))
            std::stable_sort(from, to, before);
        for (auto it = from; it != to; ++it)
            order.push_back(it->at);
    }
    return order;
}

// The rows in that order, moved once into a vector of their own size.
template <typename Rows>
std::vector<clsFormatRow> Grouped(Rows& read, const std::vector<qint32>& kinds)
{
    std::vector<clsFormatRow> rows;
    const std::vector<size_t> order = Order(read, kinds);
    rows.reserve(order.size());
    for (size_t at : order)
        rows.push_back(std::move(read[at]));
    return rows;
}

// The report's rows through `read`; where it may answer rows of other reports as well
// (`others`: a read by name finds every report of that name), only rows of `id` are kept.
ReadBlocks ReadAll(clsConnection& conn, qint32 id, const clsConnection::Statement& read, bool others)
{
    // Field positions are looked up once for the whole read.
    std::array<int, kFldColumnCount> at{};
    int modeAt = -1;
    int idAt = -1;
    QVariant rowId;
    ReadBlocks rows;
    // Each value goes straight into its row; ModeEx and unwanted columns aside.
    std::vector<QVariant*> places;
    QVariant mode;
    clsFormatRow* current = nullptr;
    const auto columns = [&](const QStringList& names) {
        QHash<QString, int> byName;
        for (int i = 0; i < names.size(); ++i)
            byName.insert(names[i].toLower(), i);
        for (int c = 0; c < kFldColumnCount; ++c)
            at[size_t(c)] = byName.value(clsFormatRow::ColumnName(FldColumn(c)).toLower(), -1);
        modeAt = byName.value(QStringLiteral("modeex"), -1);
        idAt = others ? byName.value(QStringLiteral("id"), -1) : -1;
        places.assign(size_t(names.size()), nullptr);
    };
    const auto place = [&] {
        current = &rows.Add(0);
        for (int c = 0; c < kFldColumnCount; ++c)
            if (at[size_t(c)] >= 0)
                places[size_t(at[size_t(c)])] = &current->values[size_t(c)];
        if (modeAt >= 0)
            places[size_t(modeAt)] = &mode;
        if (idAt >= 0)
            places[size_t(idAt)] = &rowId;
        return places.data();
    };
    const auto done = [&] {
        if (idAt >= 0 && rowId.toLongLong() != id) {
            rows.DropLast();
            return;
        }
        current->ModeEx = modeAt < 0 ? 0 : TypeIdOf(mode) == QMetaType::LongLong ? qint32(*static_cast<const qlonglong*>(mode.constData())) : mode.toInt();
        current->KeepForms();
    };
    conn.ReadInto(read.sql, read.params, columns, place, done);
    return rows;
}
}

clsConnection::Statement clsFormatStore::ReadStatement(qint32 id, const std::vector<qint32>& kinds)
{
    return {QStringLiteral("Select * From Rpt_FldDEF Where ID = ? and ModeEx in (") + KindList(kinds) + QStringLiteral(")"),
            {id}};
}

QString clsFormatStore::KindList(const std::vector<qint32>& kinds)
{
    QStringList parts;
    for (qint32 k : kinds)
        parts << QString::number(k);
    return parts.join(QLatin1Char(','));
}

clsConnection::Statement clsFormatStore::ReadStatementByName(const QString& systemId, const QString& name,
                                                             const std::vector<qint32>& kinds)
{
    return {QStringLiteral("Select * From Rpt_FldDEF Where ID in (Select ID From Rpt_GlbDEF Where SystemID = ? and Name = ?) "
                           "and ModeEx in (")
                + KindList(kinds) + QStringLiteral(")"),
            {systemId, name}};
}

std::vector<clsFormatRow> clsFormatStore::ReadRows(clsConnection& conn, qint32 id, const std::vector<qint32>& kinds)
{
    ReadBlocks rows = ReadAll(conn, id, ReadStatement(id, kinds), false);
    return Grouped(rows, kinds);
}

clsFormatStore::RowsInPlace clsFormatStore::ReadInPlace(clsConnection& conn, qint32 id, const std::vector<qint32>& kinds,
                                                        const clsConnection::Statement* how)
{
    ReadBlocks rows = ReadAll(conn, id, how ? *how : ReadStatement(id, kinds), how != nullptr);
    RowsInPlace read;
    const std::vector<size_t> order = Order(rows, kinds);
    read.ordered.reserve(order.size());
    for (size_t at : order)
        read.ordered.push_back(&rows[at]);
    read.blocks = rows.TakeBlocks();
    return read;
}

void clsFormatStore::OrderAsRead(std::vector<clsFormatRow>& rows)
{
    std::vector<clsFormatRow> read = std::move(rows);
    rows = Grouped(read, clsFormatRow::SavedKinds());
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
