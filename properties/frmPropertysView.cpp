#include "frmPropertysView.h"
#include "clsPropertysManager.h"
#include "columns/clsFieldsManager.h"
#include "document/clsDesignerView.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "document/clsScopedPrompt.h"
#include "document/modWindows.h"
#include "expressions/clsFunctionManager.h"
#include "expressions/frmTextInputView.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include <QComboBox>
#include <QDoubleValidator>
#include <QFontDialog>
#include <QIntValidator>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int kTwipsPerPixel = 15;
const QString kLabel = QStringLiteral("标签");
const QString kColumn = QStringLiteral("列");
const QString kRange = QStringLiteral("区域");
const QString kTitle = QStringLiteral("标题");

frmPropertysView::FontHook& Hook()
{
    static frmPropertysView::FontHook hook;
    return hook;
}

QString FontText(const clsFont& font)
{
    return font.Name + QStringLiteral(",") + QString::number(font.Size);
}

QTableWidgetItem* Cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return item;
}

// Limits of the typed numbers: lengths are whole or decimal millimetres within the
// sheet; the lines per page a count.
constexpr double kMaxLengthMm = 2500;
constexpr int kMaxLines = 9999;
bool IsCount(const QString& caption)
{
    return SameText(caption, QStringLiteral("每页打印行数"));
}

QValidator* NumberValidator(bool count, QObject* parent)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    QValidator* validator = nullptr;
    if (count) {
        validator = new QIntValidator(0, kMaxLines, parent);
    } else {
        auto* number = new QDoubleValidator(0, kMaxLengthMm, 2, parent);
        number->setNotation(QDoubleValidator::StandardNotation);
        validator = number;
    }
    validator->setLocale(c);
    return validator;
}

// Counts what the managers tell the user during a write, passing every message on,
// so a refusal they explained is not explained twice.
class clsListeningPrompt : public clsScopedPrompt
{
public:
    void Beep() override { Outer().Beep(); }
    PromptAnswer Message(const QString& text, PromptIcon icon, const QString& title, PromptButtons buttons) override
    {
        ++told;
        return Outer().Message(text, icon, title, buttons);
    }
    int told = 0;
};

clsLabelManager* Labels() { return DocumentLabels(); }
clsFieldsManager* Fields() { return DocumentFields(); }
clsRangeManager* Ranges() { return DocumentRanges(); }
clsPropertysManager* Propertys() { return DocumentPropertys(); }
}

void frmPropertysView::SetFontHook(FontHook hook)
{
    Hook() = std::move(hook);
}

QString frmPropertysView::EntryText(const QString& kind, const QString& name)
{
    // Ranges and labels carry one blank more than columns and titles, which lines the
    // names up under the shorter kind words.
    const bool wide = SameText(kind, kRange) || SameText(kind, kLabel);
    return QStringLiteral("(") + kind + (wide ? QStringLiteral(")    ") : QStringLiteral(")   ")) + name;
}

