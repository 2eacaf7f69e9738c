#include "clsConnection.h"
#include "clsDatabaseError.h"
#include "modPublicDefine.h"
#include <QLibrary>
#include <QSqlDriver>
#include <QSqlError>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {
QString DescribeError(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("数据库操作失败");
    return text;
}

// Values as they are bound: a text the component holds is never Null, it is at most
// empty, as it would read back (the drivers bind a null text as SQL Null).
QVariantList NotNullTexts(const QVariantList& params)
{
    QVariantList bound = params;
    for (QVariant& value : bound)
        if (value.typeId() == QMetaType::QString && static_cast<const QString*>(value.constData())->isNull())
            value = QStringLiteral("");
    return bound;
}

// The driver's own handle of the connection when it is a `T*` under one of the type
// names Qt's drivers declare it with, else nullptr.
template <typename T>
T* DriverHandle(const QSqlDatabase& db, std::initializer_list<const char*> typeNames)
{
    const QVariant handle = db.driver()->handle();
    if (handle.isValid())
        for (const char* name : typeNames)
            if (qstrcmp(handle.typeName(), name) == 0)
                return *static_cast<T* const*>(handle.constData());
    return nullptr;
}

// A table of calls (`Calls`, with its `ok`) from a library the Qt drivers have loaded:
// `takeAll(calls, take)` takes each call by name with `take(to, name)`, false when one
// is missing.
template <typename Calls, typename TakeAll>
Calls LoadCalls(const QString& library, int version, TakeAll takeAll)
{
    Calls calls;
    QLibrary lib(library, version);
    if (!lib.load())
        return calls;
    const auto take = [&lib](auto& to, const char* name) {
        to = reinterpret_cast<std::remove_reference_t<decltype(to)>>(lib.resolve(name));
        return to != nullptr;
    };
    calls.ok = takeAll(calls, take);
    return calls;
}

// The client-library calls COPY, whole reads and one-trip statements need, taken from
// the libpq that Qt's PostgreSQL driver has loaded: the component links no database
// library of its own, and without that library everything goes through the driver.
struct PqCalls
{
    decltype(&PQexec) exec = nullptr;
    decltype(&PQresultStatus) status = nullptr;
    decltype(&PQresultErrorMessage) message = nullptr;
    decltype(&PQresultErrorField) field = nullptr;
    decltype(&PQclear) clear = nullptr;
    decltype(&PQputCopyData) putData = nullptr;
    decltype(&PQputCopyEnd) putEnd = nullptr;
    decltype(&PQgetResult) result = nullptr;
    decltype(&PQerrorMessage) connectionMessage = nullptr;
    decltype(&PQtransactionStatus) transaction = nullptr;
    decltype(&PQexecParams) execParams = nullptr;
    decltype(&PQntuples) rows = nullptr;
    decltype(&PQnfields) fields = nullptr;
    decltype(&PQfname) fieldName = nullptr;
    decltype(&PQftype) fieldType = nullptr;
    decltype(&PQgetvalue) value = nullptr;
    decltype(&PQgetlength) length = nullptr;
    decltype(&PQgetisnull) isNull = nullptr;
    decltype(&PQcmdTuples) affected = nullptr;
    // Pipelines (libpq 14 on): without them every statement is its own round trip.
    decltype(&PQenterPipelineMode) enterPipeline = nullptr;
    decltype(&PQexitPipelineMode) exitPipeline = nullptr;
    decltype(&PQpipelineSync) pipelineSync = nullptr;
    decltype(&PQsendQueryParams) sendParams = nullptr;
    decltype(&PQsendPrepare) sendPrepare = nullptr;
    decltype(&PQprepare) prepare = nullptr;
    bool ok = false;
    bool pipelines = false;

    static const PqCalls& Get()
    {
        static const PqCalls calls = LoadCalls<PqCalls>(QStringLiteral("pq"), 5, [](PqCalls& c, auto take) {
            c.pipelines = take(c.enterPipeline, "PQenterPipelineMode") && take(c.exitPipeline, "PQexitPipelineMode")
                && take(c.pipelineSync, "PQpipelineSync") && take(c.sendParams, "PQsendQueryParams")
                && take(c.sendPrepare, "PQsendPrepare");
            take(c.prepare, "PQprepare");
            return take(c.exec, "PQexec") && take(c.status, "PQresultStatus") && take(c.message, "PQresultErrorMessage")
                && take(c.field, "PQresultErrorField") && take(c.clear, "PQclear") && take(c.putData, "PQputCopyData")
                && take(c.putEnd, "PQputCopyEnd") && take(c.result, "PQgetResult")
                && take(c.connectionMessage, "PQerrorMessage") && take(c.transaction, "PQtransactionStatus")
                && take(c.execParams, "PQexecParams") && take(c.rows, "PQntuples") && take(c.fields, "PQnfields")
                && take(c.fieldName, "PQfname") && take(c.fieldType, "PQftype") && take(c.value, "PQgetvalue")
                && take(c.length, "PQgetlength") && take(c.isNull, "PQgetisnull") && take(c.affected, "PQcmdTuples");
        });
        return calls;
    }
};

// The driver's PostgreSQL session when libpq can be reached and no query of the
// driver's is still being answered on it (the driver declares the handle under the
// structure's own name).
PGconn* IdleSession(const QSqlDatabase& db)
{
    const PqCalls& pq = PqCalls::Get();
    PGconn* const session = pq.ok ? DriverHandle<PGconn>(db, {"PGconn*", "pg_conn*"}) : nullptr;
    return session && pq.transaction(session) != PQTRANS_ACTIVE ? session : nullptr;
}

