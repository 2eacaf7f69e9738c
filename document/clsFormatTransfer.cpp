#include "clsFormatTransfer.h"
#include "clsConnection.h"
#include "clsDatabaseError.h"
#include "clsDocument.h"
#include "clsFormatStore.h"
#include "columns/clsFieldsManager.h"
#include <QFile>
#include <QSaveFile>
#include <QSqlError>
#include <QStringDecoder>

namespace {
// A stored text as it is, blanks included: a format must come back byte for byte.
QString RawText(const clsRecordset& rs, const QString& field)
{
    const QVariant v = rs.Value(field);
    return v.isNull() ? QString() : v.toString();
}

void ReadCatalogue(clsConnection& conn, qint32 id, clsFormatSnapshot& snapshot)
{
    clsRecordset rs = conn.Open(QStringLiteral("Select Name, SystemID, Note, Relation, DatabaseEx, IsBaseTable, Type "
                                               "From Rpt_GlbDEF Where ID = ?"),
                                {id});
    if (rs.Eof())
        return;
    clsFormatSnapshot::Catalogue& c = snapshot.Report;
    c.Name = RawText(rs, QStringLiteral("Name"));
    c.SystemID = RawText(rs, QStringLiteral("SystemID"));
    c.Note = RawText(rs, QStringLiteral("Note"));
    c.Relation = RawText(rs, QStringLiteral("Relation"));
    c.DatabaseEx = RawText(rs, QStringLiteral("DatabaseEx"));
    c.IsBaseTable = rs.Long(QStringLiteral("IsBaseTable"));
    c.Type = rs.Long(QStringLiteral("Type"));
    snapshot.HasCatalogue = true;
}

void ReadFilters(clsConnection& conn, qint32 id, clsFormatSnapshot& snapshot)
{
    // Ordered on every column, so two reads of the same rows list them alike.
    clsRecordset rs = conn.Open(QStringLiteral("Select note, ModeEx, location From Rpt_FltDEF Where id = ? "
                                               "Order by ModeEx, location, note"),
                                {id});
    for (; !rs.Eof(); rs.MoveNext()) {
        clsFormatSnapshot::FilterRow f;
        f.note = RawText(rs, QStringLiteral("note"));
        f.ModeEx = rs.Long(QStringLiteral("ModeEx"));
        f.location = rs.Long(QStringLiteral("location"));
        snapshot.Filters.push_back(f);
    }
}

QString TargetName(const clsFormatSnapshot& snapshot, const clsFormatTransfer::ImportOptions& options)
{
    return options.Name.trimmed().isEmpty() ? snapshot.Report.Name : options.Name.trimmed();
}

QString TargetSystem(const clsFormatSnapshot& snapshot, const clsFormatTransfer::ImportOptions& options)
{
    return options.SystemID.trimmed().isEmpty() ? snapshot.Report.SystemID : options.SystemID.trimmed();
}

QString Quoted(const QString& name, const QString& system)
{
    return QStringLiteral("报表“%1”（%2）").arg(name, system);
}

// The rows of a format in one report of the target, each kind after the one delete
// of every kind, as a save writes them.
void WriteRows(clsConnection& conn, qint32 id, const clsFormatSnapshot& snapshot, bool existing)
{
    if (existing) {
        clsFormatStore::DeleteKinds(conn, id, clsFormatRow::SavedKinds());
        if (snapshot.HasCatalogue)
            conn.Execute(QStringLiteral("Delete From Rpt_FltDEF Where id = ?"), {id});
    }
    clsFormatStore::InsertFormat(conn, id, snapshot.Rows);
    std::vector<QVariantList> filters;
    for (const clsFormatSnapshot::FilterRow& f : snapshot.Filters)
        filters.push_back({id, f.note, f.ModeEx, f.location});
    conn.InsertMany(QStringLiteral("Rpt_FltDEF"),
                    {QStringLiteral("id"), QStringLiteral("note"), QStringLiteral("ModeEx"), QStringLiteral("location")}, filters);
}
}