frmPropertysView::frmPropertysView(QWidget* parent)
    : QWidget(parent, Qt::Tool)
{
    setWindowTitle(QStringLiteral("属性"));
    cmbObject = new QComboBox(this);
    MSHFlexGrid1 = new QTableWidget(0, 3, this);
    MSHFlexGrid1->horizontalHeader()->hide();
    MSHFlexGrid1->verticalHeader()->hide();
    MSHFlexGrid1->setColumnWidth(0, 0);
    MSHFlexGrid1->setColumnHidden(0, true);
    MSHFlexGrid1->setColumnWidth(1, 1500 / kTwipsPerPixel);
    MSHFlexGrid1->setColumnWidth(2, 2300 / kTwipsPerPixel);
    // The values take whatever width the window gives, never a sideways scroll.
    MSHFlexGrid1->horizontalHeader()->setStretchLastSection(true);
    MSHFlexGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MSHFlexGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    MSHFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);

    txtInput = new QLineEdit(MSHFlexGrid1->viewport());
    txtInput->hide();
    m_lengths = NumberValidator(false, this);
    m_counts = NumberValidator(true, this);
    txtInput->installEventFilter(this);
    ExplainRefusedKeys(txtInput, [this] {
        const ClsPropDiscription* desc = Description(m_editRow);
        return desc ? NumberRule(*desc) : QString();
    });
    cmdRefrech = new QPushButton(QStringLiteral("..."), MSHFlexGrid1->viewport());
    cmdRefrech->hide();
    lstRefresh = new QListWidget(MSHFlexGrid1->viewport());
    lstRefresh->hide();
    labMsg = new QLabel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cmbObject);
    layout->addWidget(MSHFlexGrid1, 1);
    layout->addWidget(labMsg);
    // Both columns, the vertical scroll bar and the layout's margins.
    resize((1500 + 2300) / kTwipsPerPixel + 48, 420);

    connect(cmbObject, &QComboBox::textActivated, this, &frmPropertysView::ChooseObject);
    connect(MSHFlexGrid1, &QTableWidget::currentCellChanged, this, [this](int row, int col, int, int) { CellChosen(row, col); });
    // A click on the row already current starts the edit again after a commit or Esc.
    connect(MSHFlexGrid1, &QTableWidget::cellClicked, this, &frmPropertysView::CellChosen);
    // The editors float over one cell; scrolling would leave them over another row.
    connect(MSHFlexGrid1->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        CommitPending();
        HideEditors();
    });
    connect(txtInput, &QLineEdit::textEdited, this, [this] { m_refused.reset(); });
    connect(cmdRefrech, &QPushButton::clicked, this, &frmPropertysView::PressRefresh);
    connect(lstRefresh, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { ChooseFromList(item->text()); });
}

void frmPropertysView::CellChosen(int row, int col)
{
    // Another row: what was typed in the one being edited is taken first, or the
    // edit stays where it is with the refused text.
    if (m_editRow >= 0 && row != m_editRow && !CommitPending()) {
        {
            const QSignalBlocker block(MSHFlexGrid1);
            MSHFlexGrid1->setCurrentCell(m_editRow, 2);
        }
        txtInput->setFocus();
        return;
    }
    if (col == 2 && row != m_editRow)
        BeginEdit(row);
}

void frmPropertysView::InitPropertys(const QString& kind, const QString& name, bool multiple)
{
    CommitPending();
    HideEditors();
    m_kind = kind;
    m_name = name;
    m_multiple = multiple;
    if (clsPropertysManager* propertys = Propertys()) {
        if (propertys->ColPropertys.empty()) {
            bool ok = false;
            propertys->LoadAllPropertys(ok);
        }
    }
    FillObjectList();
    FillGrid();
}

const std::vector<std::unique_ptr<ClsPropDiscription>>* frmPropertysView::PropertyList() const
{
    clsPropertysManager* propertys = Propertys();
    if (!propertys)
        return nullptr;
    if (m_multiple)
        return &propertys->PublicPropertys;
    if (SameText(m_kind, kLabel))
        return &propertys->LabelPropertys;
    if (SameText(m_kind, kColumn))
        return &propertys->ColPropertys;
    if (SameText(m_kind, kRange))
        return &propertys->RangePropertys;
    if (SameText(m_kind, kTitle))
        return &propertys->TitlePropertys;
    return nullptr;
}

const ClsPropDiscription* frmPropertysView::Description(int row) const
{
    const auto* list = PropertyList();
    if (!list || row < 0 || row >= int(list->size()))
        return nullptr;
    return (*list)[std::size_t(row)].get();
}

