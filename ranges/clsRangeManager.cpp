#include "clsRangeManager.h"
#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/clsDocument.h"
#include "document/clsFormatStore.h"
#include "document/modPublicDefine.h"
#include "columns/clsFieldsManager.h"
#include "columns/clsTitleGrid.h"
#include "designer/clsCanvasScene.h"
#include "labels/clsLabelManager.h"
#include <QHash>
#include <QSet>
#include <algorithm>
#include <limits>
#include <stdexcept>

namespace {
const QString kModule = QStringLiteral("clsRangeManager");
const QString kHidden = QStringLiteral("隐含");
const QString kShownPrinted = QStringLiteral("显示/打印");

// Menu items of the five standard ranges, in the order of m_menuChecked.
struct MenuOfRange
{
    const char* rangeName;
    const char* menuName;
};
const MenuOfRange kMenus[] = {
    {"标题区域", "mnuHead"},
    {"脚注区域", "mnuFoot"},
    {"页标题区域", "mnuPageHead"},
    {"页脚注区域", "mnuPageFoot"},
    {"正文区域", "mnuText"},
};

std::unique_ptr<clsRange> NewRange(const char* name, const char* kind, bool visible, qint32 height)
{
    auto range = std::make_unique<clsRange>();
    range->StrName = QString::fromUtf8(name);
    range->StrRangeType = QString::fromUtf8(kind);
    range->blnVisible = visible;
    range->strDisplayStyle = visible ? kShownPrinted : kHidden;
    range->top = 0;
    range->Height = height;
    return range;
}

// Millimetres typed in the grid, as twips. Blank or non-numeric text is refused
// rather than read as 0, so a slip of the keyboard never collapses a range.
bool TypedMmToTwips(const QString& value, qint32& twips)
{
    if (value.trimmed().isEmpty())
        return false;
    bool ok = false;
    const qint32 mm = ToLong(value, &ok);
    if (!ok)
        return false;
    try {
        twips = MmToTwips(mm);
    } catch (const std::overflow_error&) {
        return false;
    }
    return true;
}

QString MmText(qint32 twips)
{
    return QString::number(TwipsToMm(twips), 'f', 2);
}
}

clsRange* clsRangeManager::FindRange(const QString& StrName, bool trimmed) const
{
    const QString wanted = trimmed ? StrName.trimmed() : StrName;
    for (const auto& range : Ranges)
        if (SameText(range->StrName, wanted))
            return range.get();
    return nullptr;
}

void clsRangeManager::LoadRangeDefine(qint32 ID, bool& ok)
{
    ok = false;
    std::vector<clsFormatRow> rows;
    try {
        // Without a connection there is nothing to read: the report starts from the
        // standard ranges like a new one.
        if (clsConnection* conn = DocumentConnection())
            rows = clsFormatStore::ReadRows(*conn, ID, {FormatKind::Range});
    } catch (const std::exception& e) {
        m_lngID = ID;
        Ranges.clear();
        ReportException(e, kModule, QStringLiteral("LoadReportRang()"));
        return;
    }
    std::vector<const clsFormatRow*> mine;
    for (const clsFormatRow& r : rows)
        mine.push_back(&r);
    LoadRows(ID, mine, ok);
}

