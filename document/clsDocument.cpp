#include "clsDocument.h"
#include "clsHeadlessDesigner.h"
#include "clsConnection.h"
#include "clsDatabaseError.h"
#include "clsDesignerView.h"
#include "clsFormatHistory.h"
#include "clsFormatStore.h"
#include "clsMenuManager.h"
#include "clsRecoveryStore.h"
#include "clsScopedPrompt.h"
#include "clsReportFilter.h"
#include "modPublicDefine.h"
#include "designer/clsCanvasScene.h"
#include "columns/clsFieldsManager.h"
#include "expressions/clsExpressionManager.h"
#include "expressions/clsFunctionManager.h"
#include "labels/clsLabelManager.h"
#include "properties/clsPropertysManager.h"
#include "ranges/clsRangeManager.h"
#include <QScopeGuard>
#include <QSet>
#include <QSqlError>
#include <QUndoStack>
#include <QThreadPool>
#include <algorithm>
#include <future>
#include <optional>
#include <utility>

namespace {
// `work` on a thread of the shared pool (its threads, and the memory they keep, serve
// again next time); where none is free it runs here and now.
template <typename Result, typename Work>
std::future<Result> OnSecondThread(Work work)
{
    auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
    std::future<Result> result = task->get_future();
    if (!QThreadPool::globalInstance()->tryStart([task] { (*task)(); }))
        (*task)();
    return result;
}

const QString kModule = QStringLiteral("clsDocument");

// The report's catalogue row, as FindReportDefine reads it (and an open reads ahead).
clsConnection::Statement CatalogueLookup(const QString& systemId, const QString& reportName)
{
    return {QStringLiteral("Select ID,Note,Relation,DatabaseEx,IsBaseTable  From Rpt_GlbDEF Where SystemID=? and Name=?"),
            {systemId, reportName}};
}

// A format's rows by the manager that loads them, each in the order given, in one pass.
struct RowsByManager
{
    std::vector<const clsFormatRow*> fields, print, ranges, labels;
};

template <typename Rows, typename Pointer>
RowsByManager SplitByManager(const Rows& rows, Pointer pointer)
{
    const std::vector<qint32>& fieldKinds = clsFieldsManager::FieldKinds();
    RowsByManager split;
    for (const auto& r : rows) {
        const clsFormatRow* row = pointer(r);
        switch (row->ModeEx) {
        case FormatKind::Print: split.print.push_back(row); break;
        case FormatKind::Range: split.ranges.push_back(row); break;
        case FormatKind::Label: split.labels.push_back(row); break;
        default:
            if (std::find(fieldKinds.begin(), fieldKinds.end(), row->ModeEx) != fieldKinds.end())
                split.fields.push_back(row);
        }
    }
    return split;
}

}

struct clsDocument::OpenedRows
{
    clsFormatStore::RowsInPlace read;
};

namespace {
std::function<clsDesignerView*()>& DesignerProvider()
{
    static std::function<clsDesignerView*()> provider;
    return provider;
}
}

std::function<clsDesignerView*()> clsDocument::SetDesignerProvider(std::function<clsDesignerView*()> provider)
{
    std::swap(DesignerProvider(), provider);
    return provider;
}

clsDesignerView* clsDocument::Designer()
{
    static clsHeadlessDesigner headless;
    if (DesignerProvider()) {
        if (clsDesignerView* view = DesignerProvider()())
            return view;
    }
    return &headless;
}

clsDocument::clsDocument()
    : m_objScene(std::make_unique<clsCanvasScene>()), m_history(std::make_unique<clsFormatHistory>())
{
    InitDocument();
}

clsDocument::~clsDocument()
{
    ReleaseAll();
    // Windows that outlive the document must not reach a released one.
    if (g_objDocument == this)
        g_objDocument = nullptr;
}

void clsDocument::ReleaseAll()
{
    m_AdoConn = nullptr;
    m_strSystemID.clear();
    m_strOprName.clear();
    ReleaseFormat();
    m_blnDocChanged = false;
    m_blnUserDefine = false;
}

void clsDocument::ReleaseFormat()
{
    m_objPrintSetting.reset();
    m_objExpression.reset();
    m_objFunction.reset();
    m_objLabel.reset();
    m_objRange.reset();
    m_objFields.reset();
    m_objFilter.reset();
    m_objMenu.reset();
    m_objPropertys.reset();
    m_lngReportID = 0;
    m_strReportName.clear();
}

void clsDocument::InitDocument()
{
    g_objDocument = this;
    ReleaseAll();
}

bool clsDocument::RunMode() const
{
    return g_blnRunMode;
}

void clsDocument::SetRunMode(bool runMode)
{
    g_blnRunMode = runMode;
}

