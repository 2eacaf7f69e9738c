#include "clsFormatSnapshot.h"
#include <QJsonArray>
#include <algorithm>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <limits>

namespace {
constexpr int kFormatVersion = 1;

bool SameRows(const std::vector<clsFormatRow>& a, const std::vector<clsFormatRow>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

bool KnownKind(qint64 mode)
{
    for (qint32 k : clsFormatRow::SavedKinds())
        if (k == mode)
            return true;
    return false;
}

QJsonValue CellToJson(const QVariant& v)
{
    if (v.isNull())
        return QJsonValue(QJsonValue::Null);
    if (v.metaType().id() == QMetaType::LongLong)
        return QJsonValue(v.toLongLong());
    return QJsonValue(v.toString());
}

// Reading: every problem names where it is and what is wrong.
class Reader
{
public:
    QString error;

    bool Fail(const QString& place, const QString& problem)
    {
        if (error.isEmpty())
            error = place + QStringLiteral("：") + problem;
        return false;
    }
    bool Text(const QJsonObject& o, const QString& key, const QString& place, QString& out, bool required)
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return required ? Fail(place + QLatin1Char('.') + key, QStringLiteral("缺少该项")) : true;
        if (v.isNull()) {
            out.clear();
            return true;
        }
        if (!v.isString())
            return Fail(place + QLatin1Char('.') + key, QStringLiteral("应为文本"));
        out = v.toString();
        return true;
    }
    bool Whole(const QJsonValue& v, const QString& place, qint64& out)
    {
        if (!v.isDouble())
            return Fail(place, QStringLiteral("应为整数"));
        const double d = v.toDouble();
        if (d != double(qint64(d)))
            return Fail(place, QStringLiteral("应为整数"));
        if (d < double(std::numeric_limits<qint32>::min()) || d > double(std::numeric_limits<qint32>::max()))
            return Fail(place, QStringLiteral("数值超出范围"));
        out = qint64(d);
        return true;
    }
    bool Number(const QJsonObject& o, const QString& key, const QString& place, qint64& out, bool required)
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return required ? Fail(place + QLatin1Char('.') + key, QStringLiteral("缺少该项")) : true;
        if (v.isNull()) {
            out = 0;
            return true;
        }
        return Whole(v, place + QLatin1Char('.') + key, out);
    }
};
}

bool clsFormatSnapshot::Catalogue::operator==(const Catalogue& o) const
{
    return Name == o.Name && SystemID == o.SystemID && Note == o.Note && Relation == o.Relation
        && DatabaseEx == o.DatabaseEx && IsBaseTable == o.IsBaseTable && Type == o.Type;
}

bool clsFormatSnapshot::FilterRow::operator==(const FilterRow& o) const
{
    return note == o.note && ModeEx == o.ModeEx && location == o.location;
}

bool clsFormatSnapshot::operator==(const clsFormatSnapshot& other) const
{
    return SameRows(Rows, other.Rows) && HasCatalogue == other.HasCatalogue
        && (!HasCatalogue || Report == other.Report) && Filters == other.Filters;
}

std::vector<const clsFormatRow*> clsFormatSnapshot::RowsOf(qint32 modeEx) const
{
    std::vector<const clsFormatRow*> rows;
    for (const clsFormatRow& r : Rows)
        if (r.ModeEx == modeEx)
            rows.push_back(&r);
    return rows;
}