// A value in COPY's text format: \N for Null; backslash, tab, newline and carriage
// return escaped, so any text stays one field of one row. Values are written as the
// array path writes its elements, so both store the same.
void AppendCopyValue(QByteArray& out, const QVariant& v)
{
    if (!v.isValid() || v.isNull()) {
        out += "\\N";
        return;
    }
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int: {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, v.toLongLong()).ptr;
        out.append(digits, end - digits);
        return;
    }
    case QMetaType::Bool:
        out += v.toBool() ? "true" : "false";
        return;
    default:
        break;
    }
    const QByteArray text = v.toString().toUtf8();
    // Most texts hold nothing to escape: those go in whole.
    const auto special = [](char ch) { return ch == '\\' || ch == '\t' || ch == '\n' || ch == '\r'; };
    if (std::none_of(text.begin(), text.end(), special)) {
        out += text;
        return;
    }
    for (const char ch : text) {
        if (!special(ch)) {
            out += ch;
            continue;
        }
        out += '\\';
        out += ch == '\\' ? '\\' : ch == '\t' ? 't' : ch == '\n' ? 'n' : 'r';
    }
}

// The SQLite calls a bulk insert and a read need, from the library Qt's SQLite driver
// has loaded.
struct SqliteCalls
{
    decltype(&sqlite3_prepare16_v2) prepare = nullptr;
    decltype(&sqlite3_bind_null) bindNull = nullptr;
    decltype(&sqlite3_bind_int) bindInt = nullptr;
    decltype(&sqlite3_bind_int64) bindInt64 = nullptr;
    decltype(&sqlite3_bind_double) bindDouble = nullptr;
    decltype(&sqlite3_bind_text16) bindText = nullptr;
    decltype(&sqlite3_bind_blob) bindBlob = nullptr;
    decltype(&sqlite3_step) step = nullptr;
    decltype(&sqlite3_reset) reset = nullptr;
    decltype(&sqlite3_finalize) finalize = nullptr;
    decltype(&sqlite3_errmsg16) message = nullptr;
    decltype(&sqlite3_extended_errcode) code = nullptr;
    decltype(&sqlite3_column_count) columnCount = nullptr;
    decltype(&sqlite3_column_name16) columnName = nullptr;
    decltype(&sqlite3_column_type) columnType = nullptr;
    decltype(&sqlite3_column_int64) columnInt64 = nullptr;
    decltype(&sqlite3_column_double) columnDouble = nullptr;
    decltype(&sqlite3_column_text) columnText = nullptr;
    decltype(&sqlite3_column_blob) columnBlob = nullptr;
    decltype(&sqlite3_column_bytes) columnBytes = nullptr;
    decltype(&sqlite3_changes) changes = nullptr;
    bool ok = false;

    static const SqliteCalls& Get()
    {
        static const SqliteCalls calls = LoadCalls<SqliteCalls>(QStringLiteral("sqlite3"), 0, [](SqliteCalls& c, auto take) {
            return take(c.prepare, "sqlite3_prepare16_v2") && take(c.bindNull, "sqlite3_bind_null")
                && take(c.bindInt, "sqlite3_bind_int") && take(c.bindInt64, "sqlite3_bind_int64")
                && take(c.bindDouble, "sqlite3_bind_double") && take(c.bindText, "sqlite3_bind_text16")
                && take(c.bindBlob, "sqlite3_bind_blob") && take(c.step, "sqlite3_step") && take(c.reset, "sqlite3_reset")
                && take(c.finalize, "sqlite3_finalize") && take(c.message, "sqlite3_errmsg16")
                && take(c.code, "sqlite3_extended_errcode") && take(c.columnCount, "sqlite3_column_count")
                && take(c.columnName, "sqlite3_column_name16") && take(c.columnType, "sqlite3_column_type")
                && take(c.columnInt64, "sqlite3_column_int64") && take(c.columnDouble, "sqlite3_column_double")
                && take(c.columnText, "sqlite3_column_text") && take(c.columnBlob, "sqlite3_column_blob")
                && take(c.columnBytes, "sqlite3_column_bytes") && take(c.changes, "sqlite3_changes");
        });
        return calls;
    }
};

// The driver's SQLite database, when SQLite's own calls can be reached.
sqlite3* SqliteHandle(const QSqlDatabase& db)
{
    return SqliteCalls::Get().ok ? DriverHandle<sqlite3>(db, {"sqlite3*"}) : nullptr;
}

// One value bound as Qt's SQLite driver binds it (a null text is Null, flags and ints
// as int, other values as their text), so both ways store the same.
int BindLikeDriver(const SqliteCalls& api, sqlite3_stmt* statement, int at, const QVariant& value)
{
    if (!value.isValid() || value.isNull()
        || (value.typeId() == QMetaType::QString && static_cast<const QString*>(value.constData())->isNull()))
        return api.bindNull(statement, at);
    switch (value.typeId()) {
    case QMetaType::QByteArray: {
        const QByteArray* bytes = static_cast<const QByteArray*>(value.constData());
        return api.bindBlob(statement, at, bytes->constData(), int(bytes->size()), SQLITE_STATIC);
    }
    case QMetaType::Int:
    case QMetaType::Bool:
        return api.bindInt(statement, at, value.toInt());
    case QMetaType::Double:
        return api.bindDouble(statement, at, value.toDouble());
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return api.bindInt64(statement, at, value.toLongLong());
    case QMetaType::QString: {
        const QString* text = static_cast<const QString*>(value.constData());
        return api.bindText(statement, at, text->utf16(), int(text->size() * 2), SQLITE_STATIC);
    }
    default: {
        const QString text = value.toString();
        return api.bindText(statement, at, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
    }
    }
}
}

clsConnection::clsConnection(const QString& connectionName) : m_name(connectionName) {}

QString clsConnection::ClosedText()
{
    return QStringLiteral("连接无法用于执行此操作。在此上下文中它可能已被关闭或无效。");
}

bool clsConnection::IsOpen() const
{
    return QSqlDatabase::contains(m_name) && Database().isOpen();
}

bool clsConnection::IsPostgres() const
{
    return Database().driverName() == QLatin1String("QPSQL");
}

void clsConnection::NoteFailure(const QString& description, const QString& code)
{
    ++m_failures;
    m_lastFailure = description;
    m_lastFailureCode = code;
}

void clsConnection::Fail(const QString& description, const QString& code)
{
    NoteFailure(description, code);
    throw clsDatabaseError(description, code);
}