qint32 clsDocument::FindReportDefine(const QString& StrReportName, const QString& StrSystemID, bool& userDefine)
{
    qint32 id = -1;
    try {
        if (!m_AdoConn)
            throw clsDatabaseError(clsConnection::ClosedText());
        const clsConnection::Statement lookup = CatalogueLookup(StrSystemID, StrReportName);
        clsRecordset rs = m_AdoConn->Open(lookup.sql, lookup.params);
        if (!rs.Eof()) {
            rs.MoveFirst();
            id = rs.Long(QStringLiteral("ID"));
            userDefine = rs.Long(QStringLiteral("isbasetable")) == 0;
        }
        rs.Close();
    } catch (const std::exception& e) {
        ReportException(e, kModule, QString(), PromptIcon::Information);
    }
    return id;
}

bool clsDocument::OpenDocument(clsConnection* Adoconn, const QString& reportName, const QString& systemId,
                               const QString& oprName)
{
    // Copies: the report list passes this document's own fields, which the open replaces.
    const QString StrReportName = reportName;
    const QString StrSystemID = systemId;
    const QString StrOprName = oprName;

    // On a server the catalogue row, the format (found by the report's name) and what
    // the function list reads go in one round trip. Nothing read ahead outlives the open.
    const bool byName = Adoconn && Adoconn->IsPostgres();
    if (byName) {
        std::vector<clsConnection::Statement> ahead = {
            CatalogueLookup(StrSystemID, StrReportName),
            clsFormatStore::ReadStatementByName(StrSystemID, StrReportName, clsFormatRow::SavedKinds())};
        for (clsConnection::Statement& s : clsFunctionManager::LoadStatements(StrSystemID))
            ahead.push_back(std::move(s));
        Adoconn->ReadAhead(ahead);
    }
    const auto dropAhead = qScopeGuard([Adoconn] {
        if (Adoconn)
            Adoconn->DropReadAhead();
    });

    // The lookup runs on the connection handed in, before anything is replaced.
    clsConnection* previous = m_AdoConn;
    m_AdoConn = Adoconn;
    bool userDefine = false;
    const qint32 id = FindReportDefine(StrReportName, StrSystemID, userDefine);
    m_AdoConn = previous;

    if (id == -1 && !g_blnRunMode) {
        ShowMessage(QStringLiteral("没有找到报表定义..."));
        return false;
    }

    SetApplicationHelpFile(GetHelpPath() + QStringLiteral("自定义报表.chm"));

    // The format is read into a document of its own and taken over only when it loaded:
    // a report that fails to open leaves the one open before exactly as it was. Its
    // managers reach "the document" while they load, so the fresh one stands in for
    // this one until the end of the open, whatever happens.
    struct clsCurrentBack
    {
        clsDocument* self;
        ~clsCurrentBack() { g_objDocument = self; }
    } back{this};
    auto fresh = std::make_unique<clsDocument>();
    std::shared_ptr<const OpenedRows> read;
    // A report the catalogue does not know (RunMode goes on with ID -1) is read by its ID.
    if (!fresh->LoadFormat(Adoconn, id, StrReportName, StrSystemID, StrOprName, userDefine, byName && id != -1, read))
        return false;
    TakeFormatFrom(*fresh);
    fresh.reset();
    g_objDocument = this;

    // The window shows the report first. The history's starting point, the format as
    // opened and laid out, is made again from the rows read when it is first needed
    // (the first step, a save): an open that is only looked at never pays for it.
    // Nothing is undone to the previous report meanwhile. Then what a crash may have
    // left of this one.
    m_history->Reset(clsFormatSnapshot());
    ShowDesigner();
    m_history->ResetLater([read, id] { return OpenedFormat(*read, id); });
    if (OfferRecovery())
        ShowDesigner();
    return true;
}

