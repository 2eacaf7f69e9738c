#pragma once
#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>

class QPushButton;
class QTableWidget;

// Which columns group the report, with subtotals, running totals and the group header
// and footer ranges. Edits the column records and the range list directly.
class frmGroupsView : public QDialog
{
    Q_OBJECT
public:
    explicit frmGroupsView(QWidget* parent = nullptr);

    // Grid columns.
    enum GridColumn { ColName = 0, ColGroup, ColSubtotal, ColRunning, ColHeader, ColFooter, ColumnCount };
    static QStringList Captions();
    static std::array<int, ColumnCount> WidthsTwips();

    QTableWidget* Grid() const { return MSHFlexGrid1; }
    int RowCount() const;
    QString CellText(int row, int column) const;

public Q_SLOTS:
    // A click on a cell of the grid (rows from 0 below the caption row).
    void ClickCell(int row, int column);
    void cmdOk_Click();

private:
    void FillGrid();
    void FillRow(int row);
    void SetCell(int row, int column, const QString& text);

    QTableWidget* MSHFlexGrid1 = nullptr;
    QPushButton* cmdOk = nullptr;
};
