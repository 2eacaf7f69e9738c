#include "clsLabelManager.h"
#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/clsDocument.h"
#include "document/clsFormatStore.h"
#include "document/modPublicDefine.h"
#include "designer/clsCanvasScene.h"
#include "expressions/clsFunction.h"
#include "properties/modDisplayFormat.h"
#include "ranges/clsRangeManager.h"
#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {
const QString kModule = QStringLiteral("clsLabelManager");

// Splits at the first separator: the head as it stands, the rest trimmed. Without a
// separator the whole text (trimmed) is the head and the rest is empty.
bool SplitText(const QString& text, const QString& separator, QString& head, QString& rest)
{
    // Letter case matters only to a separator with letters; a punctuation mark is found
    // without folding the text.
    const bool letters = std::any_of(separator.begin(), separator.end(), [](QChar c) { return c.isLetter(); });
    const int at = text.indexOf(separator, 0, letters ? Qt::CaseInsensitive : Qt::CaseSensitive);
    if (at >= 0) {
        head = text.left(at);
        rest = text.mid(at + separator.size()).trimmed();
        return true;
    }
    head = text.trimmed();
    rest.clear();
    return false;
}

QString BoolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// Conversions of one piece of a stored font text; False leaves the property alone.
bool PieceToBool(const QString& piece, bool& value)
{
    if (piece.trimmed().isEmpty())
        return false;
    try {
        value = CBool(QVariant(piece));
        return true;
    } catch (const clsDatabaseError&) {
        return false;
    }
}

bool PieceToLong(const QString& piece, qint32& value)
{
    if (piece.trimmed().isEmpty())
        return false;
    bool ok = false;
    value = ToLong(piece, &ok);
    return ok;
}

bool PieceToShort(const QString& piece, qint16& value)
{
    qint32 v = 0;
    if (!PieceToLong(piece, v) || v < std::numeric_limits<qint16>::min() || v > std::numeric_limits<qint16>::max())
        return false;
    value = qint16(v);
    return true;
}

// A typed whole number; blank text is not a number here.
bool TypedLong(const QString& value, qint32& result)
{
    return PieceToLong(value, result);
}

bool TypedMmToTwips(const QString& value, qint32& twips)
{
    qint32 mm = 0;
    if (!TypedLong(value, mm))
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

QString AlignText(qint32 align)
{
    switch (align) {
    case 0: return QStringLiteral("左对齐");
    case 1: return QStringLiteral("右对齐");
    case 2: return QStringLiteral("居中");
    case 3: return QStringLiteral("默认");
    default: return QString();
    }
}

bool TextToAlign(const QString& text, qint32& align)
{
    const QString t = text.trimmed();
    for (qint32 code = 0; code <= 3; ++code) {
        if (t == AlignText(code)) {
            align = code;
            return true;
        }
    }
    return false;
}
}

clsLabel* clsLabelManager::FindLabel(const QString& StrName, bool trimmed) const
{
    const QString wanted = trimmed ? StrName.trimmed() : StrName;
    for (const auto& label : Labels)
        if (SameText(label->StrName, wanted))
            return label.get();
    return nullptr;
}

bool clsLabelManager::InLabels(const QString& StrName) const
{
    return FindLabel(StrName, true) != nullptr;
}

clsFont* clsLabelManager::GetFontPropObject(const QString& StrName) const
{
    clsLabel* label = FindLabel(StrName, true);
    return label ? &label->tpyFont : nullptr;
}

QString clsLabelManager::FontToText(const clsFont& font)
{
    // Labels next to each other mostly share their font: the last text is kept, so a
    // snapshot of many labels builds few texts. Kept per thread: a save takes its
    // snapshot on a thread of its own.
    static thread_local clsFont lastFont;
    static thread_local QString lastText;
    // (A size of -0 equals 0 but writes apart.)
    if (!lastText.isNull() && font == lastFont && std::signbit(font.Size) == std::signbit(lastFont.Size))
        return lastText;
    const QString sep = QStringLiteral(",");
    lastFont = font;
    return lastText = BoolText(font.Bold) + sep + QString::number(font.Charset) + sep + BoolText(font.Italic) + sep + font.Name
        + sep + QString::number(font.Size) + sep + BoolText(font.Strikethrough) + sep + BoolText(font.Underline) + sep
        + QString::number(font.Weight);
}

