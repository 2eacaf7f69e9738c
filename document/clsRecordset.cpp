#include "clsRecordset.h"
#include "clsDatabaseError.h"
#include "modPublicDefine.h"
#include <QSqlError>
#include <QSqlRecord>

clsRecordset::clsRecordset(QSqlQuery&& query) : m_query(std::move(query))
{
    const QSqlRecord rec = m_query.record();
    m_fields.reserve(rec.count());
    for (int i = 0; i < rec.count(); ++i)
        m_fields.insert(rec.fieldName(i).toLower(), i);
    m_eof = !m_query.next();
}

clsRecordset::clsRecordset(const QStringList& names, std::vector<std::vector<QVariant>>&& rows)
    : m_rows(std::move(rows)), m_whole(true)
{
    m_fields.reserve(names.size());
    for (int i = 0; i < names.size(); ++i)
        m_fields.insert(names[i].toLower(), i);
    m_eof = m_rows.empty();
}

QVariant clsRecordset::Current(int index) const
{
    if (!m_whole)
        return m_query.value(index);
    const std::vector<QVariant>& row = m_rows[m_row];
    return index >= 0 && size_t(index) < row.size() ? row[size_t(index)] : QVariant();
}

void clsRecordset::MoveNext()
{
    if (m_eof)
        throw clsDatabaseError(QStringLiteral("BOF 或 EOF 中有一个是“真”，或者当前的记录已被删除，所需的操作要求一个当前的记录。"));
    if (m_whole) {
        m_eof = ++m_row >= m_rows.size();
        return;
    }
    m_eof = !m_query.next();
    if (m_eof && m_query.lastError().isValid())
        throw clsDatabaseError(m_query.lastError().text());
}

void clsRecordset::Close()
{
    m_query.finish();
    m_query = QSqlQuery();
    m_rows.clear();
    m_fields.clear();
    m_asAsked.clear();
    m_eof = true;
}

int clsRecordset::IndexOf(const QString& name) const
{
    const int index = IndexOfField(name);
    if (index < 0)
        throw clsDatabaseError(QStringLiteral("在对应所需名称或序数的集合中，未找到项目。(%1)").arg(name));
    return index;
}

int clsRecordset::IndexOfField(const QString& name) const
{
    const auto it = m_asAsked.constFind(name);
    if (it != m_asAsked.constEnd())
        return it.value();
    const int index = m_fields.value(name.toLower(), -1);
    m_asAsked.insert(name, index);
    return index;
}

QVariant clsRecordset::ValueAt(int index) const
{
    if (m_eof)
        throw clsDatabaseError(QStringLiteral("BOF 或 EOF 中有一个是“真”，或者当前的记录已被删除，所需的操作要求一个当前的记录。"));
    return Current(index);
}

bool clsRecordset::HasField(const QString& name) const
{
    return IndexOfField(name) >= 0;
}

QVariant clsRecordset::Value(const QString& name) const
{
    const int index = IndexOf(name);
    if (m_eof)
        throw clsDatabaseError(QStringLiteral("BOF 或 EOF 中有一个是“真”，或者当前的记录已被删除，所需的操作要求一个当前的记录。"));
    return Current(index);
}

bool clsRecordset::IsNull(const QString& name) const
{
    return Value(name).isNull();
}

QString clsRecordset::Text(const QString& name) const
{
    const QVariant v = Value(name);
    return v.isNull() ? QString() : v.toString().trimmed();
}

qint32 clsRecordset::Long(const QString& name) const
{
    return CLng(Value(name));
}

double clsRecordset::Double(const QString& name) const
{
    return CDbl(Value(name));
}

bool clsRecordset::Boolean(const QString& name) const
{
    return CBool(Value(name));
}