void clsConnection::Fail(const QSqlError& error)
{
    Fail(DescribeError(error), error.nativeErrorCode());
}

void clsConnection::RunHook(const QString& sql)
{
    if (!m_hook)
        return;
    try {
        m_hook(sql);
    } catch (const clsDatabaseError& e) {
        NoteFailure(e.Description(), e.Code());
        throw;
    }
}

clsRecordset clsConnection::Open(const QString& sql)
{
    if (s_direct || !m_ahead.empty())
        return Open(sql, {});
    RunHook(sql);
    if (!IsOpen())
        Fail(ClosedText());
    FlushBegin();
    QSqlQuery query(Database());
    query.setForwardOnly(true);
    if (!query.exec(sql))
        Fail(query.lastError());
    return clsRecordset(std::move(query));
}

int clsConnection::Execute(const QString& sql)
{
    DropReadAhead();
    RunHook(sql);
    int rows = 0;
    if (s_direct && IsOpen() && !IsPostgres() && ExecuteThroughSqlite(sql, {}, rows))
        return rows;
    return Run(sql);
}

QSqlQuery clsConnection::Prepare(const QString& sql, const QVariantList& params)
{
    if (!IsOpen())
        Fail(ClosedText());
    FlushBegin();
    QSqlQuery query(Database());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        Fail(query.lastError());
    for (const QVariant& value : NotNullTexts(params))
        query.addBindValue(value);
    if (!query.exec())
        Fail(query.lastError());
    return query;
}

clsRecordset clsConnection::Open(const QString& sql, const QVariantList& params)
{
    if (s_direct && IsOpen()) {
        // A server's answer is read whole, in one round trip; SQLite's without Qt's
        // driver making a record and a cached copy of every value on the way.
        QStringList names;
        std::vector<std::vector<QVariant>> rows;
        ReadMany(sql, params, [&](const QStringList& seen) { names = seen; },
                 [&](QVariant* values) {
                     rows.emplace_back(std::make_move_iterator(values), std::make_move_iterator(values + names.size()));
                 });
        return clsRecordset(names, std::move(rows));
    }
    RunHook(sql);
    return clsRecordset(Prepare(sql, params));
}

int clsConnection::Execute(const QString& sql, const QVariantList& params)
{
    DropReadAhead();
    RunHook(sql);
    int rows = 0;
    if (s_direct && IsOpen()
        && (IsPostgres() ? ExecuteThroughPq(sql, NotNullTexts(params), rows) : ExecuteThroughSqlite(sql, NotNullTexts(params), rows)))
        return rows;
    return Prepare(sql, params).numRowsAffected();
}

int clsConnection::Run(const QString& sql)
{
    if (!IsOpen())
        Fail(ClosedText());
    FlushBegin();
    QSqlQuery query(Database());
    if (!query.exec(sql))
        Fail(query.lastError());
    return query.numRowsAffected();
}

bool clsConnection::s_direct = true;

int clsConnection::MaxBoundValues() const
{
    // PostgreSQL takes up to 65535 parameters, but through Qt's driver binding and
    // sending a statement costs more than linearly in its values: 673 rows of 17 values
    // took 210 ms in one statement, 99 ms in statements of 200 rows and 95 ms in
    // statements of 50. About 4,000 values a statement stays near the best. SQLite: its
    // default SQLITE_MAX_VARIABLE_NUMBER.
    return IsPostgres() ? 4096 : 32766;
}

void clsConnection::InsertMany(const QString& table, const QStringList& columns, const std::vector<QVariantList>& rows)
{
    static const QVariant null;
    InsertMany(table, columns, rows.size(), [&](size_t r, qsizetype c) -> const QVariant& {
        return c < rows[r].size() ? rows[r].at(c) : null;
    });
}

void clsConnection::InsertMany(const QString& table, const QStringList& columns, size_t rowCount, const RowValue& value)
{
    DropReadAhead();
    if (rowCount == 0 || columns.isEmpty())
        return;
    const qsizetype width = columns.size();
    const size_t perStatement = size_t(std::max<qsizetype>(1, MaxBoundValues() / width));
    QString row = QStringLiteral("(?");
    for (qsizetype i = 1; i < width; ++i)
        row += QStringLiteral(",?");
    row += QLatin1Char(')');
    const QString head = QStringLiteral("Insert into ") + table + QStringLiteral(" (") + columns.join(QLatin1Char(','))
        + QStringLiteral(") values ");
    const auto bind = [&](QSqlQuery& query, size_t r) {
        for (qsizetype i = 0; i < width; ++i)
            query.addBindValue(value(r, i));
    };
    if (!IsPostgres()) {
        // SQLite runs in the process: one prepared single-row insert stepped once a row
        // is its fastest write (Qt's driver binds a statement of many rows' values in
        // time growing with their square). The hook sees the statement once for each
        // group of rows a multi-row statement would carry, so faults land alike.
        const QString sql = head + row;
        if (!IsOpen())
            Fail(ClosedText());
        if (s_direct && InsertThroughSqlite(sql, rowCount, width, perStatement, value))
            return;
        QSqlQuery query(Database());
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            Fail(query.lastError());
        for (size_t r = 0; r < rowCount; ++r) {
            if (r % perStatement == 0) {
                RunHook(sql);
                if (!IsOpen())
                    Fail(ClosedText());
            }
            bind(query, r);
            if (!query.exec())
                Fail(query.lastError());
        }
        return;
    }
    if (s_direct && CopyIn(table, columns, rowCount, value))
        return;
    // Without the client library: the driver sends every bound value as a literal of
    // its own, so many values cost more than the rows they carry. The rows go instead as
    // one array text a column, which the server unnests into rows: one statement
    // whatever their number.
    const QStringList types = ColumnTypes(table, columns);
    QString sql = QStringLiteral("Insert into ") + table + QStringLiteral(" (") + columns.join(QLatin1Char(','))
        + QStringLiteral(") Select * From unnest(");
    for (qsizetype i = 0; i < width; ++i)
        sql += (i ? QStringLiteral(",?::") : QStringLiteral("?::")) + types.at(i) + QStringLiteral("[]");
    sql += QLatin1Char(')');
    QVariantList arrays;
    for (qsizetype c = 0; c < width; ++c) {
        QString text;
        text.reserve(qsizetype(rowCount) * 8);
        text += QLatin1Char('{');
        for (size_t r = 0; r < rowCount; ++r) {
            if (r)
                text += QLatin1Char(',');
            const QVariant& v = value(r, c);
            if (!v.isValid() || v.isNull()) {
                text += QStringLiteral("NULL");
                continue;
            }
            // An element in double quotes, its quotes and backslashes escaped: any text
            // stays one element, whatever commas, braces or blanks it holds.
            QString element = v.typeId() == QMetaType::Bool ? (v.toBool() ? QStringLiteral("true") : QStringLiteral("false"))
                                                             : v.toString();
            element.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
            element.replace(QLatin1Char('"'), QStringLiteral("\\\""));
            text += QLatin1Char('"') + element + QLatin1Char('"');
        }
        text += QLatin1Char('}');
        arrays << text;
    }
    Execute(sql, arrays);
}