void clsRangeManager::LoadRows(qint32 ID, const std::vector<const clsFormatRow*>& rows, bool& ok)
{
    ok = false;
    m_lngID = ID;
    Ranges.clear();
    try {
        for (const clsFormatRow* row : rows) {
            auto range = std::make_unique<clsRange>();
            range->StrName = row->Text(FldColumn::Name);
            range->strGroupField = row->Text(FldColumn::nameForeign);
            range->strDisplayStyle = row->Text(FldColumn::FormatEx);
            range->StrRangeType = row->Text(FldColumn::Expression);
            range->lngLines = row->Long(FldColumn::iSize);
            range->blnVisible = !SameText(range->strDisplayStyle, kHidden);
            range->blnPageBreak = row->Long(FldColumn::iColSize) == 1;
            range->LngLineHeight = row->Long(FldColumn::iAlignStyle);
            range->top = row->Long(FldColumn::TopEx);
            range->left = row->Long(FldColumn::LeftEx);
            range->Width = row->Long(FldColumn::Width);
            range->Height = row->Long(FldColumn::Height);
            Ranges.push_back(std::move(range));
        }
        if (Ranges.empty()) {
            Ranges.push_back(NewRange("标题区域", "标题区", true, 1000));
            Ranges.push_back(NewRange("页标题区域", "页眉区", false, 1000));
            Ranges.push_back(NewRange("正文区域", "正文区", true, 1500));
            Ranges.push_back(NewRange("页脚注区域", "页尾区", false, 1000));
            Ranges.push_back(NewRange("脚注区域", "脚注区", false, 1000));
        }
        ok = true;
    } catch (const std::exception& e) {
        ReportException(e, kModule, QStringLiteral("LoadReportRang()"));
    }
}

void clsRangeManager::AppendRows(std::vector<clsFormatRow>& rows) const
{
    // Numbered as written, so a range left out leaves no gap that a load would close.
    qlonglong order = 0;
    for (size_t i = 0; i < Ranges.size(); ++i) {
        const clsRange& r = *Ranges[i];
        // A group range the user hid belongs to a group that no longer shows it;
        // the group window creates it again when needed.
        if (!Saved(r))
            continue;
        clsFormatRow& row = rows.emplace_back(FormatKind::Range);
        row.Set(FldColumn::OrderEx, ++order)
            .Set(FldColumn::Name, r.StrName)
            .Set(FldColumn::nameForeign, r.strGroupField)
            .Set(FldColumn::FormatEx, r.strDisplayStyle)
            .Set(FldColumn::Expression, r.StrRangeType)
            .Set(FldColumn::iSize, r.lngLines)
            .Set(FldColumn::iColSize, r.blnPageBreak ? 1 : 0)
            .Set(FldColumn::iAlignStyle, r.LngLineHeight)
            .Set(FldColumn::TopEx, r.top)
            .Set(FldColumn::LeftEx, r.left)
            .Set(FldColumn::Width, r.Width)
            .Set(FldColumn::Height, r.Height);
    }
}

void clsRangeManager::SaveRangeDefine(qint32 ID, bool& ok)
{
    ok = false;
    clsConnection* conn = DocumentConnection();
    if (!conn)
        return;
    try {
        std::vector<clsFormatRow> rows;
        AppendRows(rows);
        std::vector<const clsFormatRow*> all;
        for (const clsFormatRow& r : rows)
            all.push_back(&r);
        clsFormatStore::DeleteKinds(*conn, ID, {FormatKind::Range});
        clsFormatStore::InsertRows(*conn, ID, FormatKind::Range, all);
        ok = true;
    } catch (const std::exception& e) {
        ReportException(e, kModule);
    }
}

bool clsRangeManager::AddNewRange(const QString& StrName, const QString& StrRangeType, const QString& strGroupField)
{
    if (FindRange(StrName, true)) {
        ShowMessage(QStringLiteral("区域名称不能相同..."));
        return false;
    }
    MarkDocChanged();
    auto range = std::make_unique<clsRange>();
    range->StrName = StrName;
    range->StrRangeType = StrRangeType;
    range->strGroupField = strGroupField;
    range->blnVisible = false;
    range->Height = 1000;
    range->strDisplayStyle = kHidden;
    Ranges.push_back(std::move(range));
    return true;
}

void clsRangeManager::RangeTypeToName(const QString& StrRangeType, const QString&, QString& StrName) const
{
    StrName.clear();
    for (const auto& range : Ranges) {
        if (SameText(range->StrRangeType, StrRangeType)) {
            StrName = range->StrName;
            return;
        }
    }
}

QString clsRangeManager::GetRangeType(const QString& StrName) const
{
    const clsRange* range = FindRange(StrName, true);
    return range ? range->StrRangeType : QString();
}