bool clsDocument::LoadFormat(clsConnection* conn, qint32 id, const QString& reportName, const QString& systemId,
                             const QString& oprName, bool userDefine, bool byName, std::shared_ptr<const OpenedRows>& read)
{
    m_AdoConn = conn;
    m_lngReportID = id;
    m_strReportName = reportName;
    m_strSystemID = systemId;
    m_strOprName = oprName;
    m_blnDocChanged = false;
    m_blnUserDefine = userDefine;
    m_objPrintSetting = std::make_unique<clsPrintSetting>();
    m_objExpression = std::make_unique<clsExpressionManager>();
    m_objFunction = std::make_unique<clsFunctionManager>();
    m_objLabel = std::make_unique<clsLabelManager>();
    m_objRange = std::make_unique<clsRangeManager>();
    m_objFilter = std::make_unique<clsReportFilter>();
    m_objMenu = std::make_unique<clsMenuManager>();
    m_objPropertys = std::make_unique<clsPropertysManager>();

    // The whole format in one read; each manager takes its kinds.
    auto rows = std::make_shared<OpenedRows>();
    try {
        if (!m_AdoConn)
            throw clsDatabaseError(clsConnection::ClosedText());
        const std::vector<qint32>& kinds = clsFormatRow::SavedKinds();
        std::optional<clsConnection::Statement> named;
        if (byName)
            named = clsFormatStore::ReadStatementByName(systemId, reportName, kinds);
        rows->read = clsFormatStore::ReadInPlace(*m_AdoConn, id, kinds, named ? &*named : nullptr);
    } catch (const std::exception& e) {
        ReportException(e, kModule);
    }
    if (!LoadRecords(rows->read.ordered)) {
        ShowMessage(QStringLiteral("没有找到报表的字段列表，请打开报表，然后按保存。") + QStringLiteral("\r\n")
                    + QStringLiteral("（系统有自动分析数据源得到报表最新格式的能力），..."));
        return false;
    }
    read = std::move(rows);
    bool ok = false;
    m_objFilter = std::make_unique<clsReportFilter>();
    m_objFunction = std::make_unique<clsFunctionManager>();
    m_objFunction->LoadDefFunctions(ok);
    m_objMenu = std::make_unique<clsMenuManager>();
    m_objExpression = std::make_unique<clsExpressionManager>();
    m_objPropertys = std::make_unique<clsPropertysManager>();
    m_objPropertys->LoadAllPropertys(ok);
    return true;
}

bool clsDocument::LoadRecords(const std::vector<const clsFormatRow*>& rows)
{
    const RowsByManager of = SplitByManager(rows, [](const clsFormatRow* r) { return r; });
    bool ok = false;
    m_objFields = std::make_unique<clsFieldsManager>();  // managers reach each other through the document while loading
    m_objFields->LoadRows(m_lngReportID, of.fields, ok);
    if (!ok && !g_blnRunMode)
        return false;
    m_objPrintSetting = std::make_unique<clsPrintSetting>();
    LoadPrintRow(of.print);
    m_objRange = std::make_unique<clsRangeManager>();
    m_objRange->LoadRows(m_lngReportID, of.ranges, ok);
    m_objLabel = std::make_unique<clsLabelManager>();
    m_objLabel->LoadRows(m_lngReportID, of.labels);
    return true;
}

clsFormatSnapshot clsDocument::OpenedFormat(const OpenedRows& rows, qint32 id)
{
    // A document of its own is "the document" while it loads and lays out, as at the
    // open; the one in use and the prompt in use are put back whatever happens.
    class clsSilentPrompt : public clsScopedPrompt
    {
    public:
        void Beep() override {}
        PromptAnswer Message(const QString&, PromptIcon, const QString&, PromptButtons buttons) override
        {
            return Unasked(buttons);
        }
        void Log(const QString&) override {}
    } silent;
    clsDocument* const current = g_objDocument;
    const auto putBack = qScopeGuard([current] { g_objDocument = current; });
    clsDocument again;
    again.m_lngReportID = id;
    again.m_blnLayoutDirty = true;
    if (!again.LoadRecords(rows.read.ordered))
        return clsFormatSnapshot();
    again.EnsureLayout();
    return again.TakeSnapshot();
}

void clsDocument::TakeFormatFrom(clsDocument& other)
{
    using std::swap;
    swap(m_AdoConn, other.m_AdoConn);
    swap(m_lngReportID, other.m_lngReportID);
    swap(m_strReportName, other.m_strReportName);
    swap(m_strSystemID, other.m_strSystemID);
    swap(m_strOprName, other.m_strOprName);
    swap(m_objPrintSetting, other.m_objPrintSetting);
    swap(m_objExpression, other.m_objExpression);
    swap(m_objFunction, other.m_objFunction);
    swap(m_objLabel, other.m_objLabel);
    swap(m_objRange, other.m_objRange);
    swap(m_objFields, other.m_objFields);
    swap(m_objFilter, other.m_objFilter);
    swap(m_objMenu, other.m_objMenu);
    swap(m_objPropertys, other.m_objPropertys);
    m_blnUserDefine = other.m_blnUserDefine;
    m_blnDocChanged = false;
    m_blnLastSaveWritten = false;
    m_strLastSaveProblem.clear();
    // The canvas stays this document's (windows hold it); it is laid out for the new records.
    m_blnLayoutDirty = true;
}

