#include "columns/frmFieldView.h"
#include "fieldsRows.h"
#include "clsTestDatabase.h"
#include <QListWidget>
#include <QMimeData>
#include <QtTest>

using namespace fieldsRows;

namespace {
const qint32 kReport = 30;

// A report on SQLite with columns given as "name:field:enabled", opened.
struct FieldsReport
{
    explicit FieldsReport(const QStringList& columns)
    {
        if (!db.Ready())
            return;
        clsConnection& c = db.Conn();
        c.Execute(QStringLiteral("Insert into Rpt_GlbDEF (ID,Name,SystemID,Note,Relation,DatabaseEx,IsBaseTable,Type,Cols) "
                                 "values (%1,'字段表','GL','','vimba','',0,1,0)").arg(kReport));
        int order = 0;
        for (const QString& column : columns) {
            const QStringList parts = column.split(QLatin1Char(':'));
            ColRow r = Col(parts[0], ++order, parts[2] == QLatin1String("on") ? 0 : 1, parts[1]);
            if (r.field.trimmed().isEmpty())
                r.condition = QStringLiteral("[x]+1");
            InsertCol(c, kReport, r);
        }
        opened = doc.OpenDocument(&c, QStringLiteral("字段表"), QStringLiteral("GL"), QString());
    }
    clsTestDatabase db{QStringLiteral("sqlite")};
    clsDocument doc;
    bool opened = false;
};
}

class tst_frmFieldView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listsAndDragsFieldsOfDisabledColumns_data()
    {
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("all enabled") << QStringList{"甲:a:on", "乙:b:on"} << QStringList{};
        QTest::newRow("disabled columns in column order")
            << QStringList{"甲:a:on", "乙:b:off", "丙:c 字段:off", "丁:d'q:off"} << QStringList{"b", "c 字段", "d'q"};
        QTest::newRow("disabled without a field") << QStringList{"甲:a:on", "乙: :off", "丙::off"} << QStringList{};
    }
    void listsAndDragsFieldsOfDisabledColumns()
    {
        QFETCH(QStringList, columns);
        QFETCH(QStringList, listed);
        FieldsReport r(columns);
        QVERIFY(r.opened);
        frmFieldView w;
        QCOMPARE(w.Fields(), listed);
        if (listed.isEmpty())
            return;

        // A drag carries the selected fields in list order, whether the list's own drag
        // or the window's shortcut to it makes the data.
        QListWidget* list = w.List();
        QVERIFY(list->dragEnabled());
        const int last = list->count() - 1;
        list->item(last)->setSelected(true);
        list->item(0)->setSelected(true);
        std::unique_ptr<QMimeData> fromList(list->model()->mimeData({list->model()->index(last, 0), list->model()->index(0, 0)}));
        std::unique_ptr<QMimeData> fromWindow(w.DragData());
        const QString carried = listed.first() + QLatin1Char('\n') + listed.last();
        for (const QMimeData* data : {fromList.get(), fromWindow.get()}) {
            QCOMPARE(QString::fromUtf8(data->data(QStringLiteral("application/x-qxrf-fields"))), carried);
            QCOMPARE(data->text(), carried);
        }

        // A column dropped on the canvas leaves the list when it is refreshed.
        for (const auto& c : r.doc.FieldsManager()->Cols)
            c->BlnEnable = c->BlnEnable || c->Expression.trimmed() == listed.first();
        w.RefreshList();
        QCOMPARE(w.Fields(), listed.mid(1));
    }
};

QTEST_MAIN(tst_frmFieldView)
#include "tst_frmFieldView.moc"