void clsLabelManager::TextToFont(const QString& text, clsFont& font)
{
    // Most labels of a report share a handful of font texts, and loading always starts
    // from the default font: those results are kept, bounded, for the next label.
    static thread_local QHash<QString, clsFont> parsed;
    const bool fromDefault = font == clsFont();
    if (fromDefault) {
        const auto it = parsed.constFind(text);
        if (it != parsed.constEnd()) {
            font = it.value();
            return;
        }
    }
    ParseFontText(text, font);
    if (fromDefault) {
        if (parsed.size() >= 4096)
            parsed.clear();
        parsed.insert(text, font);
    }
}

void clsLabelManager::ParseFontText(const QString& text, clsFont& font)
{
    QString rest = text;
    for (int piece = 0; piece < 8; ++piece) {
        if (rest.isEmpty())
            return;  // the text ended early: the remaining properties keep their values
        QString head;
        const bool more = SplitText(rest, QStringLiteral(","), head, rest);
        qint32 number = 0;
        switch (piece) {
        case 0: PieceToBool(head, font.Bold); break;
        case 1: PieceToShort(head, font.Charset); break;
        case 2: PieceToBool(head, font.Italic); break;
        case 3:
            // A blank around a font name would only keep the font from being found.
            if (!head.trimmed().isEmpty())
                font.Name = head.trimmed();
            break;
        case 4:
            // Sizes are kept whole; a size that is not positive is no size at all.
            if (PieceToLong(head, number) && number > 0)
                font.Size = number;
            break;
        case 5: PieceToBool(head, font.Strikethrough); break;
        case 6: PieceToBool(head, font.Underline); break;
        case 7: PieceToShort(head, font.Weight); break;
        }
        if (!more)
            return;
    }
}

void clsLabelManager::LoadReportLabels(qint32 ID, bool& ok)
{
    ok = false;
    std::vector<clsFormatRow> rows;
    // Loading never troubles the user: a report whose rows cannot be read still opens
    // with its title label.
    if (clsConnection* conn = DocumentConnection()) {
        try {
            rows = clsFormatStore::ReadRows(*conn, ID, {FormatKind::Label});
            ok = true;
        } catch (const std::exception&) {
        }
    }
    std::vector<const clsFormatRow*> mine;
    for (const clsFormatRow& r : rows)
        mine.push_back(&r);
    LoadRows(ID, mine);
}

void clsLabelManager::LoadRows(qint32 ID, const std::vector<const clsFormatRow*>& rows, bool exactly)
{
    m_lngID = ID;
    Labels.clear();
    Labels.reserve(rows.size());
    for (const clsFormatRow* row : rows) {
        auto label = std::make_unique<clsLabel>();
        // A value that does not convert leaves the field at its default.
        const auto text = [&](FldColumn column, QString& target) { target = row->Text(column); };
        const auto number = [&](FldColumn column, qint32& target) {
            try {
                target = row->Long(column);
            } catch (const std::exception&) {
            }
        };
        text(FldColumn::Name, label->StrName);
        text(FldColumn::nameForeign, label->strRang);
        text(FldColumn::FormatEx, label->StrDispStyle);
        TextToFont(row->Text(FldColumn::Condition), label->tpyFont);
        number(FldColumn::iAlignStyle, label->AlignStyle);
        QString head;
        QString rest;
        SplitText(row->Text(FldColumn::Note), QStringLiteral(";"), head, rest);
        label->StrDataSouType = head.trimmed();
        SplitText(rest, QStringLiteral(";"), label->StrFormat, rest);
        label->StrFuncGroup = rest.trimmed();
        number(FldColumn::iColSize, label->LngFirst);
        text(FldColumn::Expression, label->strSou);
        number(FldColumn::TopEx, label->top);
        number(FldColumn::LeftEx, label->left);
        number(FldColumn::Height, label->Height);
        number(FldColumn::Width, label->Width);
        label->BlnVisibled = true;
        Labels.push_back(std::move(label));
    }
    if (Labels.empty() && !exactly) {
        AddDefaultLabels();
        // The title range holds the title it is given.
        if (clsRangeManager* ranges = DocumentRanges())
            if (clsRange* range = ranges->FindRange(Labels.back()->strRang))
                range->Height = std::max(range->Height, ranges->ContentHeight(*range));
    }
}