QString clsFormatSnapshot::ToJson() const
{
    QJsonObject root;
    root.insert(QStringLiteral("format"), kFormatVersion);
    if (HasCatalogue) {
        QJsonObject report;
        report.insert(QStringLiteral("Name"), Report.Name);
        report.insert(QStringLiteral("SystemID"), Report.SystemID);
        report.insert(QStringLiteral("Note"), Report.Note);
        report.insert(QStringLiteral("Relation"), Report.Relation);
        report.insert(QStringLiteral("DatabaseEx"), Report.DatabaseEx);
        report.insert(QStringLiteral("IsBaseTable"), Report.IsBaseTable);
        report.insert(QStringLiteral("Type"), Report.Type);
        root.insert(QStringLiteral("report"), report);
        QJsonArray filters;
        for (const FilterRow& f : Filters) {
            QJsonObject o;
            o.insert(QStringLiteral("note"), f.note);
            o.insert(QStringLiteral("ModeEx"), f.ModeEx);
            o.insert(QStringLiteral("location"), f.location);
            filters.append(o);
        }
        root.insert(QStringLiteral("filters"), filters);
    }
    QJsonArray rows;
    for (const clsFormatRow& r : Rows) {
        QJsonObject o;
        o.insert(QStringLiteral("ModeEx"), r.ModeEx);
        // The columns the kind writes always appear, so every object of a kind reads
        // alike; any other column only when it holds something.
        const std::vector<FldColumn>& own = clsFormatRow::KindColumns(r.ModeEx);
        for (int c = 0; c < kFldColumnCount; ++c) {
            const FldColumn column = FldColumn(c);
            const bool kindWrites = std::find(own.begin(), own.end(), column) != own.end();
            if (kindWrites || !r.IsNull(column))
                o.insert(clsFormatRow::ColumnName(column), CellToJson(r.Value(column)));
        }
        rows.append(o);
    }
    root.insert(QStringLiteral("rows"), rows);
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

bool clsFormatSnapshot::FromJson(const QString& text, clsFormatSnapshot& snapshot, QString& error)
{
    snapshot = clsFormatSnapshot();
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &parse);
    if (parse.error != QJsonParseError::NoError) {
        error = QStringLiteral("第 %1 个字符：JSON 格式错误（%2）").arg(parse.offset).arg(parse.errorString());
        return false;
    }
    Reader in;
    if (!doc.isObject()) {
        in.Fail(QStringLiteral("$"), QStringLiteral("应为对象"));
        error = in.error;
        return false;
    }
    const QJsonObject root = doc.object();
    qint64 version = 0;
    if (!in.Number(root, QStringLiteral("format"), QStringLiteral("$"), version, true)) {
        error = in.error;
        return false;
    }
    if (version != kFormatVersion) {
        error = QStringLiteral("$.format：不支持的格式版本 %1").arg(version);
        return false;
    }
    if (root.contains(QStringLiteral("report"))) {
        const QJsonValue rv = root.value(QStringLiteral("report"));
        if (!rv.isObject()) {
            in.Fail(QStringLiteral("$.report"), QStringLiteral("应为对象"));
            error = in.error;
            return false;
        }
        const QJsonObject r = rv.toObject();
        const QString at = QStringLiteral("$.report");
        Catalogue& c = snapshot.Report;
        bool ok = in.Text(r, QStringLiteral("Name"), at, c.Name, true)
            && in.Text(r, QStringLiteral("SystemID"), at, c.SystemID, true)
            && in.Text(r, QStringLiteral("Note"), at, c.Note, false)
            && in.Text(r, QStringLiteral("Relation"), at, c.Relation, false)
            && in.Text(r, QStringLiteral("DatabaseEx"), at, c.DatabaseEx, false)
            && in.Number(r, QStringLiteral("IsBaseTable"), at, c.IsBaseTable, false)
            && in.Number(r, QStringLiteral("Type"), at, c.Type, false);
        if (ok && c.Name.trimmed().isEmpty())
            ok = in.Fail(at + QStringLiteral(".Name"), QStringLiteral("报表名称不能为空"));
        if (!ok) {
            error = in.error;
            return false;
        }
        snapshot.HasCatalogue = true;
        const QJsonValue fv = root.value(QStringLiteral("filters"));
        if (!fv.isUndefined() && !fv.isArray()) {
            in.Fail(QStringLiteral("$.filters"), QStringLiteral("应为数组"));
            error = in.error;
            return false;
        }
        const QJsonArray filters = fv.toArray();
        for (int i = 0; i < filters.size(); ++i) {
            const QString place = QStringLiteral("$.filters[%1]").arg(i);
            if (!filters.at(i).isObject()) {
                in.Fail(place, QStringLiteral("应为对象"));
                error = in.error;
                return false;
            }
            const QJsonObject f = filters.at(i).toObject();
            FilterRow row;
            if (!in.Text(f, QStringLiteral("note"), place, row.note, false)
                || !in.Number(f, QStringLiteral("ModeEx"), place, row.ModeEx, false)
                || !in.Number(f, QStringLiteral("location"), place, row.location, false)) {
                error = in.error;
                return false;
            }
            snapshot.Filters.push_back(row);
        }
    }
    const QJsonValue rowsValue = root.value(QStringLiteral("rows"));
    if (!rowsValue.isArray()) {
        in.Fail(QStringLiteral("$.rows"), rowsValue.isUndefined() ? QStringLiteral("缺少该项") : QStringLiteral("应为数组"));
        error = in.error;
        return false;
    }
    const QJsonArray rows = rowsValue.toArray();
    snapshot.Rows.reserve(size_t(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const QString place = QStringLiteral("$.rows[%1]").arg(i);
        if (!rows.at(i).isObject()) {
            in.Fail(place, QStringLiteral("应为对象"));
            error = in.error;
            return false;
        }
        const QJsonObject o = rows.at(i).toObject();
        qint64 mode = 0;
        if (!in.Number(o, QStringLiteral("ModeEx"), place, mode, true)) {
            error = in.error;
            return false;
        }
        if (!KnownKind(mode)) {
            error = place + QStringLiteral(".ModeEx：未知的对象类别 %1").arg(mode);
            return false;
        }
        clsFormatRow row{qint32(mode)};
        for (auto it = o.constBegin(); it != o.constEnd(); ++it) {
            if (it.key() == QLatin1String("ModeEx"))
                continue;
            int column = -1;
            for (int c = 0; c < kFldColumnCount; ++c)
                if (clsFormatRow::ColumnName(FldColumn(c)) == it.key())
                    column = c;
            const QString cellPlace = place + QLatin1Char('.') + it.key();
            if (column < 0) {
                error = cellPlace + QStringLiteral("：未知的列");
                return false;
            }
            const FldColumn col = FldColumn(column);
            const QJsonValue v = it.value();
            if (v.isNull())
                continue;
            if (clsFormatRow::IsTextColumn(col)) {
                if (!v.isString()) {
                    in.Fail(cellPlace, QStringLiteral("应为文本"));
                    error = in.error;
                    return false;
                }
                const QString text = v.toString();
                row.Set(col, text.isNull() ? QStringLiteral("") : text);   // "" stays a text, not a Null
            } else {
                qint64 n = 0;
                if (!in.Whole(v, cellPlace, n)) {
                    error = in.error;
                    return false;
                }
                row.Set(col, QVariant(qlonglong(n)));
            }
        }
        snapshot.Rows.push_back(std::move(row));
    }
    return true;
}

qint64 clsFormatSnapshot::ApproximateSize() const
{
    qint64 bytes = qint64(sizeof(*this)) + qint64(Rows.capacity() * sizeof(clsFormatRow));
    for (const clsFormatRow& r : Rows)
        for (const QVariant& v : r.values)
            if (v.metaType().id() == QMetaType::QString)
                bytes += qint64(v.toString().capacity()) * 2 + 32;
    return bytes;
}