void clsDocument::ShowDesigner()
{
    clsDesignerView* view = Designer();
    const QString caption = QStringLiteral("报表格式定义-") + m_strReportName;
    if (view->IsShown()) {
        view->SetCaption(caption);
        view->RefreshFormatReport();
        view->GiveFocus();
    } else {
        // Drawn before it is shown: showing reads the canvas, which would otherwise be
        // laid out once for that and once more for the drawing.
        view->SetShown(true);
        view->SetCaption(caption);
        view->RefreshFormatReport();
        view->ShowModeless();
        view->GiveFocus();
    }
}

void clsDocument::CloseDocument(bool blnEnd)
{
    if (m_blnDocChanged) {
        if (AskYesNo(QStringLiteral("格式定义已经改变是否保存?")))
            SaveReportFormat();
    }
    // A clean close: nothing is left to recover (known by the report, so before it goes).
    DiscardRecovery();
    if (!blnEnd && m_objRange) {
        m_objRange->DeleteAllObjects();
        // Closed until the next open: nothing is left to edit or save. The connection,
        // the subsystem and the operator stay for opening another report.
        ReleaseFormat();
    }
    m_blnDocChanged = false;
    // Nothing to undo after a close.
    ResetHistory();
}

bool clsDocument::ConfirmDiscard()
{
    if (!m_blnDocChanged || !IsOpen())
        return true;
    switch (AskYesNoCancel(QStringLiteral("格式定义已经改变是否保存?"))) {
    case PromptAnswer::Yes:
        SaveReportFormat();
        return m_blnLastSaveWritten;
    case PromptAnswer::No:
        // Still marked: an open that fails leaves the report as it was, changes and all.
        return true;
    default:
        return false;
    }
}

namespace {
const QString kPendingEdits = QStringLiteral("修改格式");
const QString kLockHeld = QStringLiteral("报表格式正在被其他用户保存，请稍后再试");
const QString kNotSaved = QStringLiteral("格式没有保存");

clsConnection::Statement UnlockStatement(qint32 id)
{
    return {QStringLiteral("Update Rpt_GlbDEF Set Cols= 0 Where ID = ?"), {id}};
}

// What a failed statement of a save means to the user. At the lock, a database that
// is busy is busy with another designer's save.
QString SaveRefusal(const clsDatabaseError& e, bool postgres, bool atLock)
{
    const QString code = e.Code();
    if (postgres) {
        if (code == QLatin1String("55P03") || code == QLatin1String("40P01"))   // lock not available, deadlock
            return kLockHeld;
        if (code == QLatin1String("25006"))   // read-only transaction
            return QStringLiteral("数据库只读，格式没有保存");
        if (code == QLatin1String("57014"))   // statement timeout
            return QStringLiteral("数据库没有及时响应，格式没有保存，请稍后再试");
    } else {
        bool isNumber = false;
        const int primary = code.toInt(&isNumber) & 0xff;   // without SQLite's extended bits
        if (isNumber && (primary == 5 || primary == 6))      // SQLITE_BUSY, SQLITE_LOCKED
            return atLock ? kLockHeld : QStringLiteral("数据库正忙，格式没有保存，请稍后再试");
        if (isNumber && primary == 8)                          // SQLITE_READONLY
            return QStringLiteral("数据库只读，格式没有保存");
    }
    return kNotSaved + QStringLiteral("：") + e.Description();
}

// A SQLite setting of the connection's, changed for a while and put back as it was.
// Both are statements of the save, and fail it as any other; only when the save is
// failing already is the setting put back quietly.
class clsPragmaAside
{
public:
    clsPragmaAside(clsConnection& conn, const QString& name, const QString& value) : m_conn(conn), m_name(name)
    {
        clsRecordset rs = m_conn.Open(QStringLiteral("PRAGMA ") + m_name);
        m_previous = rs.Eof() ? QString() : rs.ValueAt(0).toString();
        rs.Close();
        m_conn.Execute(QStringLiteral("PRAGMA %1 = %2").arg(m_name, value));
    }
    void PutBack()
    {
        const QString previous = std::exchange(m_previous, QString());
        if (!previous.isEmpty())
            m_conn.Execute(QStringLiteral("PRAGMA %1 = %2").arg(m_name, previous));
    }
    ~clsPragmaAside()
    {
        try {
            PutBack();
        } catch (const clsDatabaseError&) {
        }
    }
    clsPragmaAside(const clsPragmaAside&) = delete;
    clsPragmaAside& operator=(const clsPragmaAside&) = delete;

private:
    clsConnection& m_conn;
    QString m_name;
    QString m_previous;
};
}

