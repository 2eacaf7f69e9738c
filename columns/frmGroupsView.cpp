#include "frmGroupsView.h"
#include "clsFieldsManager.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "ranges/clsRangeManager.h"
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QString kTick = QStringLiteral("√");
const QString kShown = QStringLiteral("显示");
const QString kNotShown = QStringLiteral("不显示");

// Twips as the grid's pixels at the usual 96 dots per inch.
int TwipsToPixels(int twips)
{
    return twips / 15;
}

}

QStringList frmGroupsView::Captions()
{
    return {QStringLiteral("可选分组汇总列"), QStringLiteral("分组汇总列"), QStringLiteral("分组小计"),
            QStringLiteral("分组累计"), QStringLiteral("分组打印标题"), QStringLiteral("分组打印脚注")};
}

std::array<int, frmGroupsView::ColumnCount> frmGroupsView::WidthsTwips()
{
    return {2000, 1000, 1000, 1000, 1200, 1200};
}

frmGroupsView::frmGroupsView(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGroupsView"));
    setWindowTitle(QStringLiteral("分组列视图"));
    setModal(true);

    MSHFlexGrid1 = new QTableWidget(0, ColumnCount);
    MSHFlexGrid1->setObjectName(QStringLiteral("MSHFlexGrid1"));
    MSHFlexGrid1->setHorizontalHeaderLabels(Captions());
    MSHFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSHFlexGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    MSHFlexGrid1->verticalHeader()->setVisible(false);
    const auto widths = WidthsTwips();
    for (int c = 0; c < ColumnCount; ++c)
        MSHFlexGrid1->setColumnWidth(c, TwipsToPixels(widths[size_t(c)]));
    cmdOk = new QPushButton(QStringLiteral("确认"));
    cmdOk->setObjectName(QStringLiteral("cmdOk"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MSHFlexGrid1, 1);
    layout->addLayout(buttons);
    resize(TwipsToPixels(7400) + 40, 320);

    connect(MSHFlexGrid1, &QTableWidget::cellClicked, this, &frmGroupsView::ClickCell);
    connect(cmdOk, &QPushButton::clicked, this, &frmGroupsView::cmdOk_Click);

    FillGrid();
}

void frmGroupsView::FillGrid()
{
    MSHFlexGrid1->setRowCount(0);
    const clsFieldsManager* fields = DocumentFields();
    if (!fields)
        return;
    for (const clsRepcol* col : fields->GroupableColumns()) {
        const int row = MSHFlexGrid1->rowCount();
        MSHFlexGrid1->insertRow(row);
        SetCell(row, ColName, col->name);
        FillRow(row);
    }
}

void frmGroupsView::FillRow(int row)
{
    const clsFieldsManager* fields = DocumentFields();
    const clsRangeManager* ranges = DocumentRanges();
    const clsRepcol* col = fields ? fields->FindCol(CellText(row, ColName)) : nullptr;
    if (!col)
        return;
    SetCell(row, ColGroup, col->TpyGroup == 2 ? kTick : QString());
    SetCell(row, ColSubtotal, col->BlnGroupSum ? kTick : QString());
    SetCell(row, ColRunning, col->BlnGroupAccount ? kTick : QString());
    SetCell(row, ColHeader, ranges && ranges->GroupRangeShown(col->name, true) ? kShown : kNotShown);
    SetCell(row, ColFooter, ranges && ranges->GroupRangeShown(col->name, false) ? kShown : kNotShown);
}

void frmGroupsView::SetCell(int row, int column, const QString& text)
{
    QTableWidgetItem* item = MSHFlexGrid1->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (column != ColName)
            item->setTextAlignment(Qt::AlignCenter);
        MSHFlexGrid1->setItem(row, column, item);
    }
    item->setText(text);
}

int frmGroupsView::RowCount() const
{
    return MSHFlexGrid1->rowCount();
}

QString frmGroupsView::CellText(int row, int column) const
{
    const QTableWidgetItem* item = MSHFlexGrid1->item(row, column);
    return item ? item->text() : QString();
}

void frmGroupsView::ClickCell(int row, int column)
{
    if (row < 0 || row >= RowCount() || column <= ColName || column >= ColumnCount)
        return;
    clsFieldsManager* fields = DocumentFields();
    if (!fields)
        return;
    static const clsFieldsManager::GroupCell cells[] = {
        clsFieldsManager::GroupCell::Grouped, clsFieldsManager::GroupCell::Subtotal,
        clsFieldsManager::GroupCell::Running, clsFieldsManager::GroupCell::Header, clsFieldsManager::GroupCell::Footer};
    const QString name = CellText(row, ColName);
    if (fields->ToggleGroupCell(name, cells[column - ColGroup])) {
        FillRow(row);
        CommitDocumentStep(Captions().value(column) + QLatin1Char(' ') + name);
    }
}

void frmGroupsView::cmdOk_Click()
{
    if (clsFieldsManager* fields = DocumentFields())
        fields->CloseGroups();
    CommitDocumentStep(QStringLiteral("分组"));
    accept();
}
