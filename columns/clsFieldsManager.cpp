#include "clsFieldsManager.h"
#include "designer/clsCanvasScene.h"
#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/clsDocument.h"
#include "document/clsFormatStore.h"
#include "clsTitleGrid.h"
#include "document/modPublicDefine.h"
#include "properties/modDisplayFormat.h"
#include <QHash>
#include <QSet>
#include <algorithm>
#include <limits>

namespace {
const QString kModule = QStringLiteral("clsFieldsManager");

QString Key(const QString& name)
{
    return IsPlainName(name) ? name : name.trimmed().toLower();
}

QString Num(qint64 value)
{
    return QString::number(value);
}

// Integer typed into the grid: Null and empty text give 0; text that is not a number
// is refused by the caller.
bool TypedLong(const QVariant& value, qint32& result)
{
    if (value.isNull()) {
        result = 0;
        return true;
    }
    bool ok = false;
    result = ToLong(value.toString(), &ok);
    return ok;
}

const QStringList& DataTypeTexts()
{
    static const QStringList texts = {QStringLiteral("数值"), QStringLiteral("字符串"), QStringLiteral("日期"),
                                      QStringLiteral("逻辑")};
    return texts;
}
const QStringList& AlignTexts()
{
    static const QStringList texts = {QStringLiteral("默认"), QStringLiteral("左对齐"), QStringLiteral("居中"),
                                      QStringLiteral("右对齐")};
    return texts;
}
const QStringList& GroupTexts()
{
    static const QStringList texts = {QStringLiteral("不能分组"), QStringLiteral("未分组"), QStringLiteral("分组")};
    return texts;
}
// lngSum -1 .. 2 at index lngSum + 1.
const QStringList& SumTexts()
{
    static const QStringList texts = {QStringLiteral("不汇总"), QStringLiteral("汇总"), QStringLiteral("用表达式计算"),
                                      QStringLiteral("余额汇总方案")};
    return texts;
}

QString TextAt(const QStringList& texts, qint64 index)
{
    return index >= 0 && index < texts.size() ? texts.at(int(index)) : QString();
}

int IndexOfText(const QStringList& texts, const QString& text)
{
    const QString t = text.trimmed();
    for (int i = 0; i < texts.size(); ++i)
        if (SameText(texts.at(i), t))
            return i;
    return -1;
}

}  // namespace

// ---------------------------------------------------------------------------------
// Loading

void clsFieldsManager::LoadAllObjects(qint32 ID, bool& ok)
{
    ok = false;
    clsConnection* conn = DocumentConnection();
    if (!conn)
        return;
    std::vector<clsFormatRow> rows;
    try {
        rows = clsFormatStore::ReadRows(*conn, ID, FieldKinds());
    } catch (const std::exception& e) {
        m_lngID = ID;
        Cols.clear();
        Titles.clear();
        m_lngHelpID = 0;
        ReportException(e, kModule, QStringLiteral("AddColsObjec()"));
        return;
    }
    std::vector<const clsFormatRow*> mine;
    for (const clsFormatRow& r : rows)
        mine.push_back(&r);
    LoadRows(ID, mine, ok);
}

const std::vector<qint32>& clsFieldsManager::FieldKinds()
{
    static const std::vector<qint32> kinds = {FormatKind::Column, FormatKind::Title, FormatKind::Group,
                                              FormatKind::Sum, FormatKind::HelpId};
    return kinds;
}