QString clsDocument::LockReportForSave()
{
    // One conditional update: whichever designer's update touches the row holds the lock.
    // Inside the save's transaction the row (on SQLite the whole file) stays locked until
    // the commit. Another designer must not queue behind it but be refused at once, as it
    // would be on finding Cols = 1 without a transaction, so its wait is cut short.
    const bool postgres = m_AdoConn->IsPostgres();
    const bool pgLocal = postgres && m_AdoConn->InTransaction();
    try {
        int rows = 0;
        if (pgLocal) {
            // NOWAIT: a row another transaction holds fails at once (55P03) in this one
            // statement, instead of a lock timeout set and put back around the update.
            rows = m_AdoConn->Execute(QStringLiteral("Update Rpt_GlbDEF Set Cols= 1 Where ID in (Select ID From Rpt_GlbDEF "
                                                     "Where ID = ? and (Cols = 0 or Cols is null) For Update Nowait)"),
                                      {m_lngReportID});
        } else {
            // On SQLite the wait for a busy file is the connection's; the lock must not
            // wait, the rest of the save may.
            std::optional<clsPragmaAside> noWait;
            if (!postgres)
                noWait.emplace(*m_AdoConn, QStringLiteral("busy_timeout"), QStringLiteral("0"));
            rows = m_AdoConn->Execute(QStringLiteral("Update Rpt_GlbDEF Set Cols= 1 Where ID = ? and (Cols = 0 or Cols is null)"),
                                      {m_lngReportID});
            if (noWait)
                noWait->PutBack();
        }
        if (rows == 1)
            return QString();
        // Not granted: someone holds the lock, or the report left the catalogue.
        clsRecordset rs = m_AdoConn->Open(QStringLiteral("Select Cols from Rpt_GlbDEF Where ID= ?"), {m_lngReportID});
        return rs.Eof() ? QStringLiteral("没有找到报表定义，格式没有保存") : kLockHeld;
    } catch (const clsDatabaseError& e) {
        return SaveRefusal(e, postgres, true);
    }
}

QString clsDocument::UnlockReportForSave()
{
    try {
        const clsConnection::Statement unlock = UnlockStatement(m_lngReportID);
        m_AdoConn->Execute(unlock.sql, unlock.params);
        return QString();
    } catch (const clsDatabaseError& e) {
        return SaveRefusal(e, m_AdoConn->IsPostgres(), false);
    }
}

void clsDocument::RefuseSave(const QString& reason, bool alreadyReported)
{
    m_strLastSaveProblem = reason;
    if (g_blnRunMode)
        clsPrompt::Current().Log(reason);
    else if (!alreadyReported)
        ShowMessage(reason);
}

clsFormatSnapshot clsDocument::TakeSnapshot() const
{
    clsFormatSnapshot snapshot = SnapshotSpace();
    FillSnapshot(snapshot);
    return snapshot;
}

clsFormatSnapshot clsDocument::SnapshotSpace() const
{
    clsFormatSnapshot snapshot;
    // A row per object and a few per column (groups, sums): rows are large, so the
    // vector is sized once rather than moved as it grows.
    snapshot.Rows.reserve((m_objLabel ? m_objLabel->Labels.size() : 0) + (m_objRange ? m_objRange->Ranges.size() : 0)
                          + (m_objFields ? 3 * m_objFields->Cols.size() + m_objFields->Titles.size() : 0) + 8);
    return snapshot;
}

void clsDocument::FillSnapshot(clsFormatSnapshot& snapshot) const
{
    if (m_objLabel)
        m_objLabel->AppendRows(snapshot.Rows);
    if (m_objRange)
        m_objRange->AppendRows(snapshot.Rows);
    if (m_objFields)
        m_objFields->AppendRows(snapshot.Rows);
    if (m_objPrintSetting)
        snapshot.Rows.push_back(m_objPrintSetting->ToRow());
}

bool clsDocument::RestoreSnapshot(const clsFormatSnapshot& snapshot)
{
    return RestoreRows(snapshot, false);
}

bool clsDocument::RestoreRows(const clsFormatSnapshot& snapshot, bool exactly)
{
    if (!IsOpen())
        return false;
    const RowsByManager of = SplitByManager(snapshot.Rows, [](const clsFormatRow& r) { return &r; });
    bool ok = false;
    auto fields = std::make_unique<clsFieldsManager>();
    std::swap(fields, m_objFields);
    m_objFields->LoadRows(m_lngReportID, of.fields, ok);
    if (!ok) {
        // A format without columns cannot be shown; the document keeps what it had.
        std::swap(fields, m_objFields);
        return false;
    }
    m_objPrintSetting = std::make_unique<clsPrintSetting>();
    LoadPrintRow(of.print);
    m_objRange->LoadRows(m_lngReportID, of.ranges, ok);
    m_objLabel->LoadRows(m_lngReportID, of.labels, exactly);
    m_blnLayoutDirty = true;
    return true;
}

void clsDocument::LoadPrintRow(const std::vector<const clsFormatRow*>& rows)
{
    if (rows.empty())
        return;
    try {
        m_objPrintSetting->FromRow(*rows.front());
    } catch (const std::exception& e) {
        ReportException(e, kModule);
    }
}

