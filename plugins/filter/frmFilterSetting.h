#pragma once
#include <QDialog>

class QTableWidget;
class clsConnection;

// The stand-in filter-setting component's window: the report's filter conditions
// (Rpt_FltDEF rows with ModeEx below 20), edited as a list and written back in order.
class frmFilterSetting : public QDialog
{
    Q_OBJECT
public:
    frmFilterSetting(clsConnection* conn, qint32 reportId, const QString& reportName, QWidget* parent = nullptr);

    bool LoadRows();
    // Checks and writes the list; false (with a message) leaves the stored rows as they were.
    bool SaveRows();

    QTableWidget* Table() const { return m_table; }
    void AddRow(const QString& note = QString(), int mode = 1);
    void RemoveCurrentRow();
    void MoveCurrentRow(int delta);
    void accept() override;

private:
    clsConnection* m_conn;
    qint32 m_reportId;
    QTableWidget* m_table;
};