void clsFieldsManager::LoadRows(qint32 ID, const std::vector<const clsFormatRow*>& rows, bool& ok)
{
    ok = false;
    m_lngID = ID;
    Cols.clear();
    Titles.clear();
    m_lngHelpID = 0;
    // Each kind's rows, in one pass.
    std::vector<const clsFormatRow*> columns, titles, groups, sums, help;
    for (const clsFormatRow* r : rows) {
        switch (r->ModeEx) {
        case FormatKind::Column: columns.push_back(r); break;
        case FormatKind::Title: titles.push_back(r); break;
        case FormatKind::Group: groups.push_back(r); break;
        case FormatKind::Sum: sums.push_back(r); break;
        case FormatKind::HelpId: help.push_back(r); break;
        default: break;
        }
    }
    if (!AddColsObjec(columns) || Cols.empty())
        return;
    AddColsTitles(titles);
    // The group and sum rows name their columns; the first column of a name is theirs.
    QHash<QString, clsRepcol*> byName;
    byName.reserve(qsizetype(Cols.size()));
    for (auto& col : Cols) {
        const QString key = Key(col->name);
        if (!byName.contains(key))
            byName.insert(key, col.get());
    }
    GetGroupCols(groups, byName);
    GetSumCols(sums, byName);
    ReadHelpID(help);
    Renumber();
    ok = true;
}

bool clsFieldsManager::AddColsObjec(const std::vector<const clsFormatRow*>& rows)
{
    Cols.reserve(Cols.size() + rows.size());
    try {
        for (const clsFormatRow* row : rows) {
            auto col = std::make_unique<clsRepcol>();
            col->name = row->Text(FldColumn::Name);
            col->Caption = col->name;
            col->CaptionForeign = row->Text(FldColumn::nameForeign);
            col->Col = row->Long(FldColumn::OrderEx);
            col->Expression = row->Text(FldColumn::Expression);
            col->Width = row->Long(FldColumn::iColSize);
            col->Height = row->Long(FldColumn::Height);
            col->StrFormat = row->Text(FldColumn::FormatEx);
            col->AlignStyle = row->Long(FldColumn::iAlignStyle);
            const QString note = row->Text(FldColumn::Note);
            if (SameText(note, QStringLiteral("sum")) || SameText(note, QStringLiteral("avg"))) {
                col->blnNumber = true;
                col->Dtype = 0;
            } else {
                col->Dtype = row->Long(FldColumn::iSize);
            }
            col->blnVisible = row->Long(FldColumn::Visible) != 0;
            col->TpyCol = 0;
            col->strnote = note;
            col->StrCondition = row->Text(FldColumn::Condition);
            if (row->Long(FldColumn::TopEx) == 1) {
                col->BlnEnable = false;
            } else {
                col->BlnEnable = true;
                if (col->Width == 0)
                    col->Width = 1000;
            }
            Cols.push_back(std::move(col));
        }
    } catch (const std::exception& e) {
        ReportException(e, kModule, QStringLiteral("AddColsObjec()"));
        return false;
    }
    // Enabled columns are numbered by their place; a disabled column keeps its stored
    // number so that enabling it again (field list) can find its old place.
    qint32 number = 0;
    for (auto& col : Cols)
        if (col->BlnEnable)
            col->Col = ++number;
    return true;
}

