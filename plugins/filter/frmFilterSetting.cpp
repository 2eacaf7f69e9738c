#include "frmFilterSetting.h"
#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/modPublicDefine.h"
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

frmFilterSetting::frmFilterSetting(clsConnection* conn, qint32 reportId, const QString& reportName, QWidget* parent)
    : QDialog(parent), m_conn(conn), m_reportId(reportId), m_table(new QTableWidget(0, 2, this))
{
    setWindowTitle(QStringLiteral("设置报表条件-") + reportName);
    m_table->setHorizontalHeaderLabels({QStringLiteral("条件"), QStringLiteral("条件类别(0-19)")});
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* add = new QPushButton(QStringLiteral("增加"), this);
    auto* remove = new QPushButton(QStringLiteral("删除"), this);
    auto* up = new QPushButton(QStringLiteral("上移"), this);
    auto* down = new QPushButton(QStringLiteral("下移"), this);
    connect(add, &QPushButton::clicked, this, [this] {
        // A new row is typed into straight away.
        AddRow();
        m_table->editItem(m_table->item(m_table->rowCount() - 1, 0));
    });
    connect(remove, &QPushButton::clicked, this, &frmFilterSetting::RemoveCurrentRow);
    connect(up, &QPushButton::clicked, this, [this] { MoveCurrentRow(-1); });
    connect(down, &QPushButton::clicked, this, [this] { MoveCurrentRow(1); });
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {add, remove, up, down})
        side->addWidget(b);
    side->addStretch();

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确认"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmFilterSetting::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmFilterSetting::reject);

    auto* body = new QHBoxLayout;
    body->addWidget(m_table, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("报表条件按列表顺序提供给报表查询使用："), this));
    layout->addLayout(body);
    layout->addWidget(buttons);
    resize(520, 360);
    // A button with nothing to act on is greyed: removing without a row, moving the
    // first row up or the last one down.
    const auto enable = [this, remove, up, down] {
        const int row = m_table->currentRow();
        remove->setEnabled(row >= 0);
        up->setEnabled(row > 0);
        down->setEnabled(row >= 0 && row + 1 < m_table->rowCount());
    };
    connect(m_table, &QTableWidget::currentCellChanged, this, enable);
    connect(m_table->model(), &QAbstractItemModel::rowsInserted, this, enable);
    connect(m_table->model(), &QAbstractItemModel::rowsRemoved, this, enable);
    LoadRows();
    enable();
}

bool frmFilterSetting::LoadRows()
{
    m_table->setRowCount(0);
    if (!m_conn)
        return false;
    try {
        clsRecordset rs = m_conn->Open(QStringLiteral("select note, ModeEx from Rpt_FltDEF where id = ? and ModeEx < 20 order by location"),
                                       {m_reportId});
        for (; !rs.Eof(); rs.MoveNext())
            AddRow(rs.Text(QStringLiteral("note")), rs.Long(QStringLiteral("ModeEx")));
        return true;
    } catch (const clsDatabaseError& e) {
        ReportError(e.Description(), QStringLiteral("frmFilterSetting"), QStringLiteral("LoadRows()"));
        return false;
    }
}

void frmFilterSetting::AddRow(const QString& note, int mode)
{
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    m_table->setItem(row, 0, new QTableWidgetItem(note));
    m_table->setItem(row, 1, new QTableWidgetItem(QString::number(mode)));
    m_table->setCurrentCell(row, 0);
}

void frmFilterSetting::RemoveCurrentRow()
{
    if (m_table->currentRow() >= 0)
        m_table->removeRow(m_table->currentRow());
}

void frmFilterSetting::MoveCurrentRow(int delta)
{
    const int row = m_table->currentRow();
    const int target = row + delta;
    if (row < 0 || target < 0 || target >= m_table->rowCount())
        return;
    for (int c = 0; c < m_table->columnCount(); ++c) {
        QTableWidgetItem* a = m_table->takeItem(row, c);
        QTableWidgetItem* b = m_table->takeItem(target, c);
        m_table->setItem(row, c, b);
        m_table->setItem(target, c, a);
    }
    m_table->setCurrentCell(target, 0);
}

bool frmFilterSetting::SaveRows()
{
    QStringList notes;
    QList<int> modes;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        const QString note = m_table->item(r, 0) ? m_table->item(r, 0)->text().trimmed() : QString();
        const QString modeText = m_table->item(r, 1) ? m_table->item(r, 1)->text().trimmed() : QString();
        bool ok = false;
        const int mode = modeText.toInt(&ok);
        if (note.isEmpty()) {
            ShowMessage(QStringLiteral("第%1行的条件不能为空...").arg(r + 1));
            return false;
        }
        if (!ok || mode < 0 || mode >= 20) {
            ShowMessage(QStringLiteral("第%1行的条件类别必须是0到19之间的整数...").arg(r + 1));
            return false;
        }
        notes << note;
        modes << mode;
    }
    if (!m_conn)
        return false;
    const bool own = !m_conn->InTransaction() && m_conn->BeginTrans();
    try {
        m_conn->Execute(QStringLiteral("delete from Rpt_FltDEF where id = ? and ModeEx < 20"), {m_reportId});
        for (int i = 0; i < notes.size(); ++i)
            m_conn->Execute(QStringLiteral("insert into Rpt_FltDEF (id,note,ModeEx,location) values (?,?,?,?)"),
                            {m_reportId, notes[i], modes[i], i + 1});
        if (own && !m_conn->CommitTrans())
            throw m_conn->LastFailure();
        return true;
    } catch (const clsDatabaseError& e) {
        if (own)
            m_conn->RollbackTrans();
        ReportError(e.Description(), QStringLiteral("frmFilterSetting"), QStringLiteral("SaveRows()"));
        return false;
    }
}

void frmFilterSetting::accept()
{
    if (SaveRows())
        QDialog::accept();
}