void clsConnection::FailOnSqlite(sqlite3* db, sqlite3_stmt*& statement)
{
    // The error is read before the statement is finished.
    const SqliteCalls& api = SqliteCalls::Get();
    const QString text = QString::fromUtf16(static_cast<const char16_t*>(api.message(db)));
    const QString code = QString::number(api.code(db));
    if (statement)
        api.finalize(statement);
    statement = nullptr;
    Fail(text, code);
}

void clsConnection::FailOnPq(PGconn* session, PGresult* result)
{
    const clsDatabaseError failure = PqFailure(session, result);
    if (result)
        PqCalls::Get().clear(result);
    Fail(failure.Description(), failure.Code());
}

clsDatabaseError clsConnection::PqFailure(PGconn* session, const PGresult* result)
{
    const PqCalls& pq = PqCalls::Get();
    const QString text = QString::fromUtf8(result ? pq.message(result) : pq.connectionMessage(session)).trimmed();
    const QString code = result ? QString::fromLatin1(pq.field(result, PG_DIAG_SQLSTATE)) : QString();
    return clsDatabaseError(text.isEmpty() ? QStringLiteral("数据库操作失败") : text, code);
}

bool clsConnection::InsertThroughSqlite(const QString& sql, size_t rowCount, qsizetype width, size_t perStatement,
                                       const RowValue& value)
{
    // Qt's driver binds every value through a name table of its own, which costs more
    // than SQLite's whole insert: the statement is prepared and stepped here, on the
    // driver's own database handle (so inside its transaction).
    const SqliteCalls& api = SqliteCalls::Get();
    sqlite3* db = SqliteHandle(Database());
    if (!db)
        return false;
    sqlite3_stmt* statement = nullptr;
    for (size_t r = 0; r < rowCount; ++r) {
        if (r % perStatement == 0) {
            // No statement of ours is left open while the hook runs: a connection
            // closed under one could not be closed, and would keep its transaction.
            if (statement)
                api.finalize(statement);
            statement = nullptr;
            RunHook(sql);
            db = IsOpen() ? SqliteHandle(Database()) : nullptr;
            if (!db)
                Fail(ClosedText());
            if (api.prepare(db, sql.utf16(), int(sql.size() * 2), &statement, nullptr) != SQLITE_OK)
                FailOnSqlite(db, statement);
        }
        for (qsizetype i = 0; i < width; ++i)
            if (BindLikeDriver(api, statement, int(i + 1), value(r, i)) != SQLITE_OK)
                FailOnSqlite(db, statement);
        if (api.step(statement) != SQLITE_DONE)
            FailOnSqlite(db, statement);
        api.reset(statement);
    }
    if (statement)
        api.finalize(statement);
    return true;
}

sqlite3_stmt* clsConnection::PrepareOnSqlite(sqlite3* db, const QString& sql, const QVariantList& params)
{
    const SqliteCalls& api = SqliteCalls::Get();
    sqlite3_stmt* statement = nullptr;
    if (api.prepare(db, sql.utf16(), int(sql.size() * 2), &statement, nullptr) != SQLITE_OK)
        FailOnSqlite(db, statement);
    for (int i = 0; i < params.size(); ++i)
        if (BindLikeDriver(api, statement, i + 1, params.at(i)) != SQLITE_OK)
            FailOnSqlite(db, statement);
    return statement;
}

bool clsConnection::ExecuteThroughSqlite(const QString& sql, const QVariantList& params, int& rows)
{
    // Qt's driver makes a result object, a record and a name table for every statement,
    // which costs more than a save's lock or delete itself.
    const SqliteCalls& api = SqliteCalls::Get();
    sqlite3* db = SqliteHandle(Database());
    if (!db)
        return false;
    sqlite3_stmt* statement = PrepareOnSqlite(db, sql, params);
    // A PRAGMA that sets a value answers with it: its row is passed over.
    int stepped;
    while ((stepped = api.step(statement)) == SQLITE_ROW) {
    }
    if (stepped != SQLITE_DONE)
        FailOnSqlite(db, statement);
    // A statement that is not a change (a PRAGMA, a query) changed no rows, whatever the
    // last change on the connection was.
    rows = api.columnCount(statement) == 0 ? api.changes(db) : 0;
    api.finalize(statement);
    return true;
}

void clsConnection::ReadMany(const QString& sql, const QVariantList& params, const ColumnNames& columns,
                             const RowValues& row)
{
    std::vector<QVariant> values;
    std::vector<QVariant*> places;
    ReadInto(
        sql, params,
        [&](const QStringList& names) {
            values.resize(size_t(names.size()));
            for (QVariant& v : values)
                places.push_back(&v);
            columns(names);
        },
        [&] { return places.data(); }, [&] { row(values.data()); });
}

