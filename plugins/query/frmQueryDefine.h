#pragma once
#include <QDialog>

class QListWidget;
class QPlainTextEdit;
class clsConnection;

// The stand-in query-definition component's window: the database's tables, the
// columns of the chosen one, and the SELECT text they compose (which may be edited).
class frmQueryDefine : public QDialog
{
    Q_OBJECT
public:
    frmQueryDefine(clsConnection* conn, const QString& initialText, QWidget* parent = nullptr);

    QListWidget* lstTables = nullptr;
    QListWidget* lstColumns = nullptr;
    QPlainTextEdit* txtSql = nullptr;

    QStringList Tables() const;
    // Lists the columns of the table (case ignored); false when the database has none of that name.
    bool SelectTable(const QString& table);
    // Ticks or clears a listed column; false when it is not listed.
    bool CheckColumn(const QString& column, bool checked);
    QString SqlText() const;

private:
    void Compose();
    clsConnection* m_conn;
    QString m_table;
};