void clsLabelManager::AppendRows(std::vector<clsFormatRow>& rows) const
{
    // Every label is written, also one whose range is hidden: hiding a range must not
    // lose its labels, which come back when the range is shown again. Only a hidden
    // group range is not written at all (its group no longer shows it), and its labels
    // go with it, so no stored label names a range that is not stored.
    const clsRangeManager* ranges = DocumentRanges();
    qlonglong order = 0;
    // Labels mostly follow each other range by range: the last range found is asked first.
    QString lastRange;
    bool lastSaved = true;
    for (size_t i = 0; i < Labels.size(); ++i) {
        const clsLabel& l = *Labels[i];
        if (ranges) {
            if (i == 0 || l.strRang != lastRange) {
                const clsRange* r = ranges->FindRange(l.strRang, true);
                lastRange = l.strRang;
                lastSaved = !r || clsRangeManager::Saved(*r);
            }
            if (!lastSaved)
                continue;
        }
        QString note;
        note.reserve(l.StrDataSouType.size() + l.StrFormat.size() + l.StrFuncGroup.size() + 2);
        note.append(l.StrDataSouType).append(QLatin1Char(';')).append(l.StrFormat).append(QLatin1Char(';')).append(l.StrFuncGroup);
        clsFormatRow& row = rows.emplace_back(FormatKind::Label);
        row.Set(FldColumn::OrderEx, ++order)
            .Set(FldColumn::Name, l.StrName)
            .Set(FldColumn::nameForeign, l.strRang)
            .Set(FldColumn::FormatEx, l.StrDispStyle)
            .Set(FldColumn::Condition, FontToText(l.tpyFont))
            .Set(FldColumn::iAlignStyle, l.AlignStyle)
            .Set(FldColumn::Note, note)
            .Set(FldColumn::iColSize, l.LngFirst)
            .Set(FldColumn::Expression, l.strSou)
            .Set(FldColumn::TopEx, l.top)
            .Set(FldColumn::LeftEx, l.left)
            .Set(FldColumn::Height, l.Height)
            .Set(FldColumn::Width, l.Width);
    }
}

void clsLabelManager::SaveReportLabels(qint32 ID, bool& ok)
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
        clsFormatStore::DeleteKinds(*conn, ID, {FormatKind::Label});
        clsFormatStore::InsertRows(*conn, ID, FormatKind::Label, all);
        ok = true;
    } catch (const std::exception& e) {
        ReportException(e, kModule, QStringLiteral("SaveReportLabels()"));
    }
}

void clsLabelManager::AddDefaultLabels()
{
    auto label = std::make_unique<clsLabel>();
    label->StrName = QStringLiteral("报表标题");
    if (clsRangeManager* ranges = DocumentRanges())
        ranges->RangeTypeToName(QStringLiteral("标题区"), QString(), label->strRang);
    label->StrDataSouType = QStringLiteral("公式");
    label->strSou = QStringLiteral("GetReportName()");
    label->StrFuncGroup = QStringLiteral("系统内置公式");
    label->AlignStyle = 2;
    label->LngFirst = 0;
    label->BlnVisibled = true;
    clsFont& font = label->tpyFont;
    font.Name = QStringLiteral("宋体");
    font.Size = 15;
    font.Bold = true;
    font.Weight = 800;
    font.Charset = 134;
    font.Italic = false;
    font.Underline = false;
    font.Strikethrough = false;
    label->left = 2000;
    label->top = 100;
    label->Width = 8000;
    label->Height = 500;
    Labels.push_back(std::move(label));
}

QString clsLabelManager::GetLabelProperty(const QString& StrName, const QString& PropName) const
{
    const clsLabel* label = FindLabel(StrName, false);
    if (!label)
        return QString();
    const clsLabel& l = *label;
    const auto is = [&](const char* name) { return SameText(PropName, QString::fromUtf8(name)); };
    if (is("名称"))
        return l.StrName;
    if (is("所属区域"))
        return l.strRang;
    if (is("对齐方式"))
        return AlignText(l.AlignStyle);
    if (is("上边距"))
        return MmText(l.top);
    if (is("左边距"))
        return MmText(l.left);
    if (is("宽度"))
        return MmText(l.Width);
    if (is("高度"))
        return MmText(l.Height);
    if (is("标签显示方式"))
        return l.StrDispStyle;
    if (is("数据源类型"))
        return l.StrDataSouType;
    if (is("数据源"))
        return l.strSou;
    if (is("是否有效"))
        return BoolText(l.BlnEnable);
    if (is("优先级"))
        return QString::number(l.LngFirst);
    if (is("显示格式"))
        return DisplayFormatToEntry(l.StrFormat, FormatOwner::Label);
    if (is("公式分组"))
        return l.StrFuncGroup;
    return QString();
}