void clsConnection::ReadInto(const QString& sql, const QVariantList& params, const ColumnNames& columns,
                             const RowPlaces& places, const RowDone& done)
{
    RunHook(sql);
    if (!IsOpen())
        Fail(ClosedText());
    if (!m_ahead.empty() && AnswerFromAhead(sql, params, columns, places, done))
        return;
    const QVariantList bound = NotNullTexts(params);
    if (s_direct
        && (IsPostgres() ? ReadThroughPq(sql, bound, columns, places, done)
                         : ReadThroughSqlite(sql, bound, columns, places, done)))
        return;
    QSqlQuery query = Prepare(sql, params);
    const QSqlRecord record = query.record();
    QStringList names;
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i);
    columns(names);
    while (query.next()) {
        QVariant* const* at = places();
        for (int i = 0; i < record.count(); ++i)
            if (QVariant* v = at[i])
                *v = query.isNull(i) ? QVariant() : query.value(i);   // Null untyped, as the other ways
        done();
    }
    if (query.lastError().isValid())
        Fail(query.lastError());
}

bool clsConnection::ReadThroughSqlite(const QString& sql, const QVariantList& params, const ColumnNames& columns,
                                      const RowPlaces& places, const RowDone& done)
{
    // Qt's driver keeps every value of a row in a cache of its own and hands out copies;
    // here each value is made once, straight from SQLite's, and handed over.
    const SqliteCalls& api = SqliteCalls::Get();
    sqlite3* db = SqliteHandle(Database());
    if (!db)
        return false;
    sqlite3_stmt* statement = PrepareOnSqlite(db, sql, params);
    const int width = api.columnCount(statement);
    QStringList names;
    for (int i = 0; i < width; ++i)
        names << QString::fromUtf16(static_cast<const char16_t*>(api.columnName(statement, i)));
    try {
        columns(names);
        int stepped;
        while ((stepped = api.step(statement)) == SQLITE_ROW) {
            QVariant* const* at = places();
            for (int i = 0; i < width; ++i) {
                if (!at[i])
                    continue;
                QVariant& v = *at[i];
                switch (api.columnType(statement, i)) {
                case SQLITE_INTEGER:
                    PutValue(v, qlonglong(api.columnInt64(statement, i)));
                    break;
                case SQLITE_FLOAT:
                    v = QVariant(api.columnDouble(statement, i));
                    break;
                case SQLITE_NULL:
                    if (v.isValid())
                        v = QVariant();
                    break;
                case SQLITE_BLOB:
                    v = QVariant(QByteArray(static_cast<const char*>(api.columnBlob(statement, i)),
                                            api.columnBytes(statement, i)));
                    break;
                default: {
                    const char* text = reinterpret_cast<const char*>(api.columnText(statement, i));
                    PutValue(v, QString::fromUtf8(text, api.columnBytes(statement, i)));
                }
                }
            }
            done();
        }
        if (stepped != SQLITE_DONE)
            FailOnSqlite(db, statement);
    } catch (...) {
        // The statement is ours to finish whatever the caller's row did.
        if (statement)
            api.finalize(statement);
        statement = nullptr;
        throw;
    }
    api.finalize(statement);
    return true;
}

namespace {
// A statement as libpq takes it: "?" placeholders numbered $1, $2, ... (none stands
// inside a quoted literal of ours, but one that did is left alone) and the values as
// texts. False when a value is of a kind only the driver writes (dates, bytes).
struct PqStatement
{
    QByteArray text;
    std::vector<QByteArray> texts;
    std::vector<const char*> values;

    bool Bind(const QString& sql, const QVariantList& params)
    {
        texts.reserve(size_t(params.size()));
        for (const QVariant& v : params) {
            switch (v.typeId()) {
            case QMetaType::Bool:
                texts.push_back(v.toBool() ? "true" : "false");
                break;
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
            case QMetaType::Double:
            case QMetaType::QString:
                texts.push_back(v.toString().toUtf8());
                break;
            default:
                if (!v.isNull())
                    return false;
                texts.emplace_back();
            }
        }
        for (size_t i = 0; i < texts.size(); ++i)
            values.push_back(params[qsizetype(i)].isNull() ? nullptr : texts[i].constData());
        QString numbered;
        int placeholder = 0;
        QChar quote;
        for (const QChar ch : sql) {
            if (!quote.isNull()) {
                if (ch == quote)
                    quote = QChar();
            } else if (ch == QLatin1Char('\'') || ch == QLatin1Char('"')) {
                quote = ch;
            } else if (ch == QLatin1Char('?')) {
                numbered += QLatin1Char('$') + QString::number(++placeholder);
                continue;
            }
            numbered += ch;
        }
        text = numbered.toUtf8();
        return true;
    }
};

// Pipeline mode, led by an empty query. libpq keeps the single-row mode Qt's driver set
// for its last forward-only query until a query is sent outside a pipeline, and gives it
// to a pipeline's first query, whose rows would then come one result each; the empty
// query takes it instead (libpq clears it as it moves on), so every statement after it
// is answered whole. Its answer is to be passed over with PassLead.
bool EnterPipeline(PGconn* session)
{
    const PqCalls& pq = PqCalls::Get();
    if (!pq.pipelines || !pq.enterPipeline(session))
        return false;
    if (pq.sendParams(session, "", 0, nullptr, nullptr, nullptr, nullptr, 0))
        return true;
    pq.exitPipeline(session);
    return false;
}

// What is left of one statement's answer after its result, up to the null that ends it.
void ClearRest(PGconn* session)
{
    const PqCalls& pq = PqCalls::Get();
    while (PGresult* extra = pq.result(session))
        pq.clear(extra);
}

void PassLead(PGconn* session)
{
    if (PGresult* lead = PqCalls::Get().result(session)) {
        PqCalls::Get().clear(lead);
        ClearRest(session);
    }
}

// Back out of pipeline mode, whatever was left unread going first, so that the session
// is handed back to the driver as it was found.
void LeavePipeline(PGconn* session, size_t statements)
{
    const PqCalls& pq = PqCalls::Get();
    for (int tries = 0; !pq.exitPipeline(session) && tries < 4 * int(statements) + 8; ++tries)
        if (PGresult* left = pq.result(session))
            pq.clear(left);
}

// Statements sent in one round trip: a pipeline with one sync at its end. The answers
// in order, the caller's to clear, one for each statement once they went out (a null
// one where the session failed, which PQresultStatus takes as a fatal error); empty
// when they could not go out so, nothing having run.
std::vector<PGresult*> SendTogether(PGconn* session, const std::vector<const PqStatement*>& statements)
{
    const PqCalls& pq = PqCalls::Get();
    std::vector<PGresult*> answers;
    if (!EnterPipeline(session))
        return answers;
    bool sent = true;
    for (const PqStatement* s : statements)
        if (!pq.sendParams(session, s->text.constData(), int(s->values.size()), nullptr, s->values.data(), nullptr, nullptr, 0)) {
            sent = false;
            break;
        }
    // One sync for all: a statement that fails stops the ones after it, which come back
    // as aborted, as if the caller had run them one by one and stopped at the failure.
    const bool out = sent && pq.pipelineSync(session);
    if (out)
        PassLead(session);
    for (size_t i = 0; out && i < statements.size(); ++i) {
        PGresult* answer = pq.result(session);
        answers.push_back(answer);
        if (answer)
            ClearRest(session);
    }
    LeavePipeline(session, statements.size());
    return answers;
}

}