QStringList frmPropertysView::ObjectEntries() const
{
    QStringList entries;
    if (clsRangeManager* ranges = Ranges())
        for (const auto& r : ranges->Ranges)
            entries << EntryText(kRange, r->StrName);
    if (clsLabelManager* labels = Labels())
        for (const auto& l : labels->Labels)
            if (!l->blnDeleted)
                entries << EntryText(kLabel, l->StrName);
    if (clsFieldsManager* fields = Fields()) {
        for (const auto& c : fields->Cols)
            entries << EntryText(kColumn, c->name);
        for (const auto& t : fields->Titles)
            entries << EntryText(kTitle, t->name);
    }
    return entries;
}

void frmPropertysView::FillObjectList()
{
    QSignalBlocker block(cmbObject);
    m_entries = ObjectEntries();
    cmbObject->clear();
    cmbObject->addItems(m_entries);
    cmbObject->setCurrentIndex(cmbObject->findText(EntryText(m_kind, m_name)));
}

void frmPropertysView::Follow(const QString& kind, const QString& name, bool multiple)
{
    if (m_committing)
        return;
    const QStringList entries = ObjectEntries();
    QString k = kind;
    QString n = name;
    if (!entries.contains(EntryText(k, n))) {
        k.clear();
        n.clear();
        multiple = false;
    }
    setEnabled(Propertys() != nullptr);
    if (k == m_kind && n == m_name && multiple == m_multiple && entries == m_entries) {
        // The same object: only its values may have moved on (a drag, a key).
        if (m_editRow < 0)
            FillGrid();
        return;
    }
    InitPropertys(k, n, multiple);
}

void frmPropertysView::FillGrid()
{
    QSignalBlocker block(MSHFlexGrid1);
    MSHFlexGrid1->setRowCount(0);
    const auto* list = PropertyList();
    if (!list)
        return;
    for (const auto& desc : *list) {
        const int row = MSHFlexGrid1->rowCount();
        MSHFlexGrid1->insertRow(row);
        MSHFlexGrid1->setItem(row, 0, Cell(QString()));
        MSHFlexGrid1->setItem(row, 1, Cell(desc->StrPropName));
        desc->strValue = ReadValue(desc->StrPropName);
        MSHFlexGrid1->setItem(row, 2, Cell(desc->strValue));
    }
    MSHFlexGrid1->setCurrentCell(-1, -1);
}

QString frmPropertysView::ReadValue(const QString& caption) const
{
    if (SameText(m_kind, kLabel)) {
        clsLabelManager* labels = Labels();
        if (!labels)
            return QString();
        if (SameText(caption, QStringLiteral("字体"))) {
            const clsFont* font = labels->GetFontPropObject(m_name);
            return font ? FontText(*font) : QString();
        }
        return labels->GetLabelProperty(m_name, caption);
    }
    QString value;
    if (SameText(m_kind, kColumn)) {
        if (clsFieldsManager* fields = Fields())
            fields->ReadColProperty(m_name, caption, value);
    } else if (SameText(m_kind, kTitle)) {
        if (clsFieldsManager* fields = Fields())
            fields->ReadTitleProperty(m_name, caption, value);
    } else if (SameText(m_kind, kRange)) {
        if (clsRangeManager* ranges = Ranges())
            value = ranges->ReadRangeProperty(m_name, caption);
    }
    return value;
}

int frmPropertysView::RowOf(const QString& caption) const
{
    for (int row = 0; row < MSHFlexGrid1->rowCount(); ++row)
        if (SameText(MSHFlexGrid1->item(row, 1)->text(), caption))
            return row;
    return -1;
}

QString frmPropertysView::ValueAt(int row) const
{
    const QTableWidgetItem* item = MSHFlexGrid1->item(row, 2);
    return item ? item->text() : QString();
}

QRect frmPropertysView::ValueCell(int row) const
{
    return MSHFlexGrid1->visualItemRect(MSHFlexGrid1->item(row, 2));
}

void frmPropertysView::HideEditors()
{
    m_refused.reset();
    txtInput->hide();
    cmdRefrech->hide();
    lstRefresh->hide();
    lstRefresh->clear();
    m_editRow = -1;
}