bool clsLabelManager::EditLabelProperty(QString& StrName, const QString& PropName, const QString& Value)
{
    clsLabel* label = FindLabel(StrName, false);
    if (!label)
        return false;
    clsLabel& l = *label;
    const auto is = [&](const char* name) { return SameText(PropName, QString::fromUtf8(name)); };
    try {
        if (is("名称")) {
            const QString name = Value.trimmed();
            if (name.isEmpty()) {
                ShowMessage(QStringLiteral("必须有标签名称..."));
                return false;
            }
            if (name == l.StrName)
                return true;  // already so: nothing to store, nothing to say
            // Another label of that name, in any letter case; a change of case alone is allowed.
            for (const auto& other : Labels) {
                if (other.get() != label && SameText(other->StrName, name)) {
                    ShowMessage(QStringLiteral("标签名称重复..."));
                    return false;
                }
            }
            // Under its new name the label may be one that others refer to.
            if (!AcyclicSource(l, name, l.StrDataSouType, l.strSou))
                return false;
            // The label's view goes with it under the new name.
            if (clsCanvasScene* scene = DocumentScene())
                scene->Rename(clsCanvasScene::Kind::Label, l.StrName, name);
            l.StrName = name;
            MarkDocChanged();
            RefreshLabelsList(name);
            StrName = name;
            return true;
        }
        if (is("所属区域")) {
            const QString target = Value.trimmed();
            if (SameText(target, l.strRang))
                return true;
            if (l.blnlimited) {
                ShowMessage(QStringLiteral("标签对象不能移动到其他区域，数据源有区域限制..."));
                return false;
            }
            clsRangeManager* ranges = DocumentRanges();
            const clsRange* range = ranges ? ranges->FindRange(target) : nullptr;
            // Labels never live in the body range, which holds the columns.
            if (!range || !ranges->GetRangeVisible(target)
                || SameText(range->StrRangeType, QStringLiteral("正文区"))) {
                ShowMessage(QStringLiteral("目标区域不可用..."));
                return false;
            }
            l.strRang = range->StrName;
            ranges->FitRange(l.strRang);
            MarkDocChanged();
            return true;
        }
        if (is("对齐方式")) {
            qint32 align = 0;
            if (!TextToAlign(Value, align))
                return false;
            if (align != l.AlignStyle) {
                l.AlignStyle = align;
                MarkDocChanged();
                RefreshLabelsList(l.StrName);
            }
            return true;
        }
        qint32* length = nullptr;
        if (is("上边距"))
            length = &l.top;
        else if (is("左边距"))
            length = &l.left;
        else if (is("宽度"))
            length = &l.Width;
        else if (is("高度"))
            length = &l.Height;
        if (length) {
            qint32 twips = 0;
            if (!TypedMmToTwips(Value, twips))
                return false;
            // A label keeps inside its range: no negative place or size; the range
            // grows to hold it.
            if (twips < 0 || ((length == &l.Width || length == &l.Height) && twips == 0)) {
                ShowMessage(QStringLiteral("数值必须大于0..."));
                return false;
            }
            if (*length != twips)
                MarkDocChanged();
            *length = twips;
            if (clsRangeManager* ranges = DocumentRanges())
                ranges->FitRange(l.strRang);
            return true;
        }
        if (is("标签显示方式")) {
            l.StrDispStyle = Value;
            MarkDocChanged();
            RefreshLabelsList(l.StrName);
            return true;
        }
        if (is("数据源类型")) {
            if (!AcyclicSource(l, l.StrName, Value, l.strSou))
                return false;
            l.StrDataSouType = Value;
            MarkDocChanged();
            return true;
        }
        if (is("数据源")) {
            if (!AcyclicSource(l, l.StrName, l.StrDataSouType, Value))
                return false;
            l.strSou = Value;
            MarkDocChanged();
            RefreshLabelsList(l.StrName);
            return true;
        }
        if (is("是否有效")) {
            bool enable = false;
            if (!PieceToBool(Value, enable))
                return false;
            l.BlnEnable = enable;
            MarkDocChanged();
            return true;
        }
        if (is("优先级")) {
            qint32 first = 0;
            if (!TypedLong(Value, first))
                return false;
            l.LngFirst = first;
            MarkDocChanged();
            return true;
        }
        if (is("公式分组")) {
            l.StrFuncGroup = Value;
            return true;
        }
        if (is("显示格式")) {
            const QString entry = Value.trimmed();
            // A label has no row to be a percentage of.
            if (SameText(entry, QStringLiteral("行百分比"))) {
                ShowMessage(QStringLiteral("标签不支持该数据显示格式"), PromptIcon::Information);
                return false;
            }
            l.StrFormat = DisplayFormatToCode(entry, FormatOwner::Label);
            MarkDocChanged();
            RefreshLabelsList(l.StrName);
            return true;
        }
    } catch (const std::exception&) {
        // A value the field cannot take: the label stays as it was.
        return false;
    }
    return false;
}