void clsFieldsManager::AddColsTitles(const std::vector<const clsFormatRow*>& rows)
{
    Titles.reserve(Titles.size() + rows.size());
    try {
        for (const clsFormatRow* row : rows) {
            auto title = std::make_unique<clsTitle>();
            title->name = row->Text(FldColumn::Name);
            title->nameForeign = row->Text(FldColumn::nameForeign);
            if (title->nameForeign.isEmpty())
                title->nameForeign = title->name;
            title->left = row->Long(FldColumn::LeftEx);
            title->top = row->Long(FldColumn::TopEx);
            title->Width = row->Long(FldColumn::Width);
            title->Height = row->Long(FldColumn::Height);
            title->blnVisible = row->Long(FldColumn::Visible) != 0;
            Titles.push_back(std::move(title));
        }
    } catch (const std::exception& e) {
        ReportException(e, kModule, QStringLiteral("AddColsTitles()"));
        return;
    }
    // Link: every enabled column needs a title whose bottom reaches the last title row
    // R. The titles are indexed by their left column so each column looks only at the
    // titles that start over it.
    qint32 R = 1;
    for (const auto& t : Titles)
        R = std::max(R, t->top);
    // Titles by their left column, in their order within a column.
    std::vector<std::pair<qint32, clsTitle*>> byLeft;
    byLeft.reserve(Titles.size());
    for (const auto& t : Titles)
        byLeft.emplace_back(t->left, t.get());
    std::stable_sort(byLeft.begin(), byLeft.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    std::vector<qint64> prefix(1, 0);  // prefix[k] = widths of enabled columns numbered 1..k
    prefix.reserve(Cols.size() + 1);
    std::vector<const clsRepcol*> missing;
    for (const auto& colPtr : Cols) {
        clsRepcol& C = *colPtr;
        if (!C.BlnEnable)
            continue;
        prefix.push_back(prefix.back() + C.Width);
        clsTitle* found = nullptr;
        auto it = std::lower_bound(byLeft.begin(), byLeft.end(), C.Col, [](const auto& a, qint32 left) { return a.first < left; });
        for (; it != byLeft.end() && it->first == C.Col; ++it) {
            const clsTitle* T = it->second;
            if (T->top == R || T->Height == R || qint64(T->top) + T->Height - 1 == R) {
                found = it->second;
                break;
            }
        }
        if (found) {
            found->Col = C.Col;
            found->blnVisible = C.blnVisible;
            found->cx = C.Width;
        } else {
            missing.push_back(&C);
        }
    }
    // A column without its own title gets one named after it (another name when a title
    // already has that one, since titles are found by name), over the rows free above
    // the last row, so it never lies over another title.
    for (const clsRepcol* C : missing)
        if (clsTitle* title = clsTitleGrid::EnsureOwnTitle(Titles, C->Col, C->name, C->blnVisible)) {
            title->nameForeign = C->name;
            title->cx = C->Width;
        }
    // Enabled columns carry the numbers 1..n after renumbering, so a title's span of
    // columns is a difference of two prefix sums.
    const qint64 n = qint64(prefix.size()) - 1;
    for (auto& t : Titles) {
        if (t->Width <= 1)
            continue;
        const qint64 lo = std::max<qint64>(1, t->left);
        const qint64 hi = std::min<qint64>(n, qint64(t->left) + t->Width - 1);
        t->cx = hi >= lo ? Clamp32(prefix[size_t(hi)] - prefix[size_t(lo - 1)]) : 0;
    }
}

void clsFieldsManager::GetGroupCols(const std::vector<const clsFormatRow*>& rows, const QHash<QString, clsRepcol*>& byName)
{
    for (auto& col : Cols)
        if (!col->Expression.trimmed().isEmpty())
            col->TpyGroup = 1;
    try {
        for (const clsFormatRow* row : rows) {
            if (clsRepcol* col = byName.value(Key(row->Text(FldColumn::Name)))) {
                col->TpyGroup = 2;
                col->TpyOrder = 1;
                const qint32 order = row->Long(FldColumn::OrderEx);
                if (order == -2)
                    col->TpyGroup = 0;
                else if (order == -1)
                    col->BlnGroupSum = true;
                if (row->Long(FldColumn::iSize) == 1)
                    col->BlnGroupAccount = true;
            }
        }
    } catch (const std::exception& e) {
        ReportException(e, kModule, QStringLiteral("GetGroupCols()"));
    }
}

void clsFieldsManager::GetSumCols(const std::vector<const clsFormatRow*>& rows, const QHash<QString, clsRepcol*>& byName)
{
    try {
        for (const clsFormatRow* row : rows) {
            if (clsRepcol* col = byName.value(Key(row->Text(FldColumn::Name)))) {
                col->lngSum = row->Long(FldColumn::OrderEx);
                col->blnNumber = true;
            }
        }
    } catch (const std::exception& e) {
        ReportException(e, kModule, QStringLiteral("GetSumCols()"));
    }
}

void clsFieldsManager::ReadHelpID(const std::vector<const clsFormatRow*>& rows)
{
    try {
        m_lngHelpID = rows.empty() ? 0 : rows.front()->Long(FldColumn::OrderEx);
    } catch (const std::exception& e) {
        ReportException(e, kModule, QStringLiteral("ReadHelpID()"));
    }
}

// ---------------------------------------------------------------------------------
// Saving

void clsFieldsManager::SaveAllObjects(bool& ok)
{
    ok = false;
    if (!PrepareForSave()) {
        // The user has been told; nothing is written and the document keeps its changes.
        ok = true;
        return;
    }
    clsConnection* conn = DocumentConnection();
    if (!conn) {
        ok = true;
        return;
    }
    std::vector<clsFormatRow> rows;
    AppendRows(rows);
    ok = WriteRows(*conn, m_lngID, rows);
}

bool clsFieldsManager::PrepareForSave()
{
    m_blnSaveRefused = !CheckColsBeforeSave() || !CheckTitleLevels();
    if (m_blnSaveRefused)
        return false;
    // The enabled columns are written with the numbers the titles are matched against:
    // their places in the list. Every edit keeps them so; a hand-typed number does not
    // survive this.
    Renumber();
    // A title drawn without a caption keeps the one its save gives it.
    for (auto& t : Titles)
        t->nameForeign = SavedTitleCaption(*t);
    return true;
}

QString clsFieldsManager::SavedTitleCaption(const clsTitle& t)
{
    // Asked of every title at each layout and snapshot: blank is seen without a copy.
    if (!std::all_of(t.nameForeign.begin(), t.nameForeign.end(), [](QChar c) { return c.isSpace(); }))
        return t.nameForeign;
    // Without a caption a title shows the part of its name after "_" (收入_Income →
    // Income), or its whole name.
    const int cut = t.name.indexOf(QLatin1Char('_'));
    const QString before = cut < 0 ? t.name.trimmed() : t.name.left(cut);
    const QString after = cut < 0 ? QString() : t.name.mid(cut + 1).trimmed();
    return after.isEmpty() ? before.trimmed() : after;
}

void clsFieldsManager::AppendRows(std::vector<clsFormatRow>& rows) const
{
    for (const auto& colPtr : Cols) {
        const clsRepcol& c = *colPtr;
        clsFormatRow& row = rows.emplace_back(FormatKind::Column);
        row.Set(FldColumn::Name, c.name)
            .Set(FldColumn::OrderEx, c.Col)
            .Set(FldColumn::Expression, c.Expression)
            .Set(FldColumn::iColSize, c.Width)
            .Set(FldColumn::FormatEx, c.StrFormat)
            .Set(FldColumn::iAlignStyle, c.AlignStyle)
            .Set(FldColumn::Visible, c.blnVisible ? -1 : 0)
            .Set(FldColumn::Note, c.strnote)
            .Set(FldColumn::Condition, c.StrCondition)
            .Set(FldColumn::iSize, c.Dtype)
            .Set(FldColumn::TopEx, c.BlnEnable ? 0 : 1)
            .Set(FldColumn::Height, c.Height);
    }
    for (const auto& titlePtr : Titles) {
        const clsTitle& t = *titlePtr;
        clsFormatRow& row = rows.emplace_back(FormatKind::Title);
        row.Set(FldColumn::Name, t.name)
            .Set(FldColumn::nameForeign, SavedTitleCaption(t))
            .Set(FldColumn::TopEx, t.top)
            .Set(FldColumn::LeftEx, t.left)
            .Set(FldColumn::Width, t.Width)
            .Set(FldColumn::Height, t.Height)
            .Set(FldColumn::Visible, t.blnVisible ? 1 : 0);
    }
    for (const auto& colPtr : Cols) {
        const clsRepcol& c = *colPtr;
        const bool notGroupable = c.TpyGroup == 0 && !c.Expression.trimmed().isEmpty();
        if (c.TpyGroup != 2 && !notGroupable)
            continue;
        clsFormatRow& row = rows.emplace_back(FormatKind::Group);
        row.Set(FldColumn::Name, c.name)
            .Set(FldColumn::nameForeign, c.name)
            .Set(FldColumn::OrderEx, c.TpyGroup == 0 ? -2 : (c.BlnGroupSum ? -1 : 0))
            .Set(FldColumn::iSize, c.BlnGroupAccount ? 1 : 0);
    }
    for (const auto& colPtr : Cols) {
        const clsRepcol& c = *colPtr;
        if (c.Dtype != 0)
            continue;
        clsFormatRow& row = rows.emplace_back(FormatKind::Sum);
        row.Set(FldColumn::Name, c.name).Set(FldColumn::nameForeign, c.CaptionForeign).Set(FldColumn::OrderEx, c.lngSum);
    }
    clsFormatRow& help = rows.emplace_back(FormatKind::HelpId);
    help.Set(FldColumn::OrderEx, m_lngHelpID);
}

// Each kind's rows go in turn; a failure is reported under the routine that writes
// that kind and ends the save.
bool clsFieldsManager::WriteRows(clsConnection& conn, qint32 id, const std::vector<clsFormatRow>& rows)
{
    struct Step
    {
        qint32 kind;
        const char* routine;
    };
    static const Step steps[] = {{FormatKind::Column, "SaveNewColProperty() "},
                                 {FormatKind::Title, "SaveProperty() "},
                                 {FormatKind::Group, "SaveGroupProperty() "},
                                 {FormatKind::Sum, "SaveSumProperty() "},
                                 {FormatKind::HelpId, "SaveReportHelpid() "}};
    try {
        clsFormatStore::DeleteKinds(conn, id, FieldKinds());
    } catch (const std::exception& e) {
        ReportException(e, kModule, QStringLiteral("AddNewColToDatabase() "));
        return false;
    }
    for (const Step& step : steps) {
        std::vector<const clsFormatRow*> kindRows;
        for (const clsFormatRow& r : rows)
            if (r.ModeEx == step.kind)
                kindRows.push_back(&r);
        try {
            clsFormatStore::InsertRows(conn, id, step.kind, kindRows);
        } catch (const std::exception& e) {
            ReportException(e, kModule, QString::fromLatin1(step.routine));
            return false;
        }
    }
    return true;
}

bool clsFieldsManager::CheckColsBeforeSave() const
{
    for (const auto& col : Cols)
        if (!CheckColBeforeSave(*col))
            return false;
    return true;
}

bool clsFieldsManager::CheckColBeforeSave(const clsRepcol& col) const
{
    if (col.BlnEnable && col.StrCondition.trimmed().isEmpty() && col.Expression.trimmed().isEmpty()) {
        ShowMessage(QStringLiteral("保存失败！报表列名") + col.name + QStringLiteral("必须有对应的字段名或列间表达式..."));
        return false;
    }
    return true;
}

bool clsFieldsManager::CheckTitleLevels() const
{
    if (clsTitleGrid::Depth(Titles) > clsTitleGrid::MaxRows) {
        ShowMessage(QStringLiteral("标题的逻辑层次超过五层，系统最大只支持五层复合标题的定义..."));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------
// Lookups

clsRepcol* clsFieldsManager::FindCol(const QString& name) const
{
    const QString wanted = name.trimmed();
    for (const auto& col : Cols)
        if (SameText(col->name.trimmed(), wanted))
            return col.get();
    return nullptr;
}

clsTitle* clsFieldsManager::FindTitle(const QString& name) const
{
    const QString wanted = name.trimmed();
    for (const auto& t : Titles)
        if (SameText(t->name.trimmed(), wanted))
            return t.get();
    return nullptr;
}

bool clsFieldsManager::ColSelected(const QString& name) const
{
    const clsRepcol* col = FindCol(name);
    return col && col->blnSelected;
}

bool clsFieldsManager::TitleSelected(const QString& name) const
{
    const clsTitle* t = FindTitle(name);
    return t && t->blnSelected;
}

qint32 clsFieldsManager::GetCol(const QString& name) const
{
    const clsRepcol* col = FindCol(name);
    return col ? col->Col : -1;
}

QString clsFieldsManager::NewColName() const
{
    QSet<QString> taken;
    for (const auto& col : Cols)
        taken.insert(col->name.toLower());
    const QString stem = QStringLiteral("列名") + Num(qint64(Cols.size()));
    for (qint64 k = 1;; ++k) {
        const QString candidate = stem + Num(k);
        if (!taken.contains(candidate.toLower()))
            return candidate;
    }
}

QString clsFieldsManager::NewTitleName() const
{
    QSet<QString> taken;
    for (const auto& t : Titles)
        taken.insert(Key(t->name));
    const qint64 count = qint64(Titles.size());
    QString candidate = QStringLiteral("标题") + Num(count + 1);
    for (qint64 k = 2; taken.contains(Key(candidate)); ++k)
        candidate = QStringLiteral("标题") + Num(count) + Num(k);
    return candidate;
}

// The canvas follows the records at the next layout pass.
void clsFieldsManager::RefreshColLabel(const QString&)
{
    MarkLayoutDirty();
}

void clsFieldsManager::RefreshTitleLabel(const QString&)
{
    MarkLayoutDirty();
}

// ---------------------------------------------------------------------------------
// Column properties

void clsFieldsManager::ReadColProperty(const QString& colName, const QString& propName, QString& value) const
{
    value.clear();
    clsRepcol* c = FindCol(colName);
    if (!c)
        return;
    const QString p = propName.trimmed();
    const auto is = [&](const char16_t* caption) { return SameText(p, QString::fromUtf16(caption)); };
    if (is(u"列名"))
        value = c->name;
    else if (is(u"列标题"))
        value = c->Caption;
    else if (is(u"列号"))
        value = Num(c->Col);
    else if (is(u"列间表达式"))
        value = c->StrCondition;
    else if (is(u"字段"))
        value = c->Expression;
    else if (is(u"列数据类型"))
        value = TextAt(DataTypeTexts(), c->Dtype);
    else if (is(u"列宽"))
        value = QString::number(double(TwipsToMm(c->Width)), 'f', 2);
    else if (is(u"行高"))
        value = Num(c->Height);
    else if (is(u"显示格式"))
        value = DisplayFormatToEntry(c->StrFormat, FormatOwner::Column);
    else if (is(u"对齐方式"))
        value = TextAt(AlignTexts(), c->AlignStyle);
    else if (is(u"分组"))
        value = TextAt(GroupTexts(), c->TpyGroup);
    else if (is(u"合计")) {
        // A column that is not numeric can carry no sum.
        if (c->Dtype != 0)
            c->lngSum = -1;
        value = TextAt(SumTexts(), qint64(c->lngSum) + 1);
    } else if (is(u"显示"))
        value = c->blnVisible ? QStringLiteral("显示") : QStringLiteral("不显示");
    else if (is(u"小计"))
        value = c->BlnGroupSum ? QStringLiteral("小计") : QStringLiteral("不小计");
    else if (is(u"累计"))
        value = c->BlnGroupAccount ? QStringLiteral("累计") : QStringLiteral("不累计");
    else if (is(u"备注"))
        value = c->strnote;
}

bool clsFieldsManager::SetColProperty(QString& colName, const QString& propName, const QVariant& value)
{
    clsRepcol* c = FindCol(colName);
    if (!c)
        return false;
    const QString p = propName.trimmed();
    const auto is = [&](const char16_t* caption) { return SameText(p, QString::fromUtf16(caption)); };
    const QString text = value.isNull() ? QString() : value.toString();

    if (is(u"列名")) {
        const QString newName = text.trimmed();
        if (newName.isEmpty()) {
            ShowMessage(QStringLiteral("列名必须输入..."));
            return false;
        }
        for (const auto& other : Cols) {
            if (other.get() != c && SameText(other->name.trimmed(), newName)) {
                ShowMessage(QStringLiteral("列名不能重复..."));
                return false;
            }
        }
        const QString oldName = c->name;
        if (newName != oldName)
            MarkDocChanged();
        c->name = newName;
        RefreshColLabel(oldName);
        colName = newName;
        return true;
    }
    if (is(u"列标题")) {
        const QString caption = text.trimmed();
        if (caption != c->Caption)
            MarkDocChanged();
        c->Caption = caption;
        return true;
    }
    if (is(u"列号")) {
        qint32 number = 0;
        if (!TypedLong(value, number))
            return false;
        if (!c->BlnEnable || number == c->Col)
            return true;
        // A typed number moves the column to that place, titles and all, as a drag would.
        EnsureDocumentLayout();
        if (!MoveColumnTo(c, std::clamp(number, 1, EnabledCount()))) {
            ShowMessage(QStringLiteral("列不能移动到该位置，列标题会重叠..."));
            return false;
        }
        return true;
    }
    if (is(u"列间表达式")) {
        const QString condition = text.trimmed();
        if (condition != c->StrCondition)
            MarkDocChanged();
        c->StrCondition = condition;
        // A computed column has no field to group on.
        if (!condition.isEmpty())
            c->TpyGroup = 0;
        return true;
    }
    if (is(u"字段")) {
        // Only the uniqueness is checked here; the field itself is stored when it is
        // dropped from the field list.
        const QString field = text.trimmed();
        if (field.isEmpty())
            return true;
        for (const auto& other : Cols) {
            if (other.get() != c && !SameText(other->name.trimmed(), c->name.trimmed())
                && SameText(other->Expression.trimmed(), field)) {
                ShowMessage(QStringLiteral("列（") + other->name + QStringLiteral("）中设置了相同的字段...1"));
                return false;
            }
        }
        return true;
    }
    if (is(u"列数据类型")) {
        const int type = IndexOfText(DataTypeTexts(), text);
        if (type < 0)
            return false;
        if (type != c->Dtype)
            MarkDocChanged();
        c->Dtype = type;
        return true;
    }
    if (is(u"列宽")) {
        qint32 mm = 0;
        if (!TypedLong(value, mm))
            return false;
        // A column of no width would come back 1000 twips wide from the next load.
        if (mm <= 0) {
            ShowMessage(QStringLiteral("列宽必须大于0..."));
            return false;
        }
        qint32 twips = 0;
        try {
            twips = MmToTwips(mm);
        } catch (const std::overflow_error&) {
            return false;
        }
        MarkDocChanged();
        c->Width = twips;
        RefreshColLabel(c->name);
        return true;
    }
    if (is(u"行高")) {
        qint32 height = 0;
        // 0 draws the caption at the usual height.
        if (!TypedLong(value, height) || height < 0)
            return false;
        if (height != c->Height)
            MarkDocChanged();
        c->Height = height;
        FitBody();
        return true;
    }
    if (is(u"显示格式")) {
        MarkDocChanged();
        c->StrFormat = DisplayFormatToCode(text);
        return true;
    }
    if (is(u"对齐方式")) {
        const int align = IndexOfText(AlignTexts(), text);
        if (align < 0)
            return false;
        c->AlignStyle = align;
        MarkDocChanged();
        RefreshColLabel(c->name);
        return true;
    }
    if (is(u"分组")) {
        const int group = IndexOfText(GroupTexts(), text);
        if (group < 0)
            return false;
        if (group > 0 && c->Expression.trimmed().isEmpty()) {
            ShowMessage(QStringLiteral("当前列不可分组..."));
            return false;
        }
        c->TpyGroup = group;
        MarkDocChanged();
        return true;
    }
    if (is(u"合计")) {
        if (c->Dtype != 0) {
            ShowMessage(QStringLiteral("只有数值列才能设置合计属性..."));
            return false;
        }
        const int sum = IndexOfText(SumTexts(), text);
        if (sum < 0)
            return false;
        c->lngSum = sum - 1;
        MarkDocChanged();
        return true;
    }
    if (is(u"显示")) {
        c->blnVisible = SameText(text.trimmed(), QStringLiteral("显示"));
        Renumber();
        MarkDocChanged();
        return true;
    }
    if (is(u"小计")) {
        c->BlnGroupSum = SameText(text.trimmed(), QStringLiteral("小计"));
        MarkDocChanged();
        return true;
    }
    if (is(u"累计")) {
        c->BlnGroupAccount = SameText(text.trimmed(), QStringLiteral("累计"));
        MarkDocChanged();
        return true;
    }
    if (is(u"备注")) {
        c->strnote = text;
        MarkDocChanged();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------
// Title properties

void clsFieldsManager::ReadTitleProperty(const QString& titleName, const QString& propName, QString& value) const
{
    value.clear();
    const clsTitle* t = FindTitle(titleName);
    if (!t)
        return;
    const QString p = propName.trimmed();
    const auto is = [&](const char16_t* caption) { return SameText(p, QString::fromUtf16(caption)); };
    if (is(u"名称"))
        value = t->name;
    else if (is(u"显示标题"))
        value = t->nameForeign;
    else if (is(u"顶（行）"))
        value = Num(t->top);
    else if (is(u"左（列）"))
        value = Num(t->left);
    else if (is(u"宽（列数）"))
        value = Num(t->Width);
    else if (is(u"高（行数）"))
        value = Num(t->Height);
    else if (is(u"显示"))
        value = t->blnVisible ? QStringLiteral("显示") : QStringLiteral("不显示");
}

bool clsFieldsManager::SetTitleProperty(QString& titleName, const QString& propName, const QVariant& value)
{
    clsTitle* t = FindTitle(titleName);
    if (!t)
        return false;
    const QString p = propName.trimmed();
    const auto is = [&](const char16_t* caption) { return SameText(p, QString::fromUtf16(caption)); };
    const QString text = value.isNull() ? QString() : value.toString();

    if (is(u"名称")) {
        const QString newName = text.trimmed();
        if (newName.isEmpty()) {
            ShowMessage(QStringLiteral("必须输入标题名..."));
            return false;
        }
        for (const auto& other : Titles) {
            if (other.get() != t && SameText(other->name.trimmed(), newName)) {
                ShowMessage(QStringLiteral("列标题名称不能重复..."));
                return false;
            }
        }
        const QString oldName = t->name;
        if (newName != oldName)
            MarkDocChanged();
        t->name = newName;
        RefreshTitleLabel(oldName);
        titleName = newName;
        return true;
    }
    if (is(u"显示标题")) {
        t->nameForeign = text;
        MarkDocChanged();
        RefreshTitleLabel(t->name);
        return true;
    }
    // The grid cells are the title's place: a typed value moves or resizes it, unless
    // it would overlap another title or leave the title rows.
    const int grid = is(u"顶（行）") ? 0 : is(u"左（列）") ? 1 : is(u"宽（列数）") ? 2 : is(u"高（行数）") ? 3 : -1;
    if (grid >= 0) {
        qint32 number = 0;
        if (!TypedLong(value, number))
            return false;
        qint32 cells[4] = {t->top, t->left, t->Width, t->Height};
        if (cells[grid] == number)
            return true;
        cells[grid] = number;
        if (!PlaceTitle(*t, cells[0], cells[1], cells[2], cells[3])) {
            ShowMessage(QStringLiteral("标题的位置与其他标题重叠或超出标题区域，不能修改..."));
            return false;
        }
        FitBody();
        return true;
    }
    if (is(u"显示")) {
        const bool shown = SameText(text.trimmed(), QStringLiteral("显示"));
        t->blnVisible = shown;
        // A column's own title shows and hides with its column.
        for (const auto& c : Cols)
            if (c->BlnEnable && clsTitleGrid::OwnTitle(Titles, c->Col) == t)
                c->blnVisible = shown;
        Renumber();
        MarkDocChanged();
        return true;
    }
    return false;
}
