#include "clsFieldsManager.h"
#include "designer/clsCanvasScene.h"
#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/clsDocument.h"
#include "document/clsFormatStore.h"
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
    return name.trimmed().toLower();
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

// Drawn titles snapped to whole title rows, shared by the level check and the level
// assignment. A title never laid out takes no part: it has no position to derive
// anything from and keeps the grid values it was loaded with. Loading already fills
// `cx` (the width of the columns under a title) but only drawing gives a height, so
// a title without a drawn height counts as never laid out.
struct SnappedTitle
{
    clsTitle* title;
    qint64 Y;
    qint64 X;
    qint64 cx;
    qint64 rows;
};

struct TitleSnap
{
    qint64 unit = 1000;
    qint64 partTop = 0;
    qint64 depth = 0;
    std::vector<SnappedTitle> items;
};

TitleSnap SnapTitles(const std::vector<std::unique_ptr<clsTitle>>& titles)
{
    TitleSnap snap;
    qint64 smallest = 0;
    for (const auto& t : titles) {
        if (t->cy <= 0)
            continue;
        snap.items.push_back({t.get(), t->Y, t->X, t->cx, 0});
        if (smallest == 0 || t->cy < smallest)
            smallest = t->cy;
    }
    if (snap.items.empty())
        return snap;
    // The smallest title gives one row; a canvas of huge titles still counts rows of 1000.
    snap.unit = smallest > 0 ? std::min<qint64>(smallest, 1000) : 1000;
    qint64 top = std::numeric_limits<qint64>::max();
    qint64 bottom = std::numeric_limits<qint64>::min();
    for (SnappedTitle& s : snap.items) {
        s.rows = std::max<qint64>(1, (qint64(s.title->cy) + 50) / snap.unit);
        top = std::min(top, s.Y);
        bottom = std::max(bottom, s.Y + s.rows * snap.unit);
    }
    snap.partTop = top;
    snap.depth = (bottom - top + 100) / snap.unit;
    return snap;
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
    const auto of = [&](qint32 kind) {
        std::vector<const clsFormatRow*> kindRows;
        for (const clsFormatRow* r : rows)
            if (r->ModeEx == kind)
                kindRows.push_back(r);
        return kindRows;
    };
    if (!AddColsObjec(of(FormatKind::Column)) || Cols.empty())
        return;
    AddColsTitles(of(FormatKind::Title));
    GetGroupCols(of(FormatKind::Group));
    GetSumCols(of(FormatKind::Sum));
    ReadHelpID(of(FormatKind::HelpId));
    ok = true;
}