bool clsRangeManager::GetRangeVisible(const QString& StrName) const
{
    const clsRange* range = FindRange(StrName, true);
    return range && range->blnVisible;
}

bool clsRangeManager::GetRangePart(const QString& StrName, qint32& left, qint32& top, qint32& Width,
                                   qint32& Height) const
{
    EnsureDocumentLayout();
    const clsRange* range = FindRange(StrName, true);
    if (!range)
        return false;
    left = range->left;
    top = range->top;
    Width = range->Width;
    Height = range->Height;
    return true;
}

bool clsRangeManager::SetRangePart(const QString& StrName, qint32 left, qint32 top, qint32 Width, qint32 Height)
{
    clsRange* range = FindRange(StrName, false);
    if (!range)
        return false;
    range->left = left;
    range->top = top;
    range->Width = Width;
    range->Height = Height;
    MarkDocChanged();
    return true;
}

void clsRangeManager::ChangeRangeHeight(const QString& StrName, qint32 change)
{
    clsRange* range = FindRange(StrName, false);
    if (!range)
        return;
    const qint32 height = std::max(Clamp32(qint64(range->Height) + change), ContentHeight(*range));
    if (height == range->Height)
        return;
    range->Height = height;
    MarkDocChanged();
}

void clsRangeManager::FitRange(const QString& StrName)
{
    clsRange* range = FindRange(StrName, true);
    if (!range)
        return;
    const qint32 needed = ContentHeight(*range);
    if (range->Height >= needed)
        return;
    range->Height = needed;
    MarkDocChanged();
}

qint32 clsRangeManager::ContentHeight(const clsRange& range) const
{
    qint64 needed = 0;
    if (SameText(range.StrRangeType.trimmed(), QStringLiteral("正文区"))) {
        if (const clsFieldsManager* fields = DocumentFields()) {
            qint64 columns = 0;
            for (const auto& c : fields->Cols)
                if (c->BlnEnable)
                    columns = std::max<qint64>(columns, fields->ColHeight(*c));
            // Title rows drawn lower than usual still count at their usual height: the
            // row height is not stored, and the body must hold its titles when the
            // report is opened again.
            const qint64 row = std::max(fields->TitleRowHeight, clsFieldsManager::DefaultTitleRowHeight);
            needed = 20 + qint64(clsTitleGrid::Depth(fields->Titles)) * row + 80 + columns;
        }
    } else if (const clsLabelManager* labels = DocumentLabels()) {
        for (const auto& l : labels->Labels)
            if (SameText(l->strRang.trimmed(), range.StrName.trimmed()))
                needed = std::max(needed, qint64(std::max(l->top, 0)) + std::max(l->Height, 0));
    }
    return Clamp32(needed);
}

void clsRangeManager::SetRangeVisible(const QString& StrName, bool visible)
{
    clsRange* range = FindRange(StrName, false);
    if (!range)
        return;
    MarkDocChanged();
    range->blnVisible = visible;
    if (!visible) {
        range->strDisplayStyle = kHidden;
        return;
    }
    const QString& kind = range->StrRangeType;
    if (SameText(kind, QStringLiteral("标题区")) || SameText(kind, QStringLiteral("正文区"))
        || SameText(kind, QStringLiteral("脚注区")))
        range->strDisplayStyle = kShownPrinted;
    else if (SameText(kind, QStringLiteral("页眉区")) || SameText(kind, QStringLiteral("页尾区")))
        range->strDisplayStyle = QStringLiteral("只打印");
    // Group ranges keep the attribute the user gave them.
}

void clsRangeManager::GetPointRange(qint32, qint32 Y, QString& StrName) const
{
    EnsureDocumentLayout();
    StrName.clear();
    qint32 lowestTop = 0;
    QString lowestName;
    for (const auto& range : Ranges) {
        // Only what the layout placed can be under a point.
        if (!range->blnVisible || !range->blnLaidOut)
            continue;
        if (range->top <= Y && qint64(Y) <= qint64(range->top) + range->Height) {
            StrName = range->StrName;
            return;
        }
        // A range at top 0 has not been laid out yet and never counts as the lowest.
        if (range->top > lowestTop) {
            lowestTop = range->top;
            lowestName = range->StrName;
        }
    }
    if (Y > lowestTop)
        StrName = lowestName;
}

