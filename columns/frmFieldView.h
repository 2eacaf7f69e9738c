#pragma once
#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;
class QMimeData;

// The fields the report defines but does not show (those of its disabled columns),
// dragged from here onto the designer's canvas to show them again.
class frmFieldView : public QDialog
{
    Q_OBJECT
public:
    explicit frmFieldView(QWidget* parent = nullptr);

    // Drag payload: the chosen field names, one a line.
    static QString MimeType() { return QStringLiteral("application/x-qxrf-fields"); }
    static QMimeData* CreateMimeData(const QStringList& fields);
    // Field names of the disabled columns that have one, in column order.
    static QStringList AvailableFields();

    QListWidget* List() const { return LstField; }
    QStringList Fields() const;
    QStringList SelectedFields() const;
    // What a drag of the current selection carries (the caller owns it).
    QMimeData* DragData() const;

public Q_SLOTS:
    void RefreshList();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QListWidget* LstField = nullptr;
};
