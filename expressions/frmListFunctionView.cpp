#include "frmListFunctionView.h"
#include "clsFunctionManager.h"
#include "columns/clsFieldsManager.h"
#include "labels/clsLabelManager.h"
#include "document/clsConnection.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "document/modWindows.h"
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValidator>
#include <cmath>

namespace {
const QString kModule = QStringLiteral("frmListFunctionView");
constexpr int kTwipsPerPixel = 15;
const QString kColumns = QStringLiteral("列集合");
const QString kConditions = QStringLiteral("条件集合");
const QString kLabels = QStringLiteral("标签集合");

// How a parameter's value is written in a call: a bracketed name for a reference list,
// a number, a text in double quotes, or anything (other data types).
enum class ValueKind { Reference, Number, Text, Any };

ValueKind KindOf(const clsPere& pere)
{
    const QString ref = pere.strRefType.trimmed();
    if (SameText(ref, kColumns) || SameText(ref, kConditions) || SameText(ref, kLabels))
        return ValueKind::Reference;
    if (pere.lngDataType == 0)
        return ValueKind::Number;
    if (pere.lngDataType == 1 || pere.lngDataType == 2)
        return ValueKind::Text;
    return ValueKind::Any;
}

// A parameter as the messages name it.
QString ParameterName(const clsPere& pere)
{
    return QStringLiteral("参数（") + pere.StrName + QStringLiteral("）");
}

bool IsWrapped(const QString& v, QChar open, QChar close)
{
    return v.size() >= 2 && v.front() == open && v.back() == close;
}

// Magnitudes below 10^15: the suite keeps amounts to fifteen exact digits.
constexpr double kNumberLimit = 1e15;

// Keeps out of the value editor what cannot stand in a call: the characters that end an
// argument or the call, brackets other than around a whole name, inner quotes, and for
// a number parameter anything but a number. A number out of range, a half-typed number
// or name, is Intermediate: it may be typed on, but is refused when it is committed.
class clsValueValidator : public QValidator
{
public:
    explicit clsValueValidator(QObject* parent) : QValidator(parent) {}
    ValueKind kind = ValueKind::Any;

    State validate(QString& input, int&) const override { return Judge(input.trimmed()); }

    static bool IsNumber(const QString& v)
    {
        static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?$"));
        return number.match(v).hasMatch();
    }

    State Judge(const QString& v) const
    {
        if (v.isEmpty())
            return Acceptable;
        if (v.contains(QLatin1Char(',')) || v.contains(QLatin1Char('(')) || v.contains(QLatin1Char(')')))
            return Invalid;
        if (v.front() == QLatin1Char('[')) {
            const QString inner = v.mid(1, v.back() == QLatin1Char(']') ? v.size() - 2 : -1);
            if (inner.contains(QLatin1Char('[')) || inner.contains(QLatin1Char(']')) || inner.contains(QLatin1Char('"')))
                return Invalid;
            return IsWrapped(v, QLatin1Char('['), QLatin1Char(']')) && !inner.trimmed().isEmpty() ? Acceptable : Intermediate;
        }
        if (v.contains(QLatin1Char('[')) || v.contains(QLatin1Char(']')))
            return Invalid;
        switch (kind) {
        case ValueKind::Reference:
            return v.contains(QLatin1Char('"')) ? Invalid : Acceptable;
        case ValueKind::Number: {
            if (IsNumber(v)) {
                bool ok = false;
                const double d = v.toDouble(&ok);
                return ok && std::abs(d) < kNumberLimit ? Acceptable : Intermediate;
            }
            static const QRegularExpression partial(QStringLiteral("^[+-]?\\d*\\.?\\d*([eE][+-]?\\d*)?$"));
            return partial.match(v).hasMatch() ? Intermediate : Invalid;
        }
        case ValueKind::Text: {
            if (v.front() != QLatin1Char('"'))
                return v.contains(QLatin1Char('"')) ? Invalid : Acceptable;
            const QString inner = v.mid(1, v.size() > 1 && v.back() == QLatin1Char('"') ? v.size() - 2 : -1);
            if (inner.contains(QLatin1Char('"')))
                return Invalid;
            return IsWrapped(v, QLatin1Char('"'), QLatin1Char('"')) ? Acceptable : Intermediate;
        }
        case ValueKind::Any:
            return Acceptable;
        }
        return Invalid;
    }
};

frmListFunctionView::ModalHook& Hook()
{
    static frmListFunctionView::ModalHook hook;
    return hook;
}

QTableWidgetItem* ReadOnlyItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}
}

void frmListFunctionView::SetModalHook(ModalHook hook)
{
    Hook() = std::move(hook);
}

