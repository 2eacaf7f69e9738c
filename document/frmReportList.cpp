#include "frmReportList.h"
#include "clsConnection.h"
#include "clsDatabaseError.h"
#include "clsDocument.h"
#include "modPublicDefine.h"
#include <QScopeGuard>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kModule = QStringLiteral("frmReportList");
const QString kSeparator = QStringLiteral("   ");
}

QStringList frmReportList::SystemItems()
{
    return {QStringLiteral("应付         AP"), QStringLiteral("应收         AR"), QStringLiteral("成本管理     CA"),
            QStringLiteral("合并报表(子) CC"), QStringLiteral("合并报表(母) CR"), QStringLiteral("固定资产     FA"),
            QStringLiteral("资金管理     FD"), QStringLiteral("财务分析     FP"), QStringLiteral("现金流量表   FT"),
            QStringLiteral("总账         GL"), QStringLiteral("存货核算     IA"), QStringLiteral("采购计划     PP"),
            QStringLiteral("采购管理     PU"), QStringLiteral("行业报表(子) RC"), QStringLiteral("行业报表(母) RR"),
            QStringLiteral("销售管理     SA"), QStringLiteral("库存管理     ST"), QStringLiteral("工资管理     WA"),
            QStringLiteral("GSP质量管理     GS")};
}

frmReportList::frmReportList(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmReportList"));
    setWindowTitle(QStringLiteral("打开报表"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("选择子系统"));
    Label1->setObjectName(QStringLiteral("Label1"));
    cmbSystem = new QComboBox;
    cmbSystem->setObjectName(QStringLiteral("cmbSystem"));
    cmbSystem->addItems(SystemItems());
    cmbSystem->setCurrentIndex(-1);
    chkAll = new QCheckBox(QStringLiteral("显示全部报表"));
    chkAll->setObjectName(QStringLiteral("chkAll"));
    lstReport = new QListWidget;
    lstReport->setObjectName(QStringLiteral("lstReport"));
    cmdOk = new QPushButton(QStringLiteral("确认"));
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("取消"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* top = new QHBoxLayout;
    top->addWidget(Label1);
    top->addWidget(cmbSystem, 1);
    top->addWidget(chkAll);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lstReport, 1);
    layout->addLayout(buttons);

    connect(cmbSystem, qOverload<int>(&QComboBox::activated), this, &frmReportList::cmbSystem_Click);
    connect(chkAll, &QCheckBox::toggled, this, &frmReportList::chkAll_Click);
    connect(lstReport, &QListWidget::itemDoubleClicked, this, &frmReportList::lstReport_DblClick);
    connect(cmdOk, &QPushButton::clicked, this, &frmReportList::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmReportList::cmdCancel_Click);

    // Databases of the older kind have no subsystem column worth choosing by.
    if (g_objDocument && ProbeAccountDatabase(g_objDocument->m_AdoConn)) {
        cmbSystem->setVisible(false);
        Label1->setVisible(false);
    }
    StartAtOpenReport();
}

void frmReportList::StartAtOpenReport()
{
    // Where the user is: the open report's subsystem, the report itself chosen, so the
    // arrows reach its neighbours. A subsystem the selector does not offer (or a hidden
    // selector) lists every report; with no report open the list starts empty.
    if (!g_objDocument || !g_objDocument->IsOpen())
        return;
    const QString code = g_objDocument->m_strSystemID.trimmed().toUpper();
    int index = -1;
    for (int i = 0; i < cmbSystem->count() && !code.isEmpty(); ++i)
        if (cmbSystem->itemText(i).right(2).toUpper() == code)
            index = i;
    if (index >= 0 && !cmbSystem->isHidden())
        cmbSystem_Click(index);
    else
        chkAll->setChecked(true);
    const QList<QListWidgetItem*> open =
        lstReport->findItems(code + kSeparator + g_objDocument->m_strReportName.trimmed(), Qt::MatchExactly);
    if (!open.isEmpty())
        lstReport->setCurrentItem(open.front());
}

void frmReportList::ListReports(const QString& code)
{
    QString sql = QStringLiteral("Select Name ,SystemID  from  Rpt_GlbDEF  ") + QStringLiteral(" Where  Relation ='")
                  + QStringLiteral("vimba") + QStringLiteral("'  AND Type <> 0  ");
    QVariantList params;
    if (!code.trimmed().isEmpty()) {
        sql += QStringLiteral(" and  SystemID=? ");
        params << code;
    }
    sql += QStringLiteral(" order by SystemID ,Name  ");
    // What was chosen stays chosen wherever the new list has it.
    const QString chosen = lstReport->currentItem() ? lstReport->currentItem()->text() : QString();
    const auto choose = qScopeGuard([this, chosen] {
        const QList<QListWidgetItem*> again = lstReport->findItems(chosen, Qt::MatchExactly);
        if (!chosen.isEmpty() && !again.isEmpty())
            lstReport->setCurrentItem(again.front());
    });
    lstReport->clear();
    clsConnection* conn = DocumentConnection();
    if (!conn)
        return;
    try {
        clsRecordset rs = conn->Open(sql, params);
        while (!rs.Eof()) {
            lstReport->addItem(rs.Text(QStringLiteral("systemid")).toUpper() + kSeparator + rs.Text(QStringLiteral("name")));
            rs.MoveNext();
        }
        rs.Close();
    } catch (const std::exception& e) {
        ReportException(e, kModule, QStringLiteral("ListReports()"));
    }
}

bool frmReportList::SplitLine(const QString& line, QString& code, QString& name)
{
    if (line.length() <= 2)
        return false;
    const int at = line.indexOf(kSeparator);
    if (at < 0)
        return false;
    code = line.left(at).trimmed();
    name = line.mid(at + kSeparator.length()).trimmed();
    return true;
}

void frmReportList::cmbSystem_Click(int index)
{
    if (index < 0)
        return;
    const QString text = cmbSystem->itemText(index).trimmed();
    if (text.isEmpty())
        return;
    // Unchecking "all" first: its own handler does nothing on the way off.
    cmbSystem->setCurrentIndex(index);
    chkAll->setChecked(false);
    ListReports(text.right(2));
}

void frmReportList::chkAll_Click(bool checked)
{
    if (!checked)
        return;
    ListReports(QString());
    cmbSystem->setCurrentIndex(-1);
}

void frmReportList::lstReport_DblClick(QListWidgetItem*)
{
    OpenSelected();
}

void frmReportList::cmdOk_Click()
{
    OpenSelected();
}

void frmReportList::OpenSelected()
{
    const QListWidgetItem* item = lstReport->currentItem();
    QString code;
    QString name;
    if (!item || !g_objDocument || !SplitLine(item->text(), code, name))
        return;
    // Unsaved changes are kept unless the user lets them go (or saves them first).
    if (!g_objDocument->ConfirmDiscard())
        return;
    // Copies: the open replaces the document's own fields.
    clsConnection* const conn = g_objDocument->m_AdoConn;
    const QString operatorName = g_objDocument->m_strOprName;
    if (g_objDocument->OpenDocument(conn, name, code, operatorName))
        accept();
}

void frmReportList::cmdCancel_Click()
{
    reject();
}