bool frmPropertysView::BeginEdit(int row)
{
    HideEditors();
    const ClsPropDiscription* desc = Description(row);
    if (!desc || row >= MSHFlexGrid1->rowCount())
        return false;
    labMsg->setText(desc->blnReadOnly ? desc->StrPropName + QStringLiteral("（只读）") : desc->StrPropName);
    if (desc->blnReadOnly)
        return false;
    const QRect cell = ValueCell(row);
    switch (desc->LngRefType) {
    case ClsPropDiscription::RefTyped:
        m_editRow = row;
        txtInput->setValidator(NumberValidatorOf(*desc));
        txtInput->setGeometry(cell);
        txtInput->setText(ValueAt(row));
        txtInput->show();
        txtInput->selectAll();
        txtInput->setFocus();
        return true;
    case ClsPropDiscription::RefList:
    case ClsPropDiscription::RefFormatList:
    case ClsPropDiscription::RefExpression:
    case ClsPropDiscription::RefFontDialog: {
        m_editRow = row;
        const int side = cell.height();
        cmdRefrech->setGeometry(cell.right() - side + 1, cell.top(), side, side);
        cmdRefrech->show();
        cmdRefrech->raise();
        return true;
    }
    default:
        return false;
    }
}

QWidget* frmPropertysView::Editor() const
{
    if (m_editRow < 0)
        return nullptr;
    if (!txtInput->isHidden())
        return txtInput;
    if (!cmdRefrech->isHidden())
        return cmdRefrech;
    return nullptr;
}

void frmPropertysView::CancelEdit()
{
    const int row = m_editRow;
    HideEditors();
    if (row >= 0) {
        QSignalBlocker block(MSHFlexGrid1);
        MSHFlexGrid1->setCurrentCell(row, 2);
    }
    MSHFlexGrid1->setFocus();
}

void frmPropertysView::PressRefresh()
{
    const ClsPropDiscription* desc = Description(m_editRow);
    if (!desc)
        return;
    switch (desc->LngRefType) {
    case ClsPropDiscription::RefList:
    case ClsPropDiscription::RefFormatList: {
        QStringList items;
        int count = 0;
        if (clsPropertysManager* propertys = Propertys())
            propertys->GetPropertyReflist(m_kind, desc->StrPropName, items, count);
        lstRefresh->clear();
        lstRefresh->addItems(items);
        const QRect cell = ValueCell(m_editRow);
        lstRefresh->setGeometry(cell.left(), cell.bottom() + 1, cell.width(), 8 * cell.height());
        lstRefresh->show();
        lstRefresh->raise();
        break;
    }
    case ClsPropDiscription::RefExpression:
        OpenExpressionEditor();
        break;
    case ClsPropDiscription::RefFontDialog:
        OpenFontDialog();
        break;
    default:
        break;
    }
}

bool frmPropertysView::ChooseFromList(const QString& entry)
{
    return CommitValue(entry);
}

void frmPropertysView::OpenExpressionEditor()
{
    const ClsPropDiscription* desc = Description(m_editRow);
    if (!desc)
        return;
    frmTextInputView editor(this);
    editor.mStrClass = m_kind;
    editor.mStrObjectName = m_name;
    if (SameText(m_kind, kColumn)) {
        editor.mStrSouType = QStringLiteral("表达式");
    } else {
        const QString type = Labels() ? Labels()->GetLabelProperty(m_name, QStringLiteral("数据源类型")).trimmed() : QString();
        if (SameText(type, QStringLiteral("公式")) || SameText(type, QStringLiteral("表达式")))
            editor.mStrSouType = type;
        else
            editor.mStrSouType = QStringLiteral("文本");
    }
    editor.strExpression = ValueAt(m_editRow);
    editor.ShowModal();
    if (!editor.BlnCancel)
        CommitValue(editor.strExpression);
}

