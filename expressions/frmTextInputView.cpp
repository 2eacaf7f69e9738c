#include "frmTextInputView.h"
#include "clsExpressionManager.h"
#include "clsFunctionManager.h"
#include "frmListFunctionView.h"
#include "columns/clsFieldsManager.h"
#include "document/clsComponentRegistry.h"
#include "document/clsConnection.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "labels/clsLabelManager.h"
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {
const QString kModule = QStringLiteral("frmTextInputView");
const QString kQueryComponent = QStringLiteral("QXQueryDefine.clsQueryDefine");

frmTextInputView::ModalHook& Hook()
{
    static frmTextInputView::ModalHook hook;
    return hook;
}

}

void frmTextInputView::SetModalHook(ModalHook hook)
{
    Hook() = std::move(hook);
}

frmTextInputView::frmTextInputView(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("表达式"));
    txtSou = new QPlainTextEdit(this);
    cmdAdd = InsertButton(QStringLiteral("+"), QStringLiteral("+"));
    cmdMinus = InsertButton(QStringLiteral("-"), QStringLiteral("-"));
    cmdMultiply = InsertButton(QStringLiteral("*"), QStringLiteral("*"));
    cmdDivide = InsertButton(QStringLiteral("/"), QStringLiteral("/"));
    // "&&" shows a single "&" on the button; the text inserted is the operator itself.
    cmdAnd = InsertButton(QStringLiteral("&&"), QStringLiteral("&"));
    cmdbind = InsertButton(QStringLiteral("="), QStringLiteral("="));
    cmdBracketLeft = InsertButton(QStringLiteral("["), QStringLiteral("["));
    cmdBreaketRight = InsertButton(QStringLiteral("]"), QStringLiteral("]"));
    cmdLeft = InsertButton(QStringLiteral("("), QStringLiteral("("));
    cmdRight = InsertButton(QStringLiteral(")"), QStringLiteral(")"));
    CmdList = new QPushButton(QStringLiteral("标签"), this);
    LstObjects = new QListWidget(this);
    chkPrev = new QCheckBox(QStringLiteral("PREV_"), this);
    cmdFunc = new QPushButton(QStringLiteral("函数"), this);
    CmdSql = new QPushButton(QStringLiteral("SQL"), this);
    cmdOk = new QPushButton(QStringLiteral("确定"), this);
    cmdCancel = new QPushButton(QStringLiteral("取消"), this);

    auto* operators = new QGridLayout;
    const QList<QPushButton*> ops{cmdAdd, cmdMinus, cmdMultiply, cmdDivide, cmdAnd,
                                  cmdbind, cmdBracketLeft, cmdBreaketRight, cmdLeft, cmdRight};
    for (int i = 0; i < ops.size(); ++i) {
        ops[i]->setFixedWidth(32);
        operators->addWidget(ops[i], i / 5, i % 5);
    }
    auto* side = new QVBoxLayout;
    side->addWidget(CmdList);
    side->addWidget(chkPrev);
    side->addWidget(LstObjects);
    side->addWidget(cmdFunc);
    side->addWidget(CmdSql);
    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(txtSou);
    left->addLayout(operators);
    top->addLayout(left, 3);
    top->addLayout(side, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    resize(520, 340);

    connect(CmdList, &QPushButton::clicked, this, &frmTextInputView::FillObjectList);
    connect(LstObjects, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { InsertObject(item->text()); });
    connect(cmdFunc, &QPushButton::clicked, this, &frmTextInputView::OpenFunctionPicker);
    connect(CmdSql, &QPushButton::clicked, this, &frmTextInputView::OpenQuery);
    connect(cmdOk, &QPushButton::clicked, this, &frmTextInputView::Confirm);
    connect(cmdCancel, &QPushButton::clicked, this, &frmTextInputView::Cancel);
}

frmTextInputView::~frmTextInputView() = default;

QPushButton* frmTextInputView::InsertButton(const QString& caption, const QString& text)
{
    auto* button = new QPushButton(caption, this);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, text] { InsertText(text); });
    return button;
}