QString clsRangeManager::ReadRangeProperty(const QString& StrName, const QString& PropName) const
{
    const clsRange* range = FindRange(StrName, false);
    if (!range)
        return QString();
    const clsRange& r = *range;
    const auto is = [&](const char* name) { return SameText(PropName, QString::fromUtf8(name)); };
    if (is("区域名称"))
        return r.StrName;
    if (is("区域类别"))
        return r.StrRangeType;
    if (is("显示属性"))
        return r.strDisplayStyle;
    if (is("是否分页"))
        return r.blnPageBreak ? QStringLiteral("分页") : QStringLiteral("不分页");
    if (is("上边距"))
        return MmText(r.top);
    // "下边距" and "右边距" are the range's height and width, whatever the captions say.
    if (is("下边距"))
        return MmText(r.Height);
    if (is("左边距"))
        return MmText(r.left);
    if (is("右边距"))
        return MmText(r.Width);
    if (is("每页打印行数"))
        return QString::number(r.lngLines);
    if (is("对应的分组列"))
        return r.strGroupField;
    if (is("打印行高"))
        return MmText(r.LngLineHeight);
    return QString();
}

bool clsRangeManager::SetRangeProperty(const QString& StrName, const QString& PropName, const QString& Value)
{
    clsRange* range = FindRange(StrName, false);
    if (!range)
        return false;
    clsRange& r = *range;
    const auto is = [&](const char* name) { return SameText(PropName, QString::fromUtf8(name)); };

    // Lengths: every one is refused untouched when the text is not a number.
    qint32* length = nullptr;
    if (is("上边距"))
        length = &r.top;
    else if (is("下边距"))
        length = &r.Height;
    else if (is("左边距"))
        length = &r.left;
    else if (is("右边距"))
        length = &r.Width;
    else if (is("打印行高"))
        length = &r.LngLineHeight;
    if (length) {
        qint32 twips = 0;
        if (!TypedMmToTwips(Value, twips))
            return false;
        if (length == &r.top) {
            // Where a range starts follows from the ranges above it.
            ShowMessage(QStringLiteral("区域的位置由上面的区域决定，不能修改上边距..."));
            return false;
        }
        if (length == &r.Height && twips < ContentHeight(r)) {
            ShowMessage(QStringLiteral("区域高度不能小于区域中对象占用的高度..."));
            return false;
        }
        if (twips < 0) {
            ShowMessage(QStringLiteral("数值不能小于0..."));
            return false;
        }
        if (*length != twips)
            MarkDocChanged();
        *length = twips;
        return true;
    }

    if (is("区域名称")) {
        r.StrName = Value;
    } else if (is("区域类别")) {
        r.StrRangeType = Value;
    } else if (is("对应的分组列")) {
        r.strGroupField = Value;
    } else if (is("是否分页")) {
        r.blnPageBreak = Value.trimmed() == QStringLiteral("分页");
        MarkDocChanged();
    } else if (is("每页打印行数")) {
        if (Value.trimmed().isEmpty())
            return false;
        bool ok = false;
        const qint32 lines = ToLong(Value, &ok);
        if (!ok)
            return false;
        r.lngLines = lines;
        MarkDocChanged();
    } else if (is("显示属性")) {
        const bool differs = !SameText(Value, r.strDisplayStyle);
        if (differs)
            MarkDocChanged();
        if (!SameText(r.strDisplayStyle, kHidden) && !SameText(Value, kHidden)) {
            r.strDisplayStyle = Value;
        } else if (differs) {
            // The range comes into view or leaves it: the bands below move.
            r.strDisplayStyle = Value;
            r.blnVisible = !SameText(Value, kHidden);
            ReDrawAllRangesAndObject();
        }
    }
    return true;
}