void frmPropertysView::OpenFontDialog()
{
    clsLabelManager* labels = Labels();
    const clsFont* current = labels ? labels->GetFontPropObject(m_name) : nullptr;
    clsFont font = current ? *current : clsFont();
    bool chosen = false;
    if (Hook()) {
        chosen = Hook()(font);
    } else {
        QFont qfont(font.Name);
        qfont.setPointSizeF(font.Size);
        qfont.setBold(font.Bold);
        qfont.setItalic(font.Italic);
        qfont.setUnderline(font.Underline);
        qfont.setStrikeOut(font.Strikethrough);
        const QFont picked = QFontDialog::getFont(&chosen, qfont, this, QStringLiteral("字体"));
        if (chosen) {
            font.Name = picked.family();
            font.Size = picked.pointSizeF();
            font.Bold = picked.bold();
            font.Italic = picked.italic();
            font.Underline = picked.underline();
            font.Strikethrough = picked.strikeOut();
            font.Weight = font.Bold ? 700 : 400;
        }
    }
    if (!chosen)
        return;
    if (labels && labels->SetLabelFont(m_name, font)) {
        CommitDocumentStep(QStringLiteral("修改属性 字体"));
        MSHFlexGrid1->item(m_editRow, 2)->setText(FontText(font));
        HideEditors();
        Redraw();
    }
}

bool frmPropertysView::WriteLabel(QString& name, const QString& caption, const QString& value)
{
    clsLabelManager* labels = Labels();
    if (!labels)
        return false;
    if (SameText(caption, QStringLiteral("数据源"))
        && SameText(labels->GetLabelProperty(name, QStringLiteral("数据源类型")).trimmed(), QStringLiteral("公式"))) {
        clsFunctionManager* functions = g_objDocument->FunctionManager();
        const clsFunction* func = functions ? functions->GetFuncObject(value.section(QLatin1Char('('), 0, 0).trimmed()) : nullptr;
        return labels->SetLabelFunction(name, func, value);
    }
    return labels->EditLabelProperty(name, caption, value);
}

bool frmPropertysView::WriteValue(const QString& caption, const QString& value)
{
    // A selection of several objects takes the common value on every selected one.
    if (m_multiple) {
        bool any = false;
        bool all = true;
        if (clsLabelManager* labels = Labels()) {
            for (const auto& l : labels->Labels) {
                if (l->blnSelected && !l->blnDeleted) {
                    QString name = l->StrName;
                    any = true;
                    all = labels->EditLabelProperty(name, caption, value) && all;
                }
            }
        }
        if (clsFieldsManager* fields = Fields()) {
            for (const auto& c : fields->Cols) {
                if (c->blnSelected) {
                    QString name = c->name;
                    any = true;
                    all = fields->SetColProperty(name, caption, value) && all;
                }
            }
        }
        if (any)
            return all;
    }
    QString name = m_name;
    bool ok = false;
    if (SameText(m_kind, kLabel)) {
        ok = WriteLabel(name, caption, value);
    } else if (SameText(m_kind, kColumn)) {
        if (clsFieldsManager* fields = Fields())
            ok = fields->SetColProperty(name, caption, value);
    } else if (SameText(m_kind, kTitle)) {
        if (clsFieldsManager* fields = Fields())
            ok = fields->SetTitleProperty(name, caption, value);
    } else if (SameText(m_kind, kRange)) {
        if (clsRangeManager* ranges = Ranges())
            ok = ranges->SetRangeProperty(name, caption, value);
    }
    if (ok && name != m_name) {
        // A rename: the window follows the object under its new name.
        m_name = name;
        FillObjectList();
    }
    return ok;
}

const QValidator* frmPropertysView::NumberValidatorOf(const ClsPropDiscription& desc) const
{
    if (desc.lngDataType != ClsPropDiscription::DataNumber)
        return nullptr;
    return IsCount(desc.StrPropName) ? m_counts : m_lengths;
}

