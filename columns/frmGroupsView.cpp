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
    const clsRangeManager* ranges = DocumentRanges();
    for (const auto& col : fields->Cols) {
        if (col->Expression.trimmed().isEmpty() || !col->BlnEnable || !col->blnVisible)
            continue;
        const int row = MSHFlexGrid1->rowCount();
        MSHFlexGrid1->insertRow(row);
        SetCell(row, ColName, col->name);
        SetCell(row, ColGroup, col->TpyGroup == 2 ? kTick : QString());
        SetCell(row, ColSubtotal, col->BlnGroupSum ? kTick : QString());
        SetCell(row, ColRunning, col->BlnGroupAccount ? kTick : QString());
        SetCell(row, ColHeader, ranges && ranges->GroupRangeShown(col->name, true) ? kShown : kNotShown);
        SetCell(row, ColFooter, ranges && ranges->GroupRangeShown(col->name, false) ? kShown : kNotShown);
    }
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
    clsRepcol* col = fields ? fields->FindCol(CellText(row, ColName)) : nullptr;
    if (!col)
        return;
    const bool ticked = CellText(row, column) == kTick;
    switch (column) {
    case ColGroup:
        if (ticked) {
            // A shown group range needs its group: the ranges go first.
            if (CellText(row, ColHeader) == kShown || CellText(row, ColFooter) == kShown) {
                ShowMessage(QStringLiteral("分组标题区域或分组脚注区域是显示的，不能去掉分组属性"));
                return;
            }
            col->TpyGroup = 1;
        } else {
            col->TpyGroup = 2;
        }
        SetCell(row, column, ticked ? QString() : kTick);
        break;
    case ColSubtotal:
        col->BlnGroupSum = !ticked;
        SetCell(row, column, ticked ? QString() : kTick);
        break;
    case ColRunning:
        col->BlnGroupAccount = !ticked;
        SetCell(row, column, ticked ? QString() : kTick);
        break;
    case ColHeader:
    case ColFooter: {
        if (CellText(row, ColGroup) != kTick) {
            ShowMessage(QStringLiteral("当前列没有分组"));
            return;
        }
        clsRangeManager* ranges = DocumentRanges();
        if (!ranges)
            return;
        const bool show = CellText(row, column) != kShown;
        ranges->SetGroupRangeShown(col->name, column == ColHeader, show);
        SetCell(row, column, show ? kShown : kNotShown);
        break;
    }
    default:
        return;
    }
    MarkDocChanged();
}

void frmGroupsView::cmdOk_Click()
{
    // A group printed with neither header nor footer keeps no ranges at all.
    if (clsRangeManager* ranges = DocumentRanges()) {
        for (int row = 0; row < RowCount(); ++row)
            if (CellText(row, ColHeader) == kNotShown && CellText(row, ColFooter) == kNotShown)
                ranges->RemoveGroupRanges(CellText(row, ColName));
    }
    accept();
}