PGresult* clsConnection::RunThroughPq(const QString& sql, const QVariantList& params, int expected)
{
    PGconn* const session = IdleSession(Database());
    if (!session)
        return nullptr;
    const PqCalls& pq = PqCalls::Get();
    PqStatement statement;
    if (!statement.Bind(sql, params))
        return nullptr;
    if (m_beginPending) {
        // The transaction's BEGIN and its first statement: one round trip.
        PqStatement begin;
        begin.text = "BEGIN";
        std::vector<PGresult*> answers = SendTogether(session, {&begin, &statement});
        if (answers.size() == 2) {
            m_beginPending = false;
            if (pq.status(answers[0]) != PGRES_COMMAND_OK) {
                pq.clear(answers[1]);
                FailOnPq(session, answers[0]);
            }
            pq.clear(answers[0]);
            if (pq.status(answers[1]) != expected)
                FailOnPq(session, answers[1]);
            return answers[1];
        }
        FlushBegin();
    }
    PGresult* result = pq.execParams(session, statement.text.constData(), int(statement.values.size()), nullptr,
                                     statement.values.data(), nullptr, nullptr, 0);
    if (pq.status(result) != expected)
        FailOnPq(session, result);
    return result;
}

void clsConnection::FlushBegin()
{
    if (!m_beginPending)
        return;
    m_beginPending = false;
    if (PGconn* const session = IdleSession(Database())) {
        const PqCalls& pq = PqCalls::Get();
        PGresult* begun = pq.exec(session, "BEGIN");
        if (pq.status(begun) != PGRES_COMMAND_OK)
            FailOnPq(session, begun);
        pq.clear(begun);
        return;
    }
    if (!Database().transaction())
        Fail(Database().lastError());
}

void clsConnection::ReadAhead(const std::vector<Statement>& statements)
{
    DropReadAhead();
    // Inside a transaction just begun nothing is read ahead: its BEGIN goes with the
    // first statement that runs.
    if (!s_direct || statements.size() < 2 || !IsOpen() || !IsPostgres() || m_beginPending)
        return;
    const PqCalls& pq = PqCalls::Get();
    PGconn* const session = pq.pipelines ? IdleSession(Database()) : nullptr;
    if (!session || !EnterPipeline(session))
        return;
    // A sync after each statement: one that fails (a probe for a table that is not
    // there) fails alone, as it would have run on its own.
    std::vector<const Statement*> sent;
    bool sending = true;
    for (const Statement& s : statements) {
        PqStatement bound;
        if (!bound.Bind(s.sql, NotNullTexts(s.params)))
            continue;
        // A probe is parsed and planned as the unnamed statement, not run.
        const bool sentOne = s.probe ? pq.sendPrepare(session, "", bound.text.constData(), 0, nullptr)
                                     : pq.sendParams(session, bound.text.constData(), int(bound.values.size()), nullptr,
                                                     bound.values.data(), nullptr, nullptr, 0);
        if (!sentOne || !pq.pipelineSync(session)) {
            sending = false;
            break;
        }
        sent.push_back(&s);
    }
    // Each statement's answer, the end of it, then its sync. Anything else and nothing
    // read ahead is kept: the statements then run one by one as they come.
    bool inStep = sending;
    if (inStep)
        PassLead(session);
    for (const Statement* s : sent) {
        PGresult* answer = pq.result(session);
        if (answer && pq.status(answer) == PGRES_SINGLE_TUPLE) {
            pq.clear(answer);
            answer = nullptr;
        }
        if (!answer) {
            inStep = false;
            break;
        }
        ClearRest(session);
        PGresult* sync = pq.result(session);
        const bool synced = sync && pq.status(sync) == PGRES_PIPELINE_SYNC;
        if (sync)
            pq.clear(sync);
        if (!synced || !inStep) {
            pq.clear(answer);
            inStep = false;
            continue;
        }
        m_ahead.push_back({s->sql, s->params, std::shared_ptr<PGresult>(answer, pq.clear), s->probe});
    }
    if (!sent.empty())
        ++m_aheadTrips;
    LeavePipeline(session, statements.size());
    if (!inStep)
        DropReadAhead();
}

void clsConnection::DropReadAhead()
{
    m_ahead.clear();
}

bool clsConnection::AnswerFromAhead(const QString& sql, const QVariantList& params, const ColumnNames& columns,
                                    const RowPlaces& places, const RowDone& done)
{
    const auto it = std::find_if(m_ahead.begin(), m_ahead.end(),
                                 [&](const Ahead& a) { return !a.probe && a.sql == sql && a.params == params; });
    if (it == m_ahead.end())
        return false;
    const std::shared_ptr<PGresult> answer = std::move(it->answer);
    m_ahead.erase(it);
    ++m_answeredAhead;
    const PqCalls& pq = PqCalls::Get();
    if (pq.status(answer.get()) != PGRES_TUPLES_OK) {
        const clsDatabaseError failure = PqFailure(nullptr, answer.get());
        Fail(failure.Description(), failure.Code());
    }
    // A result only the driver reads (dates, bytes) is asked for again.
    return ReadPqResult(answer.get(), columns, places, done);
}