void frmTextInputView::InitControls()
{
    const bool formula = SameText(mStrSouType, QStringLiteral("公式"));
    const bool expression = SameText(mStrSouType, QStringLiteral("表达式"));
    const bool column = SameText(mStrClass, QStringLiteral("列"));
    cmdFunc->setEnabled(formula);
    CmdList->setEnabled(expression);
    LstObjects->setEnabled(expression);
    chkPrev->setEnabled(expression && column);
    CmdSql->setEnabled(!formula && !expression);
    CmdList->setText(column ? QStringLiteral("列名") : QStringLiteral("标签"));
    // Text joining means nothing between column values.
    cmdAnd->setEnabled(!(expression && column));
    txtSou->setPlainText(strExpression);
    txtSou->moveCursor(QTextCursor::End);
    LstObjects->clear();
    BlnCancel = true;
}

int frmTextInputView::ShowModal()
{
    InitControls();
    if (Hook()) {
        Hook()(*this);
        return result();
    }
    return exec();
}

void frmTextInputView::InsertText(const QString& text)
{
    QTextCursor cursor = txtSou->textCursor();
    cursor.setPosition(cursor.position());
    cursor.insertText(text);
    txtSou->setTextCursor(cursor);
    txtSou->setFocus();
}

void frmTextInputView::FillObjectList()
{
    LstObjects->clear();
    if (!g_objDocument)
        return;
    if (CmdList->text() == QStringLiteral("列名")) {
        if (clsFieldsManager* fields = g_objDocument->FieldsManager())
            for (const auto& col : fields->Cols)
                if (col->BlnEnable)
                    LstObjects->addItem(col->name);
    } else if (clsLabelManager* labels = g_objDocument->LabelManager()) {
        for (const auto& label : labels->Labels)
            if (!label->blnDeleted)
                LstObjects->addItem(label->StrName);
    }
}

void frmTextInputView::InsertObject(const QString& name)
{
    const bool prev = CmdList->text() == QStringLiteral("列名") && chkPrev->isChecked();
    InsertText(QStringLiteral("[") + (prev ? QStringLiteral("PREV_") : QString()) + name + QStringLiteral("]"));
}

void frmTextInputView::OpenFunctionPicker()
{
    frmListFunctionView picker(txtSou, this);
    picker.ShowModal();
}

void frmTextInputView::OpenQuery()
{
    try {
        if (!objReportDefine)
            objReportDefine = clsComponentRegistry::Create(kQueryComponent);
        QVariantList args{QVariant::fromValue(DocumentConnection()),
                          txtSou->toPlainText()};
        const QVariant answer = objReportDefine->Invoke(QStringLiteral("DefineQuery"), args);
        blnOpenQuery = true;
        const QString sql = answer.toString();
        if (!sql.trimmed().isEmpty())
            txtSou->setPlainText(sql);
    } catch (const clsOutsideError& e) {
        ReportError(e.Description(), kModule, QStringLiteral("CmdSql_Click()"));
    } catch (const std::exception& e) {
        ReportException(e, kModule, QStringLiteral("CmdSql_Click()"));
    }
}

bool frmTextInputView::Confirm()
{
    const QString text = txtSou->toPlainText().trimmed();
    const bool label = SameText(mStrClass, QStringLiteral("标签"));
    const bool column = SameText(mStrClass, QStringLiteral("列"));
    const bool formula = SameText(mStrSouType, QStringLiteral("公式"));
    const bool expression = SameText(mStrSouType, QStringLiteral("表达式"));
    bool passed = true;
    if (label && formula) {
        clsFunctionManager* functions = DocumentFunctions();
        passed = functions && functions->CheckFunction(text);
    } else if (expression && (label || column)) {
        clsExpressionManager* checker = DocumentExpressions();
        passed = checker && (label ? checker->CheckLabelExpression(text) : checker->CheckFieldExpression(text));
    }
    // A label's expression or formula may not lead back to the label itself; refused
    // here, the text stays in the editor to be put right.
    if (passed && label && (formula || expression) && !mStrObjectName.trimmed().isEmpty()) {
        clsLabelManager* labels = DocumentLabels();
        passed = !labels || labels->CheckLabelCycle(mStrObjectName, mStrSouType, text);
    }
    if (!passed)
        return false;
    strExpression = text;
    BlnCancel = false;
    accept();
    return true;
}

void frmTextInputView::Cancel()
{
    BlnCancel = true;
    reject();
}