clsCanvasScene* clsDocument::Scene() const
{
    // The layout is a cache of the records: bringing it up to date changes nothing a
    // reader of the document can see but the canvas itself.
    const_cast<clsDocument*>(this)->EnsureLayout();
    return m_objScene.get();
}

void clsDocument::EnsureLayout()
{
    if (!m_blnLayoutDirty || !m_objRange)
        return;
    // Cleared first: the pass itself reads range geometry through the same accessors.
    m_blnLayoutDirty = false;
    m_objRange->LayoutAll();
}

bool clsDocument::IsOpen() const
{
    return m_objFields && m_objRange && m_objLabel && m_objPrintSetting;
}

// One delete of every kind, then every kind's rows in save order in as few inserts as
// the database takes; a failure is reported under the error convention and ends the save.
// The rows come from `taking` once the delete has gone out, into `snapshot`.
bool clsDocument::WriteFormat(std::future<clsFormatSnapshot>& taking, clsFormatSnapshot& snapshot)
{
    try {
        {
            // Debian's SQLite overwrites what a delete frees, so every page the old rows
            // held is written once more, and journalled: a save that replaces all of a
            // report's rows costs a fifth more. A format holds nothing secret.
            std::optional<clsPragmaAside> quickDelete;
            if (!m_AdoConn->IsPostgres())
                quickDelete.emplace(*m_AdoConn, QStringLiteral("secure_delete"), QStringLiteral("FAST"));
            clsFormatStore::DeleteKinds(*m_AdoConn, m_lngReportID, clsFormatRow::SavedKinds());
            if (quickDelete)
                quickDelete->PutBack();
        }
        snapshot = taking.get();
        clsFormatStore::InsertFormat(*m_AdoConn, m_lngReportID, snapshot.Rows);
    } catch (const std::exception& e) {
        if (taking.valid())
            taking.wait();
        ReportException(e, kModule);
        return false;
    }
    return true;
}

void clsDocument::SaveReportFormat()
{
    m_blnLastSaveWritten = false;
    m_strLastSaveProblem.clear();
    if (!m_AdoConn || !m_AdoConn->IsOpen()) {
        RefuseSave(QStringLiteral("没有连接到数据库，格式没有保存"));
        return;
    }
    if (!IsOpen())
        return;
    // The checks come first: a format they refuse is never written (the user has been
    // told what is wrong) and stays marked changed.
    if (!m_objFields->PrepareForSave()) {
        RefuseSave(kNotSaved, true);
        return;
    }
    // What is written is what the canvas shows: the format laid out. Its rows are taken
    // on a second thread while this one locks the report and deletes its old rows (on a
    // server, while the server works): meanwhile this thread only talks to the database
    // and nothing changes the records.
    // Whether the rows are the format the history holds already (edits closed by their
    // gesture are recorded as they happen) is found out there as well.
    EnsureLayout();
    bool recorded = false;
    const clsFormatSnapshot& history = m_history->Recorded();   // made here if not yet: it needs "the document"
    const auto take = [this, &recorded, &history, s = SnapshotSpace()]() mutable {
        FillSnapshot(s);
        recorded = s.Rows == history.Rows;
        return std::move(s);
    };
    std::future<clsFormatSnapshot> taking = OnSecondThread<clsFormatSnapshot>(take);
    // Lock, every kind and unlock commit together: a failure leaves the previous
    // format and no stale lock. A host that is already inside a transaction keeps it.
    const bool ownTransaction = !m_AdoConn->InTransaction() && m_AdoConn->BeginTrans();
    const QString refused = LockReportForSave();
    if (!refused.isEmpty()) {
        taking.wait();
        if (ownTransaction)
            m_AdoConn->RollbackTrans();
        RefuseSave(refused);
        return;
    }
    const qint64 failuresBefore = m_AdoConn->FailureCount();
    clsFormatSnapshot snapshot;
    if (!WriteFormat(taking, snapshot)) {
        if (ownTransaction)
            m_AdoConn->RollbackTrans();
        else
            UnlockReportForSave();
        // The kind that failed has reported under the error convention, or the column
        // check has said what is wrong.
        RefuseSave(m_AdoConn->FailureCount() != failuresBefore
                       ? SaveRefusal(m_AdoConn->LastFailure(), m_AdoConn->IsPostgres(), false)
                       : kNotSaved,
                   true);
        return;
    }
    // Committing after a failed unlock would store the lock itself: roll back instead,
    // which also takes the lock back. On a server the unlock and the commit go together.
    if (ownTransaction) {
        QString refusal;
        try {
            int rows = 0;
            if (!m_AdoConn->CommitTransAfter(UnlockStatement(m_lngReportID), rows))
                refusal = SaveRefusal(m_AdoConn->LastFailure(), m_AdoConn->IsPostgres(), false);
        } catch (const clsDatabaseError& e) {
            refusal = SaveRefusal(e, m_AdoConn->IsPostgres(), false);
        }
        if (!refusal.isEmpty()) {
            m_AdoConn->RollbackTrans();
            RefuseSave(refusal);
            return;
        }
    } else {
        UnlockReportForSave();
    }
    // Edits that no gesture closed become a step of their own; the step now current
    // is the saved format (the snapshot just written, not taken a second time).
    if (!recorded)
        m_history->Record(std::move(snapshot), kPendingEdits);
    m_history->MarkSaved();
    DiscardRecovery();
    m_blnDocChanged = false;
    m_blnLastSaveWritten = true;
}