bool clsConnection::Takes(const QString& sql)
{
    try {
        RunHook(sql);
    } catch (const clsDatabaseError&) {
        return false;
    }
    if (!IsOpen())
        return false;
    try {
        FlushBegin();
    } catch (const clsDatabaseError&) {
        return false;
    }
    const auto ahead = std::find_if(m_ahead.begin(), m_ahead.end(), [&](const Ahead& a) { return a.probe && a.sql == sql; });
    if (ahead != m_ahead.end()) {
        const bool taken = PqCalls::Get().status(ahead->answer.get()) == PGRES_COMMAND_OK;
        m_ahead.erase(ahead);
        ++m_answeredAhead;
        return taken;
    }
    if (s_direct && !IsPostgres()) {
        const SqliteCalls& api = SqliteCalls::Get();
        if (sqlite3* db = SqliteHandle(Database())) {
            sqlite3_stmt* statement = nullptr;
            const bool taken = api.prepare(db, sql.utf16(), int(sql.size() * 2), &statement, nullptr) == SQLITE_OK;
            if (statement)
                api.finalize(statement);
            return taken;
        }
    }
    if (s_direct && IsPostgres() && PqCalls::Get().prepare) {
        const PqCalls& pq = PqCalls::Get();
        if (PGconn* const session = IdleSession(Database())) {
            PGresult* const result = pq.prepare(session, "", sql.toUtf8().constData(), 0, nullptr);
            const bool taken = pq.status(result) == PGRES_COMMAND_OK;
            pq.clear(result);
            return taken;
        }
    }
    // Qt's drivers prepare on the database too: SQLite's parses, PostgreSQL's sends PREPARE.
    QSqlQuery query(Database());
    return query.prepare(sql);
}

bool clsConnection::ExecuteThroughPq(const QString& sql, const QVariantList& params, int& rows)
{
    // The driver prepares a bound statement, executes it and deallocates it again, a
    // round trip each; here it is one.
    PGresult* result = RunThroughPq(sql, params, PGRES_COMMAND_OK);
    if (!result)
        return false;
    const PqCalls& pq = PqCalls::Get();
    rows = QByteArray(pq.affected(result)).toInt();
    pq.clear(result);
    return true;
}

bool clsConnection::ReadThroughPq(const QString& sql, const QVariantList& params, const ColumnNames& columns,
                                  const RowPlaces& places, const RowDone& done)
{
    // Qt's driver prepares, executes and deallocates a bound query, and reads a
    // forward-only result one row at a time, each its own message; here the server
    // sends the whole result at once.
    PGresult* result = RunThroughPq(sql, params, PGRES_TUPLES_OK);
    if (!result)
        return false;
    const auto clear = qScopeGuard([&] { PqCalls::Get().clear(result); });
    return ReadPqResult(result, columns, places, done);
}

bool clsConnection::ReadPqResult(pg_result* result, const ColumnNames& columns, const RowPlaces& places,
                                 const RowDone& done)
{
    const PqCalls& pq = PqCalls::Get();
    // Types as Qt's driver hands them out; a result holding any other (dates, bytes) is
    // read again through the driver.
    enum class Kind { Bool, Int, Long, Double, Text };
    const int width = pq.fields(result);
    std::vector<Kind> kinds;
    QStringList names;
    for (int i = 0; i < width; ++i) {
        switch (pq.fieldType(result, i)) {
        case 16: kinds.push_back(Kind::Bool); break;                       // bool
        case 20: kinds.push_back(Kind::Long); break;                       // int8
        case 21: case 23: case 26: kinds.push_back(Kind::Int); break;      // int2, int4, oid
        case 700: case 701: case 1700: kinds.push_back(Kind::Double); break;   // float4, float8, numeric
        case 18: case 19: case 25: case 1042: case 1043: kinds.push_back(Kind::Text); break;   // char, name, text, bpchar, varchar
        default: return false;
        }
        names << QString::fromUtf8(pq.fieldName(result, i));
    }
    columns(names);
    const int count = pq.rows(result);
    for (int r = 0; r < count; ++r) {
        QVariant* const* at = places();
        for (int i = 0; i < width; ++i) {
            if (!at[i])
                continue;
            QVariant& v = *at[i];
            if (pq.isNull(result, r, i)) {
                if (v.isValid())
                    v = QVariant();
                continue;
            }
            const char* value = pq.value(result, r, i);
            const int length = pq.length(result, r, i);
            switch (kinds[size_t(i)]) {
            case Kind::Bool:
                v = QVariant(value[0] == 't');
                break;
            case Kind::Int:
            case Kind::Long: {
                qlonglong n = 0;
                std::from_chars(value, value + length, n);
                if (kinds[size_t(i)] == Kind::Int)
                    v = QVariant(int(n));
                else
                    PutValue(v, n);
                break;
            }
            case Kind::Double:
                v = QVariant(QByteArray::fromRawData(value, length).toDouble());
                break;
            case Kind::Text:
                PutValue(v, QString::fromUtf8(value, length));
                break;
            }
        }
        done();
    }
    return true;
}