std::vector<clsFormatTransfer::ReportEntry> clsFormatTransfer::ListReports(clsConnection& conn)
{
    std::vector<ReportEntry> reports;
    clsRecordset rs = conn.Open(QStringLiteral("Select ID, Name, SystemID From Rpt_GlbDEF Order by SystemID, Name, ID"));
    for (; !rs.Eof(); rs.MoveNext())
        reports.push_back({rs.Long(QStringLiteral("ID")), RawText(rs, QStringLiteral("Name")),
                           RawText(rs, QStringLiteral("SystemID"))});
    return reports;
}

qint32 clsFormatTransfer::FindReport(clsConnection& conn, const QString& name, const QString& systemId)
{
    clsRecordset rs = conn.Open(QStringLiteral("Select ID From Rpt_GlbDEF Where SystemID = ? and Name = ? Order by ID"),
                                {systemId, name});
    return rs.Eof() ? -1 : rs.Long(QStringLiteral("ID"));
}

clsFormatSnapshot clsFormatTransfer::ReadReport(clsConnection& conn, qint32 id)
{
    clsFormatSnapshot snapshot;
    ReadCatalogue(conn, id, snapshot);
    snapshot.Rows = clsFormatStore::ReadRows(conn, id, clsFormatRow::SavedKinds());
    ReadFilters(conn, id, snapshot);
    return snapshot;
}

bool clsFormatTransfer::SnapshotOfDocument(clsDocument& doc, clsFormatSnapshot& snapshot, QString& error)
{
    error.clear();
    if (!doc.IsOpen()) {
        error = QStringLiteral("没有打开的报表格式");
        return false;
    }
    if (!doc.FieldsManager()->PrepareForSave())
        return false;
    snapshot = doc.TakeSnapshot();
    clsFormatStore::OrderAsRead(snapshot.Rows);
    if (doc.m_AdoConn) {
        try {
            ReadCatalogue(*doc.m_AdoConn, doc.m_lngReportID, snapshot);
            ReadFilters(*doc.m_AdoConn, doc.m_lngReportID, snapshot);
        } catch (const clsDatabaseError& e) {
            error = e.Description();
            return false;
        }
    }
    if (!snapshot.HasCatalogue) {
        snapshot.HasCatalogue = true;
        snapshot.Report.Name = doc.m_strReportName;
        snapshot.Report.SystemID = doc.m_strSystemID;
    }
    return true;
}

bool clsFormatTransfer::Validate(const clsFormatSnapshot& snapshot, const ImportOptions& options, QString& error)
{
    if (TargetName(snapshot, options).trimmed().isEmpty()) {
        error = QStringLiteral("$.report.Name：缺少报表名称");
        return false;
    }
    if (TargetSystem(snapshot, options).trimmed().isEmpty()) {
        error = QStringLiteral("$.report.SystemID：缺少子系统代码");
        return false;
    }
    // The loaders read the first row of these kinds; a second one would be lost.
    int helpRows = 0, printRows = 0;
    for (size_t i = 0; i < snapshot.Rows.size(); ++i) {
        const qint32 kind = snapshot.Rows[i].ModeEx;
        int* count = kind == FormatKind::HelpId ? &helpRows : kind == FormatKind::Print ? &printRows : nullptr;
        if (count && ++*count > 1) {
            error = QStringLiteral("$.rows[%1].ModeEx：每个报表只能有一行 ModeEx %2").arg(i).arg(kind);
            return false;
        }
    }
    return true;
}