bool clsDocument::LoadPrintSetting(qint32 LngReportID)
{
    try {
        if (!m_AdoConn)
            throw clsDatabaseError(clsConnection::ClosedText());
        if (!m_objPrintSetting)
            m_objPrintSetting = std::make_unique<clsPrintSetting>();
        const std::vector<clsFormatRow> rows = clsFormatStore::ReadRows(*m_AdoConn, LngReportID, {FormatKind::Print});
        if (!rows.empty())
            m_objPrintSetting->FromRow(rows.front());
        return true;
    } catch (const std::exception& e) {
        ReportException(e, kModule);
        return false;
    }
}

bool clsDocument::SavePrintSetting(qint32 LngReportID)
{
    try {
        if (!m_AdoConn)
            throw clsDatabaseError(clsConnection::ClosedText());
        if (!m_objPrintSetting)
            m_objPrintSetting = std::make_unique<clsPrintSetting>();
        const clsFormatRow row = m_objPrintSetting->ToRow();
        clsFormatStore::DeleteKinds(*m_AdoConn, LngReportID, {FormatKind::Print});
        clsFormatStore::InsertRows(*m_AdoConn, LngReportID, FormatKind::Print, {&row});
        return true;
    } catch (const std::exception& e) {
        ReportException(e, kModule);
        return false;
    }
}

bool clsDocument::GetPrintSetting(QString& StrPrintDrive, qint32& LngPaperType, qint32& LngOrientation, qint32& left,
                                  qint32& Right, qint32& Button, qint32& top, bool& blnListFrame) const
{
    if (m_objPrintSetting) {
        const clsPrintSetting& p = *m_objPrintSetting;
        StrPrintDrive = p.StrPrintDrive;
        LngPaperType = p.LngPaperType;
        LngOrientation = p.LngOrientation;
        left = p.LngPrintLeft;
        Right = p.LngPrintRight;
        Button = p.LngPrintButton;
        top = p.LngPrintTop;
        blnListFrame = p.blnListFrame;
    }
    return false;
}

void clsDocument::SetPrintSetting(const QString& StrPrintDrive, qint32 LngPaperType, qint32 LngOrientation,
                                  qint32 left, qint32 Right, qint32 Button, qint32 top, bool blnListFrame)
{
    m_blnDocChanged = true;
    if (!m_objPrintSetting)
        m_objPrintSetting = std::make_unique<clsPrintSetting>();
    clsPrintSetting& p = *m_objPrintSetting;
    p.StrPrintDrive = StrPrintDrive;
    p.LngPaperType = LngPaperType;
    p.LngOrientation = LngOrientation;
    p.LngPrintLeft = left;
    p.LngPrintRight = Right;
    p.LngPrintButton = Button;
    p.LngPrintTop = top;
    p.blnListFrame = blnListFrame;
}

// --- Undo and redo ---------------------------------------------------------------

QUndoStack* clsDocument::UndoStack() const
{
    return m_history->Stack();
}

// Every recorded format is laid out first: the layout pass places the ranges, and
// their places are part of the stored format.
void clsDocument::ResetHistory()
{
    if (!IsOpen()) {
        m_history->Reset(clsFormatSnapshot());
        return;
    }
    EnsureLayout();
    m_history->Reset(TakeSnapshot());
}

bool clsDocument::CommitStep(const QString& text)
{
    if (!IsOpen())
        return false;
    EnsureLayout();
    if (!m_history->Record(TakeSnapshot(), text))
        return false;
    m_blnDocChanged = true;
    return true;
}

bool clsDocument::Undo()
{
    if (!IsOpen())
        return false;
    CommitStep(kPendingEdits);
    if (!m_history->Undo())
        return false;
    if (PutRecorded())
        return true;
    m_history->Redo();
    return false;
}

