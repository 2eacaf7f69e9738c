#include "frmFieldView.h"
#include "clsFieldsManager.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace {
// The list hands its selected names to the drag as the canvas expects them.
class FieldList : public QListWidget
{
public:
    using QListWidget::QListWidget;

protected:
    QStringList mimeTypes() const override
    {
        return {frmFieldView::MimeType(), QStringLiteral("text/plain")};
    }
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override
    {
        // The drag hands the items in the order they were picked; the canvas places
        // the fields in list order.
        QList<QListWidgetItem*> ordered = items;
        std::sort(ordered.begin(), ordered.end(),
                  [this](QListWidgetItem* a, QListWidgetItem* b) { return row(a) < row(b); });
        QStringList names;
        for (const QListWidgetItem* item : ordered)
            names << item->text();
        return frmFieldView::CreateMimeData(names);
    }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        viewport()->setCursor(Qt::ArrowCursor);
        QListWidget::mouseMoveEvent(event);
    }
};
}

frmFieldView::frmFieldView(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFieldView"));
    setWindowTitle(QStringLiteral("可用字段视图"));
    setModal(false);
    setMouseTracking(true);

    LstField = new FieldList;
    LstField->setObjectName(QStringLiteral("LstField"));
    LstField->setSelectionMode(QAbstractItemView::ExtendedSelection);
    LstField->setDragEnabled(true);
    LstField->setDragDropMode(QAbstractItemView::DragOnly);
    LstField->setDefaultDropAction(Qt::CopyAction);
    LstField->setMouseTracking(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(LstField);
    resize(200, 320);

    RefreshList();
}

QMimeData* frmFieldView::CreateMimeData(const QStringList& fields)
{
    auto* data = new QMimeData;
    const QString text = fields.join(QLatin1Char('\n'));
    data->setData(MimeType(), text.toUtf8());
    data->setText(text);
    return data;
}

QStringList frmFieldView::AvailableFields()
{
    QStringList fields;
    const clsFieldsManager* manager = DocumentFields();
    if (!manager)
        return fields;
    for (const auto& col : manager->Cols)
        if (!col->BlnEnable && !col->Expression.trimmed().isEmpty())
            fields << col->Expression;
    return fields;
}

void frmFieldView::RefreshList()
{
    LstField->clear();
    LstField->addItems(AvailableFields());
}

QStringList frmFieldView::Fields() const
{
    QStringList fields;
    for (int i = 0; i < LstField->count(); ++i)
        fields << LstField->item(i)->text();
    return fields;
}

QStringList frmFieldView::SelectedFields() const
{
    // In list order, whatever order the items were picked in.
    QStringList fields;
    for (int i = 0; i < LstField->count(); ++i)
        if (LstField->item(i)->isSelected())
            fields << LstField->item(i)->text();
    return fields;
}

QMimeData* frmFieldView::DragData() const
{
    return CreateMimeData(SelectedFields());
}

void frmFieldView::mouseMoveEvent(QMouseEvent* event)
{
    setCursor(Qt::ArrowCursor);
    QDialog::mouseMoveEvent(event);
}