void clsRangeManager::ListMenu(const QString& StrName, bool mark)
{
    const QString name = StrName.trimmed();
    for (size_t i = 0; i < m_menuChecked.size(); ++i)
        if (name.isEmpty() || SameText(name, QString::fromUtf8(kMenus[i].rangeName)))
            m_menuChecked[i] = mark;
}

bool clsRangeManager::MenuChecked(const QString& menuName) const
{
    for (size_t i = 0; i < m_menuChecked.size(); ++i)
        if (SameText(menuName.trimmed(), QString::fromUtf8(kMenus[i].menuName)))
            return m_menuChecked[i];
    return false;
}

// ---------------------------------------------------------------------------------
// Canvas layout

namespace {
// The sheet is 2500 mm wide; strips and the title separator run across all of it.
constexpr qint32 kSheetWidthMm = 2500;
constexpr qint32 kSheetHeightMm = 1000;
constexpr qint32 kVRulerTicks = 300;
constexpr qint32 kHRulerTicks = 400;
// Titles start this far below the top of the body's working area, and the columns
// this far below the title block.
constexpr qint32 kTitleGap = 20;
constexpr qint32 kColumnGap = 80;

// Millimetres from a scroll bar or a stored paper size, as twips that cannot overflow.
qint32 SafeMmToTwips(qint32 mm)
{
    constexpr qint32 limit = std::numeric_limits<qint32>::max() / 56;
    return MmToTwips(std::clamp(mm, -limit, limit));
}

void FillRuler(clsSceneRuler& ruler, qint32 start, qint32 count)
{
    ruler.start = start;
    ruler.ticks.clear();
    ruler.ticks.reserve(size_t(count));
    for (qint32 i = 1; i <= count; ++i) {
        const qint64 c = qint64(start) + i - 1;
        const qint32 kind = c % 10 == 0 ? 3 : (c % 5 == 0 ? 2 : 1);
        ruler.ticks.push_back({MmToTwips(i), 30 * kind});
    }
}

clsRange* FirstOfKind(const clsRangeManager& m, const char* kind)
{
    const QString wanted = QString::fromUtf8(kind);
    for (const auto& range : m.Ranges)
        if (SameText(range->StrRangeType, wanted))
            return range.get();
    return nullptr;
}

}

void clsRangeManager::DrawBackView()
{
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    DrawBackRange(kSheetWidthMm, kSheetHeightMm);
    DrawVRote(scene->picLeftRote, 0);
    DrawHRote(scene->PicTopRote, 0);
    DrawScroll(2000, 700);
}

void clsRangeManager::DrawBackRange(qint32 widthMm, qint32 heightMm)
{
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    scene->picBack = {0, 0, SafeMmToTwips(widthMm), SafeMmToTwips(heightMm)};
    // The surface lies right of the vertical ruler and grows downwards with the ranges.
    scene->picDraw.left = clsCanvasScene::RulerThickness;
    scene->picDraw.top = 0;
    scene->picDraw.width = std::max(0, scene->picBack.width - clsCanvasScene::RulerThickness);
}

void clsRangeManager::DrawVRote(clsSceneRuler& ruler, qint32 start)
{
    qint32 toolbarBottom = 0;
    if (const clsCanvasScene* scene = DocumentScene())
        toolbarBottom = Clamp32(qint64(scene->ToolbarTop) + scene->ToolbarHeight);
    ruler.vertical = true;
    ruler.rect = {0, Clamp32(qint64(toolbarBottom) + 10), clsCanvasScene::RulerThickness, MmToTwips(kVRulerTicks)};
    FillRuler(ruler, start, kVRulerTicks);
}

void clsRangeManager::DrawHRote(clsSceneRuler& ruler, qint32 start)
{
    qint32 toolbarBottom = 0;
    if (const clsCanvasScene* scene = DocumentScene())
        toolbarBottom = Clamp32(qint64(scene->ToolbarTop) + scene->ToolbarHeight);
    ruler.vertical = false;
    ruler.rect = {0, toolbarBottom, MmToTwips(kHRulerTicks), clsCanvasScene::RulerThickness};
    FillRuler(ruler, start, kHRulerTicks);
}