bool clsDocument::Redo()
{
    if (!IsOpen())
        return false;
    // An edit after the last undo has already dropped the steps to redo.
    if (CommitStep(kPendingEdits) || !m_history->Redo())
        return false;
    if (PutRecorded())
        return true;
    m_history->Undo();
    return false;
}

// The history's format into the managers. What the step brings back becomes the
// selection; when it brings nothing back, the selection is kept by name.
bool clsDocument::PutRecorded()
{
    // Objects a step brings back (an undone delete, a redone add or paste) become the
    // selection, so the user sees what came back; otherwise the selection stays as it was.
    QSet<QString> labels, cols, titles, selectedLabels, selectedCols, selectedTitles;
    for (const auto& l : m_objLabel->Labels) {
        labels.insert(l->StrName);
        if (l->blnSelected)
            selectedLabels.insert(l->StrName);
    }
    for (const auto& c : m_objFields->Cols) {
        cols.insert(c->name);
        if (c->blnSelected)
            selectedCols.insert(c->name);
    }
    for (const auto& t : m_objFields->Titles) {
        titles.insert(t->name);
        if (t->blnSelected)
            selectedTitles.insert(t->name);
    }
    if (!RestoreRows(m_history->Recorded(), true))
        return false;
    const bool cameBack = std::any_of(m_objLabel->Labels.begin(), m_objLabel->Labels.end(),
                                      [&](const auto& l) { return !labels.contains(l->StrName); })
        || std::any_of(m_objFields->Cols.begin(), m_objFields->Cols.end(), [&](const auto& c) { return !cols.contains(c->name); })
        || std::any_of(m_objFields->Titles.begin(), m_objFields->Titles.end(),
                       [&](const auto& t) { return !titles.contains(t->name); });
    for (const auto& l : m_objLabel->Labels)
        l->blnSelected = cameBack ? !labels.contains(l->StrName) : selectedLabels.contains(l->StrName);
    for (const auto& c : m_objFields->Cols)
        c->blnSelected = c->BlnEnable && (cameBack ? !cols.contains(c->name) : selectedCols.contains(c->name));
    for (const auto& t : m_objFields->Titles)
        t->blnSelected = cameBack ? !titles.contains(t->name) : selectedTitles.contains(t->name);
    m_blnDocChanged = !m_history->AtSaved();
    m_blnLayoutDirty = true;
    return true;
}

// --- Autosave and recovery -------------------------------------------------------

clsRecoveryStore clsDocument::RecoveryStore() const
{
    // The database as the connection names it, with its options (a PostgreSQL schema
    // is chosen there), never its password.
    QString database;
    if (m_AdoConn)
        database = m_AdoConn->ConnectionString() + m_AdoConn->Database().connectOptions();
    return clsRecoveryStore(database, m_strSystemID, m_strReportName);
}

bool clsDocument::WriteRecovery(QString* problem)
{
    if (!IsOpen())
        return false;
    const clsRecoveryStore store = RecoveryStore();
    if (!m_blnDocChanged) {
        store.Remove();
        return false;
    }
    QString error;
    if (store.Write(TakeSnapshot(), error))
        return true;
    clsPrompt::Current().Log(QStringLiteral("自动保存失败：") + error);
    if (problem)
        *problem = error;
    return false;
}

void clsDocument::DiscardRecovery()
{
    if (IsOpen())
        RecoveryStore().Remove();
}

bool clsDocument::HasDesignerWindow()
{
    return DesignerProvider() && DesignerProvider()();
}

bool clsDocument::OfferRecovery()
{
    // Only a designer window autosaves, and only its user can answer.
    if (!IsOpen() || g_blnRunMode || !HasDesignerWindow())
        return false;
    const clsRecoveryStore store = RecoveryStore();
    if (!store.Exists())
        return false;
    clsFormatSnapshot kept;
    QDateTime written;
    QString error;
    if (!store.Read(kept, written, error)) {
        ShowMessage(QStringLiteral("自动保存的格式不能恢复：") + error);
        store.Remove();
        return false;
    }
    if (kept == TakeSnapshot()) {
        store.Remove();
        return false;
    }
    const QString when = written.isValid() ? written.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QString();
    if (!AskYesNo(QStringLiteral("报表“%1”的格式定义上次没有正常关闭，%2自动保存的修改还没有保存。\r\n是否恢复这些修改?")
                      .arg(m_strReportName, when.isEmpty() ? QString() : when + QStringLiteral(" ")))) {
        store.Remove();
        return false;
    }
    if (!RestoreSnapshot(kept)) {
        ShowMessage(QStringLiteral("自动保存的格式没有报表列，不能恢复..."));
        return false;
    }
    CommitStep(QStringLiteral("恢复自动保存的修改"));
    m_blnDocChanged = true;
    return true;
}