bool clsLabelManager::SetLabelFunction(const QString& StrName, const clsFunction* func, const QString& formulaText)
{
    clsLabel* label = FindLabel(StrName, false);
    if (!label)
        return false;
    clsLabel& l = *label;
    if (func && !func->strLimitRange.trimmed().isEmpty()) {
        clsRangeManager* ranges = DocumentRanges();
        const QString kind = ranges ? ranges->GetRangeType(l.strRang) : QString();
        if (kind.isEmpty() || !func->strLimitRange.contains(kind, Qt::CaseInsensitive)) {
            ShowMessage(QStringLiteral("区域（") + l.strRang + QStringLiteral("）中不能设置该标签公式..."));
            return false;
        }
    }
    if (!AcyclicSource(l, l.StrName, QStringLiteral("公式"), formulaText))
        return false;
    l.strSou = formulaText;
    if (func) {
        l.LngFirst = func->LngFirst;
        l.blnlimited = func->blnlimited;
        l.StrFuncGroup = func->blnUserDefine ? QStringLiteral("自定义公式") : QStringLiteral("系统内置公式");
    } else {
        // A formula the catalogue does not know carries no range limit.
        l.blnlimited = false;
    }
    MarkDocChanged();
    RefreshLabelsList(l.StrName);
    return true;
}

namespace {
// The height a label needs for one line of a font: the faces the canvas paints with
// take about one and a half times their size, plus a little room; never less than
// the height a drawn label starts with (which 9 points, the default, just fills).
qint32 FittingHeight(double points)
{
    constexpr qint32 kDrawnHeight = 300;
    const double size = points > 0 ? std::min(points, 1638.0) : 0.0;
    return std::max(kDrawnHeight, qint32(std::ceil(size * 20 * 1.5)) + 30);
}
}

bool clsLabelManager::SetLabelFont(const QString& StrName, const clsFont& font)
{
    clsLabel* label = FindLabel(StrName, false);
    if (!label)
        return false;
    // A label as tall as its old font needed follows the new font, so a bigger font
    // never cuts the text off; a height the user chose is left alone.
    if (label->Height == FittingHeight(label->tpyFont.Size))
        label->Height = FittingHeight(font.Size);
    label->tpyFont = font;
    MarkDocChanged();
    RefreshLabelsList(label->StrName);
    return true;
}

// ---------------------------------------------------------------------------------
// Canvas layout

namespace {
const QString kHiddenStyle = QStringLiteral("隐含");

// A label's own alignment codes: 0 left, 1 right, 2 centred.
clsSceneAlign LabelAlign(qint32 AlignStyle)
{
    switch (AlignStyle) {
    case 1:
        return clsSceneAlign::Right;
    case 2:
        return clsSceneAlign::Centre;
    default:
        return clsSceneAlign::Left;
    }
}

qint32 Below(qint32 rangeTop, qint32 offset)
{
    return qint32(std::clamp<qint64>(qint64(rangeTop) + offset, std::numeric_limits<qint32>::min(),
                                     std::numeric_limits<qint32>::max()));
}

void FillLabelView(clsSceneElement& view, const clsLabel& l, qint32 rangeTop)
{
    view.rect = {l.left, Below(rangeTop, l.top), l.Width, l.Height};
    view.caption = l.strSou.trimmed().isEmpty() ? l.StrName : l.strSou;
    view.alignment = LabelAlign(l.AlignStyle);
    view.font = l.tpyFont;
    view.hiddenAttribute = SameText(l.StrDispStyle.trimmed(), kHiddenStyle);
    view.selected = l.blnSelected;
}

bool InRange(const clsLabel& label, const QString& range)
{
    return SameText(label.strRang.trimmed(), range.trimmed());
}
}