bool clsFieldsManager::AddColsObjec(const std::vector<const clsFormatRow*>& rows)
{
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
    QHash<qint32, std::vector<clsTitle*>> byLeft;
    for (const auto& t : Titles)
        byLeft[t->left].push_back(t.get());

    std::vector<qint64> prefix(1, 0);  // prefix[k] = widths of enabled columns numbered 1..k
    for (const auto& colPtr : Cols) {
        clsRepcol& C = *colPtr;
        if (!C.BlnEnable)
            continue;
        prefix.push_back(prefix.back() + C.Width);
        clsTitle* found = nullptr;
        const auto it = byLeft.constFind(C.Col);
        if (it != byLeft.constEnd()) {
            for (clsTitle* T : *it) {
                if (T->top == R || T->Height == R || qint64(T->top) + T->Height - 1 == R) {
                    found = T;
                    break;
                }
            }
        }
        if (found) {
            found->Col = C.Col;
            found->blnVisible = C.blnVisible;
            found->cx = C.Width;
        } else {
            auto title = std::make_unique<clsTitle>();
            title->name = C.name;
            title->nameForeign = C.name;
            title->Col = C.Col;
            title->left = C.Col;
            title->top = 1;
            title->Height = R;
            title->Width = 1;
            title->cx = C.Width;
            title->blnVisible = C.blnVisible;
            byLeft[title->left].push_back(title.get());
            Titles.push_back(std::move(title));
        }
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

void clsFieldsManager::GetGroupCols(const std::vector<const clsFormatRow*>& rows)
{
    QHash<QString, clsRepcol*> byName;
    for (auto& col : Cols) {
        if (!col->Expression.trimmed().isEmpty())
            col->TpyGroup = 1;
        const QString key = Key(col->name);
        if (!byName.contains(key))
            byName.insert(key, col.get());
    }
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

void clsFieldsManager::GetSumCols(const std::vector<const clsFormatRow*>& rows)
{
    QHash<QString, clsRepcol*> byName;
    for (auto& col : Cols) {
        const QString key = Key(col->name);
        if (!byName.contains(key))
            byName.insert(key, col.get());
    }
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
    // their places in the list, as drawn. A column added or enabled again since the
    // load carries no such number yet (0, or the one it was disabled with) and would
    // otherwise come back at another place. After a load the numbers already agree.
    qint32 number = 0;
    for (auto& col : Cols)
        if (col->BlnEnable)
            col->Col = ++number;
    AssignTitleLevels();
    // A title drawn without a caption keeps the one its save gives it.
    for (auto& t : Titles)
        t->nameForeign = SavedTitleCaption(*t);
    return true;
}

QString clsFieldsManager::SavedTitleCaption(const clsTitle& t)
{
    if (!t.nameForeign.trimmed().isEmpty())
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
        clsFormatRow row(FormatKind::Column);
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
        rows.push_back(std::move(row));
    }
    for (const auto& titlePtr : Titles) {
        const clsTitle& t = *titlePtr;
        clsFormatRow row(FormatKind::Title);
        row.Set(FldColumn::Name, t.name)
            .Set(FldColumn::nameForeign, SavedTitleCaption(t))
            .Set(FldColumn::TopEx, t.top)
            .Set(FldColumn::LeftEx, t.left)
            .Set(FldColumn::Width, t.Width)
            .Set(FldColumn::Height, t.Height)
            .Set(FldColumn::Visible, t.blnVisible ? 1 : 0);
        rows.push_back(std::move(row));
    }
    for (const auto& colPtr : Cols) {
        const clsRepcol& c = *colPtr;
        const bool notGroupable = c.TpyGroup == 0 && !c.Expression.trimmed().isEmpty();
        if (c.TpyGroup != 2 && !notGroupable)
            continue;
        clsFormatRow row(FormatKind::Group);
        row.Set(FldColumn::Name, c.name)
            .Set(FldColumn::nameForeign, c.name)
            .Set(FldColumn::OrderEx, c.TpyGroup == 0 ? -2 : (c.BlnGroupSum ? -1 : 0))
            .Set(FldColumn::iSize, c.BlnGroupAccount ? 1 : 0);
        rows.push_back(std::move(row));
    }
    for (const auto& colPtr : Cols) {
        const clsRepcol& c = *colPtr;
        if (c.Dtype != 0)
            continue;
        clsFormatRow row(FormatKind::Sum);
        row.Set(FldColumn::Name, c.name).Set(FldColumn::nameForeign, c.CaptionForeign).Set(FldColumn::OrderEx, c.lngSum);
        rows.push_back(std::move(row));
    }
    clsFormatRow help(FormatKind::HelpId);
    help.Set(FldColumn::OrderEx, m_lngHelpID);
    rows.push_back(std::move(help));
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
    const TitleSnap snap = SnapTitles(Titles);
    if (snap.depth >= 6) {
        ShowMessage(QStringLiteral("标题的逻辑层次超过五层，系统最大只支持五层复合标题的定义..."));
        return false;
    }
    return true;
}

// Level assignment: the stored title grid is derived from what the user arranged.
//
// 1. The drawn titles are snapped as in the level check: row unit u (smallest drawn
//    height, at most 1000), each title a whole number of rows; the title part starts
//    at the smallest drawn top. The number of levels L is the check's depth, kept
//    within 1..5.
// 2. Row: top = the title's offset from the part's top in rows, rounded to the nearest
//    row, plus 1; Height = its snapped rows. Both are clipped so the title stays inside
//    rows 1..L.
// 3. Columns: the enabled columns in list order are numbered 1..n (the numbers the
//    next load gives them) and placed at their drawn left and width; when none of
//    them has been drawn, at the running sum of their widths, as the canvas lays them
//    out. A column lies under a title when its centre falls within the title's drawn
//    span [X, X + cx). left = the smallest such number, Width = largest - smallest + 1.
//    A title that covers no column's centre takes the one column it overlaps most,
//    or, overlapping none, the column whose centre is nearest to its own.
// 4. A one-column title gets Col = left; a wider one Col = 0.
//
// Column centres are sorted once, so each title finds its columns by binary search.
// Titles without drawn geometry are not touched.
void clsFieldsManager::AssignTitleLevels()
{
    const TitleSnap snap = SnapTitles(Titles);
    if (snap.items.empty())
        return;
    const qint64 levels = std::clamp<qint64>(snap.depth, 1, 5);

    struct ColSpan
    {
        qint64 X;
        qint64 cx;
        qint32 number;
    };
    std::vector<ColSpan> spans;
    bool anyDrawn = false;
    for (const auto& col : Cols)
        if (col->BlnEnable && (col->cx != 0 || col->X != 0))
            anyDrawn = true;
    qint64 running = 0;
    for (const auto& col : Cols) {
        if (!col->BlnEnable)
            continue;
        const qint32 number = qint32(spans.size()) + 1;
        if (anyDrawn) {
            spans.push_back({col->X, col->cx, number});
        } else {
            spans.push_back({running, col->Width, number});
            running += col->Width;
        }
    }
    // Sorted by doubled centre (2X + cx), so no halves are lost.
    std::vector<std::pair<qint64, qint32>> centres;
    centres.reserve(spans.size());
    for (const ColSpan& s : spans)
        centres.emplace_back(2 * s.X + s.cx, s.number);
    std::sort(centres.begin(), centres.end());

    for (const SnappedTitle& s : snap.items) {
        clsTitle& t = *s.title;
        qint64 top = (s.Y - snap.partTop + snap.unit / 2) / snap.unit + 1;
        top = std::clamp<qint64>(top, 1, levels);
        const qint64 height = std::clamp<qint64>(s.rows, 1, levels - top + 1);
        t.top = qint32(top);
        t.Height = qint32(height);

        if (spans.empty())
            continue;
        qint32 first = std::numeric_limits<qint32>::max();
        qint32 last = 0;
        const qint64 lo = 2 * s.X;
        const qint64 hi = 2 * (s.X + s.cx);
        for (auto it = std::lower_bound(centres.begin(), centres.end(), std::make_pair(lo, qint32(0)));
             it != centres.end() && it->first < hi; ++it) {
            first = std::min(first, it->second);
            last = std::max(last, it->second);
        }
        if (last == 0) {
            qint64 bestOverlap = 0;
            qint64 bestDistance = std::numeric_limits<qint64>::max();
            qint32 best = spans.front().number;
            for (const ColSpan& c : spans) {
                const qint64 overlap = std::min(s.X + s.cx, c.X + c.cx) - std::max(s.X, c.X);
                const qint64 distance = std::abs((2 * c.X + c.cx) - (2 * s.X + s.cx));
                if (overlap > bestOverlap || (bestOverlap == 0 && overlap <= 0 && distance < bestDistance)) {
                    if (overlap > 0)
                        bestOverlap = overlap;
                    bestDistance = distance;
                    best = c.number;
                }
            }
            first = last = best;
        }
        t.left = first;
        t.Width = last - first + 1;
        t.Col = t.Width == 1 ? t.left : 0;
    }
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

// The view keeps the name it was created with until the record's new name is known:
// a renamed record is the one whose name has no view yet.
void clsFieldsManager::RefreshColLabel(const QString& oldName)
{
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    clsRepcol* c = FindCol(oldName);
    if (!c) {
        for (const auto& col : Cols)
            if (!scene->Find(clsCanvasScene::Kind::Column, col->name)
                && scene->Rename(clsCanvasScene::Kind::Column, oldName, col->name)) {
                c = col.get();
                break;
            }
    }
    if (!c)
        return;
    clsSceneElement* view = scene->Find(clsCanvasScene::Kind::Column, c->name);
    if (!view)
        return;
    c->cx = c->Width;
    view->caption = c->name;
    view->rect.width = c->Width;
    view->alignment = GetLabelAligent(c->AlignStyle);
    view->visible = c->BlnEnable && c->blnVisible;
}

void clsFieldsManager::RefreshTitleLabel(const QString& oldName)
{
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    clsTitle* t = FindTitle(oldName);
    if (!t) {
        for (const auto& title : Titles)
            if (!scene->Find(clsCanvasScene::Kind::Title, title->name)
                && scene->Rename(clsCanvasScene::Kind::Title, oldName, title->name)) {
                t = title.get();
                break;
            }
    }
    if (!t)
        return;
    clsSceneElement* view = scene->Find(clsCanvasScene::Kind::Title, t->name);
    if (!view)
        return;
    view->caption = t->nameForeign.trimmed().isEmpty() ? t->name : t->nameForeign;
    view->visible = t->blnVisible && !t->blnDelected;
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
        c->Col = number;
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
        if (!TypedLong(value, mm) || mm < 0)
            return false;
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
        if (!TypedLong(value, height))
            return false;
        c->Height = height;
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
        RefreshColLabel(c->name);
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
    // The grid values are derived again from the drawn layout at save; a typed value
    // counts as a change all the same, since a title never drawn keeps it.
    qint32* grid = nullptr;
    if (is(u"顶（行）"))
        grid = &t->top;
    else if (is(u"左（列）"))
        grid = &t->left;
    else if (is(u"宽（列数）"))
        grid = &t->Width;
    else if (is(u"高（行数）"))
        grid = &t->Height;
    if (grid) {
        qint32 number = 0;
        if (!TypedLong(value, number))
            return false;
        if (number != *grid)
            MarkDocChanged();
        *grid = number;
        return true;
    }
    if (is(u"显示")) {
        t->blnVisible = SameText(text.trimmed(), QStringLiteral("显示"));
        MarkDocChanged();
        RefreshTitleLabel(t->name);
        return true;
    }
    return false;
}