frmListFunctionView::frmListFunctionView(QPlainTextEdit* target, QWidget* parent)
    : QDialog(parent), m_target(target)
{
    setWindowTitle(QStringLiteral("函数"));
    cmbClass = new QComboBox(this);
    GridFuncs = new QTableWidget(0, 2, this);
    GridFuncs->setHorizontalHeaderLabels({QStringLiteral("名称"), QStringLiteral("说明")});
    GridFuncs->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridFuncs->setSelectionMode(QAbstractItemView::SingleSelection);
    GridFuncs->verticalHeader()->hide();
    GridFuncs->horizontalHeader()->setStretchLastSection(true);

    GridPeres = new QTableWidget(0, 3, this);
    GridPeres->setHorizontalHeaderLabels({QStringLiteral("参数"), QStringLiteral("输入"), QStringLiteral("取值")});
    GridPeres->setColumnWidth(0, 1200 / kTwipsPerPixel);
    GridPeres->setColumnWidth(1, 600 / kTwipsPerPixel);
    GridPeres->setColumnWidth(2, 2000 / kTwipsPerPixel);
    GridPeres->verticalHeader()->hide();

    // The value editor, its list button and the list float over the parameter grid.
    txtInput = new QLineEdit(GridPeres->viewport());
    txtInput->hide();
    txtInput->installEventFilter(this);
    m_validator = new clsValueValidator(this);
    txtInput->setValidator(m_validator);
    ExplainRefusedKeys(txtInput, [this] {
        if (m_editRow < 0 || m_editRow >= m_peres.size())
            return QString();
        const clsPere& pere = m_peres.at(m_editRow);
        return ParameterName(pere)
            + (KindOf(pere) == ValueKind::Number ? QStringLiteral("必须输入数值...") : QStringLiteral("输入错误..."));
    });
    cmdRefrech = new QPushButton(QStringLiteral("..."), GridPeres->viewport());
    cmdRefrech->hide();
    lstRefresh = new QListWidget(this);
    lstRefresh->hide();
    LabExp = new QLabel(this);
    cmdOk = new QPushButton(QStringLiteral("确定"), this);
    cmdCancel = new QPushButton(QStringLiteral("取消"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cmbClass);
    layout->addWidget(GridFuncs, 2);
    layout->addWidget(GridPeres, 1);
    layout->addWidget(lstRefresh);
    layout->addWidget(LabExp);
    layout->addLayout(buttons);
    resize(480, 420);

    connect(cmbClass, &QComboBox::currentIndexChanged, this, [this](int) { FillFunctions(); });
    connect(GridFuncs, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) { FillParameters(row); });
    connect(GridPeres, &QTableWidget::cellClicked, this, [this](int row, int col) {
        if (col == 2)
            BeginEdit(row);
    });
    connect(cmdRefrech, &QPushButton::clicked, this, &frmListFunctionView::RefreshList);
    connect(lstRefresh, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { ChooseFromList(item->text()); });
    connect(cmdOk, &QPushButton::clicked, this, &frmListFunctionView::Confirm);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    LoadClasses();
}

int frmListFunctionView::ShowModal()
{
    if (Hook()) {
        Hook()(*this);
        return result();
    }
    return exec();
}

void frmListFunctionView::LoadClasses()
{
    QSignalBlocker block(cmbClass);
    cmbClass->clear();
    if (clsFunctionManager* functions = DocumentFunctions()) {
        QString caption;
        bool restart = true;
        while (functions->EnumerateDefFuncClass(caption, restart)) {
            cmbClass->addItem(caption);
            restart = false;
        }
    }
    if (cmbClass->count() > 0)
        cmbClass->setCurrentIndex(0);
    FillFunctions();
}

