#include "frmQueryDefine.h"
#include "document/clsConnection.h"
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSqlField>
#include <QSqlRecord>
#include <QVBoxLayout>

frmQueryDefine::frmQueryDefine(clsConnection* conn, const QString& initialText, QWidget* parent)
    : QDialog(parent), m_conn(conn)
{
    setWindowTitle(QStringLiteral("查询定义"));
    lstTables = new QListWidget(this);
    lstColumns = new QListWidget(this);
    txtSql = new QPlainTextEdit(initialText, this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* lists = new QHBoxLayout;
    lists->addWidget(lstTables);
    lists->addWidget(lstColumns);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 2);
    layout->addWidget(txtSql, 1);
    layout->addWidget(buttons);
    resize(480, 360);

    if (m_conn && m_conn->IsOpen()) {
        QStringList tables = m_conn->Database().tables(QSql::Tables);
        tables.sort(Qt::CaseInsensitive);
        lstTables->addItems(tables);
    }
    connect(lstTables, &QListWidget::currentTextChanged, this, [this](const QString& t) { SelectTable(t); });
    connect(lstColumns, &QListWidget::itemChanged, this, [this] { Compose(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QStringList frmQueryDefine::Tables() const
{
    QStringList names;
    for (int i = 0; i < lstTables->count(); ++i)
        names << lstTables->item(i)->text();
    return names;
}

bool frmQueryDefine::SelectTable(const QString& table)
{
    const QList<QListWidgetItem*> found = lstTables->findItems(table, Qt::MatchFixedString);
    if (found.isEmpty() || !m_conn)
        return false;
    m_table = found.first()->text();
    {
        QSignalBlocker block(lstTables);
        lstTables->setCurrentItem(found.first());
    }
    QSignalBlocker block(lstColumns);
    lstColumns->clear();
    const QSqlRecord record = m_conn->Database().record(m_table);
    for (int i = 0; i < record.count(); ++i) {
        auto* item = new QListWidgetItem(record.fieldName(i), lstColumns);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    Compose();
    return true;
}

bool frmQueryDefine::CheckColumn(const QString& column, bool checked)
{
    const QList<QListWidgetItem*> found = lstColumns->findItems(column, Qt::MatchFixedString);
    if (found.isEmpty())
        return false;
    found.first()->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return true;
}

void frmQueryDefine::Compose()
{
    if (m_table.isEmpty())
        return;
    QStringList columns;
    for (int i = 0; i < lstColumns->count(); ++i)
        if (lstColumns->item(i)->checkState() == Qt::Checked)
            columns << lstColumns->item(i)->text();
    txtSql->setPlainText(QStringLiteral("Select ") + (columns.isEmpty() ? QStringLiteral("*") : columns.join(QLatin1Char(',')))
                         + QStringLiteral(" From ") + m_table);
}

QString frmQueryDefine::SqlText() const
{
    return txtSql->toPlainText().trimmed();
}