void clsLabelManager::PlaceLabelView(clsLabel& l, qint32 rangeTop)
{
    l.BlnVisibled = true;
    clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    clsSceneElement& view = scene->Obtain(clsCanvasScene::Kind::Label, l.StrName);
    FillLabelView(view, l, rangeTop);
    view.selected = false;
    view.visible = true;
}

// The canvas shows labels as the layout pass places them; these only ask for that pass.
void clsLabelManager::ReDrawLabels(const QString&, qint32, bool)
{
    MarkLayoutDirty();
}

void clsLabelManager::HideRnageAllLabels(const QString&, bool)
{
    MarkLayoutDirty();
}

void clsLabelManager::MoveRangelables(const QString&, qint32)
{
    MarkLayoutDirty();
}

void clsLabelManager::NewPartListobject()
{
    MarkLayoutDirty();
}

void clsLabelManager::RefreshLabelsList(const QString&)
{
    MarkLayoutDirty();
}

// ---------------------------------------------------------------------------------
// Editing on the canvas

namespace {
const QString kBodyRange = QStringLiteral("正文区");

// A width or height dragged past the opposite edge collapses to a small box that can
// still be grabbed again.
constexpr qint32 kCollapsedSize = 5;

bool IsBodyRange(const clsRangeManager& ranges, const QString& name)
{
    return SameText(ranges.ReadRangeProperty(name, QStringLiteral("区域类别")).trimmed(), kBodyRange);
}
}

QString clsLabelManager::NewLabelName() const
{
    const qint64 count = qint64(Labels.size());
    for (qint64 k = 1;; ++k) {
        const QString candidate = QStringLiteral("标签") + QString::number(count + k);
        if (!InLabels(candidate))
            return candidate;
    }
}

clsLabel* clsLabelManager::AddLabels(const QString& StrRange, qint32 x, qint32 y, qint32 Width, qint32 Height,
                                     std::unique_ptr<clsLabel> templateLabel)
{
    clsRangeManager* ranges = DocumentRanges();
    if (!ranges)
        return nullptr;
    qint32 rLeft = 0, rTop = 0, rWidth = 0, rHeight = 0;
    if (!ranges->GetRangePart(StrRange, rLeft, rTop, rWidth, rHeight))
        return nullptr;
    if (IsBodyRange(*ranges, StrRange)) {
        ShowMessage(StrRange + QStringLiteral("中不能画标签对象..."));
        return nullptr;
    }
    const QString name = NewLabelName();
    std::unique_ptr<clsLabel> label;
    if (templateLabel) {
        label = std::move(templateLabel);
        label->StrName = name;
        label->left = Clamp32(qint64(label->left) + label->Width + 20);
    } else {
        label = std::make_unique<clsLabel>();
        label->StrName = name;
        const clsRange* range = ranges->FindRange(StrRange, false);
        label->strRang = range ? range->StrName : StrRange;
        label->top = std::max(0, Clamp32(qint64(y) - rTop));
        label->left = std::max(0, x);
        label->Width = Width == 0 ? 1000 : Width;
        label->Height = Height == 0 ? 300 : Height;
    }
    Labels.push_back(std::move(label));
    clsLabel& added = *Labels.back();
    ranges->FitRange(added.strRang);
    MarkDocChanged();
    return &added;
}

bool clsLabelManager::LabelSelected(const QString& StrName) const
{
    const clsLabel* label = FindLabel(StrName, true);
    return label && label->blnSelected;
}

void clsLabelManager::SetSelectLabelObject(const QString& StrName, bool single)
{
    for (const auto& label : Labels) {
        if (single)
            label->blnSelected = false;
    }
    if (clsLabel* label = FindLabel(StrName, true))
        label->blnSelected = single ? true : !label->blnSelected;
    MarkLayoutDirty();
}