void clsRangeManager::DrawVRotes(qint32 start)
{
    if (clsCanvasScene* scene = DocumentScene())
        DrawVRote(scene->picLeftRote, start);
}

void clsRangeManager::DrawHRotes(qint32 start)
{
    if (clsCanvasScene* scene = DocumentScene())
        DrawHRote(scene->PicTopRote, start);
}

void clsRangeManager::DrawScroll(qint32 hMax, qint32 vMax)
{
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    const auto set = [](clsSceneScrollBar& bar, qint32 max) {
        bar.min = 0;
        bar.max = max;
        bar.smallChange = 2;
        bar.largeChange = 25;
        bar.value = std::clamp(bar.value, bar.min, std::max(bar.min, max));
    };
    set(scene->HScroll1, hMax);
    set(scene->VScroll1, vMax);
}

void clsRangeManager::MoveBackVRange(qint32 mm)
{
    if (clsCanvasScene* scene = DocumentScene())
        scene->picBack.top = -SafeMmToTwips(mm);
}

void clsRangeManager::MoveBackHRange(qint32 mm)
{
    if (clsCanvasScene* scene = DocumentScene())
        scene->picBack.left = -SafeMmToTwips(mm);
}

void clsRangeManager::DrawPaperWidthTopic()
{
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    scene->PaperMarkBack.visible = false;
    scene->PaperMarkDraw.visible = false;
    const clsPrintSetting* print = g_objDocument->GetPrintObject();
    if (!print)
        return;
    qint32 width = 0;
    qint32 height = 0;
    print->GetPaperSize(print->LngPaperType, width, height);
    if (print->LngOrientation == 1)
        width = height;
    // A paper the catalogue does not know has no width to mark.
    if (width <= 0)
        return;
    const qint32 x = SafeMmToTwips(width);
    const qint32 bottom = MmToTwips(kSheetHeightMm);
    scene->PaperMarkBack = {x, 0, x, bottom, true};
    scene->PaperMarkDraw = {x - clsCanvasScene::RulerThickness, 0, x - clsCanvasScene::RulerThickness, bottom, true};
}

void clsRangeManager::DrawAllObjects()
{
    LayoutAll();
}

void clsRangeManager::DrawFormatReport()
{
    // The full pass below makes a pending one useless: the sheet is drawn without it.
    if (g_objDocument)
        g_objDocument->LayoutStarting();
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    // A document's scene starts without a sheet: lay the empty sheet out first.
    if (scene->picBack.width <= 0)
        DrawBackView();
    DrawPaperWidthTopic();
    DrawAllObjects();
}

void clsRangeManager::DrawAllRanges()
{
    LayoutAll();
}

void clsRangeManager::ReDrawAllRangesAndObject()
{
    LayoutAll();
}