qint32 clsFormatTransfer::Import(clsConnection& conn, const clsFormatSnapshot& snapshot, const ImportOptions& options,
                                 QString& error)
{
    error.clear();
    if (!Validate(snapshot, options, error))
        return -1;
    const QString name = TargetName(snapshot, options);
    const QString system = TargetSystem(snapshot, options);
    const clsFormatSnapshot::Catalogue& c = snapshot.Report;
    const bool own = !conn.InTransaction();
    if (own && !conn.BeginTrans()) {
        error = conn.Database().lastError().text();
        return -1;
    }
    const auto refuse = [&](const QString& why) {
        error = why;
        if (own)
            conn.RollbackTrans();
        return -1;
    };
    qint32 id = -1;
    try {
        id = FindReport(conn, name, system);
        const bool existing = id >= 0;
        if (existing) {
            if (!options.Replace)
                return refuse(Quoted(name, system) + QStringLiteral("已经存在，没有导入；要替换它请指定 --replace"));
            if (!clsFormatStore::TakeSaveLock(conn, id))
                return refuse(Quoted(name, system) + QStringLiteral("正在被保存（保存锁未释放），没有导入"));
            if (snapshot.HasCatalogue)
                conn.Execute(QStringLiteral("Update Rpt_GlbDEF Set Note = ?, Relation = ?, DatabaseEx = ?, "
                                            "IsBaseTable = ?, Type = ? Where ID = ?"),
                             {c.Note, c.Relation, c.DatabaseEx, c.IsBaseTable, c.Type, id});
        } else {
            clsRecordset rs = conn.Open(QStringLiteral("Select max(ID) as m From Rpt_GlbDEF"));
            id = rs.Eof() ? 1 : rs.Long(QStringLiteral("m")) + 1;
            rs.Close();
            // A format without a catalogue row becomes a user-defined report the list offers.
            const clsFormatSnapshot::Catalogue given = snapshot.HasCatalogue
                ? c
                : clsFormatSnapshot::Catalogue{name, system, QString(), QStringLiteral("vimba"), QString(), 0, 1};
            // Created holding the save lock, which the end of the import releases.
            conn.Execute(QStringLiteral("Insert into Rpt_GlbDEF (ID,Name,SystemID,Note,Relation,DatabaseEx,IsBaseTable,"
                                        "Type,Cols) values (?,?,?,?,?,?,?,?,1)"),
                         {id, name, system, given.Note, given.Relation, given.DatabaseEx, given.IsBaseTable, given.Type});
        }
        WriteRows(conn, id, snapshot, existing);
        conn.Execute(QStringLiteral("Update Rpt_GlbDEF Set Cols= 0 Where ID =") + QString::number(id));
    } catch (const std::exception& e) {
        const auto* db = dynamic_cast<const clsDatabaseError*>(&e);
        return refuse(db ? db->Description() : QString::fromUtf8(e.what()));
    }
    if (own && !conn.CommitTrans())
        return refuse(conn.Database().lastError().text());
    return id;
}

qint32 clsFormatTransfer::ImportFile(clsConnection& conn, const QString& path, const ImportOptions& options,
                                     clsFormatSnapshot& snapshot, QString& error)
{
    if (!ReadFile(path, snapshot, error))
        return -1;
    if (!Validate(snapshot, options, error)) {
        error = QStringLiteral("文件 %1：").arg(path) + error;
        return -1;
    }
    const qint32 id = Import(conn, snapshot, options, error);
    if (id < 0)
        error = QStringLiteral("导入 %1：").arg(path) + error;
    return id;
}

qint32 clsFormatTransfer::CopyReport(clsConnection& from, clsConnection& to, qint32 id, bool replace, QString& error)
{
    clsFormatSnapshot snapshot;
    try {
        snapshot = ReadReport(from, id);
    } catch (const clsDatabaseError& e) {
        error = e.Description();
        return -1;
    }
    ImportOptions options;
    options.Replace = replace;
    return Import(to, snapshot, options, error);
}

bool clsFormatTransfer::ReadFile(const QString& path, clsFormatSnapshot& snapshot, QString& error)
{
    const QString place = QStringLiteral("文件 %1：").arg(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = place + QStringLiteral("无法读取（%1）").arg(file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(bytes);
    if (decode.hasError()) {
        error = place + QStringLiteral("不是 UTF-8 编码的文本");
        return false;
    }
    if (!clsFormatSnapshot::FromJson(text, snapshot, error)) {
        error = place + error;
        return false;
    }
    return true;
}

bool clsFormatTransfer::WriteFile(const QString& path, const clsFormatSnapshot& snapshot, QString& error)
{
    // Written aside and renamed into place: an interrupted export leaves the old file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(snapshot.ToJson().toUtf8()) < 0 || !file.commit()) {
        error = QStringLiteral("文件 %1：无法写入（%2）").arg(path, file.errorString());
        return false;
    }
    return true;
}

QString clsFormatTransfer::FileNameFor(const ReportEntry& report)
{
    QString name = report.SystemID.trimmed() + QLatin1Char('_') + report.Name.trimmed();
    for (QChar& ch : name)
        if (ch.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(ch))
            ch = QLatin1Char('_');
    return name + QStringLiteral(".json");
}