void clsLabelManager::UnSelectedLabel(const QString& StrName)
{
    if (clsLabel* label = FindLabel(StrName, true))
        label->blnSelected = false;
    MarkLayoutDirty();
}

void clsLabelManager::ClearLabelObject(const QString& StrName)
{
    UnSelectedLabel(StrName);
}

void clsLabelManager::UnSelectedAllLabel()
{
    for (const auto& label : Labels)
        label->blnSelected = false;
    MarkLayoutDirty();
}

void clsLabelManager::ClearLabels()
{
    UnSelectedAllLabel();
}

bool clsLabelManager::HasSelection() const
{
    return std::any_of(Labels.begin(), Labels.end(), [](const auto& l) { return l->blnSelected; });
}

void clsLabelManager::ListSelectedObject()
{
    MarkLayoutDirty();
}

// A label belongs to the range its top left corner lies in. Dragged into another range
// it belongs to that one from now on, unless its formula ties it to its own range or
// the other range is the body, which holds no labels: then it stays where it was, after
// the message. Within its range it keeps inside: never above its top or left of the
// sheet, and the range grows when the label reaches past its bottom.
void clsLabelManager::MoveSelectedLabels(qint32 dx, qint32 dy)
{
    clsRangeManager* ranges = DocumentRanges();
    if (!ranges)
        return;
    EnsureDocumentLayout();
    std::vector<clsLabel*> moving;
    for (const auto& item : Labels)
        if (item->blnSelected && item->BlnVisibled)
            moving.push_back(item.get());
    QStringList grown;
    for (clsLabel* label : moving) {
        clsLabel& l = *label;
        const clsRange* own = ranges->FindRange(l.strRang, true);
        if (!own || !own->blnLaidOut)
            continue;
        const qint32 newLeft = std::max(0, Clamp32(qint64(l.left) + dx));
        const qint64 newY = qint64(own->top) + l.top + dy;
        QString target;
        ranges->GetPointRange(newLeft, Clamp32(newY), target);
        const clsRange* to = target.isEmpty() ? nullptr : ranges->FindRange(target, false);
        if (to && to != own) {
            if (l.blnlimited) {
                ShowMessage(QStringLiteral("标签（") + l.StrName + QStringLiteral("）不能移动到其他区域 "));
                continue;
            }
            if (IsBodyRange(*ranges, to->StrName)) {
                ShowMessage(to->StrName + QStringLiteral("中不能画标签对象..."));
                continue;
            }
            l.strRang = to->StrName;
            l.top = std::max(0, Clamp32(newY - to->top));
        } else {
            l.top = std::max(0, Clamp32(newY - own->top));
        }
        l.left = newLeft;
        grown << l.strRang;
        MarkDocChanged();
    }
    for (const QString& range : grown)
        ranges->FitRange(range);
}

void clsLabelManager::ChangeSelectedObjectsSize(qint32 dx, qint32 dy, qint32 edge)
{
    bool changed = false;
    for (const auto& item : Labels) {
        clsLabel& l = *item;
        if (!l.blnSelected)
            continue;
        switch (edge) {
        case 0:
            l.top = Clamp32(qint64(l.top) + dy);
            l.Height = Clamp32(qint64(l.Height) - dy);
            break;
        case 1:
            l.Height = Clamp32(qint64(l.Height) + dy);
            break;
        case 2:
            l.left = Clamp32(qint64(l.left) + dx);
            l.Width = Clamp32(qint64(l.Width) - dx);
            break;
        case 3:
            l.Width = Clamp32(qint64(l.Width) + dx);
            break;
        default:
            continue;
        }
        if (l.Height <= 0)
            l.Height = kCollapsedSize;
        if (l.Width <= 0)
            l.Width = kCollapsedSize;
        // The top edge stops at the range's top, the left edge at the sheet's.
        if (l.top < 0) {
            l.Height = std::max(kCollapsedSize, Clamp32(qint64(l.Height) + l.top));
            l.top = 0;
        }
        if (l.left < 0) {
            l.Width = std::max(kCollapsedSize, Clamp32(qint64(l.Width) + l.left));
            l.left = 0;
        }
        if (clsRangeManager* ranges = DocumentRanges())
            ranges->FitRange(l.strRang);
        changed = true;
    }
    if (changed)
        MarkDocChanged();
}