QString frmPropertysView::NumberProblem(const ClsPropDiscription& desc, const QString& text) const
{
    if (desc.lngDataType != ClsPropDiscription::DataNumber || desc.LngRefType != ClsPropDiscription::RefTyped)
        return QString();
    QString input = text.trimmed();
    int at = 0;
    if (NumberValidatorOf(desc)->validate(input, at) == QValidator::Acceptable)
        return QString();
    return NumberRule(desc);
}

QString frmPropertysView::NumberRule(const ClsPropDiscription& desc) const
{
    if (desc.lngDataType != ClsPropDiscription::DataNumber)
        return QString();
    if (IsCount(desc.StrPropName))
        return QStringLiteral("%1必须是 0 到 %2 之间的整数。").arg(desc.StrPropName).arg(kMaxLines);
    return QStringLiteral("%1必须是 0 到 %2 之间的数值（毫米，最多两位小数）。").arg(desc.StrPropName).arg(kMaxLengthMm);
}

bool frmPropertysView::CommitValue(const QString& value)
{
    const int row = m_editRow;
    const ClsPropDiscription* desc = Description(row);
    if (!desc || desc->blnReadOnly)
        return false;
    const QString problem = NumberProblem(*desc, value);
    if (!problem.isEmpty()) {
        ShowMessage(problem);
        return false;
    }
    const bool typedNumber = desc->lngDataType == ClsPropDiscription::DataNumber && desc->LngRefType == ClsPropDiscription::RefTyped;
    const QString taken = typedNumber ? value.trimmed() : value;
    bool written = false;
    {
        clsListeningPrompt listening;
        written = WriteValue(desc->StrPropName, taken);
        if (!written && !listening.told)
            ShowMessage(QStringLiteral("%1不能设为“%2”。").arg(desc->StrPropName, taken));
    }
    if (!written)
        return false;
    CommitDocumentStep(QStringLiteral("修改属性 ") + desc->StrPropName);
    MSHFlexGrid1->item(row, 2)->setText(taken);
    HideEditors();
    Redraw();
    return true;
}

bool frmPropertysView::CommitPending()
{
    return CommitTyped(false);
}

bool frmPropertysView::CommitTyped(bool always)
{
    if (m_committing || m_editRow < 0 || txtInput->isHidden())
        return true;
    const QString text = txtInput->text();
    if (!always && text == ValueAt(m_editRow))
        return true;
    if (!always && m_refused && *m_refused == text)
        return false;
    m_committing = true;
    const bool taken = CommitValue(text);
    m_committing = false;
    if (!taken)
        m_refused = text;
    return taken;
}

void frmPropertysView::ChooseObject(const QString& entry)
{
    const int cut = entry.indexOf(QStringLiteral("   "));
    if (cut < 0)
        return;
    const QString head = entry.left(cut);
    const int open = head.indexOf(QLatin1Char('('));
    const int close = head.indexOf(QLatin1Char(')'), open + 1);
    if (open < 0 || close < 0)
        return;
    CommitPending();
    HideEditors();
    m_kind = head.mid(open + 1, close - open - 1);
    m_name = entry.mid(cut).trimmed();
    m_multiple = false;
    {
        QSignalBlocker block(cmbObject);
        cmbObject->setCurrentIndex(cmbObject->findText(entry));
    }
    FillGrid();
}

void frmPropertysView::Redraw()
{
    // A shown designer redraws and repaints its canvas; otherwise the scene alone is laid out again.
    clsDesignerView* designer = clsDocument::Designer();
    if (designer && designer->IsShown())
        designer->RefreshFormatReport();
    else if (clsRangeManager* ranges = Ranges())
        ranges->DrawAllObjects();
}

bool frmPropertysView::eventFilter(QObject* watched, QEvent* event)
{
    // Leaving the text box takes what was typed; a context menu of the box is not leaving it.
    if (watched == txtInput && event->type() == QEvent::FocusOut
        && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        CommitPending();
    if (watched == txtInput && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
            CommitTyped(true);
            return true;
        case Qt::Key_Escape:
            CancelEdit();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