bool frmListFunctionView::ChooseClass(const QString& caption)
{
    for (int i = 0; i < cmbClass->count(); ++i) {
        if (SameText(cmbClass->itemText(i), caption)) {
            if (cmbClass->currentIndex() == i)
                FillFunctions();
            else
                cmbClass->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

void frmListFunctionView::FillFunctions()
{
    HideEditors();
    {
        QSignalBlocker block(GridFuncs);
        GridFuncs->setRowCount(0);
    }
    GridPeres->setRowCount(0);
    m_peres.clear();
    m_function.clear();
    BuildCall();
    clsFunctionManager* functions = DocumentFunctions();
    const QString caption = cmbClass->currentText();
    if (!functions || caption.isEmpty())
        return;
    QSignalBlocker block(GridFuncs);
    QString name;
    QString define;
    bool restart = true;
    while (functions->EnumerateFunctions(caption, name, define, restart)) {
        const int row = GridFuncs->rowCount();
        GridFuncs->insertRow(row);
        GridFuncs->setItem(row, 0, ReadOnlyItem(name));
        GridFuncs->setItem(row, 1, ReadOnlyItem(define));
        restart = false;
    }
    GridFuncs->setCurrentCell(-1, -1);
}

bool frmListFunctionView::ChooseFunction(const QString& name)
{
    for (int row = 0; row < GridFuncs->rowCount(); ++row) {
        if (SameText(GridFuncs->item(row, 0)->text(), name.trimmed())) {
            if (GridFuncs->currentRow() == row)
                FillParameters(row);
            else
                GridFuncs->setCurrentCell(row, 0);
            return true;
        }
    }
    return false;
}

void frmListFunctionView::FillParameters(int row)
{
    HideEditors();
    GridPeres->setRowCount(0);
    m_peres.clear();
    m_function.clear();
    if (row >= 0 && row < GridFuncs->rowCount()) {
        m_function = GridFuncs->item(row, 0)->text();
        if (clsFunctionManager* functions = DocumentFunctions())
            if (const QList<clsPere>* peres = functions->GetFuncParameter(cmbClass->currentText(), m_function))
                m_peres = *peres;
    }
    for (const clsPere& pere : m_peres) {
        const int r = GridPeres->rowCount();
        GridPeres->insertRow(r);
        GridPeres->setItem(r, 0, ReadOnlyItem(pere.StrName));
        GridPeres->setItem(r, 1, ReadOnlyItem(pere.bNeedInput ? QStringLiteral("必要") : QStringLiteral("可选")));
        GridPeres->setItem(r, 2, ReadOnlyItem(QString()));
        QString value;
        QString error;
        GridPeres->item(r, 2)->setText(Normalize(r, pere.strDefault, value, error) ? value : pere.strDefault);
    }
    BuildCall();
}

QString frmListFunctionView::ValueAt(int row) const
{
    const QTableWidgetItem* item = GridPeres->item(row, 2);
    return item ? item->text() : QString();
}

QString frmListFunctionView::CallText() const
{
    QStringList values;
    for (int row = 0; row < GridPeres->rowCount(); ++row)
        values << ValueAt(row);
    return m_function + QStringLiteral("(") + values.join(QLatin1Char(',')) + QStringLiteral(") ");
}

void frmListFunctionView::BuildCall()
{
    LabExp->setText(m_function.isEmpty() ? QString() : CallText());
}

void frmListFunctionView::HideEditors()
{
    txtInput->hide();
    cmdRefrech->hide();
    lstRefresh->hide();
    lstRefresh->clear();
    m_editRow = -1;
}

bool frmListFunctionView::BeginEdit(int row)
{
    // A value being typed in another cell is taken first, or stays there when refused.
    if (m_editRow >= 0 && !txtInput->isHidden()) {
        if (m_editRow == row)
            return true;
        if (!CommitValue(txtInput->text()))
            return false;
    }
    HideEditors();
    if (row < 0 || row >= GridPeres->rowCount() || row >= m_peres.size())
        return false;
    m_editRow = row;
    static_cast<clsValueValidator*>(m_validator)->kind = KindOf(m_peres.at(row));
    const QRect cell = GridPeres->visualItemRect(GridPeres->item(row, 2));
    txtInput->setGeometry(cell);
    txtInput->setText(ValueAt(row));
    txtInput->show();
    txtInput->setFocus();
    if (KindOf(m_peres.at(row)) == ValueKind::Reference) {
        const int side = cell.height();
        cmdRefrech->setGeometry(cell.right() - side + 1, cell.top(), side, side);
        cmdRefrech->show();
        cmdRefrech->raise();
    }
    return true;
}

bool frmListFunctionView::Normalize(int row, const QString& text, QString& value, QString& error) const
{
    const clsPere& pere = m_peres.at(row);
    const ValueKind kind = KindOf(pere);
    value = text.trimmed();
    error.clear();
    clsValueValidator judge(nullptr);
    judge.kind = kind;
    if (judge.Judge(value) != QValidator::Acceptable) {
        const QString name = ParameterName(pere);
        if (kind == ValueKind::Number && clsValueValidator::IsNumber(value))
            error = name + QStringLiteral("的数值超出范围...");
        else if (kind == ValueKind::Number && !value.startsWith(QLatin1Char('[')))
            error = name + QStringLiteral("必须输入数值...");
        else
            error = name + QStringLiteral("输入错误...");
        return false;
    }
    const bool bracketed = IsWrapped(value, QLatin1Char('['), QLatin1Char(']'));
    if (!value.isEmpty() && !bracketed) {
        if (kind == ValueKind::Reference)
            value = QLatin1Char('[') + value + QLatin1Char(']');
        else if (kind == ValueKind::Text && !IsWrapped(value, QLatin1Char('"'), QLatin1Char('"')))
            value = QLatin1Char('"') + value + QLatin1Char('"');
    }

    // A column or a label must be one of the report's, as the formula check will ask.
    const QString ref = pere.strRefType.trimmed();
    const QString inner = value.mid(1, value.size() - 2);
    if (kind == ValueKind::Reference && !value.isEmpty()) {
        if (SameText(ref, kColumns)) {
            clsFieldsManager* fields = DocumentFields();
            if (!fields || fields->GetCol(inner) == -1)
                error = QStringLiteral("列名") + value + QStringLiteral("不在报表可用列集合中...");
        } else if (SameText(ref, kLabels)) {
            clsLabelManager* labels = DocumentLabels();
            if (!labels || !labels->InLabels(inner))
                error = QStringLiteral("标签名") + value + QStringLiteral("不在报表标签集合中...");
        }
    }
    return error.isEmpty();
}

bool frmListFunctionView::CommitValue(const QString& text)
{
    const int row = m_editRow;
    if (row < 0 || row >= GridPeres->rowCount() || row >= m_peres.size())
        return false;
    QString value;
    QString error;
    if (!Normalize(row, text, value, error)) {
        ShowMessage(error);
        return false;
    }
    GridPeres->item(row, 2)->setText(value);
    HideEditors();
    BuildCall();
    return true;
}

void frmListFunctionView::CancelEdit()
{
    const int row = m_editRow;
    HideEditors();
    if (row >= 0) {
        GridPeres->setCurrentCell(row, 2);
        GridPeres->setFocus();
    }
}

void frmListFunctionView::RefreshList()
{
    lstRefresh->clear();
    if (m_editRow < 0 || m_editRow >= m_peres.size() || !g_objDocument)
        return;
    const QString ref = m_peres.at(m_editRow).strRefType.trimmed();
    QStringList entries;
    if (SameText(ref, kColumns)) {
        if (clsFieldsManager* fields = g_objDocument->FieldsManager())
            for (const auto& col : fields->Cols)
                if (col->BlnEnable)
                    entries << col->name;
    } else if (SameText(ref, kLabels)) {
        if (clsLabelManager* labels = g_objDocument->LabelManager())
            for (const auto& label : labels->Labels)
                if (!label->blnDeleted)
                    entries << label->StrName;
    } else if (SameText(ref, kConditions)) {
        clsConnection* conn = g_objDocument->m_AdoConn;
        if (conn) {
            try {
                clsRecordset rs = conn->Open(
                    QStringLiteral("select  note from Rpt_FltDEF where id = ? and  ModeEx <20  order by  location  "),
                    {g_objDocument->m_lngReportID});
                for (; !rs.Eof(); rs.MoveNext())
                    entries << rs.Text(QStringLiteral("note"));
            } catch (const std::exception& e) {
                ReportException(e, kModule, QStringLiteral("cmdRefrech_Click()"));
                return;
            }
        }
    }
    lstRefresh->addItems(entries);
    lstRefresh->show();
}

void frmListFunctionView::ChooseFromList(const QString& entry)
{
    CommitValue(QStringLiteral("[") + entry + QStringLiteral("]"));
}

bool frmListFunctionView::Confirm()
{
    if (m_function.isEmpty()) {
        ShowMessage(QStringLiteral("请先选择函数..."), PromptIcon::Information);
        return false;
    }
    // What is still being typed counts as entered.
    if (m_editRow >= 0 && !txtInput->isHidden() && !CommitValue(txtInput->text()))
        return false;
    for (int row = 0; row < GridPeres->rowCount() && row < m_peres.size(); ++row) {
        if (m_peres.at(row).bNeedInput && ValueAt(row).isEmpty()) {
            ShowMessage(ParameterName(m_peres.at(row)) + QStringLiteral("必须输入..."),
                        PromptIcon::Information);
            return false;
        }
    }
    // The editor runs the formula check on confirmation; a call it would refuse is
    // better refused here, where the values can still be changed.
    clsFunctionManager* functions = DocumentFunctions();
    if (!functions || !functions->CheckFunction(CallText().trimmed()))
        return false;
    // A label formula holds one call, so the call takes the editor's whole text.
    if (m_target)
        m_target->setPlainText(CallText());
    accept();
    return true;
}

bool frmListFunctionView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtInput && event->type() == QEvent::FocusOut && !txtInput->isHidden() && m_editRow >= 0) {
        // Leaving the cell takes the value, except towards the cell's own list, another
        // window (such as the message that refuses a value) or a pop-up, and the two
        // buttons: 确定 takes the value itself, 取消 drops everything.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const QWidget* next = QApplication::focusWidget();
        const bool elsewhere = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
        if (!elsewhere && next != cmdRefrech && next != lstRefresh && next != cmdOk && next != cmdCancel)
            CommitValue(txtInput->text());
    }
    if (watched == txtInput && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            CommitValue(txtInput->text());
            return true;
        }
        if (key == Qt::Key_Escape) {
            CancelEdit();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