// The one layout pass: everything on the canvas follows from the records, nothing from
// an earlier pass. The ranges are stacked kind by kind (title, group headers in column
// order, page header, body, page footer, group footers, report footer); each shown
// range gets its caption strip, its working area and its labels; the body also gets its
// titles, the separator under them and its columns. Ranges of a kind beyond the first,
// and group ranges of a column that is not grouping, take no place, and nor do their
// labels. Selection marks come last, around every selected object that is shown.
void clsRangeManager::LayoutAll()
{
    // Whatever was pending is done by this pass (the canvas is read during it).
    if (g_objDocument)
        g_objDocument->LayoutStarting();
    clsCanvasScene* scene = DocumentScene();
    clsLabelManager* labels = DocumentLabels();
    clsFieldsManager* fields = DocumentFields();
    if (scene) {
        scene->DeleteAllObjects();
        if (fields) {
            scene->Reserve(clsCanvasScene::Kind::Column, fields->Cols.size());
            scene->Reserve(clsCanvasScene::Kind::Title, fields->Titles.size());
        }
        if (labels)
            scene->Reserve(clsCanvasScene::Kind::Label, labels->Labels.size());
        scene->picDraw.width = std::max(0, MmToTwips(kSheetWidthMm) - clsCanvasScene::RulerThickness);
        scene->picDraw.height = 0;
    }
    ListMenu(QString(), false);
    pTitleHeight = 0;
    pColHeight = 0;
    for (auto& range : Ranges)
        range->blnLaidOut = false;

    // Labels by their range, built once so the pass stays linear.
    QHash<QString, std::vector<clsLabel*>> labelsOf;
    if (labels)
        for (const auto& label : labels->Labels) {
            label->BlnVisibled = false;
            labelsOf[label->strRang.trimmed().toLower()].push_back(label.get());
        }

    qint64 y = 0;
    const auto place = [&](clsRange* r, bool detail) {
        if (r->blnLaidOut)
            return;
        r->blnLaidOut = true;
        r->top = Clamp32(y + clsCanvasScene::StripHeight);
        if (scene) {
            clsSceneElement& strip = scene->Obtain(clsCanvasScene::Kind::Strip, r->StrName);
            strip.tag = r->StrName;
            strip.caption = r->StrName;
            strip.rect = {0, Clamp32(y), MmToTwips(kSheetWidthMm), clsCanvasScene::StripHeight};
            strip.visible = true;
        }
        y += clsCanvasScene::StripHeight + std::max<qint64>(r->Height, 0);
        const auto it = labelsOf.constFind(r->StrName.trimmed().toLower());
        if (it != labelsOf.constEnd())
            for (clsLabel* l : *it)
                labels->PlaceLabelView(*l, r->top);
        if (detail)
            LayoutBody(*r);
    };
    const auto single = [&](const char* kind, bool detail) {
        clsRange* r = FirstOfKind(*this, kind);
        if (!r || !r->blnVisible)
            return;
        ListMenu(r->StrName, true);
        place(r, detail);
    };
    // Group ranges by the column they belong to (first of each kind wins).
    QHash<QString, clsRange*> headers;
    QHash<QString, clsRange*> footers;
    for (const auto& range : Ranges) {
        QHash<QString, clsRange*>* byField = nullptr;
        if (SameText(range->StrRangeType, QStringLiteral("分组标题区")))
            byField = &headers;
        else if (SameText(range->StrRangeType, QStringLiteral("分组脚注区")))
            byField = &footers;
        const QString key = range->strGroupField.trimmed().toLower();
        if (byField && !byField->contains(key))
            byField->insert(key, range.get());
    }
    const auto groups = [&](const QHash<QString, clsRange*>& byField) {
        if (!fields || byField.isEmpty())
            return;
        for (const auto& col : fields->Cols) {
            if (col->TpyGroup != 2 || !col->BlnEnable || !col->blnVisible)
                continue;
            clsRange* r = byField.value(col->name.trimmed().toLower());
            if (r && r->blnVisible)
                place(r, false);
        }
    };
    single("标题区", false);
    groups(headers);
    single("页眉区", false);
    single("正文区", true);
    single("页尾区", false);
    groups(footers);
    single("脚注区", false);

    // Nothing stays selected that cannot be seen: a key must never move or delete it.
    if (labels)
        for (const auto& l : labels->Labels)
            if (!l->BlnVisibled)
                l->blnSelected = false;
    if (fields) {
        const clsRange* body = FirstOfKind(*this, "正文区");
        const bool bodyShown = body && body->blnLaidOut;
        for (const auto& c : fields->Cols)
            if (!bodyShown || !c->BlnEnable || !c->blnVisible)
                c->blnSelected = false;
        for (const auto& t : fields->Titles)
            if (!bodyShown || !t->blnVisible || t->blnDelected)
                t->blnSelected = false;
    }
    if (!scene)
        return;
    scene->picDraw.height = Clamp32(y);
    DrawPaperWidthTopic();
    // Selection marks around what is selected and shown.
    // Only the selected are looked up: a pass over a large report selects few.
    const auto mark = [&](clsCanvasScene::Kind kind, const QString& name) {
        if (clsSceneElement* view = scene->Find(kind, name))
            if (view->visible) {
                view->selected = true;
                scene->ShowSizeHandles(*view);
            }
    };
    if (labels)
        for (const auto& l : labels->Labels)
            if (l->blnSelected)
                mark(clsCanvasScene::Kind::Label, l->StrName);
    if (fields) {
        for (const auto& c : fields->Cols)
            if (c->blnSelected && c->BlnEnable)
                mark(clsCanvasScene::Kind::Column, c->name);
        for (const auto& t : fields->Titles)
            if (t->blnSelected)
                mark(clsCanvasScene::Kind::Title, t->name);
    }
}

