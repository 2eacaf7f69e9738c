#pragma once
#include <QDialog>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// Picks another report of the catalogue and opens it in the current document.
class frmReportList : public QDialog
{
    Q_OBJECT
public:
    explicit frmReportList(QWidget* parent = nullptr);

    // The subsystem selector's items: name padded with blanks, code last.
    static QStringList SystemItems();
    // Fills the list with the reports of one subsystem (empty code: every subsystem).
    void ListReports(const QString& code);
    // Splits a list line at its first three blanks into code and name (both trimmed);
    // False for a line of two characters or fewer or without the separator.
    static bool SplitLine(const QString& line, QString& code, QString& name);

public Q_SLOTS:
    void cmbSystem_Click(int index);
    void chkAll_Click(bool checked);
    void cmdOk_Click();
    void cmdCancel_Click();

private Q_SLOTS:
    void lstReport_DblClick(QListWidgetItem* item);

private:
    void OpenSelected();
    // The list starts at the open report: its subsystem listed and the report chosen.
    void StartAtOpenReport();

    QLabel* Label1 = nullptr;
    QComboBox* cmbSystem = nullptr;
    QCheckBox* chkAll = nullptr;
    QListWidget* lstReport = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
};
