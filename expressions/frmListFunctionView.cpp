#include "frmListFunctionView.h"
#include "clsFunctionManager.h"
#include "columns/clsFieldsManager.h"
#include "document/clsConnection.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QString kModule = QStringLiteral("frmListFunctionView");
constexpr int kTwipsPerPixel = 15;

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
        GridPeres->setItem(r, 2, ReadOnlyItem(pere.strDefault));
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
    HideEditors();
    if (row < 0 || row >= GridPeres->rowCount() || row >= m_peres.size())
        return false;
    m_editRow = row;
    const QRect cell = GridPeres->visualItemRect(GridPeres->item(row, 2));
    txtInput->setGeometry(cell);
    txtInput->setText(ValueAt(row));
    txtInput->show();
    txtInput->setFocus();
    const QString ref = m_peres.at(row).strRefType.trimmed();
    if (SameText(ref, QStringLiteral("列集合")) || SameText(ref, QStringLiteral("条件集合"))) {
        const int side = cell.height();
        cmdRefrech->setGeometry(cell.right() - side + 1, cell.top(), side, side);
        cmdRefrech->show();
        cmdRefrech->raise();
    }
    return true;
}

void frmListFunctionView::CommitValue(const QString& text)
{
    const int row = m_editRow;
    if (row < 0 || row >= GridPeres->rowCount())
        return;
    GridPeres->item(row, 2)->setText(text);
    HideEditors();
    BuildCall();
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
    if (SameText(ref, QStringLiteral("列集合"))) {
        if (clsFieldsManager* fields = g_objDocument->FieldsManager())
            for (const auto& col : fields->Cols)
                if (col->BlnEnable)
                    entries << col->name;
    } else if (SameText(ref, QStringLiteral("条件集合"))) {
        clsConnection* conn = g_objDocument->m_AdoConn;
        if (conn) {
            try {
                clsRecordset rs = conn->Open(QStringLiteral("select  note from Rpt_FltDEF where id = ")
                                             + QString::number(g_objDocument->m_lngReportID)
                                             + QStringLiteral(" and  ModeEx <20  order by  location  "));
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
    if (m_function.isEmpty())
        return false;
    for (int row = 0; row < GridPeres->rowCount() && row < m_peres.size(); ++row) {
        if (m_peres.at(row).bNeedInput && ValueAt(row).isEmpty()) {
            ShowMessage(QStringLiteral("参数（") + m_peres.at(row).StrName + QStringLiteral("）必须输入..."),
                        PromptIcon::Information);
            return false;
        }
    }
    // A label formula holds one call, so the call takes the editor's whole text.
    if (m_target)
        m_target->setPlainText(CallText());
    accept();
    return true;
}

bool frmListFunctionView::eventFilter(QObject* watched, QEvent* event)
{
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
