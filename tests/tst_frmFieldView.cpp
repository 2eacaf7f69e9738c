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
            ColRow r;
            r.name = parts[0];
            r.field = parts[1];
            r.order = ++order;
            r.topEx = parts[2] == QLatin1String("on") ? 0 : 1;
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
    void listsFieldsOfDisabledColumns_data()
    {
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("all enabled") << QStringList{"甲:a:on", "乙:b:on"} << QStringList{};
        QTest::newRow("disabled columns in column order")
            << QStringList{"甲:a:on", "乙:b:off", "丙:c:on", "丁:d'q:off"} << QStringList{"b", "d'q"};
        QTest::newRow("disabled without a field") << QStringList{"甲:a:on", "乙: :off", "丙::off"} << QStringList{};
    }
    void listsFieldsOfDisabledColumns()
    {
        QFETCH(QStringList, columns);
        QFETCH(QStringList, listed);
        FieldsReport r(columns);
        QVERIFY(r.opened);
        frmFieldView w;
        QCOMPARE(w.List()->objectName(), QStringLiteral("LstField"));
        QCOMPARE(w.Fields(), listed);
        // A column dropped on the canvas leaves the list when it is refreshed.
        if (listed.isEmpty())
            return;
        for (const auto& c : r.doc.FieldsManager()->Cols)
            c->BlnEnable = c->BlnEnable || c->Expression.trimmed() == listed.first();
        w.RefreshList();
        QCOMPARE(w.Fields(), listed.mid(1));
    }

    void dragCarriesTheSelectedFields()
    {
        FieldsReport r({"甲:a:off", "乙:b:on", "丙:c 字段:off", "丁:d:off"});
        QVERIFY(r.opened);
        frmFieldView w;
        QListWidget* list = w.List();
        QVERIFY(list->dragEnabled());
        QCOMPARE(list->count(), 3);
        list->item(2)->setSelected(true);
        list->item(0)->setSelected(true);

        // What the list's own drag would carry, and the window's shortcut to it.
        QModelIndexList indexes{list->model()->index(2, 0), list->model()->index(0, 0)};
        std::unique_ptr<QMimeData> fromList(list->model()->mimeData(indexes));
        std::unique_ptr<QMimeData> fromWindow(w.DragData());
        QCOMPARE(list->model()->mimeTypes(), (QStringList{QStringLiteral("application/x-qxrf-fields"), QStringLiteral("text/plain")}));
        for (const QMimeData* data : {fromList.get(), fromWindow.get()}) {
            QVERIFY(data->hasFormat(QStringLiteral("application/x-qxrf-fields")));
            QCOMPARE(QString::fromUtf8(data->data(QStringLiteral("application/x-qxrf-fields"))), QStringLiteral("a\nd"));
            QCOMPARE(data->text(), QStringLiteral("a\nd"));
        }
    }
};

QTEST_MAIN(tst_frmFieldView)
#include "tst_frmFieldView.moc"