void clsLabelManager::MoveAllObjectsOrientation(qint32 mode)
{
    std::vector<clsLabel*> selected;
    for (const auto& label : Labels)
        if (label->blnSelected)
            selected.push_back(label.get());
    if (selected.empty())
        return;

    switch (mode) {
    case 0:
    case 2: {
        qint32 reference = 0;
        for (clsLabel* l : selected) {
            qint32& value = mode == 0 ? l->top : l->left;
            if (reference == 0)
                reference = value;
            value = reference;
            MarkDocChanged();
        }
        break;
    }
    case 1: {
        qint64 reference = std::numeric_limits<qint64>::min();
        for (clsLabel* l : selected)
            reference = std::max(reference, qint64(l->top) + l->Height);
        for (clsLabel* l : selected) {
            l->top = Clamp32(reference - l->Height);
            MarkDocChanged();
        }
        break;
    }
    case 3: {
        qint64 reference = std::numeric_limits<qint64>::min();
        for (clsLabel* l : selected)
            reference = std::max(reference, qint64(l->left) + l->Width);
        for (clsLabel* l : selected) {
            l->left = Clamp32(reference - l->Width);
            MarkDocChanged();
        }
        break;
    }
    case 4:
    case 5: {
        const clsRangeManager* ranges = DocumentRanges();
        if (!ranges)
            return;
        const bool sideBySide = mode == 4;
        for (const auto& range : ranges->Ranges) {
            if (!range->blnVisible || SameText(range->StrRangeType.trimmed(), kBodyRange))
                continue;
            std::vector<clsLabel*> group;
            for (clsLabel* l : selected)
                if (InRange(*l, range->StrName))
                    group.push_back(l);
            if (group.empty())
                continue;
            // Equal keys keep the list order.
            std::stable_sort(group.begin(), group.end(), [&](const clsLabel* a, const clsLabel* b) {
                return sideBySide ? a->left < b->left : a->top < b->top;
            });
            qint32 reference = 0;
            const clsLabel* previous = nullptr;
            for (clsLabel* l : group) {
                qint32& across = sideBySide ? l->top : l->left;
                if (reference == 0)
                    reference = across;
                across = reference;
                if (previous) {
                    if (sideBySide)
                        l->left = Clamp32(qint64(previous->left) + previous->Width);
                    else
                        l->top = Clamp32(qint64(previous->top) + previous->Height);
                }
                previous = l;
                MarkDocChanged();
            }
        }
        break;
    }
    default:
        return;
    }
    if (clsRangeManager* ranges = DocumentRanges())
        for (clsLabel* l : selected) {
            l->top = std::max(l->top, 0);
            l->left = std::max(l->left, 0);
            ranges->FitRange(l->strRang);
        }
}

void clsLabelManager::DeleteLabels()
{
    const auto kept = std::remove_if(Labels.begin(), Labels.end(), [](const auto& l) { return l->blnSelected; });
    const bool removed = kept != Labels.end();
    Labels.erase(kept, Labels.end());
    if (removed)
        MarkDocChanged();
}

int clsLabelManager::DeleteRangeLabels(const QString& StrRange)
{
    const auto kept = std::remove_if(Labels.begin(), Labels.end(),
                                     [&](const auto& l) { return SameText(l->strRang.trimmed(), StrRange.trimmed()); });
    const int removed = int(Labels.end() - kept);
    Labels.erase(kept, Labels.end());
    if (removed > 0)
        MarkDocChanged();
    return removed;
}

int clsLabelManager::CopyLabels(bool blnCopy)
{
    int count = 0;
    if (blnCopy) {
        for (const auto& label : Labels) {
            label->blnCopyed = label->blnSelected;
            if (label->blnCopyed)
                ++count;
        }
        return count;
    }
    // The copies go to the end of the list; only the labels marked before the paste
    // are copied.
    std::vector<clsLabel*> marked;
    for (const auto& label : Labels)
        if (label->blnCopyed)
            marked.push_back(label.get());
    for (clsLabel* source : marked) {
        auto copy = std::make_unique<clsLabel>(*source);
        copy->blnCopyed = false;
        copy->blnSelected = false;
        if (AddLabels(source->strRang, 0, 0, 0, 0, std::move(copy)))
            ++count;
    }
    return count;
}