void clsRangeManager::LayoutBody(clsRange& body)
{
    clsCanvasScene* scene = DocumentScene();
    clsFieldsManager* fields = DocumentFields();
    const qint32 top = body.top;
    const qint32 colHeight = scene ? scene->ColumnTemplate().rect.height : 300;
    qint32 bottom = Clamp32(qint64(top) + kTitleGap);
    if (fields)
        fields->DrawTitleObjects(bottom, fields->TitleRowHeight, bottom);
    if (scene)
        scene->lineBreak = {0, bottom, MmToTwips(kSheetWidthMm), bottom, true};
    pTitleHeight = Clamp32(qint64(bottom) - top);
    if (fields) {
        bool ok = false;
        fields->DrawColObjects(Clamp32(qint64(bottom) + kColumnGap), colHeight, ok);
    }
    // What the range has left under the separator line.
    pColHeight = Clamp32(std::max<qint64>(0, qint64(top) + body.Height - (qint64(bottom) + clsCanvasScene::LineThickness)));
}

void clsRangeManager::DrawRange(const QString& StrName, qint32, qint32& y, bool)
{
    // Kept for callers that walk one range: the whole canvas is laid out again and y
    // moves past the range as the pass placed it.
    LayoutAll();
    if (const clsRange* range = FindRange(StrName, true))
        if (range->blnLaidOut)
            y = Clamp32(qint64(range->top) + std::max(range->Height, 0));
}

void clsRangeManager::DrawDetailRange(const QString& StrName, qint32 Height, qint32& y, bool visible)
{
    DrawRange(StrName, Height, y, visible);
}

void clsRangeManager::HideRangeViews(const QString& StrName)
{
    if (clsCanvasScene* scene = DocumentScene())
        if (clsSceneElement* strip = scene->Find(clsCanvasScene::Kind::Strip, StrName))
            strip->visible = false;
    if (clsLabelManager* labels = DocumentLabels())
        labels->HideRnageAllLabels(StrName, false);
}

void clsRangeManager::DeleteAllObjects()
{
    if (clsCanvasScene* scene = DocumentScene())
        scene->DeleteAllObjects();
}

void clsRangeManager::DispalyAllObjects(const QString& kind, bool visible)
{
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    const QString k = kind.trimmed();
    if (SameText(k, QStringLiteral("标签")))
        scene->SetKindShown(clsCanvasScene::Kind::Label, visible);
    else if (SameText(k, QStringLiteral("列")))
        scene->SetKindShown(clsCanvasScene::Kind::Column, visible);
    else if (SameText(k, QStringLiteral("区域")))
        scene->SetKindShown(clsCanvasScene::Kind::Strip, visible);
    else if (SameText(k, QStringLiteral("标题")))
        scene->SetKindShown(clsCanvasScene::Kind::Title, visible);
}

QString clsRangeManager::RangeAboveStrip(const QString& StrName) const
{
    const clsRange* below = FindRange(StrName);
    if (!below)
        return QString();
    const clsRange* above = nullptr;
    for (const auto& r : Ranges)
        if (r.get() != below && r->blnVisible && r->top < below->top && (!above || r->top > above->top))
            above = r.get();
    return above ? above->StrName : QString();
}