bool clsConnection::CopyIn(const QString& table, const QStringList& columns, size_t rowCount, const RowValue& value)
{
    PGconn* const session = IsOpen() ? IdleSession(Database()) : nullptr;
    if (!session)
        return false;
    const PqCalls& pq = PqCalls::Get();
    const QString sql = QStringLiteral("Copy ") + table + QStringLiteral(" (") + columns.join(QLatin1Char(','))
        + QStringLiteral(") From Stdin");
    RunHook(sql);
    FlushBegin();
    PGresult* started = pq.exec(session, sql.toUtf8().constData());
    if (pq.status(started) != PGRES_COPY_IN)
        FailOnPq(session, started);
    pq.clear(started);
    // Sent in pieces as they are written: the server parses one while the next is made.
    constexpr qsizetype kPiece = 256 * 1024;
    QByteArray data;
    data.reserve(kPiece + 4096);
    bool sent = true;
    const qsizetype width = columns.size();
    for (size_t r = 0; r < rowCount && sent; ++r) {
        for (qsizetype c = 0; c < width; ++c) {
            if (c)
                data += '\t';
            AppendCopyValue(data, value(r, c));
        }
        data += '\n';
        if (data.size() >= kPiece || r + 1 == rowCount) {
            sent = pq.putData(session, data.constData(), int(data.size())) == 1;
            data.clear();
        }
    }
    const int ended = pq.putEnd(session, sent ? nullptr : "sending the rows failed");
    // Every result is taken, so the session is free for the driver again; the first
    // failure is the one reported.
    PGresult* failure = nullptr;
    while (PGresult* result = pq.result(session)) {
        if (pq.status(result) != PGRES_COMMAND_OK && !failure)
            failure = result;
        else
            pq.clear(result);
    }
    if (failure || !sent || ended != 1)
        FailOnPq(session, failure);
    return true;
}

QStringList clsConnection::ColumnTypes(const QString& table, const QStringList& columns)
{
    const QString key = table.toLower() + QLatin1Char('|') + columns.join(QLatin1Char(',')).toLower();
    auto known = m_columnTypes.constFind(key);
    if (known != m_columnTypes.constEnd())
        return *known;
    // The table's own types (its name as the server folded it), read once a connection.
    FlushBegin();
    QSqlQuery query(Database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("Select column_name, data_type From information_schema.columns "
                                 "Where table_schema = current_schema() and table_name = ?"));
    query.addBindValue(table.toLower());
    if (!query.exec())
        Fail(query.lastError());
    QHash<QString, QString> byName;
    while (query.next())
        byName.insert(query.value(0).toString().toLower(), query.value(1).toString());
    QStringList types;
    for (const QString& c : columns) {
        const QString type = byName.value(c.toLower());
        if (type.isEmpty())
            Fail(QStringLiteral("表 %1 中没有列 %2").arg(table, c));
        types << type;
    }
    m_columnTypes.insert(key, types);
    return types;
}

QString clsConnection::ConnectionString() const
{
    if (!QSqlDatabase::contains(m_name))
        return QString();
    const QSqlDatabase db = Database();
    QString text = QStringLiteral("Driver=%1;Database=%2;").arg(db.driverName(), db.databaseName());
    if (!db.hostName().isEmpty())
        text += QStringLiteral("Host=%1;").arg(db.hostName());
    if (db.port() > 0)
        text += QStringLiteral("Port=%1;").arg(db.port());
    if (!db.userName().isEmpty())
        text += QStringLiteral("User=%1;").arg(db.userName());
    return text;
}

bool clsConnection::BeginTrans()
{
    DropReadAhead();
    if (!IsOpen())
        return false;
    // On a server BEGIN waits for the transaction's first statement and goes with it,
    // a round trip fewer (a session that is busy or already in a transaction begins now).
    if (!m_beginPending && m_transactionDepth == 0 && s_direct && IsPostgres() && PqCalls::Get().pipelines) {
        PGconn* const session = IdleSession(Database());
        if (session && PqCalls::Get().transaction(session) == PQTRANS_IDLE) {
            m_beginPending = true;
            ++m_transactionDepth;
            return true;
        }
    }
    if (!Database().transaction())
        return false;
    ++m_transactionDepth;
    return true;
}

bool clsConnection::CommitTrans()
{
    DropReadAhead();
    if (m_transactionDepth == 0)
        return false;
    if (std::exchange(m_beginPending, false)) {
        // Nothing ran since BEGIN, which was never sent: nothing to commit.
        --m_transactionDepth;
        return true;
    }
    // A commit that fails (SQLite busy past its wait) leaves the transaction open: the
    // caller still has to roll it back. SQLite's driver drops the result code of a
    // failed commit, so there the statement runs as any other, keeping it.
    QSqlError error;
    if (IsPostgres()) {
        if (!Database().commit())
            error = Database().lastError();
    } else {
        QSqlQuery query(Database());
        if (!query.exec(QStringLiteral("COMMIT")))
            error = query.lastError();
    }
    if (error.isValid()) {
        NoteFailure(DescribeError(error), error.nativeErrorCode());
        return false;
    }
    --m_transactionDepth;
    return true;
}

bool clsConnection::CommitTransAfter(const Statement& last, int& rows)
{
    DropReadAhead();
    rows = 0;
    PGconn* const session = s_direct && IsOpen() && IsPostgres() && m_transactionDepth > 0 && !m_beginPending
        ? IdleSession(Database())
        : nullptr;
    PqStatement statement;
    if (session && statement.Bind(last.sql, NotNullTexts(last.params))) {
        RunHook(last.sql);
        PqStatement commit;
        commit.text = "COMMIT";
        std::vector<PGresult*> answers = SendTogether(session, {&statement, &commit});
        if (answers.size() == 2) {
            const PqCalls& pq = PqCalls::Get();
            // The statement's failure first: the commit did not run then, and the
            // transaction waits for the caller's rollback.
            if (pq.status(answers[0]) != PGRES_COMMAND_OK) {
                pq.clear(answers[1]);
                FailOnPq(session, answers[0]);
            }
            rows = QByteArray(pq.affected(answers[0])).toInt();
            pq.clear(answers[0]);
            const bool committed = pq.status(answers[1]) == PGRES_COMMAND_OK;
            if (committed) {
                --m_transactionDepth;
            } else {
                const clsDatabaseError failure = PqFailure(nullptr, answers[1]);
                NoteFailure(failure.Description(), failure.Code());
            }
            pq.clear(answers[1]);
            return committed;
        }
    }
    rows = Execute(last.sql, last.params);
    return CommitTrans();
}

bool clsConnection::RollbackTrans()
{
    DropReadAhead();
    if (m_transactionDepth == 0)
        return false;
    --m_transactionDepth;
    if (std::exchange(m_beginPending, false))
        return true;
    // A connection that went away has lost its transaction with it.
    return IsOpen() && Database().rollback();
}
